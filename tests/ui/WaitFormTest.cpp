#include "ui/UiHooks.h"
#include "UiTestMain.h"
#include "ui/waitFormWin.h"

#include "ui/common.h"

#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class WaitFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApp();
        ASSERT_TRUE(WaitForm.isNull());
        ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    void TearDown() override
    {
        HideWaitForm();
        SetMainWindow(nullptr);
    }
    static QString Shown() { return WaitForm ? WaitForm->LabelText->text() : QString(); }
};

}  // namespace

TEST_F(WaitFormTest, ShowSetHideContract)
{
    EXPECT_FALSE(SetWaitText("nobody sees this"));
    EXPECT_FALSE(HideWaitForm());

    EXPECT_TRUE(ShowWaitForm("Adding file entry for a.rcg"));
    ASSERT_FALSE(WaitForm.isNull());
    EXPECT_TRUE(WaitForm->isVisible());
    EXPECT_FALSE(WaitForm->isModal());
    EXPECT_EQ(WaitForm->windowTitle(), "Please wait");
    EXPECT_TRUE(WaitForm->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Shown(), "Adding file entry for a.rcg");
    EXPECT_TRUE(WaitForm->LabelText->font().bold());

    // A second show changes nothing, not even the text.
    TWaitForm* first = WaitForm;
    EXPECT_FALSE(ShowWaitForm("Reading file a.rcg"));
    EXPECT_EQ(WaitForm.data(), first);
    EXPECT_EQ(Shown(), "Adding file entry for a.rcg");

    EXPECT_TRUE(SetWaitText("Computing features 0.00%"));
    EXPECT_EQ(Shown(), "Computing features 0.00%");

    EXPECT_TRUE(HideWaitForm());
    EXPECT_TRUE(WaitForm.isNull());
    EXPECT_FALSE(HideWaitForm());
    EXPECT_FALSE(SetWaitText("after"));
}

TEST_F(WaitFormTest, InnerHideEndsTheOuterOperationsWindow)
{
    ASSERT_TRUE(ShowWaitForm("outer"));
    EXPECT_FALSE(ShowWaitForm("inner"));
    EXPECT_TRUE(SetWaitText("inner step"));
    EXPECT_TRUE(HideWaitForm());  // the inner operation's end
    EXPECT_TRUE(WaitForm.isNull());
    EXPECT_FALSE(SetWaitText("outer step"));
    EXPECT_FALSE(HideWaitForm());  // the outer operation's end
    // A later operation gets a fresh window.
    EXPECT_TRUE(ShowWaitForm("next"));
    EXPECT_EQ(Shown(), "next");
}

