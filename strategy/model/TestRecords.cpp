#include "strategy/model/TestRecords.h"

#include "core/model/Format.h"

namespace {

std::string Fixed(double v) { return FormatFloatFixed(v, 8, 4); }

// 0/0 prints 0 rather than "nan": a depth without counted nodes, an average
// over no test.
double Ratio(double a, int b) { return b == 0 ? 0.0 : a / b; }

void Block(std::string& row, const tConfusion& c)
{
    row += std::string("\t") + std::to_string(c.tp) + "\t" + std::to_string(c.fp) + "\t" + std::to_string(c.tn) + "\t" +
           std::to_string(c.fn) + "\t" + Fixed(tTestResults::Accuracy(c));
}

void AddTable(tConfusion& a, const tConfusion& b)
{
    a.tp += b.tp;
    a.tn += b.tn;
    a.fp += b.fp;
    a.fn += b.fn;
}

}  // namespace

int tTestResults::Total(const tConfusion& c) { return c.tp + c.tn + c.fp + c.fn; }

double tTestResults::Accuracy(const tConfusion& c)
{
    const int total = Total(c);
    return total == 0 ? -1.0 : static_cast<double>(c.tp + c.tn) / total;
}

bool tTestResults::SameSettings(const tTestResults& a, const tTestResults& b)
{
    return a.conf == b.conf && a.diff == b.diff && a.distMin == b.distMin && a.distMax == b.distMax &&
           a.abstract == b.abstract;
}

void tTestResults::Add(tTestResults& a, const tTestResults& b)
{
    AddTable(a.rule, b.rule);
    AddTable(a.strategic, b.strategic);
    AddTable(a.description, b.description);
    a.depth += b.depth;
    a.count += b.count;
    a.plus += b.plus;
    a.minus += b.minus;
    a.numTests += b.numTests;
}

std::string tTestResults::ToString(const tTestResults& r)
{
    std::string row = FormatFloatGeneral(r.conf) + "\t" + FormatFloatGeneral(r.diff) + "\t" +
                      FormatFloatGeneral(r.distMin) + "\t" + FormatFloatGeneral(r.distMax) + "\t" +
                      FormatFloatGeneral(r.abstract);
    Block(row, r.description);
    Block(row, r.rule);
    row += std::string("\t") + std::to_string(Total(r.strategic));
    Block(row, r.strategic);
    row += std::string("\t") + Fixed(Ratio(r.depth, r.count)) + "\t" + std::to_string(r.count) + "\t" +
           Fixed(Ratio(r.plus, r.numTests)) + "\t" + Fixed(Ratio(r.minus, r.numTests)) + "\t" +
           std::to_string(r.numTests);
    return row;
}

void tTest::SetChunks(const TChunkList& source, double value)
{
    DeleteChunks(chunks_);
    chunks_ = CopyChunks(source);
    value_ = value;
}

void tTest::MergeEqualResults()
{
    std::vector<tTestResults> merged;
    for (const tTestResults& r : results_) {
        bool folded = false;
        for (tTestResults& kept : merged) {
            if (tTestResults::SameSettings(kept, r)) {
                tTestResults::Add(kept, r);
                folded = true;
                break;
            }
        }
        if (!folded)
            merged.push_back(r);
    }
    results_ = std::move(merged);
}

void tTest::WriteHeader(std::vector<std::string>& lines)
{
    lines.push_back(
        "conf\tdiff\tdistMin\tdistMax\tabstract\ttp\tfp\ttn\tfn\tacc\ttp\tfp\ttn\tfn\tacc\tall\ttp\tfp\ttn\tfn\tacc"
        "\tdepth\tcount\tplus\tminus\tnum. tests");
}

void tTest::WriteResults(std::vector<std::string>& lines) const
{
    for (const tTestResults& r : results_)
        lines.push_back(tTestResults::ToString(r));
}
