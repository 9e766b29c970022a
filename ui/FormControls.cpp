#include "ui/FormControls.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionSlider>

#include <QBoxLayout>

#include <algorithm>

bool TogglePanelFold(QBoxLayout* layout, QWidget* panel, int height)
{
    const bool unfold = layout->direction() == QBoxLayout::LeftToRight;
    if (unfold) {
        layout->setDirection(QBoxLayout::TopToBottom);
        panel->setMinimumWidth(0);
        panel->setMaximumWidth(QWIDGETSIZE_MAX);
        panel->setFixedHeight(height);
    } else {
        layout->setDirection(QBoxLayout::LeftToRight);
        panel->setMinimumHeight(0);
        panel->setMaximumHeight(QWIDGETSIZE_MAX);
        panel->setFixedWidth(5);
    }
    return unfold;
}

TClickStrip::TClickStrip(QWidget* parent) : QFrame(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Active, QPalette::Highlight));
    setPalette(pal);
}

void TClickStrip::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QFrame::mousePressEvent(event);
}

TSelTrackBar::TSelTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {}

void TSelTrackBar::SetSelStart(int v)
{
    if (v != selStart_) {
        selStart_ = v;
        update();
    }
}

void TSelTrackBar::SetSelEnd(int v)
{
    if (v != selEnd_) {
        selEnd_ = v;
        update();
    }
}

void TSelTrackBar::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);
    const int lo = std::max(minimum(), std::min(selStart_, selEnd_));
    const int hi = std::min(maximum(), std::max(selStart_, selEnd_));
    if (hi <= lo)
        return;
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect groove = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderGroove, this);
    const QRect handle = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    const int x0 = groove.x() + handle.width() / 2 + QStyle::sliderPositionFromValue(minimum(), maximum(), lo, span);
    const int x1 = groove.x() + handle.width() / 2 + QStyle::sliderPositionFromValue(minimum(), maximum(), hi, span);
    // The band sits just above the handle so that it never hides the handle itself.
    const int y = std::max(0, handle.top() - 4);
    QPainter p(this);
    p.fillRect(QRect(QPoint(x0, y), QPoint(x1, y + 2)), palette().color(QPalette::Highlight));
}

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setSpacing(2);
    columns = std::max(1, columns);
    const int rows = (static_cast<int>(items.size()) + columns - 1) / columns;
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        // Items fill the first column from the top, then the next.
        grid->addWidget(b, i % rows, i / rows);
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            emit itemIndexChanged(id);
    });
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
    } else if (QAbstractButton* c = group_->checkedButton()) {
        // -1 (or any index outside the items) leaves no item checked.
        group_->setExclusive(false);
        c->setChecked(false);
        group_->setExclusive(true);
    }
}

int TRadioGroup::Count() const { return static_cast<int>(group_->buttons().size()); }

QSize TFixedHeightDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setHeight(height_);
    return s;
}
