// The order in which "Join" merges pairs, against a list recorded once: a grid
// of look-alike nodes whose distances tie everywhere (end nodes among them, all
// 99999 from the others), and the left team's graph of the full match weighed
// by its concepts alone, where most distances are equal; each joined down to
// one node. Which of two equal pairs goes first decides every later node, so a
// list that matches line for line keeps the ties too.
#include "actiongraph/model/Distances.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphBuilder.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/TestData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Each join as "<first> <second> <distance>": the positions the two merged
// nodes had (the nodes gone since the join before) and the distance the status
// line told.
class JoinRecorder : public TJoinHooks {
public:
    explicit JoinRecorder(TGraph& graph) : graph_(graph) {}
    void Place(TNode* node) override
    {
        std::vector<const TNode*> now;
        for (int i = 0; i < graph_.NodeCount(); ++i)
            now.push_back(graph_.GetNode(i));
        if (node != nullptr) {
            std::string line;
            for (std::size_t i = 0; i < before_.size(); ++i)
                if (std::find(now.begin(), now.end(), before_[i]) == now.end())
                    line += std::to_string(i) + " ";
            const std::size_t from = status_.find("dist ") + 5;
            lines += line + status_.substr(from, status_.find(". Graph") - from) + "\n";
        }
        before_ = std::move(now);
    }
    void Status(const std::string& text) override { status_ = text; }

    std::string lines;

private:
    TGraph& graph_;
    std::vector<const TNode*> before_;
    std::string status_;
};

class JoinOrder : public ::testing::Test {
protected:
    void SetUp() override { CreateConceptHierarchies(); }
    void TearDown() override { FreeConceptHierarchies(); }

    InTempDir dir_{"join-order"};
    TGraph graph;
};

}  // namespace

TEST_F(JoinOrder, PairsJoinInTheRecordedOrder)
{
    // 6 x 6 passes a metre apart, every one to its own end node: the distances
    // repeat everywhere, the midpoints of joined nodes tie again, and every
    // pass is 99999 from every end node.
    for (int k = 0; k < 36; ++k) {
        TNode* from = graph.GetNode(graph.AddNode("n" + std::to_string(k)));
        from->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coPass, coLFW[0]}));
        from->SetX(k % 6);
        from->SetY(k / 6);
        TNode* to = graph.GetNode(graph.AddNode("e" + std::to_string(k)));
        to->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coPass, coLFW[0]}));
        to->SetX((k * 7) % 4);
        to->SetY((k * 5) % 3);
        graph.AddConnection(from->GetName(), from, to)->AddData(TConnectionData{k, 1, 1, 1, 1, -1});
    }
    JoinRecorder grid(graph);
    ASSERT_EQ(JoinNearestNodes(graph, TDistanceWeights{1.0, 30.0, 30.0, 0.0}, nullptr, 100000.0, grid), 71);

    auto log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
    ASSERT_TRUE(log);
    TObjectChoice all{};
    for (int k = 1; k <= 11; ++k)
        all[static_cast<std::size_t>(k)] = true;
    BuildActionGraph(*log, all, graph);
    RemoveNodesWithDegreeBelow(graph, 1);
    const int nodes = graph.NodeCount();
    JoinRecorder match(graph);
    ASSERT_EQ(JoinNearestNodes(graph, TDistanceWeights{0.0, 30.0, 30.0, 0.0}, nullptr, 100000.0, match),
              nodes - 1);

    EXPECT_EQ("# grid\n" + grid.lines + "# full match, left team\n" + match.lines,
              ReadBytes(TestDataPath("golden/join-order.txt")));
}
