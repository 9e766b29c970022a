// What a file is before it is read as a match log.
#pragma once

#include <string_view>

// True when the bytes start as a gzip stream does (the soccer server can write
// its logs compressed, as ".rcg.gz").
bool LooksGzipped(std::string_view bytes);
