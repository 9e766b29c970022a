#include "core/concepts/ConceptHierarchies.h"

#include "core/concepts/RelativeConcepts.h"
#include "core/concepts/SpatialConcepts.h"

#include <string>

// All program-wide concept pointers live here together, so that freeing the
// hierarchies can set every one of them back to null in one place.
ConceptObject* g_positionConcepts = nullptr;
ConceptObject* g_actionConcepts = nullptr;
ConceptObject* g_roleConcepts = nullptr;
ConceptObject* g_speedConcepts = nullptr;
ConceptObject* g_ballRelativeConcepts = nullptr;
ConceptObject* g_teamplayConcepts = nullptr;
ConceptObject* g_relativeConcepts = nullptr;

ConceptObject* coHold = nullptr;
ConceptObject* coPassK2K3 = nullptr;
ConceptObject* coPassK2 = nullptr;
ConceptObject* coPassK3 = nullptr;
ConceptObject* coInterceptedPass = nullptr;
ConceptObject* coMovement = nullptr;
ConceptObject* coDefensiveMovement = nullptr;
ConceptObject* coIntercept = nullptr;
ConceptObject* coAreaOfTheField = nullptr;
ConceptObject* coAnOpponent = nullptr;
ConceptObject* coTracking = nullptr;
ConceptObject* coPassingOn = nullptr;
ConceptObject* coDefensiveSupport = nullptr;
ConceptObject* coTackle = nullptr;
ConceptObject* coOffensiveMovement = nullptr;
ConceptObject* coCreatingSpace = nullptr;
ConceptObject* coAttackSupport = nullptr;
ConceptObject* coMovementOnTheBall = nullptr;
ConceptObject* coControlDribble = nullptr;
ConceptObject* coSpeedDribble = nullptr;
ConceptObject* coLongDribble = nullptr;
ConceptObject* coKick = nullptr;
ConceptObject* coSuccessfulShoot = nullptr;
ConceptObject* coPass = nullptr;
ConceptObject* coToPlayer = nullptr;
ConceptObject* coToSpace = nullptr;
ConceptObject* coSquarePass = nullptr;
ConceptObject* coCrossPass = nullptr;
ConceptObject* coThroughBall = nullptr;
ConceptObject* coDiagonalThroughPass = nullptr;
ConceptObject* coStraightThroughPass = nullptr;
ConceptObject* coMiss = nullptr;
ConceptObject* coUnsuccessfulShoot = nullptr;
ConceptObject* coToOpponent = nullptr;
ConceptObject* coSideline = nullptr;
ConceptObject* coCorner = nullptr;
ConceptObject* coGoalline = nullptr;

ConceptObject* coBall = nullptr;
ConceptObject* coTeamNumber[2][11] = {};
ConceptObject* coFieldPlayer[2] = {};
ConceptObject* coLFW[2] = {};
ConceptObject* coCFW[2] = {};
ConceptObject* coLCFW[2] = {};
ConceptObject* coRCFW[2] = {};
ConceptObject* coRFW[2] = {};
ConceptObject* coLMF[2] = {};
ConceptObject* coCMF[2] = {};
ConceptObject* coLCMF[2] = {};
ConceptObject* coRCMF[2] = {};
ConceptObject* coRMF[2] = {};
ConceptObject* coLFB[2] = {};
ConceptObject* coCFB[2] = {};
ConceptObject* coLCFB[2] = {};
ConceptObject* coRCFB[2] = {};
ConceptObject* coRFB[2] = {};
ConceptObject* coSW[2] = {};
ConceptObject* coST[2] = {};
ConceptObject* coGK[2] = {};

