// The field picture: a top view of the pitch with the objects of one log over a
// time range. Painting is a function of plain inputs (the pixel rectangle the
// pitch is mapped onto, the options, the log and its time), so a picture can be
// made into an image and checked without a window; the field window only holds
// the images, shows a part of them and maps the mouse.
#pragma once

#include "core/model/Common.h"
#include "core/model/Pitch.h"

#include <QColor>
#include <QImage>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

class LogExpression;
class RoboCupFileT;
class TimeChannel;

// The three states of the boxes "Show numbers/roles" and "Big".
enum class TriState { Unchecked, Checked, Grayed };

// What the field window's boxes ask of the picture; the defaults are the boxes'
// initial states.
struct FieldOptions {
    static constexpr int kObjects = pitch::kObjectCount;
    static constexpr int kCenterFocus = pitch::kObjectCount;  // the item after the objects

    bool showPlayers = true;
    bool timeReduction = false;  // "20x range reduction"
    TriState showNumbers = TriState::Checked;  // checked: shirt numbers; grayed: role names
    bool nearestOpponent = false;
    bool centroid = false;
    bool showPath = false;
    bool fadePath = true;
    bool bodyAngle = true;
    bool headAngle = false;
    bool eventDesc = false;  // "Draw action concept"
    // "Draw action vector:" boxes.
    bool eventPass = false;
    bool eventDribble = false;
    bool eventIntercept = false;
    bool eventShoot = false;
    bool eventShootIntercept = false;
    bool eventOutside = false;
    bool clearField = true;  // unchecked: successive pictures pile up
    bool mark = false;       // ring around the focus object
    bool bw = false;         // black and white
    TriState big = TriState::Unchecked;
    bool customEvent = false;
    std::string eventText;  // the custom expression, or words to find in the keepaway label
    std::string fieldText;  // full name of the channel whose values are written beside marks
    int focusObject = kCenterFocus;  // 0..22 an object, 23 the pitch centre
    std::array<bool, kObjects> selected{};  // the objects drawn

    bool AnyKickEvent() const
    {
        return eventPass || eventDribble || eventIntercept || eventShoot || eventShootIntercept || eventOutside;
    }
};

// The time a picture shows: the current cycle and the range around it, both ends
// included.
struct FieldTime {
    int cycle = 0;
    int from = 0;
    int to = 0;
};

// The cycles drawn for every object: the whole range, or with the 20x reduction
// a twentieth of its larger side on either side of the cycle, inside the range.
struct CycleSpan {
    int first = 0;
    int last = 0;
};
CycleSpan DrawnRange(const FieldTime& time, bool timeReduction);

// Colours of the picture.
QColor FieldBackground(bool bw);  // dark green (20, 110, 20), or white
QColor FieldLines(bool bw);       // white, or grey (128, 128, 128)
// Ball white, left team blue, right team red; black, black and silver in black and white.
QColor ObjectColor(int object, bool bw);

// The empty pitch, filling the image, mapped onto the view: outline, half-way
// line, centre circle, penalty arcs and areas, goal areas, goals and spots.
void DrawPitch(QImage& pitch, const ViewRect& view, bool bw);

// The cycles a picture can show: the log's cycles, or fewer when the channels
// the picture reads hold fewer values (a record still being filled).
int DrawableCycles(const RoboCupFileT& log);

// What a redraw gives besides the picture.
struct FieldPaintResult {
    // Pixel of the zoom focus: the drawn position of the focus object, or the
    // pitch centre.
    double focusX = 0.0;
    double focusY = 0.0;
    // Whether every word of the expression box occurs in the keepaway label of
    // the shown cycle; set only when the box's colour is to change (custom event
    // unchecked, a text typed and an object drawn).
    std::optional<bool> labelMatch;
};

// Custom events parsed for one log, kept from picture to picture: a parse costs
// far more than a picture (with "PLAYER" one per object). All are forgotten as
// soon as the log's leaves change, so that channels added later are known and
// the "id_" constants stay right.
class CustomEventCache {
public:
    CustomEventCache();
    ~CustomEventCache();
    CustomEventCache(const CustomEventCache&) = delete;
    CustomEventCache& operator=(const CustomEventCache&) = delete;

    // The expression of the text parsed over the log as its channels stand now;
    // one that did not parse is not parsed (and draws nothing).
    LogExpression& For(RoboCupFileT& log, const std::string& text);

private:
    const RoboCupFileT* log_ = nullptr;
    std::uint64_t listsStamp_ = 0;  // of the log's stream when parsed_ was made
    std::map<std::string, std::unique_ptr<LogExpression>> parsed_;
};

// Paints the selected objects at the time into the field image, starting from a
// copy of the pitch when clearField is set. A log without cycles gives the pitch
// alone; a time outside the log is held inside it. Custom events are parsed
// through the cache when one is given, else afresh for this picture. Reads the
// log, never changes it.
FieldPaintResult PaintFieldPicture(QImage& field, const QImage& pitch, const ViewRect& view,
                                   const FieldOptions& options, RoboCupFileT& log, FieldTime time,
                                   CustomEventCache* events = nullptr);

// "<left score> - Time : <time>(<cycle>) - <right score>", then a line break and
// the play mode's name when the cycle holds one; empty for a log without cycles.
QString PlayModeCaption(const RoboCupFileT& log, int cycle);

// The top-left pixel of the shown part of a bitmap of bitmapW x bitmapH when a
// part of w x h is shown around the focus pixel: straight there, or with
// smooth set one fifth of the way from the previous scroll position, then held
// so that the part stays inside the bitmap.
struct ScrollPos {
    int x = 0;
    int y = 0;
};
ScrollPos ShownPart(double focusX, double focusY, ScrollPos previous, bool smooth, int w, int h, int bitmapW,
                    int bitmapH);
