// Tests compare a leaf's values with a plain vector of the expected numbers: the
// leaves keep theirs in a vector of another allocator, which the standard library
// does not compare with a plain one.
#pragma once

#include "core/model/DataTimeChannel.h"

#include <algorithm>
#include <vector>

template <typename T>
bool operator==(const ChannelValues<T>& values, const std::vector<T>& plain)
{
    return std::equal(values.begin(), values.end(), plain.begin(), plain.end());
}
