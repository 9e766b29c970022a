// Expression channels: new leaves of a log holding an expression's value at
// every cycle. A definition "speed" = "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"
// makes the leaf "user.speed"; a definition whose expression holds "PLAYER" is
// made once per player k = 1..22 with "PLAYER" replaced by the player's name,
// as "<player>.user.<name>". The new leaves are doubles read through the log's
// averaging window like every other leaf, take part in later
// expressions like any leaf, and live as long as the log.
#pragma once

#include "core/io/FieldsFile.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class RoboCupFileT;
class TLogNames;

// Why a field name cannot make a channel, or "" when it can: a name holds only
// letters, digits and "_", starts with a letter or "_", and the leaf it makes
// ("user.<name>", or for a player row "<player>.user.<name>" for every player)
// must not read, with "." as "_", like another leaf of the log. The names are
// made for the log's stream as it is now: no walk over every leaf, which a
// file of thousands of rows would make for each row.
std::string CheckFieldName(const TLogNames& names, const RoboCupFileT& log, const std::string& name, bool playerRow);

// A row that made no channel: the whole row, or a player row from one player on.
struct FieldRefusal {
    std::size_t row = 0;  // index into the definitions, from 0
    std::string name;     // the row's field name
    std::string player;   // the player whose expression was refused; "" for the row as typed
    std::string reason;   // the guard's, the parser's or the name check's message
};

// The one message about all refused rows: how many, then the first ten, a line
// each with the row counted from 1 ('row 3 "bad": Syntax error: ...',
// 'row 7 "pl", PLAYER = Lplayer10: Expression too long'), then how many more.
std::string DescribeRefusals(const std::vector<FieldRefusal>& refused);

struct UserChannelsRun {
    int computed = 0;  // leaves computed and kept
    std::vector<FieldRefusal> refused;  // in the order of the rows
    bool cancelled = false;  // cancelled asked to stop: the rows after it were not looked at
};

// Makes or refreshes the channels of every definition on the log, in order. For
// each leaf: the wait text "Evaluating function '<leaf>=<expression>'", the leaf
// made when there is none and put into the stream's lists, the expression
// parsed, then the values resized to the log's cycles (values there stay until
// overwritten), evaluated at every cycle in order and stored; a cycle whose
// evaluation fails (division by zero, a root or logarithm out of range) stores
// not-a-number, left out of the leaf's min and max. An expression
// naming its own leaf reads the values from before this run at the evaluated
// cycle, and those just made at earlier ones (val). The stream's row header is
// rebuilt once at the end. A row looks names up without a walk over every
// leaf, so a file's rows take time about in proportion to their number.
// A refused row makes no channel and is told in the result, never shown here:
// - a refused expression: the guard's refusal of the text as typed or of any
//   player's text (PLAYER replaced) leaves the whole row out; the parser's
//   refusal removes the leaf made for it (and a "user" node made for it); an
//   existing leaf of that name keeps its values. A player row stops at the
//   refused player; the leaves computed for the players before it stay.
// - a bad name (CheckFieldName), a player without its channel, a name that is
//   a group or holds no doubles: nothing made from there on.
// Rows with neither name nor expression are skipped. afterLeaf (may be empty)
// runs after each leaf was computed: the window refreshes its channel tree.
// cancelled (may be empty) is asked before each leaf and every 1024 cycles of
// one: when it says so the command ends, the row in work is taken back for
// every player it was computed for in this run (a new leaf removed, an existing
// one given its values back; afterLeaf is not called again) and the rows
// finished before it stay.
UserChannelsRun CreateUserChannels(RoboCupFileT& log, const std::vector<FieldDefinition>& fields,
                                   const std::function<void()>& afterLeaf = {},
                                   const std::function<bool()>& cancelled = {});
