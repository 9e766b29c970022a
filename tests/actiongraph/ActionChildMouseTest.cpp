#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/NodeView.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/Clock.h"

#include "support/GuiApp.h"
#include "support/TestData.h"

#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

bool IsGrass(QRgb p) { return qRed(p) == 20 && qGreen(p) == 110 && qBlue(p) == 20; }

// Pixels that are neither grass nor line white: nodes, arrows, names.
int DrawnPixels(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            n += !IsGrass(p) && p != qRgb(255, 255, 255) ? 1 : 0;
        }
    return n;
}

// The short real match's graph in a shown window, its picture 463 x 300.
class ActionChildMouse : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        {
            InTempDir dir("action-child-mouse");
            CreateConceptHierarchies();
        }
        log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
        window = std::make_unique<TMDIActionChild>(nullptr, log.get());
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->BuildActionGraph(window->Graph);
        window->resize(900, 700);
        window->show();
        window->Image->resize(600, 300);
        window->FormResize(nullptr);
    }
    void TearDown() override
    {
        window.reset();
        FreeConceptHierarchies();
    }
    void Mouse(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int x, int y,
               Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QPointF at(x, y);
        QMouseEvent event(type, at, window->Image->mapToGlobal(at), button, buttons, modifiers);
        QCoreApplication::sendEvent(window->Image, &event);
    }
    void Click(int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, x, y, modifiers);
        Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, x, y, modifiers);
    }
    QImage Shown() const { return window->Image->pixmap().toImage(); }
    // The pixel of a node with at least one outgoing and one incoming
    // connection that no earlier node covers.
    int PickNode(int& x, int& y) const
    {
        const TGraph& g = *window->Graph;
        for (int i = 0; i < g.NodeCount(); ++i) {
            const TNode* n = g.GetNode(i);
            x = static_cast<int>(std::trunc(window->GraphView.X(n->GetX())));
            y = static_cast<int>(std::trunc(window->GraphView.Y(n->GetY())));
            if (!n->OutList().empty() && !n->InList().empty() &&
                HitNode(g, window->GraphView.View(), x, y, false) == i)
                return i;
        }
        return -1;
    }

    std::unique_ptr<RoboCupFileT> log;
    std::unique_ptr<TMDIActionChild> window;
};

}  // namespace

TEST_F(ActionChildMouse, ALeftClickSelectsTheNodeUnderIt)
{
    int x = 0;
    int y = 0;
    const int i = PickNode(x, y);
    ASSERT_GE(i, 0);
    TNode* node = window->Graph->GetNode(i);
    const int full = DrawnPixels(Shown());
    Mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, x + 1, y);
    EXPECT_EQ(window->SelectedNode, node);
    EXPECT_EQ(node->GetColour(), TNode::kSelectedColour);
    // While the button is down the connections are left out.
    const int pressed = DrawnPixels(Shown());
    EXPECT_LT(pressed, full);
    Mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, x + 1, y);
    EXPECT_GT(DrawnPixels(Shown()), pressed);
    EXPECT_EQ(window->SelectedNode, node);

    // A click on the margin, where no node lies, clears the selection.
    ASSERT_EQ(HitNode(*window->Graph, window->GraphView.View(), 2, 2, false), -1);
    Click(2, 2);
    EXPECT_EQ(window->SelectedNode, nullptr);
    EXPECT_EQ(node->GetColour(), TNode::kDefaultColour);
}

TEST_F(ActionChildMouse, AltClickRanksTheNodesFeatures)
{
    int x = 0;
    int y = 0;
    ASSERT_GE(PickNode(x, y), 0);
    EXPECT_FALSE(window->sgFeatures->isVisibleTo(window.get()));
    Click(x, y, Qt::AltModifier);
    ASSERT_NE(window->SelectedNode, nullptr);
    EXPECT_TRUE(window->sgFeatures->isVisibleTo(window.get()));
    ASSERT_GT(window->sgFeatures->rowCount(), 2);
    const double first = window->sgFeatures->item(0, 2)->text().toDouble();
    const double second = window->sgFeatures->item(1, 2)->text().toDouble();
    EXPECT_GE(first, second);
    EXPECT_GT(first, 0.0);
    EXPECT_GT(window->sgFeatures->item(0, 1)->text().toInt(), 0);
}

TEST_F(ActionChildMouse, TheRightButtonPansThePitchAndReleaseDrawsTheGraphThere)
{
    const QImage before = Shown();
    const TNode* n = window->Graph->GetNode(0);
    const double x0 = window->GraphView.X(n->GetX());
    Mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, 200, 150);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 190, 146);
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::RightButton, 180, 140);
    EXPECT_EQ(window->GraphView.PanX(), 20);
    EXPECT_EQ(window->GraphView.PanY(), 10);
    // Only the pitch is shown while dragging.
    EXPECT_EQ(Shown(), window->GraphView.Pitch().ToImage().convertToFormat(Shown().format()));
    Mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, 180, 140);
    EXPECT_NE(Shown(), before);
    EXPECT_DOUBLE_EQ(window->GraphView.X(n->GetX()), x0 - 20);
    EXPECT_GT(DrawnPixels(Shown()), 2000);
    // A move without the right button does not pan.
    Mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, 100, 100);
    EXPECT_EQ(window->GraphView.PanX(), 20);
}

TEST_F(ActionChildMouse, ExampleCyclesShowTheBallInTheirClassColours)
{
    platform::SetClock([] { return std::int64_t{5000}; });
    const TGraphView& view = window->GraphView;
    auto ballPixel = [&](int t) {
        return QPoint(static_cast<int>(view.X(log->posXChannel[0]->GetValues()[static_cast<std::size_t>(t)])),
                      static_cast<int>(view.Y(log->posYChannel[0]->GetValues()[static_cast<std::size_t>(t)])));
    };
    // Two cycles far apart, classes 1 (red) and 6 (blue), no jitter.
    int a = 100;
    int b = 100;
    while (b < log->cycles - 1 && (ballPixel(b) - ballPixel(a)).manhattanLength() < 40)
        ++b;
    ASSERT_LT(b, log->cycles - 1);
    window->sbEmphasize->setValue(255);
    window->DrawExampleCycles({a, b}, {1, 6 + 22}, nullptr, 0);
    const QImage shown = Shown();
    // The dots' centres carry the hull's edge (black at a third of the opacity) too.
    const QRgb red = shown.pixel(ballPixel(a));
    const QRgb blue = shown.pixel(ballPixel(b));
    EXPECT_TRUE(qRed(red) >= 160 && qGreen(red) < 10 && qBlue(red) < 10) << std::hex << red;
    EXPECT_TRUE(qBlue(blue) >= 160 && qRed(blue) < 10 && qGreen(blue) < 10) << std::hex << blue;
    // Nothing of the graph: the rest is the pitch (the hull of two points is a line).
    const QImage pitch = view.Pitch().ToImage().convertToFormat(shown.format());
    int changed = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            changed += shown.pixel(x, y) != pitch.pixel(x, y);
    EXPECT_GT(changed, 40);
    EXPECT_LT(changed, 400);
    // The second cycles: small black dots.
    const std::vector<int> second = {b};
    window->DrawExampleCycles({}, {}, &second, 0);
    const QRgb black = Shown().pixel(ballPixel(b));
    EXPECT_TRUE(qRed(black) < 10 && qGreen(black) < 10 && qBlue(black) < 10) << std::hex << black;
    // No cycles at all: the plain pitch.
    window->DrawExampleCycles({}, {}, nullptr, 4);
    EXPECT_EQ(Shown(), pitch);
    platform::SetClock(nullptr);
}
