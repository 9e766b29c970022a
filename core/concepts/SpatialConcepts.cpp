#include "core/concepts/SpatialConcepts.h"

#include "core/concepts/Concepts.h"
#include "core/concepts/Evaluators.h"

namespace {

constexpr bool kPrune = true;
constexpr bool kNoPrune = false;
constexpr bool kInPath = true;

// Creates a node, links it below its parent and sets its in-path flag.
ConceptObject* Add(ConceptObject* parent, const char* name, BasicEvaluator* evaluator, bool prune,
                   bool inPath = false)
{
    auto* node = new ConceptObject(name, evaluator, prune);
    parent->AddChild(node);
    node->SetInPath(inPath);
    return node;
}

BasicEvaluator* Rect(double x1, double y1, double x2, double y2, char mode = 0)
{
    return new SquareRegionEvaluator(x1, y1, x2, y2, mode);
}

BasicEvaluator* Speed(double lo, double hi) { return new SpeedEvaluator(3, lo, hi); }
BasicEvaluator* BallPos(int sx, int sy) { return new RelativePosEvaluator(sx, sy); }
BasicEvaluator* BallSpeed(double lo, double hi) { return new RelativeSpeedEvaluator(lo, hi); }
// The object's distance to the ball.
BasicEvaluator* BallDist(double lo, double hi) { return new RelativeDistEvaluator(lo, hi, 0, 0, false); }

}  // namespace

ConceptObject* CreatePositionConcepts()
{
    // The wings are the outer thirds of the pitch's width.
    constexpr double W = 34.0 - 68.0 / 3.0;

    auto* root = new ConceptObject("Field-area", Rect(-52.5, -34, 52.5, 34), kPrune);

    ConceptObject* vertical = Add(root, "Vertical-area", nullptr, kPrune);
    Add(vertical, "Left-wing", Rect(-52.5, -34, 52.5, -W), kPrune);
    Add(vertical, "Center-of-the-field", Rect(-52.5, -W, 52.5, W), kPrune);
    Add(vertical, "Right-wing", Rect(-52.5, W, 52.5, 34), kPrune);
    Add(vertical, "Left-half", Rect(-52.5, -34, 52.5, 0), kPrune);
    Add(vertical, "Right-half", Rect(-52.5, 0, 52.5, 34), kPrune);

    ConceptObject* horizontal = Add(root, "Horizontal-area", nullptr, kPrune);
    ConceptObject* defHalf = Add(horizontal, "Defending-half", Rect(-52.5, -34, 0, 34), kPrune, kInPath);
    ConceptObject* defThird = Add(defHalf, "Defending-third", Rect(-52.5, -34, -17.5, 34), kPrune, kInPath);
    Add(defThird, "Danger-zone", Rect(-52.5, -7.32, -36, 7.32), kPrune);
    Add(defThird, "Goal-box", Rect(-52.5, -9.16, -47, 9.16), kPrune);
    Add(defThird, "Penalty-box", Rect(-52.5, -15.16, -36, 15.16), kPrune);
    ConceptObject* attHalf = Add(horizontal, "Attacking-half", Rect(0, -34, 52.5, 34), kPrune, kInPath);
    ConceptObject* attThird = Add(attHalf, "Attacking-third", Rect(17.5, -34, 52.5, 34), kPrune, kInPath);
    Add(attThird, "Danger-zone", Rect(36, -7.32, 52.5, 7.32), kPrune);
    Add(attThird, "Goal-box", Rect(47, -9.16, 52.5, 9.16), kPrune);
    Add(attThird, "Penalty-box", Rect(36, -15.16, 52.5, 15.16), kPrune);
    ConceptObject* middle = Add(horizontal, "Middle-third", Rect(-17.5, -34, 17.5, 34), kPrune);
    Add(middle, "Center-circle", new CircleRegionEvaluator(0, 0, 9.1), kPrune);

    // Out of the field is not pruned: its test is the opposite of the root's.
    ConceptObject* out = Add(root, "Out-of-field", Rect(-52.5, -34, 52.5, 34, 1), kNoPrune);
    ConceptObject* bounds = Add(out, "Out-of-bounds", new SidelineEvaluator(true, true), kPrune);
    // These two names are kept as users know them from files and rules, although
    // "Right-sideline" lies on the side of "Left-wing".
    Add(bounds, "Right-sideline", new SidelineEvaluator(true, false), kPrune);
    Add(bounds, "Left-sideline", new SidelineEvaluator(false, true), kPrune);
    ConceptObject* goalline = Add(out, "Out-of-goalline", new GoallineEvaluator(true, true), kPrune);
    ConceptObject* ourSide = Add(goalline, "Our-side", new GoallineEvaluator(true, false), kPrune);
    Add(ourSide, "Our-goal", Rect(-54.9, -7.32, -52.5, 7.32), kPrune);
    ConceptObject* opponentSide = Add(goalline, "Opponent-side", new GoallineEvaluator(false, true), kPrune);
    Add(opponentSide, "Opponent-goal", Rect(52.5, -7.32, 54.9, 7.32), kPrune);

    return FinishHierarchy(root, "PositionConcepts.gml");
}

