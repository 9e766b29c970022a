// The pictures of the action-graph window's neighbour strip and timeline,
// painted into images from plain inputs; the window only shows them.
#pragma once

#include <QColor>
#include <QImage>

#include <string>
#include <vector>

class ConceptObject;
class QFont;
class QPainter;
class QRect;
class RoboCupFileT;
class TGraph;
class TNode;

// The neighbour strip, w x h pixels. Without a selected node: white with "No
// node selected" in the middle. With one: black, the middle third white with
// the node's text (StripMiddleText) centred and wrapped; in the left third a
// band per incoming connection in its source's action colour with the source's
// name and the weight, in the right third the same for the outgoing ones and
// their targets. bw takes the action colours in greys. A null image for a size
// without pixels.
QImage PaintNeighbourStrip(int w, int h, const TGraph* graph, const TNode* selected, bool bw, const QFont& font);

// One timeline row over the pixels of rect: the rect silver, then the spans of
// the cycles (TimelineSpans for the axis from .. to over the rect's width) in
// colour, one pixel inside the rect at top and bottom.
void PaintTimelineRow(QPainter& canvas, int from, int to, const QRect& rect, const QColor& colour,
                      const std::vector<int>& cycles);

// The timeline of a log into image (white first): row 0 the node's name and
// its occurrence cycles in red; then for every object of objectNames (object i
// named objectNames[i]) and every concept of positions that has an evaluator,
// in depth-first order, a row "<object>.<concept path>" with the cycles at
// which the object stands in the concept, in blue. Rows are 20 pixels high,
// labels at x = 5, bars from x = 200 to the image's right; the axis is the
// log's cycles. Rows below the image are neither worked out nor drawn. Nothing
// but white without a node or for a log without cycles.
void PaintTimeline(QImage& image, const RoboCupFileT* log, const TNode* node,
                   const std::vector<std::string>& objectNames, ConceptObject* positions, const QFont& font);
