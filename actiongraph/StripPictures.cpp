#include "actiongraph/StripPictures.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/GraphPrimitives.h"
#include "actiongraph/model/NeighbourStrip.h"
#include "core/concepts/Concepts.h"
#include "core/model/RoboCupFile.h"

#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kRowHeight = 20;
constexpr int kBarsLeft = 200;
constexpr int kLabelX = 5;

QColor Unpacked(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// The pixels from (left, top) up to but not including (right, bottom).
QRect Span(int left, int top, int right, int bottom) { return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)); }

// Text centred across the area, from its top, wrapped at word breaks; the
// area is the given one less a pixel at its left, top and right.
void DrawWrapped(QPainter& p, int left, int top, int right, int bottom, const QString& text)
{
    p.drawText(Span(left + 1, top + 1, right - 1, bottom), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, text);
}

// The bands of one side: one per connection, in the colour of the node at its
// other end.
void DrawBands(QPainter& p, const std::vector<TConnection*>& connections, bool incoming, int left, int right, int h,
               bool bw)
{
    const int n = static_cast<int>(connections.size());
    for (int i = 0; i < n; ++i) {
        const TConnection* c = connections[static_cast<std::size_t>(i)];
        const TNode* other = incoming ? c->From() : c->To();
        const auto [top, bottom] = StripBand(i, n, h);
        const ConceptObject* action = other && other->Data() ? other->Data()->action : nullptr;
        p.fillRect(Span(left, top, right, bottom), Unpacked(ActionCanvasColor(action, bw)));
        DrawWrapped(p, left, top, right, bottom, QString::fromStdString(StripBandText(other, c->Weight())));
    }
}

}  // namespace

QImage PaintNeighbourStrip(int w, int h, const TGraph* graph, const TNode* selected, bool bw, const QFont& font)
{
    if (w <= 0 || h <= 0)
        return {};
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Qt::black);
    if (selected == nullptr || graph == nullptr) {
        image.fill(Qt::white);
        p.drawText(QRect(0, 0, w, h), Qt::AlignCenter | Qt::TextSingleLine, "No node selected");
        return image;
    }
    const int third = w / 3;
    const int twoThirds = 2 * w / 3;
    p.fillRect(Span(third, 0, twoThirds, h), Qt::white);
    DrawWrapped(p, third, 0, twoThirds, h, QString::fromStdString(StripMiddleText(*graph, *selected)));
    DrawBands(p, selected->InList(), true, 0, third, h, bw);
    DrawBands(p, selected->OutList(), false, twoThirds, w, h, bw);
    return image;
}

void PaintTimelineRow(QPainter& canvas, int from, int to, const QRect& rect, const QColor& colour,
                      const std::vector<int>& cycles)
{
    canvas.fillRect(rect, QColor(192, 192, 192));
    const int right = rect.left() + rect.width();
    for (const auto& [x1, x2] : TimelineSpans(rect.left(), right, from, to, cycles))
        canvas.fillRect(Span(x1, rect.top() + 1, x2, rect.top() + rect.height() - 1), colour);
}

void PaintTimeline(QImage& image, const RoboCupFileT* log, const TNode* node,
                   const std::vector<std::string>& objectNames, ConceptObject* positions, const QFont& font)
{
    image.fill(Qt::white);
    if (image.isNull() || log == nullptr || node == nullptr || log->cycles <= 0)
        return;
    const int n = log->cycles;
    const int w = image.width();
    QPainter p(&image);
    p.setFont(font);
    const auto label = [&](int y, const std::string& text) {
        p.setPen(Qt::black);
        p.drawText(QRect(kLabelX, y, kBarsLeft - kLabelX, kRowHeight), Qt::AlignLeft | Qt::AlignTop,
                   QString::fromStdString(text));
    };
    label(5, node->GetName());
    PaintTimelineRow(p, 0, n, Span(kBarsLeft, 0, w, kRowHeight), Qt::red, NodeOccurrenceCycles(*node));

    std::vector<ConceptObject*> concepts;
    if (positions)
        ConceptObject::CollectConcepts(positions, &concepts, false);
    int r = 1;
    const int objects = std::min(static_cast<int>(objectNames.size()), RoboCupFileT::kObjectCount);
    for (int o = 0; o < objects; ++o)
        for (ConceptObject* area : concepts) {
            const int top = r * kRowHeight - 1;
            if (top >= image.height())
                return;  // the rest lies below the picture
            label(top + 5, objectNames[static_cast<std::size_t>(o)] + "." + ConceptObject::GetPathName(area));
            PaintTimelineRow(p, 0, n, Span(kBarsLeft, top, w, (r + 1) * kRowHeight), Qt::blue,
                             ConceptCycles(*log, o, *area));
            ++r;
        }
}
