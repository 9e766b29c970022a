// What the action-graph window holds besides its controls, with no widget in
// it: the graph and its selected node, the path list, the view of the pitch
// (surfaces, zoom, pan and transform) with the last mouse position, the
// weights of the node distance and the depths the window names at. TMDIActionChild inherits it and binds its
// controls to it.
#pragma once

#include "actiongraph/GraphView.h"
#include "actiongraph/model/Paths.h"

#include <chrono>

class TGraph;
class TNode;

struct TActionGraphState {
    // The items of cbPaths: sorted by text, "All" without a path.
    TPathList Paths;

    TGraph* Graph = nullptr;  // the window's own graph, owned by the window
    TNode* SelectedNode = nullptr;
    // The picture and pitch surfaces, the zoom, the pan and the view transform.
    TGraphView GraphView;
    int LastMouseX = 0;
    int LastMouseY = 0;
    // The weights of the node distance; 0.0 until the first join loads them.
    double AttrW = 0.0;
    double RoleW = 0.0;
    double ActionW = 0.0;
    double FeatW = 0.0;
    // The depths of the action and role hierarchies that the window's names
    // keep: those its bars last applied, all levels until then. Whatever the
    // window names (its graph, joins, paths, datasets, the strategy window's
    // grid) names at these, never at another window's.
    TNameDepths Depths;
    bool ReLayout = false;  // set by "R", read by the drawing
    // The least time between two pictures of the graph shrinking in a join.
    std::chrono::milliseconds LightRedrawInterval{100};
};
