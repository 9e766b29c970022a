// The field window driven as a user does, offscreen, on a real match: its
// controls, the redraw on every option, folding the panel, zoom, the mouse
// read-out, saving the picture and following the main window's time.
#include "ui/childFieldWin.h"
#include "UiTestMain.h"

#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/SaveFailure.h"
#include "support/TestData.h"
#include "ui/FormControls.h"
#include "ui/main.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char kShort[] = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

class FieldWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApp();
        dir_ = new InTempDir("fieldwindow");
        CreateConceptHierarchies();
        match_ = LoadLog(GunzippedTestFile(kShort), true).release();
    }
    static void TearDownTestSuite()
    {
        delete match_;
        FreeConceptHierarchies();
        delete dir_;
    }

    void SetUp() override
    {
        area.resize(1200, 900);
        area.show();
        window = new TMDIFieldChild(&area, match_);
        TMDIChild::SelectAllPlayers(window->lbPlayers);
        window->SetTimeRange(40, 20, 60);
        window->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A mouse event on the picture at its pixel (x, y).
    void Mouse(QEvent::Type type, int x, int y)
    {
        const QPointF at(x, y);
        QMouseEvent event(type, at, window->Image->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : Qt::RightButton,
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(window->Image, &event);
    }
    // The picture pixel of a pitch point as the window shows it now.
    QPoint Shown(double x, double y) const
    {
        return QPoint(static_cast<int>(window->View.FieldToViewX(x)) - window->ScrollX,
                      static_cast<int>(window->View.FieldToViewY(y)) - window->ScrollY);
    }

    static inline InTempDir* dir_ = nullptr;
    static inline RoboCupFileT* match_ = nullptr;
    QMdiArea area;
    TMDIFieldChild* window = nullptr;
};

}  // namespace

TEST_F(FieldWindowTest, NewWindowHasTheFormsControlsInTheirFirstStates)
{
    struct Box {
        QCheckBox* box;
        const char* caption;
        Qt::CheckState state;
    } boxes[] = {
        {window->cbDynamicTimeRange, "Dynamic time range", Qt::Checked},
        {window->cbTimeReduction, "20x range reduction", Qt::Unchecked},
        {window->cbShowPlayers, "Show players", Qt::Checked},
        {window->cbShowNumbers, "Show numbers/roles", Qt::Checked},
        {window->cbNearestOpponent, "Nearest opponent", Qt::Unchecked},
        {window->cbCentroid, "Draw centroids", Qt::Unchecked},
        {window->cbShowPath, "Show path", Qt::Unchecked},
        {window->cbFadePath, "Fade path", Qt::Checked},
        {window->cbBodyAngle, "Show body angle", Qt::Checked},
        {window->cbHeadAngle, "Show head angle", Qt::Unchecked},
        {window->cbEventDesc, "Draw action concept", Qt::Unchecked},
        {window->cbClearField, "Clear field", Qt::Checked},
        {window->cbEventDribble, "Dribble", Qt::Unchecked},
        {window->cbEventPass, "Pass", Qt::Unchecked},
        {window->cbEventIntercept, "Intercepted Pass", Qt::Unchecked},
        {window->cbEventShoot, "Shoot", Qt::Unchecked},
        {window->cbEventShootIntercept, "Intercepted shoot", Qt::Unchecked},
        {window->cbEventOutside, "Kick outside", Qt::Unchecked},
        {window->cbZoom, "Zoom 2x     Focus:", Qt::Unchecked},
        {window->cbSlowFocus, "Smooth zoom focus", Qt::Unchecked},
        {window->cbMark, "Mark", Qt::Unchecked},
        {window->cbBW, "BW", Qt::Unchecked},
        {window->cbBig, "Big", Qt::Unchecked},
        {window->cbCustomEvent, "Use custom exspression event:", Qt::Unchecked},
    };
    for (const Box& b : boxes) {
        EXPECT_EQ(b.box->text(), b.caption);
        EXPECT_EQ(b.box->checkState(), b.state) << b.caption;
    }
    EXPECT_TRUE(window->cbShowNumbers->isTristate());
    EXPECT_TRUE(window->cbBig->isTristate());
    EXPECT_EQ(window->GroupActionVector->title(), "  Draw action vector:  ");
    EXPECT_EQ(window->cbZoomFocus->count(), 24);
    EXPECT_EQ(window->cbZoomFocus->currentText(), "Center");
    EXPECT_EQ(window->btnSave->text(), "Save field");
    EXPECT_EQ(window->btnSave->toolTip(), "Save an image of the field ");
    EXPECT_EQ(window->PanelShowHide->toolTip(), "Show/hide panel");
    EXPECT_EQ(window->LabelXY->text(), "LabelXY");
    EXPECT_EQ(window->ChartPanel->height(), 110);
    EXPECT_EQ(window->lbPlayers->width(), 65);
    // The picture fills the rest of the window and shows the current time.
    EXPECT_EQ(window->FieldBitmap.size(), window->Image->size());
    EXPECT_EQ(window->PanelPlayMode->text(), PlayModeCaption(*match_, 40));
}

