// Keepaway state variables: the distances and angles that describe a keepaway
// situation (three keepers, objects 1 to 3, keep the ball from two takers,
// objects 12 and 13). A range evaluator turns each variable into a concept test.
#pragma once

class BasicGameData;

// Codes for the arguments a and b of KeepawayFeature besides object indices.
constexpr int kKeepawayCentre = -1;       // the pitch centre (0, 0)
constexpr int kKeepawayNearerTaker = -2;  // the nearer of the two takers
constexpr int kKeepawayTakerAngle = -3;   // smaller angle at K1 towards the takers (b only)

// The value of one state variable for the situation (its log, cycle and object;
// its x and y are not used).
//
// Unsorted form, relative to the situation's object o (b unused): a == o gives
// 0.0; a = -2 the distance from o to the nearer taker; a = -1 the distance of o
// from the centre; otherwise the distance between a and o.
//
// Sorted form (the situation's object unused): keepers 1..3 become K1..K3 and
// takers 12, 13 become T1, T2 by their distance to the ball; then by b: -1 the
// distance of a from the centre, -2 the distance from a to the nearer taker,
// -3 the smaller angle at K1 between a and a taker, >= 0 the distance a to b.
//
// NaN (which holds no range) when the situation has no log or its cycle lies
// outside the log, or when an object index or code is outside the known ones.
double KeepawayFeature(const BasicGameData* situation, int a, int b, bool sorted);
// The same at the cycles first .. last - 1 of the situation (out[t - first]): the
// same numbers, the unsorted distances of a log read without a window taken
// straight from the positions.
void KeepawayFeatures(const BasicGameData& situation, int a, int b, bool sorted, int first, int last, double* out);

// Euclidean distance between objects i and j at the situation's cycle (NaN when
// an index or the cycle is outside the log).
double KeepawayObjectDistance(const BasicGameData* situation, int i, int j);

// Distance of object i from the pitch centre at the situation's cycle.
double KeepawayObjectNorm(const BasicGameData* situation, int i);

// Angle between the vectors (x1, y1) and (x2, y2) in degrees, 0 to 180. The
// cosine is clamped against rounding; a zero-length vector (a player standing
// exactly on the vertex) gives 0.0.
double VectorAngleDeg(double x1, double y1, double x2, double y2);
