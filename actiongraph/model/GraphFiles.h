// The action graph written to files for outside graph tools (the formats are
// in core/io/GraphFiles.h). Each Save function creates or overwrites the file
// through the save routine and returns false, with the routine's reason in
// *error, when it could not be created or fully written.
#pragma once

#include "core/io/GraphFiles.h"
#include "platform/SaveFile.h"

#include <string>

class TGraph;

// The plain picture of the graph the writers read: nodes and connections by index.
GraphFileData GraphFileSnapshot(const TGraph& graph);

bool SaveGML(const TGraph& graph, const std::string& fileName, bool thinEdges, bool fixedNodeSize,
             const std::string& filter, platform::SaveError* error = nullptr);
bool SavePajek(const TGraph& graph, const std::string& fileName, platform::SaveError* error = nullptr);
bool SaveChaco(const TGraph& graph, const std::string& fileName, platform::SaveError* error = nullptr);
bool SaveText(const TGraph& graph, const std::string& fileName, platform::SaveError* error = nullptr);