namespace {

// A node without evaluator, linked to its parent right away.
ConceptObject* Add(ConceptObject* parent, const std::string& name, bool prune = true)
{
    return parent->AddChild(new ConceptObject(name, nullptr, prune));
}

// A line of the formation ("FW", "MF" or "FB"): its left, centre and right
// positions, the centre split into left and right centre.
void AddLine(ConceptObject* fieldPlayer, const std::string& line, ConceptObject*& left, ConceptObject*& centre,
             ConceptObject*& leftCentre, ConceptObject*& rightCentre, ConceptObject*& right)
{
    ConceptObject* node = Add(fieldPlayer, line);
    left = Add(node, "L-" + line);
    centre = Add(node, "C-" + line);
    leftCentre = Add(centre, "LC-" + line);
    rightCentre = Add(centre, "RC-" + line);
    right = Add(node, "R-" + line);
}

void AddSideRoles(ConceptObject* side, int s)
{
    coFieldPlayer[s] = Add(side, "Field-player");
    AddLine(coFieldPlayer[s], "FW", coLFW[s], coCFW[s], coLCFW[s], coRCFW[s], coRFW[s]);
    AddLine(coFieldPlayer[s], "MF", coLMF[s], coCMF[s], coLCMF[s], coRCMF[s], coRMF[s]);
    AddLine(coFieldPlayer[s], "FB", coLFB[s], coCFB[s], coLCFB[s], coRCFB[s], coRFB[s]);
    coSW[s] = Add(coFieldPlayer[s], "SW");
    coST[s] = Add(coFieldPlayer[s], "ST");
    coGK[s] = Add(side, "GK");
}

// A side node of the role hierarchy: its name leads the paths below it.
ConceptObject* AddSide(ConceptObject* parent, const std::string& name)
{
    ConceptObject* side = Add(parent, name, false);
    side->SetInPath(true);
    return side;
}

void FreeRoot(ConceptObject*& root)
{
    delete root;
    root = nullptr;
}

}  // namespace

ConceptObject* CreateActionConcepts()
{
    auto* root = new ConceptObject("Action", nullptr, false);

    ConceptObject* keepaway = Add(root, "Keepaway");
    coHold = Add(keepaway, "Hold");
    coPassK2K3 = Add(keepaway, "Pass-K2K3");
    coPassK2 = Add(coPassK2K3, "Pass-K2");
    coPassK3 = Add(coPassK2K3, "Pass-K3");
    coInterceptedPass = Add(keepaway, "Intercepted-pass");

    coMovement = Add(root, "Movement");
    coDefensiveMovement = Add(coMovement, "Defensive-movement");
    coIntercept = Add(coDefensiveMovement, "Intercept");
    ConceptObject* cover = Add(coDefensiveMovement, "Cover");
    coAreaOfTheField = Add(cover, "Area-of-the-field");
    coAnOpponent = Add(cover, "An-opponent");
    coTracking = Add(coAnOpponent, "Tracking");
    coPassingOn = Add(coAnOpponent, "Passing-on");
    coDefensiveSupport = Add(cover, "Defensive-support");
    coTackle = Add(coDefensiveMovement, "Tackle");
    ConceptObject* undecided = Add(coMovement, "Undecided-movement");
    Add(undecided, "Run-for-ball");
    coOffensiveMovement = Add(coMovement, "Offensive-movement");
    ConceptObject* offTheBall = Add(coOffensiveMovement, "Movement-off-the-ball");
    coCreatingSpace = Add(offTheBall, "Creating-space");
    coAttackSupport = Add(offTheBall, "Attack-support");
    coMovementOnTheBall = Add(coOffensiveMovement, "Movement-on-the-ball");
    coControlDribble = Add(coMovementOnTheBall, "Control-dribble");
    coSpeedDribble = Add(coMovementOnTheBall, "Speed-dribble");
    coLongDribble = Add(coMovementOnTheBall, "Long-dribble");

    Add(root, "Catch");
    Add(root, "No-action");

    coKick = Add(root, "Kick");
    coSuccessfulShoot = Add(coKick, "Successful-shoot");
    coPass = Add(coKick, "Pass");
    coToPlayer = Add(coPass, "To-player");
    coToSpace = Add(coPass, "To-space");
    coSquarePass = Add(coToSpace, "Square-pass");
    coCrossPass = Add(coToSpace, "Cross-pass");
    coThroughBall = Add(coToSpace, "Through-pass");
    coDiagonalThroughPass = Add(coThroughBall, "Diagonal-through-pass");
    coStraightThroughPass = Add(coThroughBall, "Straight-through-pass");
    coMiss = Add(coKick, "Miss");
    coUnsuccessfulShoot = Add(coMiss, "Unsuccessful-shoot");
    coToOpponent = Add(coMiss, "To-opponent");
    coSideline = Add(coMiss, "Sideline");
    coCorner = Add(coMiss, "Corner");
    coGoalline = Add(coMiss, "Goalline");

    return FinishHierarchy(root, "ActionConcepts.gml");
}