TEST_F(FieldWindowTest, EveryOptionRedraws)
{
    QWidget* options[] = {window->cbTimeReduction, window->cbShowPlayers, window->cbShowNumbers,
                          window->cbNearestOpponent, window->cbCentroid, window->cbShowPath, window->cbFadePath,
                          window->cbBodyAngle, window->cbHeadAngle, window->cbEventDesc, window->cbEventDribble,
                          window->cbEventPass, window->cbEventIntercept, window->cbEventShoot,
                          window->cbEventShootIntercept, window->cbEventOutside, window->cbMark, window->cbBW,
                          window->cbBig, window->cbZoom};
    int cycle = 100;
    for (QWidget* option : options) {
        // A cycle stored without a redraw shows only once the option redraws.
        window->Cycle = ++cycle;
        static_cast<QCheckBox*>(option)->click();
        EXPECT_EQ(window->PanelPlayMode->text(), PlayModeCaption(*match_, cycle)) << option->objectName().toStdString();
    }
    window->Cycle = 225;
    window->cbZoomFocus->setCurrentIndex(0);
    EXPECT_EQ(window->PanelPlayMode->text(), "0 - Time : 146(225) - 1\nkick_off_l");
    window->Cycle = 226;
    window->lbPlayers->item(3)->setSelected(false);
    EXPECT_EQ(window->PanelPlayMode->text(), PlayModeCaption(*match_, 226));
    // Words that are all in the shown keepaway label turn the expression box green.
    window->EditEvent->setText("( )");
    window->Redraw();
    EXPECT_EQ(window->EditEvent->palette().color(QPalette::Base), QColor(0, 128, 0));
    window->EditEvent->setText("nosuchconcept");
    window->Redraw();
    EXPECT_NE(window->EditEvent->palette().color(QPalette::Base), QColor(0, 128, 0));
    // The custom marks redraw as their box is checked and their texts typed.
    window->Cycle = ++cycle;
    window->cbCustomEvent->click();
    EXPECT_EQ(window->PanelPlayMode->text(), PlayModeCaption(*match_, cycle));
    for (QLineEdit* edit : {window->EditEvent, window->EditField}) {
        window->Cycle = ++cycle;
        edit->setText("Ball.pos.x > 0");
        EXPECT_EQ(window->PanelPlayMode->text(), PlayModeCaption(*match_, cycle)) << edit->objectName().toStdString();
    }
}

TEST_F(FieldWindowTest, PanelFoldsToAStripAndBack)
{
    const int pictureWidth = window->Image->width();
    window->PanelShowHide->clicked();
    EXPECT_TRUE(window->lbPlayers->isHidden());
    EXPECT_EQ(window->ChartPanel->width(), 5);
    EXPECT_GT(window->Image->width(), pictureWidth);  // the picture takes the freed space
    EXPECT_EQ(window->FieldBitmap.size(), window->Image->size());
    window->PanelShowHide->clicked();
    EXPECT_FALSE(window->lbPlayers->isHidden());
    EXPECT_EQ(window->ChartPanel->height(), 110);
    EXPECT_EQ(window->Image->width(), pictureWidth);
}

