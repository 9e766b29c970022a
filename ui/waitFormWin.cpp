#include "ui/waitFormWin.h"

#include "ui/common.h"
#include "platform/qt/System.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>

QPointer<TWaitForm> WaitForm;

namespace {
constexpr int kMinWidth = 300;
constexpr int kHeight = 22;
constexpr int kCancelHeight = 58;
// The room beside the text.
constexpr int kTextMargin = 30;
// A command's window: wide enough for what its steps say, and the same for
// all of them, so that nothing in it moves.
constexpr int kCommandWidth = 560;

bool IsUserInput(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    case QEvent::Close:
        // A close asked for by the user (the window's close button).
        return event->spontaneous();
    default:
        return false;
    }
}

bool InsideWaitForm(const QObject* object)
{
    if (!WaitForm)
        return false;
    if (const auto* widget = qobject_cast<const QWidget*>(object))
        return widget->window() == WaitForm;
    if (const auto* window = qobject_cast<const QWindow*>(object))
        return window == WaitForm->windowHandle();
    return false;
}

// Swallows user input everywhere but in the wait window.
class OnlyWaitFormInput : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        return IsUserInput(event) && !InsideWaitForm(watched);
    }
};
}  // namespace

TWaitForm::TWaitForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle("Please wait");
    setFixedSize(kMinWidth, kHeight);

    LabelText = new QLabel(this);
    QFont font("MS Sans Serif");
    font.setPixelSize(13);
    font.setBold(true);
    LabelText->setFont(font);
    LabelText->move(4, 4);
    LabelText->setText("Text here ...");
    LabelText->adjustSize();

    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setFixedSize(75, 25);
    CancelButton->hide();
    connect(CancelButton, &QPushButton::clicked, this, [this] { cancelPressed_ = true; });
}

void TWaitForm::ShowCancel(bool show)
{
    cancelPressed_ = false;
    if (show)
        KeepReachable();
    CancelButton->setVisible(show);
    Layout();
}

void TWaitForm::KeepReachable()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this)
        return;
    for (const QWidget* p = parentWidget(); p; p = p->parentWidget())
        if (p == modal)
            return;
    // A modal window opened since this one was shown blocks it: it moves
    // above that window, where its Cancel can be pressed.
    const bool shown = isVisible() || hiddenByModal_;
    hiddenByModal_ = false;
    setParent(modal, windowFlags());
    if (shown)
        show();
}

void TWaitForm::reject()
{
    if (CancelButton->isVisible())
        cancelPressed_ = true;
}

void TWaitForm::Layout()
{
    // A command's window keeps the place it took at the command's start.
    if (!Held() || !area_.isValid())
        Aim();
    const int frame = frameGeometry().width() - geometry().width();
    // No wider than the screen: a longer text is cut in its middle, where
    // the start (what runs) and the end (a file's name) both still show.
    const int widest = std::max(kMinWidth, area_.width() - frame);
    const int room = Held() ? std::min(kCommandWidth, widest) : widest;
    LabelText->setText(QFontMetrics(LabelText->font()).elidedText(text_, Qt::ElideMiddle, room - kTextMargin));
    LabelText->adjustSize();
    const int w = Held() ? room : std::clamp(LabelText->width() + kTextMargin, kMinWidth, widest);
    setFixedSize(w, CancelButton->isVisible() ? kCancelHeight : kHeight);
    CancelButton->move((w - CancelButton->width()) / 2, kHeight + 4);
    Place();
}

TWaitForm::~TWaitForm()
{
    // Destroyed while shown: the hide handler does not run for a dying window.
    RestoreCursor();
}

bool TWaitForm::event(QEvent* event)
{
    if (event->type() == QEvent::WindowBlocked && Held() && isVisible()) {
        hiddenByModal_ = true;
        hide();
    } else if (event->type() == QEvent::WindowUnblocked && hiddenByModal_) {
        hiddenByModal_ = false;
        show();
    }
    return QDialog::event(event);
}

void TWaitForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!SavedCursor) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        SavedCursor = true;
    }
    repaint();
}

void TWaitForm::hideEvent(QHideEvent* event)
{
    RestoreCursor();
    QDialog::hideEvent(event);
}

void TWaitForm::RestoreCursor()
{
    if (SavedCursor) {
        QGuiApplication::restoreOverrideCursor();
        SavedCursor = false;
    }
}

