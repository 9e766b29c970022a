#include "core/expr/SeriesSource.h"

#include "core/expr/Expression.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"

namespace {

bool BasePoints(RoboCupFileT& log, const SeriesSource& source, XYPoints& points)
{
    if (!source.channel.empty()) {
        const TimeChannel* leaf = log.stream ? log.stream->FindChannel(source.channel) : nullptr;
        if (leaf == nullptr || !leaf->IsLeaf())
            return false;
        for (int t = 0; t < leaf->GetCount(); ++t) {
            points.x.push_back(t);
            points.y.push_back(leaf->GetValue(t));
        }
        return true;
    }
    LogExpression expression(log);
    if (!expression.Parse(source.expression).empty())
        return false;
    const auto point = [&](int c) {
        points.x.push_back(c);
        points.y.push_back(expression.EvaluateValue(c));
    };
    if (source.everyCycle) {
        for (int c = 0; c < log.cycles; ++c)
            point(c);
    } else {
        for (int c : source.cycles)
            point(c);
    }
    return true;
}

}  // namespace

bool SeriesSourcePoints(RoboCupFileT& log, const SeriesSource& source, XYPoints& points)
{
    points = {};
    if (!BasePoints(log, source, points)) {
        points = {};
        return false;
    }
    for (const SeriesSource::Block& block : source.blocks)
        points = BlockFunction(block.function, points.x, points.y, block.period);
    return true;
}