ConceptObject* CreateSpeedConcepts()
{
    auto* root = new ConceptObject("Speed", nullptr, kNoPrune);
    Add(root, "Stationary", Speed(0, 0.03), kPrune);
    ConceptObject* moving = Add(root, "Moving", Speed(0.03, 9999.99), kPrune);
    ConceptObject* slower = Add(moving, "Slower", Speed(0.03, 0.3), kPrune);
    Add(slower, "Slow", Speed(0.03, 0.1), kPrune);
    ConceptObject* medium = Add(slower, "Medium-speed", Speed(0.1, 0.3), kPrune);
    ConceptObject* faster = Add(moving, "Faster", Speed(0.1, 9999.99), kPrune);
    faster->AddChild(medium);
    Add(faster, "Fast", Speed(0.3, 9999.99), kPrune);

    return FinishHierarchy(root, "SpeedConcepts.gml");
}

ConceptObject* CreateBallRelativeConcepts()
{
    auto* root = new ConceptObject("BallRelative", nullptr, kNoPrune);
    Add(root, "Has-ball", new HasBallEvaluator, kNoPrune);

    ConceptObject* pos = Add(root, "Ball-pos", nullptr, kNoPrune);
    Add(pos, "Front", BallPos(-1, 0), kPrune);
    Add(pos, "Back", BallPos(1, 0), kPrune);
    Add(pos, "Left", BallPos(0, 1), kPrune);
    Add(pos, "Right", BallPos(0, -1), kPrune);

    ConceptObject* movement = Add(root, "Ball-movement", nullptr, kNoPrune);
    ConceptObject* incoming = Add(movement, "Incoming", BallSpeed(-999999, -0.3), kPrune);
    Add(incoming, "Incoming-slow", BallSpeed(-1, -0.3), kPrune);
    Add(incoming, "Incoming-fast", BallSpeed(-999999, -1), kPrune);
    ConceptObject* away = Add(movement, "Moving-away", BallSpeed(0.3, 999999), kPrune);
    Add(away, "Moving-away-slow", BallSpeed(0.3, 1), kPrune);
    Add(away, "Moving-away-fast", BallSpeed(1, 999999), kPrune);
    Add(movement, "Still", BallSpeed(-0.3, 0.3), kPrune);

    // The distance classes overlap in pairs: "Near" is short and medium, "Far"
    // medium and long.
    ConceptObject* dist = Add(root, "Ball-dist", nullptr, kNoPrune);
    ConceptObject* shortDist = Add(dist, "Short-distance", BallDist(0, 13), kPrune);
    Add(shortDist, "Immediate", BallDist(0, 5), kPrune);
    ConceptObject* near = Add(shortDist, "Near", BallDist(5, 13), kPrune);
    ConceptObject* mediumDist = Add(dist, "Medium-distance", BallDist(5, 30), kPrune);
    mediumDist->AddChild(near);
    ConceptObject* far = Add(mediumDist, "Far", BallDist(13, 30), kPrune);
    ConceptObject* longDist = Add(dist, "Long-distance", BallDist(13, 999999), kPrune);
    longDist->AddChild(far);
    Add(longDist, "Very-far", BallDist(30, 999999), kPrune);

    return FinishHierarchy(root, "BallRelativeConcepts.gml");
}
