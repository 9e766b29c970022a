// A log record filled by hand instead of read from a file: the full channel
// schema with a chosen number of cycles, every leaf 0, the players standing apart
// as in a kick-off and the ball at the centre. Tests then set the values they
// need and run the analyses on it.
#pragma once

#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "support/ChannelValuesEqual.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The stored values of a leaf by full name; throws for a missing leaf or another type.
template <typename T>
ChannelValues<T>& LeafValues(RoboCupFileT& log, const std::string& fullName)
{
    auto* channel = dynamic_cast<DataTimeChannel<T>*>(log.stream->FindChannel(fullName));
    if (channel == nullptr)
        throw std::runtime_error("no " + std::string(ChannelTypeWord<T>::value) + " channel " + fullName);
    return channel->GetValues();
}

class HandFilledLog {
public:
    // n cycles; left player k at (-4k, 3k - 18), right player k at (4k, 18 - 3k).
    explicit HandFilledLog(int n);

    // Puts the object at (x, y) at every cycle.
    void Place(int object, double x, double y);
    // Moves the object by 0.5 in x at the last cycle, so that it counts as moving.
    void Nudge(int object) { X(object).back() += 0.5; }

    ChannelValues<double>& X(int object) { return Of<double>(object, "pos.x"); }
    ChannelValues<double>& Y(int object) { return Of<double>(object, "pos.y"); }
    // A leaf of an object by its path below the object ("calculated.speed").
    template <typename T>
    ChannelValues<T>& Of(int object, const std::string& path)
    {
        return LeafValues<T>(*log, ObjectName(object) + "." + path);
    }
    // A leaf by full name ("score.diff").
    template <typename T>
    ChannelValues<T>& Of(const std::string& fullName)
    {
        return LeafValues<T>(*log, fullName);
    }

    std::unique_ptr<RoboCupFileT> log;
};