void TWaitForm::SetText(const QString& text)
{
    text_ = text;
    Layout();
    repaint();
    // Last step: the events let through may remove this very window.
    platform::ProcessPendingEventsNoInput();
}

void TWaitForm::PlaceOver(QWidget* window)
{
    over_ = window;
    Aim();
    Place();
}

void TWaitForm::Aim()
{
    // A window within another (a graph window in the main window) is served
    // where it shows on the screen.
    const QWidget* served = over_ && over_->isVisible() ? over_.data() : nullptr;
    if (!served && parentWidget() && parentWidget()->window()->isVisible())
        served = parentWidget()->window();
    const QScreen* screen = served && served->screen() ? served->screen() : QGuiApplication::primaryScreen();
    area_ = screen ? screen->availableGeometry() : QRect();
    target_ = area_;
    if (served)
        target_ = served->isWindow() ? served->frameGeometry()
                                     : QRect(served->mapToGlobal(QPoint(0, 0)), served->size());
}

void TWaitForm::Place()
{
    const QSize size = frameGeometry().size();
    int x = target_.x() + (target_.width() - size.width()) / 2;
    int y = target_.y() + (target_.height() - size.height()) / 2;
    if (area_.isValid()) {
        // Until the window system has framed the window, a title bar's height
        // is kept free below it.
        const int unframed = frameGeometry() == geometry() ? style()->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
        x = std::clamp(x, area_.left(), std::max(area_.left(), area_.right() + 1 - size.width()));
        y = std::clamp(y, area_.top(), std::max(area_.top(), area_.bottom() + 1 - size.height() - unframed));
    }
    move(x, y);
}

namespace {
void RemoveWaitForm()
{
    TWaitForm* w = WaitForm;
    WaitForm = nullptr;
    w->hide();
    delete w;
}

// A command's window is held and offers Cancel before it first shows.
void MakeWaitForm(const QString& text, QWidget* over, bool command, bool cancel = false)
{
    // Above a modal window (the strategy window, say) the wait window must be
    // its child: any other window is blocked by it, Cancel included.
    QWidget* modal = QApplication::activeModalWidget();
    WaitForm = new TWaitForm(modal ? modal : MainWindow());
    if (command)
        WaitForm->Hold();
    WaitForm->PlaceOver(over);
    if (cancel)
        WaitForm->ShowCancel(true);
    WaitForm->show();
    SetWaitText(text);
}
}  // namespace

bool ShowWaitForm(const QString& text, QWidget* over)
{
    if (WaitForm) {
        if (WaitForm->Held())
            WaitForm->SetText(text);
        return false;
    }
    MakeWaitForm(text, over, false);
    return true;
}

bool SetWaitText(const QString& text)
{
    if (!WaitForm)
        return false;
    WaitForm->SetText(text);
    return true;
}

bool WaitFormCancelled()
{
    if (!WaitForm)
        return false;
    OnlyWaitFormInput filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&filter);
    return WaitForm && WaitForm->CancelPressed();
}

bool HideWaitForm()
{
    if (!WaitForm || WaitForm->Held())
        return false;
    RemoveWaitForm();
    return true;
}

WaitCommand::WaitCommand(const QString& text, QWidget* over, bool cancel)
{
    if (!WaitForm) {
        MakeWaitForm(text, over, true, cancel);
        return;
    }
    // A window shown before (an operation's) or held by a command around this
    // one: this command shows its text in it.
    WaitForm->Hold();
    // Offered once for the whole command: offering it again would forget a press.
    if (cancel && !WaitForm->CancelButton->isVisible())
        WaitForm->ShowCancel(true);
    WaitForm->SetText(text);
}

WaitCommand::~WaitCommand()
{
    // Gone with its owner meanwhile, or never shown: nothing to remove.
    if (WaitForm && WaitForm->Release())
        RemoveWaitForm();
}

WaitPause::WaitPause() : saved_(WaitForm)
{
    if (!saved_)
        return;
    WaitForm = nullptr;
    saved_->hide();
}

WaitPause::~WaitPause()
{
    // A window of the user's commands ended with them; one left over goes.
    if (WaitForm && WaitForm != saved_ && !WaitForm->Held())
        RemoveWaitForm();
    if (!saved_ || WaitForm)
        return;
    WaitForm = saved_;
    saved_->show();
}
