// The canvas operations on QPainter: arcs from start and end points, boxes whose
// right and bottom edges lie outside, frames in the brush colour and text
// anchored at its top-left corner.
#include "platform/qt/Canvas.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace {

QApplication& App()
{
    static int argc = 1;
    static char name[] = "platform_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app =
        qobject_cast<QApplication*>(QCoreApplication::instance()) ? qApp : new QApplication(argc, argv);
    return *app;
}

QImage Blank()
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

// The smallest rectangle around the pixels that are not black.
QRect Painted(const QImage& image)
{
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != QColor(Qt::black))
                r = r.united(QRect(x, y, 1, 1));
    return r;
}

}  // namespace

TEST(Canvas, ArcRunsCounterClockwiseFromTheStartRayToTheEndRay)
{
    const QRect box(0, 0, 40, 40);  // centre (20, 20)
    struct Case {
        QPoint start, end;
        int start16, span16;
    } cases[] = {
        {{40, 20}, {20, 0}, 0, 90 * 16},           // three o'clock up to twelve: a quarter
        {{20, 0}, {40, 20}, 90 * 16, 270 * 16},    // the other way round: three quarters
        {{0, 20}, {20, 40}, 180 * 16, 90 * 16},    // nine o'clock down to six
        {{30, 20}, {35, 20}, 0, 360 * 16},         // the same ray: the whole ellipse
        {{20, 40}, {40, 20}, 270 * 16, 90 * 16},    // six up to three
    };
    for (const auto& c : cases) {
        const platform::ArcAngles a = platform::ArcAnglesFromPoints(box, c.start, c.end);
        EXPECT_EQ(a.start16, c.start16) << c.start.x() << "," << c.start.y();
        EXPECT_EQ(a.span16, c.span16) << c.start.x() << "," << c.start.y();
    }
}

TEST(Canvas, BoxesLeaveTheirRightAndBottomEdgeOut)
{
    App();
    for (int shape = 0; shape < 4; ++shape) {
        QImage image = Blank();
        {
            platform::Canvas c(image);
            c.SetPenColor(Qt::white);
            c.SetBrushSolid(Qt::red);
            if (shape == 0)
                c.Rectangle(5, 6, 15, 20);
            else if (shape == 1)
                c.Ellipse(5, 6, 15, 20);
            else if (shape == 2)
                c.FillRect(5, 6, 15, 20);
            else
                c.FrameRect(5, 6, 15, 20);
        }
        EXPECT_EQ(Painted(image), QRect(QPoint(5, 6), QPoint(14, 19))) << shape;
    }
}

TEST(Canvas, FrameIsInTheBrushColourAndFillsNothing)
{
    App();
    QImage image = Blank();
    {
        platform::Canvas c(image);
        c.SetPenColor(Qt::white);
        c.SetBrushSolid(Qt::red);
        c.FrameRect(5, 5, 15, 15);
    }
    EXPECT_EQ(image.pixelColor(5, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::black));
}

TEST(Canvas, TextStandsBelowAndRightOfItsPointOnTheBrushOrOnWhatIsThere)
{
    App();
    QImage image = Blank();
    {
        platform::Canvas c(image);
        c.SetFontColor(Qt::white);
        c.SetBrushClear();
        c.TextOut(10, 12, "M");
    }
    const QRect text = Painted(image);
    EXPECT_GE(text.left(), 10);
    EXPECT_GE(text.top(), 12);
    EXPECT_LE(text.top(), 16);  // not hanging above its point as baseline text would

    QImage boxed = Blank();
    {
        platform::Canvas c(boxed);
        c.SetFontColor(Qt::white);
        c.SetBrushSolid(Qt::blue);
        c.TextOut(10, 12, "M");
    }
    EXPECT_EQ(boxed.pixelColor(10, 12), QColor(Qt::blue));  // the text's box is filled first
}
