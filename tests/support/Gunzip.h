// Decompressing the gzipped logs in tests/data, for the tests and the benchmarks.
// Plain zlib only, so that programs without the test framework can use it.
#pragma once

#include <string>

// Writes the decompressed content of the gzip file source to target (replacing
// it). Throws std::runtime_error when source cannot be opened or is corrupt.
void GunzipFile(const std::string& source, const std::string& target);
