#include "strategy/model/LearnerFiles.h"

#include "strategy/model/LearnerRecord.h"

#include "core/learning/RuleTexts.h"
#include "core/learning/StrategyChunk.h"
#include "core/model/Format.h"

#include <algorithm>

std::string FileExtension(const std::string& fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return fileName.substr(dot);
}

std::string NodeFilePart(const std::string& nodeName)
{
    std::string part = nodeName;
    std::replace(part.begin(), part.end(), ':', '-');
    return part;
}

std::string NodeDataFileName(const std::string& dataFileName, const std::string& nodeName, int run)
{
    const std::string ext = FileExtension(dataFileName);
    const std::string base = dataFileName.substr(0, dataFileName.size() - ext.size());
    return base + "-" + (run > 0 ? std::to_string(run) + "-" : std::string()) + NodeFilePart(nodeName) + ext;
}

std::string SlipperStem(const std::string& nodeFile)
{
    return nodeFile.substr(0, nodeFile.size() - FileExtension(nodeFile).size());
}

std::string SlipperHypothesisFile(const std::string& nodeFile) { return SlipperStem(nodeFile) + ".shyp"; }

std::string WekaResultsFile(const std::string& nodeFile)
{
    const std::size_t slash = nodeFile.find_last_of("/\\");
    return (slash == std::string::npos ? std::string() : nodeFile.substr(0, slash + 1)) + "results.txt";
}

std::string RuleLine(const FeatureList* list, const StrategyChunk& chunk, bool computerOutput)
{
    // A node without a rule list must not read as one whose rules say
    // "never": in the C table it is a comment, never an entry.
    if (computerOutput && chunk.LacksRules())
        return "  /* " + CommentText(chunk.GetName() + ": " + chunk.NoRulesText()) + " */ \\";
    if (computerOutput)
        return FormatActionRule({chunk.GetName(), ChunkRulesText(list, chunk, true)});
    return chunk.GetName() + " (" + FormatFloatFixed(chunk.GetX(), 7, 2) + ", " + FormatFloatFixed(chunk.GetY(), 7, 2) +
           ") <= \t" + ChunkRulesText(list, chunk, false);
}

std::string EvaluationLine(int tp, int fp, int tn, int fn)
{
    return "tp " + std::to_string(tp) + "\tfp " + std::to_string(fp) + "\ttn " + std::to_string(tn) + "\tfn " +
           std::to_string(fn);
}
