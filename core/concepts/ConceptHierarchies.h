// The program's seven concept hierarchies and the concepts other parts of the
// program reach directly.
//
// The action and role hierarchies carry no evaluators: event recognition and
// role computation attach their concepts to players, so the hierarchies must
// exist before any log is converted. Their builders record the concepts used
// elsewhere in the co... pointers below, which stay null until the builder has
// run and are set back to null when the hierarchies are freed.
#pragma once

#include "core/concepts/Concepts.h"

// Roots of the seven hierarchies, built in this order and freed in the same order.
extern ConceptObject* g_positionConcepts;
extern ConceptObject* g_actionConcepts;
extern ConceptObject* g_roleConcepts;
extern ConceptObject* g_speedConcepts;
extern ConceptObject* g_ballRelativeConcepts;
extern ConceptObject* g_teamplayConcepts;
extern ConceptObject* g_relativeConcepts;

// Builds all seven hierarchies into the roots above (writing their GML files
// into the current folder). Frees any hierarchies built before. Returns the
// messages of the GML files that could not be written, for the user to see.
std::vector<std::string> CreateConceptHierarchies();
// Frees the seven hierarchies in the order they were built and sets the roots
// and every co... pointer back to null.
void FreeConceptHierarchies();

// Action hierarchy, root "Action"; writes "ActionConcepts.gml".
ConceptObject* CreateActionConcepts();
// Role hierarchy, root "Team"; writes "RoleConcepts.gml".
ConceptObject* CreateRoleConcepts();
// The single node "Teamplay"; neither numbered, weighted nor written.
ConceptObject* CreateTeamplayConcepts();

// Set the co... pointers of one hierarchy back to null (for a caller that frees
// a root it built itself).
void ClearActionConceptPointers();
void ClearRoleConceptPointers();

// Actions.
extern ConceptObject* coHold;
extern ConceptObject* coPassK2K3;
extern ConceptObject* coPassK2;
extern ConceptObject* coPassK3;
extern ConceptObject* coInterceptedPass;
extern ConceptObject* coMovement;
extern ConceptObject* coDefensiveMovement;
extern ConceptObject* coIntercept;
extern ConceptObject* coAreaOfTheField;
extern ConceptObject* coAnOpponent;
extern ConceptObject* coTracking;
extern ConceptObject* coPassingOn;
extern ConceptObject* coDefensiveSupport;
extern ConceptObject* coTackle;
extern ConceptObject* coOffensiveMovement;
extern ConceptObject* coCreatingSpace;
extern ConceptObject* coAttackSupport;
extern ConceptObject* coMovementOnTheBall;
extern ConceptObject* coControlDribble;
extern ConceptObject* coSpeedDribble;
extern ConceptObject* coLongDribble;
extern ConceptObject* coKick;
extern ConceptObject* coSuccessfulShoot;
extern ConceptObject* coPass;
extern ConceptObject* coToPlayer;
extern ConceptObject* coToSpace;
extern ConceptObject* coSquarePass;
extern ConceptObject* coCrossPass;
extern ConceptObject* coThroughBall;  // the node "Through-pass"
extern ConceptObject* coDiagonalThroughPass;
extern ConceptObject* coStraightThroughPass;
extern ConceptObject* coMiss;
extern ConceptObject* coUnsuccessfulShoot;
extern ConceptObject* coToOpponent;
extern ConceptObject* coSideline;
extern ConceptObject* coCorner;
extern ConceptObject* coGoalline;

// Roles; two-entry tables are indexed by side, 0 left and 1 right.
extern ConceptObject* coBall;
extern ConceptObject* coTeamNumber[2][11];  // shirt numbers 1..11 at 0..10
extern ConceptObject* coFieldPlayer[2];
extern ConceptObject* coLFW[2];
extern ConceptObject* coCFW[2];
extern ConceptObject* coLCFW[2];
extern ConceptObject* coRCFW[2];
extern ConceptObject* coRFW[2];
extern ConceptObject* coLMF[2];
extern ConceptObject* coCMF[2];
extern ConceptObject* coLCMF[2];
extern ConceptObject* coRCMF[2];
extern ConceptObject* coRMF[2];
extern ConceptObject* coLFB[2];
extern ConceptObject* coCFB[2];
extern ConceptObject* coLCFB[2];
extern ConceptObject* coRCFB[2];
extern ConceptObject* coRFB[2];
extern ConceptObject* coSW[2];
extern ConceptObject* coST[2];
extern ConceptObject* coGK[2];
