#include "ui/waitFormWin.h"

#include "ui/common.h"
#include "platform/qt/System.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
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
    const int w = width();
    if (const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect m = main->frameGeometry();
        move(m.x() + (m.width() - w) / 2, y());
    }
    repaint();
    // Last step: the events let through may remove this very window.
    platform::ProcessPendingEventsNoInput();
}

bool ShowWaitForm(const QString& text)
{
    if (WaitForm)
        return false;
    // Above a modal window (the strategy window, say) the wait window must be
    // its child: any other window is blocked by it, Cancel included.
    QWidget* modal = QApplication::activeModalWidget();
    WaitForm = new TWaitForm(modal ? modal : MainWindow());
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
