// Fuzz target: what outside learners leave behind, as the strategy window
// reads it. An input is four parts split at the byte 0x1e: JRip's result, the
// run's words, Slipper's hypothesis and a typed rule. A node is learnt with a
// rule list or not learnt with a reason, never both nor neither; a reason is
// one line of printable text, its comment in the C table closed at its end.
#include "strategy/model/LearnerFiles.h"
#include "strategy/model/LearnerRecord.h"
#include "strategy/model/RuleReaders.h"

#include "core/learning/StrategyChunk.h"

#include "support/RuleModel.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool Printable(const std::string& text)
{
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// The text's comment in the table: one line, closed once, at its end; a
// reason is itself one line of printable text.
void CheckComment(const std::string& text, bool reason)
{
    StrategyChunk chunk("L:Pass", nullptr, nullptr, 0.0, 0.0, 0.0, false);
    chunk.SetNotLearnt(text);
    const std::string line = RuleLine(nullptr, chunk, true);
    if ((reason && !Printable(text)) || !Printable(line) || line.rfind("  /* ", 0) != 0 ||
        line.find("*/") != line.size() - 4 || line.find("/*", 3) != std::string::npos ||
        line.find("??") != std::string::npos)
        std::abort();
}

void CheckVerdict(const StrategyChunk& chunk, bool learnt)
{
    if (learnt != chunk.NotLearnt().empty() || learnt != (chunk.State() == TChunkState::Learnt) || (!learnt && !chunk.GetRules().empty()))
        std::abort();
    CheckComment(chunk.NotLearnt(), true);
}

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
    const std::string& output = parts[1];
    for (const std::string& reason :
         {WekaRefusal(parts[0], output), LearnerFailureReason("callweka", "exit code 1", output), SlipperRefusal(output)})
        CheckComment(reason, true);
    CheckComment(output, false);

    const bool allowDefaultNegative = size % 2 == 1;
    StrategyChunk jrip("L:Pass", nullptr, nullptr, 0.0, 0.0, 0.0, false);
    CheckVerdict(jrip, TakeWekaResult(parts[0], output, model->conditions, jrip, allowDefaultNegative));
    StrategyChunk slipper("L:Pass", nullptr, nullptr, 0.0, 0.0, 0.0, false);
    CheckVerdict(slipper, TakeSlipperResult(size % 5 == 0 ? nullptr : &parts[2], output, names, slipper,
                                            allowDefaultNegative, size % 3 == 1));

    RuleObject typed(true);
    ParseRuleText(parts[3], model->conditions, typed);
    if (typed.Size() > static_cast<int>(parts[3].size()))
        std::abort();
    return 0;
}
