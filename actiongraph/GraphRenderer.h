// Drawing an action graph over the pitch: nodes placed at the mean positions
// of the players their occurrences involve, then drawn in layers (time points,
// hulls of the time-marked positions, nodes with the selected node's
// occurrences, connections as arrows coloured by their action, names). The
// graph's node positions and drawn radii are written here; the radius is what
// the mouse hit test of the window works with.
#pragma once

#include "core/model/DataTimeChannel.h"

#include <array>
#include <string>
#include <vector>

class QImage;
class RoboCupFileT;
class TConnection;
class TGraph;
class TGraphView;
class TNode;

// The 23 objects' positions per cycle, read from a log's position channels.
class TObjectTracks {
public:
    TObjectTracks() = default;  // no log: no positions at all
    explicit TObjectTracks(const RoboCupFileT& log);
    // False, and nothing written, for an object or a cycle the log lacks.
    bool At(int object, int cycle, double& x, double& y) const;

private:
    std::array<const ChannelValues<double>*, 23> x_{};
    std::array<const ChannelValues<double>*, 23> y_{};
};

// The display controls a drawing follows.
struct TGraphDrawOptions {
    int alpha = 200;         // opacity of ordinary nodes and connections
    int emph = 250;          // opacity of the selection, hulls and marks
    bool thinEdges = false;  // every connection half-width 1
    bool smallNodes = false; // every node radius 2
    bool showNodes = true;
    bool showNames = false;
    bool timeSteps = false;  // occurrence trajectories
    bool fancyEdges = false; // hulls of the chosen objects at the time marks
    bool bw = false;         // grey action colours
    std::string filter;      // only connections whose source's name contains it
};

// What else a drawing reads besides the graph.
struct TGraphScene {
    TObjectTracks tracks;
    const std::vector<TConnection*>* path = nullptr;  // only these connections count, when given
    const TNode* selected = nullptr;
    std::vector<int> marks;           // time-marked cycles
    std::array<bool, 23> objects{};   // whose positions at the marks are hulled
    bool keepLayout = false;          // leave the nodes where they are
};

// Sets the node (every node when null) to the mean position of the other
// players of its occurrences: at the start of the outgoing ones, at the other
// player's last cycle of the incoming ones; occurrences without length and,
// with a path, connections off it do not count. A node without any keeps its
// position.
void PlaceNodes(TGraph& graph, const TObjectTracks& tracks, const std::vector<TConnection*>* path, TNode* node);

// The drawn radius in pixels: 2 with fixed-size nodes, 1 with nodes hidden,
// else trunc(sqrt(2 x weight) + 1).
int NodeRadius(const TNode& node, const TGraphDrawOptions& options);

// Draws the graph into the view's picture (which starts as the plain pitch)
// and returns what the window shows: the picture with the connections' names
// written on it. hideEdges leaves the connections out, hideSingle those of
// thickness 1.
QImage DrawGraph(TGraphView& view, TGraph& graph, const TGraphScene& scene, const TGraphDrawOptions& options,
                 bool hideEdges, bool hideSingle);