ConceptObject* CreateRoleConcepts()
{
    auto* root = new ConceptObject("Team", nullptr, false);
    coBall = Add(root, "Ball");

    ConceptObject* numbers = Add(root, "Team-Numbers");
    const char* const sideNames[2] = {"LTeam", "RTeam"};
    for (int s = 0; s < 2; ++s) {
        ConceptObject* side = AddSide(numbers, sideNames[s]);
        for (int n = 0; n < 11; ++n)
            coTeamNumber[s][n] = Add(side, std::to_string(n + 1));
    }

    ConceptObject* roles = Add(root, "Team-Roles");
    ConceptObject* sides[2] = {AddSide(roles, sideNames[0]), AddSide(roles, sideNames[1])};
    for (int s = 0; s < 2; ++s)
        AddSideRoles(sides[s], s);

    return FinishHierarchy(root, "RoleConcepts.gml");
}

ConceptObject* CreateTeamplayConcepts()
{
    auto* root = new ConceptObject("Teamplay", nullptr, false);
    root->SetInPath(true);
    return root;
}

void ClearActionConceptPointers()
{
    for (ConceptObject** p :
         {&coHold, &coPassK2K3, &coPassK2, &coPassK3, &coInterceptedPass, &coMovement, &coDefensiveMovement,
          &coIntercept, &coAreaOfTheField, &coAnOpponent, &coTracking, &coPassingOn, &coDefensiveSupport, &coTackle,
          &coOffensiveMovement, &coCreatingSpace, &coAttackSupport, &coMovementOnTheBall, &coControlDribble,
          &coSpeedDribble, &coLongDribble, &coKick, &coSuccessfulShoot, &coPass, &coToPlayer, &coToSpace,
          &coSquarePass, &coCrossPass, &coThroughBall, &coDiagonalThroughPass, &coStraightThroughPass, &coMiss,
          &coUnsuccessfulShoot, &coToOpponent, &coSideline, &coCorner, &coGoalline})
        *p = nullptr;
}

void ClearRoleConceptPointers()
{
    coBall = nullptr;
    for (auto& side : coTeamNumber)
        for (ConceptObject*& number : side)
            number = nullptr;
    for (ConceptObject** table :
         {coFieldPlayer, coLFW, coCFW, coLCFW, coRCFW, coRFW, coLMF, coCMF, coLCMF, coRCMF, coRMF, coLFB, coCFB,
          coLCFB, coRCFB, coRFB, coSW, coST, coGK}) {
        table[0] = nullptr;
        table[1] = nullptr;
    }
}

std::vector<std::string> CreateConceptHierarchies()
{
    FreeConceptHierarchies();
    TakeHierarchyFileFailures();
    g_positionConcepts = CreatePositionConcepts();
    g_actionConcepts = CreateActionConcepts();
    g_roleConcepts = CreateRoleConcepts();
    g_speedConcepts = CreateSpeedConcepts();
    g_ballRelativeConcepts = CreateBallRelativeConcepts();
    g_teamplayConcepts = CreateTeamplayConcepts();
    g_relativeConcepts = CreateRelativeConcepts();
    return TakeHierarchyFileFailures();
}

void FreeConceptHierarchies()
{
    FreeRoot(g_positionConcepts);
    FreeRoot(g_actionConcepts);
    FreeRoot(g_roleConcepts);
    FreeRoot(g_speedConcepts);
    FreeRoot(g_ballRelativeConcepts);
    FreeRoot(g_teamplayConcepts);
    FreeRoot(g_relativeConcepts);
    ClearActionConceptPointers();
    ClearRoleConceptPointers();
}
