// Fuzz target: what outside learners leave behind, read as the strategy
// window reads it. An input is up to four parts split at the byte 0x1e: JRip's
// result file, what the run wrote on its streams, Slipper's hypothesis and a
// typed rule. Whatever they hold, a node is either learnt, with a rule list,
// or not learnt, with a reason and no rule list, never both nor neither; every
// reason is one line of printable text, and its comment in the C table ends
// where it should.
#include "strategy/model/LearnerRecord.h"
#include "strategy/model/RuleReaders.h"

#include "core/learning/Rules.h"

#include "support/RuleModel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void CheckOneLine(const std::string& reason)
{
    for (const char c : reason)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            std::abort();
}

// The reason's comment in the table: one line, closed once, at its end.
void CheckComment(const std::string& reason)
{
    const std::string line = FailedRuleLine("L:Pass", 0.0, 0.0, reason, true, "not learnt");
    CheckOneLine(line);
    const std::size_t end = line.find("*/");
    if (line.rfind("  /* ", 0) != 0 || end != line.size() - 4 || line.find("/*", 3) != std::string::npos ||
        line.find("??") != std::string::npos)
        std::abort();
}

// Learnt with a rule list, or not learnt with a reason and nothing else.
void CheckVerdict(const StrategyChunk& chunk, bool learnt)
{
    const std::string& reason = chunk.NotLearnt();
    if (learnt != reason.empty() || learnt != chunk.HasRuleList() || (!learnt && !chunk.GetRules().empty()))
        std::abort();
    CheckOneLine(reason);
    CheckComment(reason);
}

StrategyChunk Node() { return StrategyChunk("L:Pass", nullptr, nullptr, 0.0, 0.0, 0.0, false); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TRuleModel* model = new TRuleModel;
    static const TSlipperNames names = MakeSlipperNames(model->roles, &model->list);
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0x1e)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    parts.resize(4);
    const std::string& result = parts[0];
    const std::string& output = parts[1];
    const bool allowDefaultNegative = size % 2 == 1;
    const bool firstRule = size % 3 == 1;

    for (const std::string& reason : {WekaRefusal(result, output), LearnerFailureReason("callweka", "exit code 1", output),
                                      SlipperRefusal(output)}) {
        CheckOneLine(reason);
        CheckComment(reason);
    }
    CheckComment(output);

    StrategyChunk jrip = Node();
    CheckVerdict(jrip, TakeWekaResult(result, output, model->conditions, jrip, allowDefaultNegative));
    StrategyChunk slipper = Node();
    const std::string* hypothesis = size % 5 == 0 ? nullptr : &parts[2];
    CheckVerdict(slipper, TakeSlipperResult(hypothesis, output, names, slipper, allowDefaultNegative,
                                            firstRule));

    RuleObject typed(true);
    ParseRuleText(parts[3], model->conditions, typed);
    if (typed.Size() > static_cast<int>(parts[3].size()))
        std::abort();
    return 0;
}
