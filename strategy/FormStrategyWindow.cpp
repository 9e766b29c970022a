// The strategy window as a window: kept above its owner, never left minimised
// while it blocks the rest of the program, and its rules panel folded by a press
// on the strip beside it.
#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QWindow>

void TFormStrategy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Each time the window opens (not when it comes back from the task bar):
    // the private folder may have been spoilt since the last time. The box
    // comes once the window shows, above it.
    if (!event->spontaneous())
        QTimer::singleShot(0, this, [this] { WarnIfNoPrivateFolder(); });
    QWidget* owner = actionChild ? actionChild->window() : QApplication::activeWindow();
    if (owner == this)
        owner = nullptr;
    if (owner != owner_) {
        if (owner_)
            owner_->removeEventFilter(this);
        owner_ = owner;
        if (owner_) {
            owner_->installEventFilter(this);
            // Gone with its owner, the filter must not reach it afterwards.
            connect(owner_, &QObject::destroyed, this, [this](QObject* gone) {
                if (owner_ == gone)
                    owner_ = nullptr;
            });
        }
    }
    if (owner_ && owner_->windowHandle() && windowHandle())
        windowHandle()->setTransientParent(owner_->windowHandle());
}

void TFormStrategy::hideEvent(QHideEvent* event)
{
    // Minimised, the window still waits to be brought back by its owner.
    if (owner_ && !isMinimized()) {
        owner_->removeEventFilter(this);
        owner_ = nullptr;
    }
    QDialog::hideEvent(event);
}

void TFormStrategy::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !isModal())
        return;
    // Minimised together with its owner, it comes back with the owner (see
    // the event filter); minimised alone, at once.
    if (owner_ && owner_->isMinimized())
        return;
    QTimer::singleShot(0, this, [this] { BringBackIfMinimised(); });
}

void TFormStrategy::BringBackIfMinimised()
{
    if (!isVisible() || !isMinimized() || !isModal())
        return;
    if (owner_ && owner_->isMinimized())
        return;
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

bool TFormStrategy::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PanelHide && event->type() == QEvent::MouseButtonPress) {
        PanelHideClick();
        return true;
    }
    if (watched == owner_) {
        switch (event->type()) {
        case QEvent::WindowActivate:
        case QEvent::WindowStateChange:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            BringBackIfMinimised();
            break;
        default: break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormStrategy::PanelHideClick()
{
    if (PanelRules->isHidden() || PanelRules->width() < 2) {
        PanelRules->show();
        resize(1070, height());
        PanelHideCaption->setText("<");
    } else {
        const int w = PanelRules->width();
        PanelRules->hide();
        resize(width() - w, height());
        PanelHideCaption->setText(">");
    }
}
