// The files of one strategy node's learner run, and the lines a run prints.
//
// Each node writes its own dataset beside the window's data file: the node's
// name goes before the file's extension, and in a command that learns
// several strategies or settings the run's number before the node's, so that
// no run writes over another's. An outside learner is given a copy of that
// name in a work folder of its own in the program's private folder, and its
// result lies there too. Only the trailing extension of the file name counts,
// so a dot in a folder name never moves the dataset into another folder, and
// a name without extension still gives every node a file of its own.
#pragma once

#include <string>

class FeatureList;
class StrategyChunk;

// The extension of the file name: from its last "." after the last "/" or "\",
// dot included; "" when there is none.
std::string FileExtension(const std::string& fileName);
// The node's name as part of a file name: every ":" becomes "-".
std::string NodeFilePart(const std::string& nodeName);
// "<name without extension>-<node part><extension>" ("/data/test.data" and
// "Lplayer5:Pass" give "/data/test-Lplayer5-Pass.data"); without extension
// "<name>-<node part>". A run above 0 goes before the node:
// "/data/test-3-Lplayer5-Pass.data".
std::string NodeDataFileName(const std::string& dataFileName, const std::string& nodeName, int run = 0);
// What Slipper is given: the node's data file without its extension (the file
// itself when it has none).
std::string SlipperStem(const std::string& nodeFile);
// Where Slipper leaves its hypothesis: the stem + ".shyp".
std::string SlipperHypothesisFile(const std::string& nodeFile);
// The JRip result file of a run: "results.txt" in the folder of the node file
// (the learner's copy in the run's work folder).
std::string WekaResultsFile(const std::string& nodeFile);

// The chunk's rules as one line: for the rule export's table
// "  tActionRule(_<name>_, "<compact rules>")," (computerOutput), else
// "<name> (<x>, <y>) <= \t<full rules>" with x and y to 2 decimals; the rules
// as the node's state reads them (ChunkRulesText: "TRUE" for the node left
// out). A node not learnt, or not asked, is in the table a comment
// "  /* <name>: not learnt: <reason> */ \" (its text as CommentText makes it),
// which keeps the backslash-continued table of "All Rules" going where a line
// comment would end its macro.
std::string RuleLine(const FeatureList* list, const StrategyChunk& chunk, bool computerOutput);
// "tp <tp>\tfp <fp>\ttn <tn>\tfn <fn>".
std::string EvaluationLine(int tp, int fp, int tn, int fn);
