// A log record of a given number of cycles whose position, possession and role
// channels hold a value for every cycle (all zero), so that a test can place
// objects cycle by cycle and judge situations without reading a log file.
#pragma once

#include "core/concepts/Evaluators.h"
#include "core/model/RoboCupFile.h"

#include <cstdint>
#include <memory>
#include <utility>

class FilledRecord {
public:
    explicit FilledRecord(int cycles) : file_(CreateFileRecord("filled.rcg"))
    {
        for (int o = 0; o < RoboCupFileT::kObjectCount; ++o) {
            for (int t = 0; t < cycles; ++t) {
                file_->posXChannel[o]->AddValue(0.0);
                file_->posYChannel[o]->AddValue(0.0);
                if (file_->possessorChannel[o] != nullptr)
                    file_->possessorChannel[o]->AddValue(0);
                if (file_->roleChannel[o] != nullptr)
                    file_->roleChannel[o]->AddValue(0);
            }
        }
        file_->cycles = cycles;
    }

    RoboCupFileT& File() { return *file_; }
    // Hands the record over to the caller.
    std::unique_ptr<RoboCupFileT> Take() { return std::move(file_); }

    void Place(int object, int cycle, double x, double y)
    {
        file_->posXChannel[object]->GetValues().at(cycle) = x;
        file_->posYChannel[object]->GetValues().at(cycle) = y;
    }
    // The same place at every cycle.
    void PlaceAlways(int object, double x, double y)
    {
        for (int t = 0; t < file_->cycles; ++t)
            Place(object, t, x, y);
    }
    void SetPossessor(int object, int cycle, std::int8_t flag)
    {
        file_->possessorChannel[object]->GetValues().at(cycle) = flag;
    }

    // The situation of the object at the cycle, its x and y taken from the channels
    // when the cycle lies in the log.
    BasicGameData At(int object, int cycle)
    {
        BasicGameData s;
        s.file = file_.get();
        s.cycle = cycle;
        s.object = object;
        if (object >= 0 && object < RoboCupFileT::kObjectCount && cycle >= 0 && cycle < file_->cycles) {
            s.x = file_->posXChannel[object]->GetValues()[cycle];
            s.y = file_->posYChannel[object]->GetValues()[cycle];
        }
        return s;
    }

private:
    std::unique_ptr<RoboCupFileT> file_;
};
