#include "ui/TimeSource.h"

void TTimeSource::Push(RoboCupFileT* log, int cycle, int from, int to)
{
    log_ = log;
    cycle_ = cycle;
    from_ = from;
    to_ = to;
    emit TimeChanged(log, cycle, from, to);
}

void TTimeSource::Forget(const RoboCupFileT* log)
{
    if (log_ == log)
        log_ = nullptr;
}

TTimeSource& TimeSource()
{
    // Never destroyed: windows that go at the program's end may still
    // disconnect from it.
    static TTimeSource* source = new TTimeSource;
    return *source;
}
