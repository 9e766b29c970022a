// The verdicts of the concept kinds the feature computation judges without
// asking their evaluator (regions, where the ball lies, value ranges, possession),
// and the packing of verdicts into a feature's column: byte k of a column holds
// eight features' verdicts for cycle k, feature f at bit f % 8.
#pragma once

#include <cstddef>
#include <cstdint>

class BasicEvaluator;
class RoboCupFileT;

// Where the verdicts of the fast kinds go: ORed straight into the packed bytes of
// their feature's column at bit `shift`, counting those that hold, without a
// byte per verdict in between.
struct PackedVerdicts {
    std::uint8_t* packed;
    int shift;
    int set = 0;

    void One(int k, bool holds)
    {
        packed[k] = static_cast<std::uint8_t>(packed[k] | (static_cast<unsigned>(holds) << shift));
        set += holds ? 1 : 0;
    }
    // Verdicts k .. k + 7 from the low eight bits of bits, verdict k in bit 0.
    void Eight(int k, unsigned bits);
};

// The verdicts over cycles first .. last - 1 of a square, circle, side-line or
// goal-line region at the positions xs, ys (0 where one is missing): what the
// evaluator's Holds says. False when the evaluator is of none of these kinds.
bool RegionVerdicts(const BasicEvaluator* evaluator, const double* xs, const double* ys, int first, int last,
                    PackedVerdicts& out);
// Where the ball lies from a player, from the positions the evaluator would read
// (the ball's as prepared for the features); never for the ball itself. False
// when the evaluator is not exactly of that kind or a position is missing.
bool BallSideVerdicts(const BasicEvaluator* evaluator, int object, const double* xs, const double* ys,
                      const double* ballXs, const double* ballYs, int first, int last, PackedVerdicts& out);
// lo <= value < hi for the values 0 .. n - 1 (a NaN holds nowhere).
void RangeVerdicts(double lo, double hi, const double* values, int n, PackedVerdicts& out);
// Whether a player holds the ball, as 0/1 bytes, from his stored possessor flags
// where the evaluator would read them so (unwindowed, every cycle there); never
// the ball. False when the evaluator is not exactly of that kind or must be asked
// itself.
bool HasBallVerdicts(const BasicEvaluator* evaluator, const RoboCupFileT& log, int object, int first, int last,
                     std::uint8_t* verdicts);
// ORs the 0/1 verdicts 0 .. n - 1, moved up to bit `shift`, into the packed bytes
// and returns how many hold.
int PackVerdicts(const std::uint8_t* verdicts, std::size_t n, int shift, std::uint8_t* packed);
