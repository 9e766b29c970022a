// Work that splits into independent pieces (one object's channels, one range of
// cycles) runs on a small pool of threads kept for the life of the program. Every
// piece writes only its own outputs, so the result is the same whatever the number
// of threads and whatever order the pieces run in; a machine with one core runs
// every piece on the calling thread.
#pragma once

#include <functional>

// The threads a parallel step may use, the calling one included: the machine's
// cores unless set otherwise (at least 1).
int WorkerThreads();
// Sets that number; 0 (or less) goes back to the machine's cores. Meant for tests
// that compare a single-threaded load with a parallel one, and for a user's cap.
void SetWorkerThreads(int threads);

// Runs task(i) once for every i in [0, count) and returns when all have run. The
// calling thread takes pieces too; progress (may be empty) is called on the calling
// thread only, with the number of pieces finished so far, after each piece it ran
// and once at the end with count. The first exception a piece throws is thrown here
// after every piece has run; a worker thread that cannot start throws
// std::bad_alloc before any piece runs. A call made from inside a piece, or while
// another thread's call holds the pool, runs its pieces on the calling thread.
void ParallelFor(int count, const std::function<void(int)>& task, const std::function<void(int)>& progress = {});
