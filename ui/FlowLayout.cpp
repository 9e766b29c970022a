#include "ui/FlowLayout.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

TFlowLayout::TFlowLayout(QWidget* parent, int hSpacing, int vSpacing)
    : QLayout(parent), hSpacing_(hSpacing), vSpacing_(vSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

TFlowLayout::~TFlowLayout()
{
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void TFlowLayout::addLayout(QLayout* layout)
{
    addChildLayout(layout);
    addItem(layout);
}

void TFlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

int TFlowLayout::count() const { return static_cast<int>(items_.size()); }

QLayoutItem* TFlowLayout::itemAt(int index) const { return items_.value(index); }

QLayoutItem* TFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= items_.size())
        return nullptr;
    return items_.takeAt(index);
}

Qt::Orientations TFlowLayout::expandingDirections() const { return {}; }

bool TFlowLayout::hasHeightForWidth() const { return true; }

int TFlowLayout::heightForWidth(int width) const { return Arrange(QRect(0, 0, width, 0), false); }

QSize TFlowLayout::minimumSize() const
{
    // No item is ever cut: the narrowest the layout goes is its widest item.
    QSize size;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty())
            size = size.expandedTo(item->sizeHint());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize TFlowLayout::sizeHint() const
{
    // What it prefers is one row of everything.
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty())
            continue;
        const QSize hint = item->sizeHint();
        width += hint.width() + (shown++ > 0 ? hSpacing_ : 0);
        height = std::max(height, hint.height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void TFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    Arrange(rect, true);
}

int TFlowLayout::Arrange(const QRect& rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const int right = area.x() + area.width();
    // The rows first: which items each holds and how high it is.
    struct Row {
        int first;
        int last;  // one past
        int height;
    };
    QList<Row> rows;
    int x = area.x();
    for (int i = 0; i < items_.size(); ++i) {
        const QLayoutItem* item = items_[i];
        if (item->isEmpty())
            continue;
        const QSize hint = item->sizeHint();
        const bool newRow = rows.isEmpty() || (x > area.x() && x + hint.width() > right);
        if (newRow) {
            rows.append({i, i + 1, 0});
            x = area.x();
        }
        Row& row = rows.last();
        row.last = i + 1;
        row.height = std::max(row.height, hint.height());
        x += hint.width() + hSpacing_;
    }
    int y = area.y();
    for (const Row& row : rows) {
        if (apply) {
            x = area.x();
            for (int i = row.first; i < row.last; ++i) {
                QLayoutItem* item = items_[i];
                if (item->isEmpty())
                    continue;
                const int width = item->sizeHint().width();
                item->setGeometry(QRect(x, y, width, row.height));
                x += width + hSpacing_;
            }
        }
        y += row.height + vSpacing_;
    }
    if (!rows.isEmpty())
        y -= vSpacing_;
    return y - rect.y() + contentsMargins().bottom();
}

namespace {

// Sets the panel's fixed height after every change of its width.
class TRowsHeight : public QObject {
public:
    TRowsHeight(QWidget* panel, int minHeight) : QObject(panel), panel_(panel), minHeight_(minHeight) {}

    void Fit()
    {
        if (panel_->minimumHeight() != panel_->maximumHeight() || !panel_->layout())
            return;
        const int height = std::max(minHeight_, panel_->layout()->totalHeightForWidth(panel_->width()));
        if (height != panel_->minimumHeight())
            panel_->setFixedHeight(height);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == panel_ && event->type() == QEvent::Resize)
            Fit();
        return false;
    }

private:
    QWidget* panel_;
    int minHeight_;
};

}  // namespace

void FitPanelToRows(QWidget* panel, int minHeight)
{
    // The first fit comes with the panel's first real width.
    panel->installEventFilter(new TRowsHeight(panel, minHeight));
}