TEST_F(FieldWindowTest, MouseReadsThePitchPositionAndTheDistanceFromTheLastPress)
{
    // A picture of even width and height has a pixel right on the pitch centre.
    window->resize(window->width() + window->Image->width() % 2, window->height() + window->Image->height() % 2);
    QApplication::processEvents();
    ASSERT_EQ(window->Image->width() % 2, 0);
    ASSERT_EQ(window->Image->height() % 2, 0);
    const QPoint centre = Shown(0, 0);
    Mouse(QEvent::MouseMove, centre.x(), centre.y());
    EXPECT_EQ(window->LabelXY->text(), "x=0.00 y=0.00");
    EXPECT_EQ(window->Image->toolTip(), "Field: x=0.00 y=0.00");
    EXPECT_EQ(window->LabelLastDist->text(), "Distance=0.00");  // no press yet: from the centre

    const QPoint spot = Shown(41.5, 0);  // the right penalty spot
    Mouse(QEvent::MouseMove, spot.x(), spot.y());
    EXPECT_TRUE(window->LabelXY->text().startsWith("x=41.")) << window->LabelXY->text().toStdString();
    EXPECT_TRUE(window->LabelLastDist->text().startsWith("Distance=41.")) << window->LabelLastDist->text().toStdString();
    Mouse(QEvent::MouseButtonPress, spot.x(), spot.y());
    Mouse(QEvent::MouseMove, spot.x(), spot.y());
    EXPECT_EQ(window->LabelLastDist->text(), "Distance=0.00");
}

TEST_F(FieldWindowTest, DistanceFromAPressOffTheMiddleLineCountsBothAxes)
{
    // Presses and moves away from y = 0, on both sides of it, so that a wrong
    // sign on either axis changes the distance read out.
    struct Case {
        double pressX, pressY, moveX, moveY, distance;
    };
    const Case cases[] = {
        {-20.0, 15.0, 10.0, -25.0, 50.0},
        {30.0, -20.0, 30.0, 20.0, 40.0},
        {-40.0, -30.0, -10.0, -30.0, 30.0},
        {5.0, 25.0, 5.0, 25.0, 0.0},
    };
    // One picture pixel in metres, twice over for both ends of the distance.
    const double tolerance = 2.0 * 105.0 / window->Image->width() + 0.05;
    for (const Case& c : cases) {
        const QPoint press = Shown(c.pressX, c.pressY);
        const QPoint move = Shown(c.moveX, c.moveY);
        Mouse(QEvent::MouseButtonPress, press.x(), press.y());
        Mouse(QEvent::MouseMove, move.x(), move.y());
        const QString xy = window->LabelXY->text();
        const QString y = xy.mid(xy.indexOf("y=") + 2);
        EXPECT_NEAR(y.toDouble(), c.moveY, tolerance) << xy.toStdString();
        const QString dist = window->LabelLastDist->text();
        ASSERT_TRUE(dist.startsWith("Distance=")) << dist.toStdString();
        EXPECT_NEAR(dist.mid(9).toDouble(), c.distance, tolerance)
            << "press " << c.pressX << "," << c.pressY << " move " << c.moveX << "," << c.moveY;
    }
}

TEST_F(FieldWindowTest, ZoomDoublesThePictureAndTheReadOutFollowsTheScroll)
{
    window->cbZoom->click();
    EXPECT_EQ(window->FieldBitmap.width(), 2 * window->Image->width());
    EXPECT_EQ(window->FieldBitmap.height(), 2 * window->Image->height());
    // "Center": the pitch centre in the middle of the picture.
    const QPoint middle(window->Image->width() / 2, window->Image->height() / 2);
    Mouse(QEvent::MouseMove, middle.x(), middle.y());
    EXPECT_EQ(window->LabelXY->text(), "x=0.00 y=0.00");
    // Following the ball moves the shown part: the same screen point is elsewhere on the pitch.
    window->cbZoomFocus->setCurrentIndex(0);
    Mouse(QEvent::MouseMove, middle.x(), middle.y());
    EXPECT_NE(window->LabelXY->text(), "x=0.00 y=0.00");
    // Near a corner the shown part stays inside the picture.
    window->cbZoomFocus->setCurrentIndex(1);  // the left goalkeeper
    EXPECT_EQ(window->ScrollX, 0);
}

