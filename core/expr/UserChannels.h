// Expression channels: new leaves of a log holding an expression's value at
// every cycle. A definition "speed" = "sqrt(sqr(Ball.vel.dx) + sqr(Ball.vel.dy))"
// makes the leaf "user.speed"; a definition whose expression holds "PLAYER" is
// made once per player k = 1..22 with "PLAYER" replaced by the player's name,
// as "<player>.user.<name>". The new leaves are doubles read through the log's
// averaging window like every other leaf, take part in later
// expressions like any leaf, and live as long as the log.
#pragma once

#include "core/io/FieldsFile.h"

#include <functional>
#include <string>
#include <vector>

class RoboCupFileT;

// Why a field name cannot make a channel, or "" when it can: a name holds only
// letters, digits and "_", starts with a letter or "_", and the leaf it makes
// ("user.<name>", or for a player row "<player>.user.<name>" for every player)
// must not read, with "." as "_", like another leaf of the log.
std::string CheckFieldName(const RoboCupFileT& log, const std::string& name, bool playerRow);

// Makes or refreshes the channels of every definition on the log, in order. For
// each leaf: the wait text "Evaluating function '<leaf>=<expression>'", its
// values resized to the log's cycles (values there stay until overwritten), the
// stream's row header rebuilt, the expression parsed, then evaluated at every
// cycle in order and stored. An expression naming its own leaf reads the values
// from before this run at the evaluated cycle, and those just made at earlier
// ones (val). Through the core's hooks:
// - a bad name: its message (caption "Error"), a beep, nothing made for the row;
// - a refused expression: the parser's message ("Function evaluation error !")
//   and a beep; the row's remaining players are skipped (the leaf stays);
// - a player without its channel: "Player channel not found!" ("Error"), the
//   row's remaining players are skipped.
// Rows with neither name nor expression are skipped. afterLeaf (may be empty)
// runs after each leaf was computed: the window refreshes its channel tree.
// Returns the number of leaves computed.
int CreateUserChannels(RoboCupFileT& log, const std::vector<FieldDefinition>& fields,
                       const std::function<void()>& afterLeaf = {});
