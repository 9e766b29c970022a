#include "core/concepts/RelativeConcepts.h"

#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"
#include "core/model/Format.h"

namespace {

// The concept of the range [bounds[i], bounds[j]), named "<lo>-<hi>".
ConceptObject* NewRange(const std::vector<double>& bounds, int i, int j, int a, int b, bool sorted)
{
    const double lo = bounds[static_cast<std::size_t>(i)];
    const double hi = bounds[static_cast<std::size_t>(j)];
    return new ConceptObject(FormatFloatGeneral(lo, 15) + "-" + FormatFloatGeneral(hi, 15),
                             new RelativeDistEvaluator(lo, hi, a, b, sorted), true);
}

struct StateVariable {
    const char* name;
    int a;
    int b;
    bool angle;
};

// Codes: 1..3 the keepers nearest to farthest from the ball, 12/13 the takers
// likewise; b = -1 the centre, -2 the nearer taker, -3 the angle at K1.
constexpr StateVariable kVariables[] = {
    {"DistK1C", 1, -1, false},        {"DistK2C", 2, -1, false},        {"DistK3C", 3, -1, false},
    {"DistT1C", 12, -1, false},       {"DistT2C", 13, -1, false},       {"DistK1K2", 1, 2, false},
    {"DistK1K3", 1, 3, false},        {"DistK1T1", 1, 12, false},       {"DistK1T2", 1, 13, false},
    {"MinDistK2T1T2", 2, -2, false},  {"MinDistK3T1T2", 3, -2, false},  {"MinAngK2K1T1T2", 2, -3, true},
    {"MinAngK3K1T1T2", 3, -3, true},
};

}  // namespace

void AddRangeConcepts(ConceptObject* node, bool first, const std::vector<double>& bounds, int i, int j, int a, int b,
                      bool sorted)
{
    if (i + 1 >= j)
        return;
    if (first) {
        ConceptObject* left = node->AddChild(NewRange(bounds, i, j - 1, a, b, sorted));
        AddRangeConcepts(left, true, bounds, i, j - 1, a, b, sorted);
    } else {
        // The range (i, j - 1) is the second child of the first child of this
        // node's parent (i - 1, j); the depth-first walk has completed it already.
        ConceptObject* shared = node->GetParent()->GetChildren().front()->GetChildren().at(1);
        node->AddChild(shared);
    }
    ConceptObject* right = node->AddChild(NewRange(bounds, i + 1, j, a, b, sorted));
    AddRangeConcepts(right, false, bounds, i + 1, j, a, b, sorted);
}

ConceptObject* AddFeatureConcept(const std::string& name, ConceptObject* parent, const std::vector<double>& bounds,
                                 int a, int b)
{
    auto* node = new ConceptObject(name, nullptr, false);
    parent->AddChild(node);
    node->SetInPath(true);
    AddRangeConcepts(node, true, bounds, 0, static_cast<int>(bounds.size()) - 1, a, b, true);
    return node;
}

ConceptObject* CreateRelativeConcepts()
{
    auto* root = new ConceptObject("Keepaway", nullptr, false);
    const std::vector<double> distances{0, 1, 2, 3, 4, 5, 6, 8, 10, 15, 20};
    const std::vector<double> angles{0, 10, 20, 30, 45, 60, 90, 180};
    for (const StateVariable& v : kVariables)
        AddFeatureConcept(v.name, root, v.angle ? angles : distances, v.a, v.b);

    return FinishHierarchy(root, "RelativeConcepts.gml");
}
