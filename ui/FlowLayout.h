// A layout that places its items left to right at their preferred sizes and
// starts a new row wherever the next item would run past the right edge, so
// that a panel narrower than its controls shows them all, in more rows,
// instead of cutting the last ones.
#pragma once

#include <QLayout>
#include <QList>

class TFlowLayout : public QLayout {
public:
    explicit TFlowLayout(QWidget* parent = nullptr, int hSpacing = 6, int vSpacing = 2);
    ~TFlowLayout() override;

    // A column of controls (or any layout) that stays together in one row.
    void addLayout(QLayout* layout);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize minimumSize() const override;
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Lays the items out in rect (only measures when apply is false) and
    // returns the height the rows take, margins included.
    int Arrange(const QRect& rect, bool apply) const;

    QList<QLayoutItem*> items_;
    int hSpacing_;
    int vSpacing_;
};

// Keeps a panel whose controls wrap into rows at a fixed height that follows
// its width: at least minHeight, and as high as its rows need, so that the
// view below it gets the rest of the window. A panel whose height is not
// fixed (folded away into a strip) is left alone.
void FitPanelToRows(QWidget* panel, int minHeight);
