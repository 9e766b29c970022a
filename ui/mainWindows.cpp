// The window commands of the "File" page that arrange the child windows:
// cascade, tile in columns or rows, minimize.
#include "ui/main.h"

#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

void TMainForm::btnCascadeClick() { MdiArea->cascadeSubWindows(); }

void TMainForm::btnTileVClick() { TileChildren(true); }

void TMainForm::btnTileHClick() { TileChildren(false); }

void TMainForm::TileChildren(bool columns)
{
    // Minimized children keep their place along the bottom; the others share
    // the rest of the client area in equal columns (vertical tiling) or rows.
    QList<QMdiSubWindow*> tiled;
    // The whole client area: scroll bars shown now for children that stick out
    // go once the children are tiled, and must not leave a gap behind.
    QRect domain(QPoint(0, 0), MdiArea->contentsRect().size());
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isHidden())
            continue;
        if (w->isMinimized())
            domain.setBottom(std::min(domain.bottom(), w->geometry().top() - 1));
        else
            tiled.append(w);
    }
    const int n = static_cast<int>(tiled.size());
    if (n == 0 || domain.isEmpty())
        return;
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = tiled[i];
        if (w->isMaximized())
            w->showNormal();
        QRect r;
        if (columns) {
            const int x0 = domain.left() + domain.width() * i / n;
            const int x1 = domain.left() + domain.width() * (i + 1) / n;
            r = QRect(x0, domain.top(), x1 - x0, domain.height());
        } else {
            const int y0 = domain.top() + domain.height() * i / n;
            const int y1 = domain.top() + domain.height() * (i + 1) / n;
            r = QRect(domain.left(), y0, domain.width(), y1 - y0);
        }
        w->setGeometry(r);
    }
}

void TMainForm::btnMinimizeClick()
{
    MinimizeChildren([](const QMdiSubWindow*) { return true; });
}

void TMainForm::MinimizeChildren(const std::function<bool(const QMdiSubWindow*)>& which)
{
    // While one child is maximized the area hands that state on to the child
    // that becomes active, also to the one being minimized: restore first.
    for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (which(w) && w->isMaximized())
            w->showNormal();
    }
    // Minimizing may reorder the children, so the scan starts again from the
    // first child after every change and ends when a whole pass changes nothing.
    bool changed = true;
    while (changed) {
        changed = false;
        for (QMdiSubWindow* w : MdiArea->subWindowList(QMdiArea::CreationOrder)) {
            if (!which(w) || w->isMinimized())
                continue;
            w->showMinimized();
            // A window that refuses to be minimized must not make the scan run forever.
            if (w->isMinimized()) {
                changed = true;
                break;
            }
        }
    }
}
