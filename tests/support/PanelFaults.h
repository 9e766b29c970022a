// What is wrong with the controls of a panel as the user sees it: a control
// that runs past the panel, one too small for its text, two on top of each
// other. Header only: the widget test programs include it; the support
// library itself links no widgets.
#pragma once

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace panelfaults {

inline bool IsControl(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QLabel*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QAbstractSpinBox*>(w);
}

// The width a control needs to show its text whole. A push button's size hint
// holds a minimum width of the style's on top, which a button of one letter
// does without.
inline int NeededWidth(const QWidget* w)
{
    if (const auto* button = qobject_cast<const QPushButton*>(w))
        return std::min(w->sizeHint().width(), w->fontMetrics().horizontalAdvance(button->text()) +
                                                   2 * w->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w));
    return w->sizeHint().width();
}

}  // namespace panelfaults

// One line for each fault of the panel's shown controls.
inline std::vector<std::string> PanelFaults(const QWidget* panel)
{
    using namespace panelfaults;
    std::vector<std::string> faults;
    std::vector<std::pair<const QWidget*, QRect>> controls;
    for (const QWidget* w : panel->findChildren<QWidget*>()) {
        if (!w->isVisibleTo(panel) || !IsControl(w) || qobject_cast<const QComboBox*>(w->parentWidget()))
            continue;
        const std::string name =
            (w->objectName().isEmpty() ? QString(w->metaObject()->className()) : w->objectName()).toStdString();
        const QRect r(w->mapTo(panel, QPoint(0, 0)), w->size());
        if (!panel->rect().contains(r))
            faults.push_back(name + " runs past the panel");
        const auto* label = qobject_cast<const QLabel*>(w);
        const bool text = qobject_cast<const QAbstractButton*>(w) || (label && !label->wordWrap());
        if (text && (w->width() < NeededWidth(w) || w->height() < w->fontMetrics().height()))
            faults.push_back(name + " is cut");
        for (const auto& [other, otherRect] : controls)
            if (r.intersects(otherRect) && !other->isAncestorOf(w) && !w->isAncestorOf(other))
                faults.push_back(name + " overlaps " + other->objectName().toStdString());
        controls.emplace_back(w, r);
    }
    return faults;
}
