// Whether a strategy node stands for an end of its path, as the matching of
// nodes sees it: a node is never near one whose end flag differs.
#pragma once

#include "core/learning/StrategyChunk.h"

inline bool IsEndChunk(const StrategyChunk& chunk)
{
    const StrategyChunk end("", nullptr, nullptr, chunk.GetX(), chunk.GetY(), 0.0, true);
    return StrategyChunk::Distance(chunk, end, 1.0, 0.0, 0.0) == 0.0;
}
