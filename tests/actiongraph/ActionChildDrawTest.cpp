#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"

#include "support/GuiApp.h"
#include "support/TestData.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

bool IsGrass(QRgb p) { return qRed(p) == 20 && qGreen(p) == 110 && qBlue(p) == 20; }

// Pixels where the picture shows a node, an arrow or a line: neither grass nor
// the white of the pitch lines.
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

}  // namespace

// The graph of the short real match, drawn in the window as the program
// shows it: sized to the picture area, zoomed and in black and white.
TEST(ActionChildDraw, RealMatchOnThePitch)
{
    EnsureGuiApp();
    {
        InTempDir dir("action-child-draw");
        CreateConceptHierarchies();
    }
    auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    auto window = std::make_unique<TMDIActionChild>(nullptr, log.get());
    TMDIChild::SelectAllPlayers(window->lbPlayers);
    window->BuildActionGraph(window->Graph);
    window->resize(900, 700);
    window->show();
    window->Image->resize(600, 300);  // the layout may have given it another size
    window->FormResize(nullptr);

    EXPECT_EQ(window->GraphView.Picture().Width(), 463);
    EXPECT_EQ(window->GraphView.Picture().Height(), 300);
    EXPECT_EQ(window->EditNumNodes->text().toInt(), window->Graph->NodeCount());
    QImage image = window->Image->pixmap().toImage();
    ASSERT_EQ(image.size(), QSize(463, 300));
    EXPECT_TRUE(IsGrass(image.pixel(60, 200))) << "grass in the left half, below the penalty area";
    EXPECT_EQ(image.pixel(231, 20), qRgb(255, 255, 255)) << "the halfway line meets the touch line";
    const int drawn = DrawnPixels(image);
    EXPECT_GT(drawn, 2000) << "nodes and arrows of " << window->Graph->NodeCount() << " nodes";
    // Zoom 2 doubles the pitch: the centre spot moves to the picture's bottom right.
    window->sbZoom->setValue(2);
    EXPECT_EQ(window->GraphView.Zoom(), 2);
    EXPECT_DOUBLE_EQ(window->GraphView.X(0), 463.0);
    window->sbZoom->setValue(1);

    window->cbBW->click();
    image = window->Image->pixmap().toImage();
    EXPECT_EQ(image.pixel(60, 200), qRgb(255, 255, 255)) << "a white pitch";
    EXPECT_EQ(image.pixel(231, 20), qRgb(200, 200, 200)) << "grey lines";

    window.reset();
    log.reset();
    FreeConceptHierarchies();
}
