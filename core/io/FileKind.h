// What a file is before it is read as a match log.
#pragma once

#include <string>

// True when the file starts with the two bytes of a gzip stream (the soccer
// server can write its logs compressed, as ".rcg.gz").
bool LooksGzipped(const std::string& fileName);
