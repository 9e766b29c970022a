// The action graph written to files for outside graph tools (the formats are
// in core/io/GraphFiles.h). Each Save function creates or overwrites the file
// and returns false when it could not be created or fully written.
#pragma once

#include "core/io/GraphFiles.h"

#include <string>

class TGraph;

// The plain picture of the graph the writers read: nodes and connections by index.
GraphFileData GraphFileSnapshot(const TGraph& graph);

bool SaveGML(const TGraph& graph, const std::string& fileName, bool thinEdges, bool fixedNodeSize,
             const std::string& filter);
bool SavePajek(const TGraph& graph, const std::string& fileName);
bool SaveChaco(const TGraph& graph, const std::string& fileName);
bool SaveText(const TGraph& graph, const std::string& fileName);
