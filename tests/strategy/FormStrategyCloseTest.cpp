// The strategy window closed in each way gives the action-graph window back
// its own path list and whole graph, and never stays minimised while modal.
#include "WorkedExampleWindow.h"

#include "actiongraph/model/PathsMemo.h"
#include "platform/qt/Dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>

#include <functional>

namespace {

class StrategyWindowClose : public WorkedExampleWindow {
protected:
    void SetUp() override
    {
        WorkedExampleWindow::SetUp();
        // Players apart, so that every connection shows on the pitch.
        for (int o = 0; o < RoboCupFileT::kObjectCount; ++o) {
            for (auto& x : record.File().posXChannel[static_cast<std::size_t>(o)]->GetValues())
                x = -40.0 + 4.0 * o;
            for (auto& y : record.File().posYChannel[static_cast<std::size_t>(o)]->GetValues())
                y = -20.0 + 2.0 * o;
        }
        child->resize(900, 700);
        child->FormResize(nullptr);
        // The dribble alone: drawn by itself it leaves the pass out.
        shared = std::make_shared<TPathObject>();
        shared->Connections() = {child->Graph->GetConnection(0)};
        TPathList own(false);
        own.Add("All", nullptr);
        own.Add("   2.00 #2 pass dribble", shared);
        child->SetPaths(own, 0, true);
        all = child->Paths.IndexOfPath(nullptr);  // sorted: "All" comes second
        child->cbPaths->setCurrentIndex(all);     // the whole graph
        whole = Picture();
    }
    QImage Picture() const { return child->Image->pixmap().toImage(); }
    TPathPtr shared;
    int all = -1;
    QImage whole;
};

}  // namespace

TEST_F(StrategyWindowClose, EveryWayOfClosingGivesTheWholeGraphBack)
{
    const std::pair<const char*, std::function<void(TFormStrategy&)>> ways[] = {
        {"Close", [](TFormStrategy& f) { f.BtnClose->click(); }},
        {"Esc",
         [](TFormStrategy& f) {
             QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
             QApplication::sendEvent(&f, &esc);
         }},
        {"title bar", [](TFormStrategy& f) { f.close(); }},
    };
    for (const auto& [way, close] : ways) {
        SCOPED_TRACE(way);
        form->Attach(child, nullptr);
        form->show();
        // A click on the strategy shows it alone in the window.
        form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(shared.get()));
        form->lbPathClick();
        ASSERT_EQ(child->Paths.Count(), 1);
        ASSERT_NE(Picture(), whole);
        close(*form);
        EXPECT_FALSE(form->isVisible());
        ASSERT_EQ(child->Paths.Count(), 2);
        EXPECT_EQ(child->Paths.Text(all), "All");
        EXPECT_EQ(child->Paths.Path(1 - all), shared);
        EXPECT_EQ(child->cbPaths->count(), 2);
        EXPECT_EQ(child->cbPaths->currentIndex(), all);
        EXPECT_EQ(Picture(), whole);
    }
}

TEST_F(StrategyWindowClose, AGraphChangedMeanwhileLeavesOnlyAll)
{
    form->Attach(child, nullptr);
    form->show();
    child->ClearPaths();  // as a rebuild of the graph does
    form->lbPath->setCurrentRow(0);
    TPathList one(false);
    one.Add("", shared);
    child->SetPaths(one, 0, true);
    form->reject();
    ASSERT_EQ(child->Paths.Count(), 1);
    EXPECT_EQ(child->Paths.Text(0), "All");
    EXPECT_EQ(child->Paths.Path(0), nullptr);
}

TEST_F(StrategyWindowClose, AModalWindowDoesNotStayMinimised)
{
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowCloseButtonHint);
    child->show();
    form->Attach(child, nullptr);
    form->setModal(true);
    form->show();
    // Minimised alone: back at once.
    form->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_FALSE(form->isMinimized());
    // Minimised with its owner: back when the owner is.
    child->setWindowState(Qt::WindowMinimized);
    form->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_TRUE(form->isMinimized());
    child->setWindowState(Qt::WindowNoState);
    QApplication::processEvents();
    EXPECT_FALSE(form->isMinimized());
    form->reject();
    child->hide();
}

TEST(PathListMemo, RestoresTheKeptItemsThatStillLive)
{
    auto kept = std::make_shared<TPathObject>();
    auto chosenGone = std::make_shared<TPathObject>();
    TPathList list(true);
    list.Add("All", nullptr);
    list.Add("b", kept);
    list.Add("c", chosenGone);
    TPathListMemo memo;
    EXPECT_TRUE(memo.Empty());
    memo.Keep(list, 1);
    int chosen = -1;
    TPathList back = memo.Restore(chosen);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(chosen, 1);
    EXPECT_EQ(kept.use_count(), 3);  // the memo holds none of them
    memo.Keep(list, 2);
    list.Clear();
    back.Clear();
    chosenGone.reset();
    back = memo.Restore(chosen);
    ASSERT_EQ(back.Count(), 2);
    EXPECT_EQ(back.Text(0), "All");
    EXPECT_EQ(back.Path(1), kept);
    EXPECT_EQ(chosen, 0);  // the chosen one went
    memo.Forget();
    EXPECT_TRUE(memo.Empty());
    EXPECT_EQ(memo.Restore(chosen).Count(), 0);
    EXPECT_EQ(chosen, -1);
}
