// The panels of the child windows show every control whole: at each window's
// default size, and in narrower windows, where the controls wrap into rows.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "support/PanelFaults.h"
#include "support/TestData.h"
#include "ui/FlowLayout.h"
#include "ui/FormControls.h"
#include "ui/OpenLogs.h"
#include "ui/childChartWin.h"
#include "ui/main.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QLayoutItem>

#include <gtest/gtest.h>
#include <qcustomplot.h>

namespace {

QWidget* PanelOf(QMdiSubWindow* w)
{
    if (auto* panel = w->findChild<QWidget*>("ChartPanel"))
        return panel;
    return w->findChild<QWidget*>("ActionGraphPanel");
}

// An item of a fixed size that is never empty, as a control is.
class TBox : public QLayoutItem {
public:
    explicit TBox(QSize size) : size_(size) {}
    QSize sizeHint() const override { return size_; }
    QSize minimumSize() const override { return size_; }
    QSize maximumSize() const override { return size_; }
    Qt::Orientations expandingDirections() const override { return {}; }
    void setGeometry(const QRect& r) override { rect_ = r; }
    QRect geometry() const override { return rect_; }
    bool isEmpty() const override { return false; }

private:
    QSize size_;
    QRect rect_;
};

void ExpectWhole(const QWidget* panel)
{
    for (const std::string& fault : PanelFaults(panel))
        ADD_FAILURE() << fault;
}

}  // namespace

TEST_F(MainFormFixture, PanelsShowEveryControlWholeAtTheDefaultSize)
{
    form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
    ASSERT_NE(form->Logs->Current(), nullptr);
    // Opened into a hidden workspace the windows keep their default sizes;
    // shown, the small offscreen screen would cut them to fit.
    for (QPushButton* add : {form->BtnAdd1d, form->BtnAdd2d, form->BtnAddData, form->BtnAddUsage})
        add->click();
    form->NewActionGraphWindow(form->Logs->Current());
    const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 5);
    std::vector<QSize> sizes;
    for (QMdiSubWindow* w : windows)
        sizes.push_back(w->size());
    form->show();
    QApplication::processEvents();
    for (std::size_t i = 0; i < sizes.size(); ++i)
        windows[static_cast<qsizetype>(i)]->resize(sizes[i]);
    QApplication::processEvents();
    for (QMdiSubWindow* w : windows) {
        SCOPED_TRACE(w->windowTitle().toStdString() + " " + std::to_string(w->width()));
        const QWidget* panel = PanelOf(w);
        ASSERT_NE(panel, nullptr);
        ExpectWhole(panel);
    }
}

TEST_F(MainFormFixture, TheChartPanelGrowsARowInANarrowWindowAndStillFolds)
{
    form->OpenLogFiles({QString::fromStdString(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"))});
    form->show();
    form->BtnAdd1d->click();
    auto* chart = qobject_cast<TMDIChartChild*>(form->MdiArea->subWindowList().back());
    ASSERT_NE(chart, nullptr);
    const auto at = [&](int width) {
        chart->resize(width, 440);
        QApplication::processEvents();
        SCOPED_TRACE(width);
        ExpectWhole(chart->ChartPanel);
        return chart->ChartPanel->height();
    };
    EXPECT_EQ(at(900), 53);  // one row of columns
    const int narrow = at(400);
    EXPECT_GT(narrow, 53);
    EXPECT_EQ(chart->Chart->geometry().top(), narrow);  // the chart right below the rows
    EXPECT_EQ(at(900), 53);
    // Folded, the panel is the strip beside the chart; unfolded, its rows again.
    chart->PanelShowHide->clicked();
    QApplication::processEvents();
    EXPECT_EQ(chart->ChartPanel->width(), 5);
    EXPECT_TRUE(chart->cbSeries->isHidden() || !chart->cbSeries->isVisibleTo(chart->ChartPanel));
    chart->PanelShowHide->clicked();
    EXPECT_EQ(at(400), narrow);
}

TEST(FlowLayout, ItemsWrapIntoRowsOfTheWidthGiven)
{
    // Three boxes 40, 30 and 50 wide, 4 apart; rows 2 apart.
    struct Case {
        int width;
        std::vector<QPoint> at;
        int height;
    };
    const Case cases[] = {
        {200, {{0, 0}, {44, 0}, {78, 0}}, 20},  // one row
        {128, {{0, 0}, {44, 0}, {78, 0}}, 20},  // exactly one row
        {127, {{0, 0}, {44, 0}, {0, 22}}, 32},  // the last one down
        {73, {{0, 0}, {0, 22}, {0, 37}}, 47},   // one to a row, each row as high as its item
        {10, {{0, 0}, {0, 22}, {0, 37}}, 47},   // never an empty row
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        TFlowLayout flow(nullptr, 4, 2);
        TBox* items[] = {new TBox({40, 20}), new TBox({30, 13}), new TBox({50, 10})};
        for (TBox* item : items)
            flow.addItem(item);
        EXPECT_EQ(flow.heightForWidth(c.width), c.height);
        flow.setGeometry(QRect(0, 0, c.width, c.height));
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_EQ(items[i]->geometry().topLeft(), c.at[i]) << i;
        EXPECT_EQ(flow.sizeHint(), QSize(128, 20));
        EXPECT_EQ(flow.minimumSize(), QSize(50, 20));
    }
}
