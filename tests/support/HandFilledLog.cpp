#include "HandFilledLog.h"

#include <algorithm>
#include <cstdint>

HandFilledLog::HandFilledLog(int n) : log(CreateFileRecord("hand.rcg"))
{
    for (TimeChannel* leaf : log->stream->GetLeaves()) {
        for (int t = 0; t < n; ++t) {
            if (auto* c = dynamic_cast<DataTimeChannel<std::int8_t>*>(leaf))
                c->AddValue(0);
            else if (auto* s = dynamic_cast<DataTimeChannel<std::int16_t>*>(leaf))
                s->AddValue(0);
            else if (auto* l = dynamic_cast<DataTimeChannel<std::int32_t>*>(leaf))
                l->AddValue(0);
            else if (auto* d = dynamic_cast<DataTimeChannel<double>*>(leaf))
                d->AddValue(0.0);
        }
    }
    log->cycles = n;
    for (int k = 1; k <= 11; ++k) {
        Place(k, -4.0 * k, 3.0 * k - 18.0);
        Place(k + 11, 4.0 * k, 18.0 - 3.0 * k);
    }
}

void HandFilledLog::Place(int object, double x, double y)
{
    auto& xs = X(object);
    auto& ys = Y(object);
    std::fill(xs.begin(), xs.end(), x);
    std::fill(ys.begin(), ys.end(), y);
}
