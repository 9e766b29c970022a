// The strategy window as a window: kept above its owner and never left
// minimised while it blocks the rest of the program.
#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWindow>

void TFormStrategy::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
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
