// The log every load and read benchmark works on: the file named by
// VELOTRASK_BENCH_LOG (a plain .rcg or a .rcg.gz), or else the real full match of
// tests/data. A gzipped log is decompressed once into a temporary file that is
// removed when the benchmarks end.
#pragma once

#include <string>

const std::string& BenchLog();
// True when no log was named: the full match of tests/data, with its known cycles.
bool BenchLogIsTheFullMatch();
inline constexpr int kFullMatchCycles = 6659;

class RoboCupFileT;
// The program's concept hierarchies, built once for the whole benchmark run (their
// GML files go into a temporary folder) and freed at its end.
void BuildConceptHierarchiesOnce();
// The bench log loaded once (hierarchies built once), the whole load as the
// main window does it; freed at the end of the run.
RoboCupFileT& LoadedBenchLog();
// The bench log read once with its derived channels (no roles, no features), for
// benchmarks of what works on the channels alone; freed at the end of the run.
RoboCupFileT& ReadBenchLog();