TEST_F(WaitFormTest, BusyCursorWhileShownAndRestoredAfterwards)
{
    ASSERT_TRUE(ShowWaitForm("busy"));
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetWaitText("still busy");
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    HideWaitForm();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // The cursor that was up before comes back, not the arrow.
    QGuiApplication::setOverrideCursor(Qt::CrossCursor);
    ShowWaitForm("busy");
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    HideWaitForm();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(WaitFormTest, CursorRestoredWhenTheOwnerTakesTheWindowAlong)
{
    auto* main = new QWidget;
    SetMainWindow(main);
    ASSERT_TRUE(ShowWaitForm("busy"));
    EXPECT_EQ(WaitForm->parentWidget(), main);
    delete main;  // destroys the wait window without hiding it first
    EXPECT_TRUE(WaitForm.isNull());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(HideWaitForm());
}

TEST_F(WaitFormTest, GuardRemovesTheWindowWhenTheOperationFails)
{
    try {
        WaitFormGuard wait("Merging files");
        EXPECT_EQ(Shown(), "Merging files");
        throw std::runtime_error("Player channel not found!");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(WaitForm.isNull());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(WaitFormTest, WidthFollowsTheTextAndTheWindowIsCentredOnTheMainWindow)
{
    // A main window that lies whole on the (800 pixels wide) screen.
    QWidget main;
    main.setGeometry(20, 30, 761, 500);
    main.show();
    SetMainWindow(&main);
    const QRect m = main.frameGeometry();

    ASSERT_TRUE(ShowWaitForm("short"));
    EXPECT_EQ(WaitForm->width(), 300);  // never below the minimum width
    EXPECT_EQ(WaitForm->height(), 22);
    // Centred by its frame, title bar and borders included.
    EXPECT_EQ(WaitForm->x(), m.x() + (m.width() - WaitForm->frameGeometry().width()) / 2);

    const QString longText = QString("Evaluating concepts, time = 1200 ").repeated(2);
    SetWaitText(longText);
    const int textWidth = QFontMetrics(WaitForm->LabelText->font()).horizontalAdvance(longText);
    EXPECT_GT(WaitForm->width(), 300);
    EXPECT_GE(WaitForm->width(), textWidth + 30);
    EXPECT_LE(WaitForm->width(), textWidth + 40);
    EXPECT_EQ(WaitForm->x(), m.x() + (m.width() - WaitForm->frameGeometry().width()) / 2);

    // Back to a short text: back to the minimum width.
    SetWaitText("short");
    EXPECT_EQ(WaitForm->width(), 300);
}

TEST_F(WaitFormTest, NewTextLetsPendingEventsThrough)
{
    ASSERT_TRUE(ShowWaitForm("start"));
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    SetWaitText("step");
    EXPECT_TRUE(ran);
}

TEST_F(WaitFormTest, CoreProgressDrivesTheWaitWindow)
{
    UiHooks hooks;
    platform::Hooks* old = platform::SetHooks(&hooks);

    // Without a wait window the core's progress still lets events through.
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    platform::SetWaitText("Computing features 0.00%");
    EXPECT_TRUE(ran);
    EXPECT_TRUE(WaitForm.isNull());

    ASSERT_TRUE(ShowWaitForm("Adding file entry for b.rcg"));
    platform::SetWaitText("Computing features 62.50%");
    EXPECT_EQ(Shown(), "Computing features 62.50%");

    platform::SetHooks(old);
}

namespace {
// A left click as the window system delivers it, posted to the widget.
void PostClick(QWidget* widget)
{
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(widget, new QMouseEvent(type, at, global, Qt::LeftButton,
                                                            type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                             : Qt::NoButton,
                                                            Qt::NoModifier));
}
}  // namespace

// While an outside program runs the user can reach Cancel and nothing else.
TEST_F(WaitFormTest, CancelIsTheOnlyControlWhileAProgramRuns)
{
    EXPECT_FALSE(WaitFormCancelled());
    QPushButton other("elsewhere");
    other.show();
    int otherClicks = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });

    ASSERT_TRUE(ShowWaitForm("Learning rules of L:Pass with JRip ..."));
    EXPECT_FALSE(WaitForm->CancelButton->isVisible());
    WaitForm->ShowCancel(true);
    EXPECT_TRUE(WaitForm->CancelButton->isVisible());
    EXPECT_GT(WaitForm->height(), WaitForm->CancelButton->y() + WaitForm->CancelButton->height() - 1);

    PostClick(&other);
    EXPECT_FALSE(WaitFormCancelled());
    EXPECT_EQ(otherClicks, 0);
    PostClick(WaitForm->CancelButton);
    EXPECT_TRUE(WaitFormCancelled());
    // Offering Cancel anew forgets the press; Escape is Cancel too, and never
    // takes the window away.
    WaitForm->ShowCancel(true);
    EXPECT_FALSE(WaitForm->CancelPressed());
    QCoreApplication::postEvent(WaitForm, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(WaitFormCancelled());
    EXPECT_TRUE(WaitForm->isVisible());

    // Without Cancel the window is as before, and the other window takes input again.
    WaitForm->ShowCancel(false);
    EXPECT_EQ(WaitForm->height(), 22);
    PostClick(&other);
    QCoreApplication::processEvents();
    EXPECT_EQ(otherClicks, 1);
}

// Above a modal window the wait window is reachable, made while the modal
// window is open or shown before it: clicked through the window system, which
// refuses a click on a window that a modal window blocks, and by Escape.
TEST_F(WaitFormTest, CancelIsReachableAboveAModalWindow)
{
    QWidget main;
    main.show();
    SetMainWindow(&main);
    for (const bool before : {false, true}) {
        if (before) {
            ASSERT_TRUE(ShowWaitForm("Recording the strategy ..."));
        }
        QDialog modal(&main);
        bool acted = false;
        QTimer::singleShot(0, &modal, [&] {
            if (!before) {
                ASSERT_TRUE(ShowWaitForm("Learning rules of L:Pass with JRip ..."));
            }
            WaitForm->ShowCancel(true);
            EXPECT_TRUE(WaitForm->parentWidget() == &modal && WaitForm->isVisible()) << before;
            QTest::mouseClick(WaitForm->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                              WaitForm->CancelButton->geometry().center());
            EXPECT_TRUE(WaitFormCancelled()) << before;
            WaitForm->ShowCancel(true);
            QTest::keyClick(WaitForm->windowHandle(), Qt::Key_Escape);
            EXPECT_TRUE(WaitFormCancelled()) << before;
            HideWaitForm();
            acted = true;
            modal.reject();
        });
        QTimer::singleShot(10000, &modal, [&] { modal.reject(); });
        modal.exec();
        EXPECT_TRUE(acted) << before;
    }
}

// The wait window opens over the window it serves, wherever that lies, and
// stays whole on the screen, its title bar included.
TEST_F(WaitFormTest, OpensOverTheWindowItServesAndWholeOnTheScreen)
{
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const std::pair<QRect, bool> served[] = {  // the window, whether the wait window is centred on it
        {{area.x() + area.width() / 4, area.y() + area.height() / 4, area.width() / 2, area.height() / 2}, true},
        {{area.x() - 500, area.y() - 300, 400, 250}, false},  // mostly off at the top left
        {{area.right() - 100, area.bottom() - 50, 500, 400}, false}};  // off at the bottom right
    for (const auto& [geometry, centred] : served) {
        QWidget window;
        window.setGeometry(geometry);
        window.show();
        ASSERT_TRUE(ShowWaitForm("Learning rules ...", &window));
        const QRect wait = WaitForm->frameGeometry(), frame = window.frameGeometry();
        EXPECT_TRUE(area.contains(wait)) << wait.x() << "," << wait.y();
        if (centred) {
            EXPECT_EQ(wait.x(), frame.x() + (frame.width() - wait.width()) / 2);
            EXPECT_EQ(wait.y(), frame.y() + (frame.height() - wait.height()) / 2);
        }
        // Offered Cancel, it shows a 5,000 characters long text cut to the screen.
        WaitForm->ShowCancel(true);
        SetWaitText("f=" + QString("Ball_pos_x+").repeated(455) + "1");
        EXPECT_TRUE(area.contains(WaitForm->frameGeometry()));
        EXPECT_TRUE(WaitForm->rect().contains(WaitForm->LabelText->geometry()));
        HideWaitForm();
    }
}

// A command's window hides under a modal window (a message box) until it
// closes, and steps aside for a window shown modally for the user, where a
// command has a window of its own; afterwards it is back.
TEST_F(WaitFormTest, ACommandsWindowStepsAsideForModalWindows)
{
    QWidget main;
    main.show();
    SetMainWindow(&main);
    const WaitCommand command("Test all ...", nullptr, true);
    const QPointer<TWaitForm> window = WaitForm;
    bool hidden = false;
    QDialog box(&main);
    QTimer::singleShot(0, &box, [&] {
        hidden = window && !window->isVisible();
        box.reject();
    });
    box.exec();
    EXPECT_TRUE(hidden);
    {
        const WaitPause pause;
        EXPECT_TRUE(!window->isVisible() && WaitForm.isNull());
        const WaitCommand own("Generating rules ...", nullptr, true);
        EXPECT_NE(WaitForm, window);
    }
    EXPECT_TRUE(WaitForm == window && window->isVisible());
}
