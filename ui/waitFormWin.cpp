#include "ui/waitFormWin.h"

#include "ui/common.h"
#include "platform/qt/System.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <algorithm>

QPointer<TWaitForm> WaitForm;

namespace {
constexpr int kMinWidth = 300;
constexpr int kHeight = 22;
constexpr int kCancelHeight = 58;

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
    const bool shown = isVisible();
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
    const int w = std::max(LabelText->width() + 30, kMinWidth);
    setFixedSize(w, CancelButton->isVisible() ? kCancelHeight : kHeight);
    CancelButton->move((w - CancelButton->width()) / 2, kHeight + 4);
}

TWaitForm::~TWaitForm()
{
    // Destroyed while shown: the hide handler does not run for a dying window.
    RestoreCursor();
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
    LabelText->setText(text);
    LabelText->adjustSize();
    Layout();
    Place();
    repaint();
    // Last step: the events let through may remove this very window.
    platform::ProcessPendingEventsNoInput();
}

void TWaitForm::PlaceOver(QWidget* window)
{
    over_ = window;
    Place();
}

void TWaitForm::Place()
{
    // A window within another (a graph window in the main window) is served
    // where it shows on the screen.
    const QWidget* served = over_ && over_->isVisible() ? over_.data() : nullptr;
    if (!served && parentWidget() && parentWidget()->window()->isVisible())
        served = parentWidget()->window();
    const QScreen* screen = served && served->screen() ? served->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    QRect target = area;
    if (served)
        target = served->isWindow() ? served->frameGeometry() : QRect(served->mapToGlobal(QPoint(0, 0)), served->size());
    const QSize size = frameGeometry().size();
    int x = target.x() + (target.width() - size.width()) / 2;
    int y = target.y() + (target.height() - size.height()) / 2;
    if (area.isValid()) {
        x = std::clamp(x, area.left(), std::max(area.left(), area.right() + 1 - size.width()));
        y = std::clamp(y, area.top(), std::max(area.top(), area.bottom() + 1 - size.height()));
    }
    move(x, y);
}

bool ShowWaitForm(const QString& text, QWidget* over)
{
    if (WaitForm)
        return false;
    // Above a modal window (the strategy window, say) the wait window must be
    // its child: any other window is blocked by it, Cancel included.
    QWidget* modal = QApplication::activeModalWidget();
    WaitForm = new TWaitForm(modal ? modal : MainWindow());
    WaitForm->PlaceOver(over);
    WaitForm->show();
    SetWaitText(text);
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
    if (!WaitForm)
        return false;
    TWaitForm* w = WaitForm;
    WaitForm = nullptr;
    w->hide();
    delete w;
    return true;
}
