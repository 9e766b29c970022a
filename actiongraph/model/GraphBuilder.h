// Building an action graph from a log, without any window: every action event
// of the chosen objects becomes a connection from a start node to an end node,
// consecutive actions of one object share a node, passes are moved onto the
// receiver's next action and loose ends onto the action that follows them.
#pragma once

#include "actiongraph/model/NameDepths.h"

#include <array>
#include <string>

class ConceptObject;
class RoboCupFileT;
class TGraph;

// Which objects take part: object i when takingPart[i]; the ball (0) stands
// for all 23.
using TObjectChoice = std::array<bool, 23>;

// The role concept of the object at the cycle from its role channel; null for
// an object without role channel, a cycle outside it or a value naming no
// concept.
ConceptObject* RoleAt(const RoboCupFileT& log, int object, int cycle);
// "<role path>:<action path>", or "<object name>:<action path>" without a role,
// each path kept to its depth.
std::string ActionNodeName(int object, ConceptObject* role, ConceptObject* action, const TNameDepths& depths);

// Clears the graph and fills it from the log's events of the chosen objects
// (passes 1 to 3), naming the nodes at the depths. Nodes without connections
// are left for the caller.
void BuildActionGraph(const RoboCupFileT& log, const TObjectChoice& takingPart, const TNameDepths& depths,
                      TGraph& graph);

// "Nodes, degree <": one pass over the nodes by index removing each node whose
// in-weight + out-weight is below v. A removed node's neighbours later in the
// order are judged by their lowered degree. Returns the number removed.
int RemoveNodesWithDegreeBelow(TGraph& graph, int v);

// The first demonstration graph: twelve fixed nodes and twenty connections of
// one empty occurrence each, every node standing for the left "L-FW" role.
void BuildDemoGraph1(TGraph& graph);
// The second: a chain of n "Speed-dribble" actions of the left "L-FW" role,
// each (cycles - 1) / n cycles long, by players drawn from the program's random
// source, named at the depths. n <= 0 leaves the graph empty; n above
// cycles - 1 is refused (false, graph unchanged), as it would make actions of
// no length.
bool BuildDemoGraph2(const RoboCupFileT& log, int n, const TNameDepths& depths, TGraph& graph);
