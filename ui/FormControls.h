// Small widgets the forms of this program are built from where Qt has no direct
// counterpart: a clickable coloured strip, a track bar that shows a selected
// range, a titled group of radio buttons with an item index, and a delegate
// that gives every item of a list the same fixed height.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QSlider>
#include <QStringList>
#include <QStyledItemDelegate>

class QButtonGroup;

// A thin strip in the colour of the active caption with a hand cursor; a press
// on it emits clicked(). The main window uses two of them to fold panels away.
class TClickStrip : public QFrame {
    Q_OBJECT
public:
    explicit TClickStrip(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class QBoxLayout;

// The child windows fold their control panel away into a 5-pixel strip beside
// the picture and unfold it again above it at its own height. Toggles the
// panel between the two and returns true when it is unfolded (on top) now.
bool TogglePanelFold(QBoxLayout* layout, QWidget* panel, int height);

// A horizontal track bar that also shows a selected range (SelStart..SelEnd)
// as a band along its groove; the range is only shown, never edited here.
class TSelTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit TSelTrackBar(QWidget* parent = nullptr);

    int SelStart() const { return selStart_; }
    int SelEnd() const { return selEnd_; }
    void SetSelStart(int v);
    void SetSelEnd(int v);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int selStart_ = 0;
    int selEnd_ = 0;
};

// A group box of radio buttons laid out in columns; ItemIndex is the checked
// item counted from 0, or -1 when none is checked.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& title, const QStringList& items, int columns = 1, QWidget* parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    int Count() const;
    QButtonGroup* Group() const { return group_; }

signals:
    // The user or the program checked another item.
    void itemIndexChanged(int index);

private:
    QButtonGroup* group_;
};

// Gives every item of a list the same height in pixels.
class TFixedHeightDelegate : public QStyledItemDelegate {
public:
    TFixedHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int height_;
};
