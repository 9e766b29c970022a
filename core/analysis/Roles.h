// Player roles: every player's calculated.role channel holds, at every cycle, the
// handle of a role concept. In a normal match the role comes from the player's
// mean position over one game (the team's lines found by clustering the mean x);
// in a keepaway log it is the player's rank by distance to the ball at that cycle;
// with roles switched off it is the player's shirt-number concept.
#pragma once

class RoboCupFileT;
class ConceptObject;

// The work state of one role computation: means, assigned roles and the ordered
// clusters of one side. Each computation has its own.
struct RoleWorkState {
    static constexpr int kMaxClusters = 11;

    double meanX[23] = {};
    double meanY[23] = {};
    ConceptObject* role[23] = {};  // null while unassigned

    struct Cluster {
        double centre = 0.0;  // plain mean of the members' mean x
        int size = 0;
        int members[11] = {};
    };
    int clusterCount = 0;
    Cluster clusters[kMaxClusters];
};

// Clusters the players first + 1 .. first + 11 that have no role yet by their mean
// x: merges the closest pair of clusters (the first such pair on ties) while their
// centres are less than threshold apart, then orders the clusters by centre and
// each cluster's members by mean y. Returns the number of clusters, which are left
// in the state. The file is not consulted.
int ClusterPositions(RoboCupFileT* file, double threshold, int first, RoleWorkState& state);

// Writes the role channels of all 22 players over all cycles: shirt numbers when
// useNumbers is set, else role analysis (or ball-distance ranks in a keepaway
// log). A null file does nothing.
void CalculateRoles(RoboCupFileT* file, bool useNumbers);
