#include "ui/WindowPlacement.h"

#include <algorithm>

QRect NewWindowGeometry(const QRect& workspace, QSize wanted, int index, int step)
{
    if (workspace.isEmpty() || step <= 0)
        return QRect(workspace.topLeft(), wanted);
    const int room = std::min(workspace.width(), workspace.height()) / 3;
    const int places = std::max(1, room / step + 1);
    const int offset = (std::max(0, index) % places) * step;
    const QPoint corner = workspace.topLeft() + QPoint(offset, offset);
    const QSize left(workspace.right() - corner.x() + 1, workspace.bottom() - corner.y() + 1);
    return QRect(corner, wanted.boundedTo(left));
}