TEST_F(FieldWindowTest, SaveWritesTheWholePictureAsABitmap)
{
    window->cbZoom->click();
    platform::DialogScript script;
    platform::FileDialogResult chosen;
    chosen.accepted = true;
    const std::string dir = MakeTempDir("fieldsave");
    chosen.files << QString::fromStdString(dir + "/zoomed");
    script.files.push_back(chosen);
    window->btnSave->click();
    ASSERT_EQ(script.fileDialogs.size(), 1u);
    EXPECT_EQ(script.fileDialogs[0].filter, "Windows bitmap files (*.bmp)");
    QImage saved(QString::fromStdString(dir + "/zoomed.bmp"), "BMP");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), 2 * window->Image->size());
    EXPECT_TRUE(script.messages.empty());

    // A folder that is gone: the user is told, nothing else changes.
    chosen.files = QStringList{QString::fromStdString(dir + "/gone/field.bmp")};
    script.files.push_back(chosen);
    window->btnSave->click();
    // A full disk keeps the old picture; each message says why.
    const std::string old = ReadBytes(dir + "/zoomed.bmp");
    chosen.files = QStringList{QString::fromStdString(dir + "/zoomed.bmp")};
    script.files.push_back(chosen);
    {
        FileSizeLimit disk(16);
        window->btnSave->click();
    }
    ASSERT_EQ(script.messages.size(), 3u);
    EXPECT_EQ(script.messages[0].caption, "Error");
    const QString failed = "Cannot write the file " + QString::fromStdString(dir);
    EXPECT_EQ(script.messages[0].text, failed + "/gone/field.bmp: No such file or directory");
    EXPECT_EQ(script.messages[2].text, failed + "/zoomed.bmp: File too large");  // asked first whether to replace it
    EXPECT_FALSE(std::filesystem::exists(dir + "/gone"));
    EXPECT_EQ(ReadBytes(dir + "/zoomed.bmp"), old);

    // Only a bitmap's name takes the bitmap; one already there is not asked about.
    std::ofstream(dir + "/zoomed.bmp.txt") << "own";
    for (const char* other : {"f2.png", "f2.BMP", "zoomed.bmp.txt"}) {
        script.messages.clear();
        script.files.push_back({true, {QString::fromStdString(dir + "/" + other)}, 0});
        window->btnSave->click();
        ASSERT_EQ(script.messages.size(), 1u) << other;
        EXPECT_EQ(script.messages[0].text, "Unknown file type! Nothing was saved. ") << other;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/f2.png") || std::filesystem::exists(dir + "/f2.BMP"));
    EXPECT_EQ(ReadBytes(dir + "/zoomed.bmp.txt"), "own");
}

TEST(FieldWindowTime, CheckingDynamicTimeRangeAgainBringsTheMainTimeToTheWindowsCycle)
{
    EnsureApp();
    InTempDir dir("fieldtime");
    TMainForm::AboutBoxRunner() = [] {};
    {
        TMainForm form;
        form.FirstActivation = false;
        form.OpenLogFiles({QString::fromStdString(GunzippedTestFile(kShort))});
        // The slider moved as a user moves it: its change handler follows.
        auto moveSlider = [&form](int cycle) {
            form.TrackBar1->setValue(cycle);
            form.TrackBar1Change(form.TrackBar1);
        };
        moveSlider(120);
        form.BtnAdd2d->click();
        auto* window = qobject_cast<TMDIFieldChild*>(form.MdiArea->subWindowList().back());
        ASSERT_NE(window, nullptr);
        QApplication::processEvents();
        ASSERT_EQ(window->Cycle, 120);
        window->cbDynamicTimeRange->click();  // off: the window keeps its time
        moveSlider(300);
        EXPECT_EQ(window->Cycle, 120);
        window->cbDynamicTimeRange->click();  // on again
        QApplication::processEvents();
        EXPECT_EQ(form.TrackBar1->value(), 120);
    }
    TMainForm::AboutBoxRunner() = &TMainForm::ShowAboutBox;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

