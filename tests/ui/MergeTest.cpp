// "Merge Files" through the real main window, offscreen: the team chooser's
// list and its answers, the merged log taking its sources' place with a field
// and an action-graph window, the prefix, Cancel, a merge over an earlier
// merged log, and the merge the action graph's services offer.
#include "MainFormFixture.h"
#include "UiTestMain.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/childActionWin.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "support/RcgWriter.h"
#include "support/TestData.h"
#include "ui/MainServices.h"
#include "ui/OpenLogs.h"
#include "ui/TeamDlg.h"
#include "ui/childFieldWin.h"
#include "ui/main.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const char kShort[] = "match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg";

// The real short match with its two team names exchanged: HELIOS_A on the right.
QString ExchangedShortMatch()
{
    std::string bytes = ReadBytes(GunzippedTestFile(kShort));
    for (auto [from, to] : {std::pair{"HELIOS_A", "HELIOS_#"}, {"HELIOS_B", "HELIOS_A"}, {"HELIOS_#", "HELIOS_B"}}) {
        const std::string f = from, t = to;
        for (std::size_t at = bytes.find(f); at != std::string::npos; at = bytes.find(f, at + t.size()))
            bytes.replace(at, f.size(), t);
    }
    return QString::fromStdString(SaveTempFile("exchanged.rcg", bytes));
}

// A short log of two other teams, 2:0.
QString AlphaBetaLog()
{
    RcgWriter w;
    w.Teams("Alpha", 2, "Beta", 0).ServerParams().PlayerType(0.3, 0.7);
    ShowState s;
    for (int t = 1; t <= 40; ++t) {
        s.time = static_cast<uint16_t>(t);
        s.ball.x += 0.5;
        s.Left(9).x = s.ball.x;
        w.Show(s);
    }
    return QString::fromStdString(w.Save("alphabeta.rcg"));
}

class MergeTest : public MainFormFixture {
protected:
    void SetUp() override
    {
        MainFormFixture::SetUp();
        form->resize(1200, 800);
        form->show();
        shortMatch = QString::fromStdString(GunzippedTestFile(kShort));
    }
    void TearDown() override
    {
        TChooseTeamDlg::ModalRunner() = [](TChooseTeamDlg& d) { return d.exec(); };
        MainFormFixture::TearDown();
    }

    // "Merge Files", the chooser answered by act (which presses a button).
    void Merge(const std::function<void(TChooseTeamDlg&)>& act)
    {
        TChooseTeamDlg::ModalRunner() = [act](TChooseTeamDlg& d) {
            d.setResult(QDialog::Rejected);
            d.show();
            QCoreApplication::processEvents();
            act(d);
            const int result = d.result();
            d.hide();
            return result;
        };
        form->BtnMergeFiles->click();
        QCoreApplication::processEvents();
    }
    // The prefix typed, the chooser's entry of that text selected, then OK.
    void MergeTeam(const QString& entry, const QString& prefix = {})
    {
        Merge([&](TChooseTeamDlg& d) {
            d.EditPrefix->setText(prefix);  // the counts follow it
            const QList<QListWidgetItem*> found = d.lbTeams->findItems(entry, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << entry.toStdString();
            d.lbTeams->setCurrentItem(found.front());
            d.OKBtn->click();
        });
    }

    static QStringList Entries(const TChooseTeamDlg& d)
    {
        QStringList entries;
        for (int i = 0; i < d.lbTeams->count(); ++i)
            entries << d.lbTeams->item(i)->text();
        return entries;
    }
    std::vector<std::string> OpenNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < form->Logs->Count(); ++i)
            names.push_back(form->Logs->At(i)->fileName);
        return names;
    }
    int SelectedRow() const
    {
        const QModelIndexList sel = form->lbFiles->selectionModel()->selectedRows();
        return sel.size() == 1 ? sel.front().row() : -1;
    }
    QStringList WindowTitles() const
    {
        QStringList titles;
        for (QMdiSubWindow* w : form->MdiArea->subWindowList(QMdiArea::CreationOrder))
            titles << w->windowTitle();
        return titles;
    }

    platform::DialogScript script;
    QString shortMatch;
};

}  // namespace

TEST_F(MergeTest, TheChooserListsEveryTeamWithItsCountAndCancelOrAFailedMergeKeepsTheCurrentLog)
{
    form->OpenLogFiles({shortMatch, AlphaBetaLog(), ExchangedShortMatch()});
    ASSERT_EQ(form->Logs->Count(), 3);
    form->SelectCurrentFile(shortMatch, true);
    QStringList entries;
    int selected = -2;
    QString title;
    Merge([&](TChooseTeamDlg& d) {
        title = d.windowTitle();
        entries = Entries(d);
        selected = d.lbTeams->currentRow();
        d.CancelBtn->click();
    });
    EXPECT_EQ(title, "Choose a team to analyze");
    EXPECT_EQ(entries, (QStringList{"Alpha (1 x)", "Beta (1 x)", "HELIOS_A (2 x)", "HELIOS_B (2 x)"}));
    EXPECT_EQ(selected, 2);
    // Nothing merged; the log the user had chosen stays current.
    EXPECT_EQ(form->Logs->Count(), 3);
    EXPECT_EQ(form->Logs->Current(), form->Logs->At(0));
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_TRUE(script.messages.empty());
    // Nor does a merge that fails: a team no open log has (a stale entry).
    Merge([&](TChooseTeamDlg& d) {
        d.lbTeams->addItem("Gamma (1 x)");
        d.lbTeams->setCurrentRow(d.lbTeams->count() - 1);
        d.OKBtn->click();
    });
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "No open log has the team \"Gamma\"");
    EXPECT_EQ(form->Logs->Count(), 3);
    EXPECT_EQ(form->Logs->Current(), form->Logs->At(0));
    EXPECT_EQ(SelectedRow(), 0);
}

TEST_F(MergeTest, OkWithoutATeamSaysSoAndTheChooserStays)
{
    form->OpenLogFiles({AlphaBetaLog()});
    bool stayed = false;
    Merge([&](TChooseTeamDlg& d) {
        d.lbTeams->clearSelection();
        d.OKBtn->click();
        stayed = d.isVisible() && d.result() == QDialog::Rejected;
        d.CancelBtn->click();
    });
    EXPECT_TRUE(stayed);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "No team selected !");
    EXPECT_EQ(script.messages[0].caption, "Error");
    EXPECT_EQ(form->Logs->Count(), 1);
}

TEST_F(MergeTest, TheMergedLogReplacesItsSourcesAndOpensInAFieldAndAnActionGraphWindow)
{
    const QString alpha = AlphaBetaLog();
    const QString exchanged = ExchangedShortMatch();
    form->OpenLogFiles({shortMatch, alpha, exchanged});
    const int cycles = form->Logs->At(0)->cycles;
    ASSERT_GT(cycles, 290);
    // The windows on both sources close with them; as those of the first
    // source close, one of the second comes forward and makes its log current.
    form->SelectCurrentFile(exchanged, true);
    form->btnAnalyzeClick();
    form->SelectCurrentFile(shortMatch, true);
    form->BtnAdd2dClick();
    ASSERT_EQ(form->MdiArea->subWindowList().size(), 2);

    MergeTeam("HELIOS_A (2 x)");
    EXPECT_TRUE(script.messages.empty()) << script.messages[0].text.toStdString();
    ASSERT_EQ(form->Logs->Count(), 2);
    EXPECT_EQ(form->Logs->At(0)->fileName, alpha.toStdString());
    RoboCupFileT* merged = form->Logs->At(1);
    EXPECT_EQ(merged->fileName, "HELIOS_A-Others.rcg");
    EXPECT_EQ(form->Logs->Current(), merged);
    EXPECT_EQ(SelectedRow(), 1);
    EXPECT_EQ(merged->cycles, 2 * cycles);
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [HELIOS_A : Others (1:1)]");
    const QList<QMdiSubWindow*> windows = form->MdiArea->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(windows.size(), 2) << WindowTitles().join(" | ").toStdString();
    auto* field = qobject_cast<TMDIFieldChild*>(windows[0]);
    auto* graph = qobject_cast<TMDIActionChild*>(windows[1]);
    ASSERT_NE(field, nullptr);
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(field->File, merged);
    EXPECT_EQ(graph->File, merged);
    EXPECT_EQ(field->windowTitle(), "HELIOS_A : Others (1:1): Field 1");
    EXPECT_EQ(graph->windowTitle(), "HELIOS_A : Others (1:1): Action graph 2");
    EXPECT_GT(graph->Graph->NodeCount(), 0);
}

TEST_F(MergeTest, APrefixNamesTheMergedLogAfterTheTeam)
{
    form->OpenLogFiles({shortMatch});
    MergeTeam("HELIOS_B (1 x)", "X");
    ASSERT_EQ(OpenNames(), (std::vector<std::string>{"HELIOS_BX-Others.rcg"}));
    const RoboCupFileT* merged = form->Logs->Current();
    EXPECT_EQ(merged->leftTeam, "HELIOS_BX");
    EXPECT_EQ(merged->rightTeam, "Others");
    // HELIOS_B won 1:0 on the right.
    EXPECT_EQ(merged->leftScore, 1);
    EXPECT_EQ(merged->rightScore, 0);
}

TEST_F(MergeTest, MergingAgainReplacesTheEarlierMergedLogInsteadOfReadingIt)
{
    const QString alpha = AlphaBetaLog();
    form->OpenLogFiles({shortMatch, alpha});
    const int cycles = form->Logs->At(0)->cycles;
    MergeTeam("HELIOS_A (1 x)");
    ASSERT_EQ(OpenNames(), (std::vector<std::string>{alpha.toStdString(), "HELIOS_A-Others.rcg"}));

    // The earlier merged log names the team too, but only the reopened match
    // counts, in the chooser as in the merge.
    form->OpenLogFiles({shortMatch});
    MergeTeam("HELIOS_A (1 x)");
    EXPECT_TRUE(script.messages.empty());
    ASSERT_EQ(OpenNames(), (std::vector<std::string>{alpha.toStdString(), "HELIOS_A-Others.rcg"}));
    EXPECT_EQ(form->Logs->Current()->cycles, cycles);

    // With the earlier merged log alone a merge of the team would take no log,
    // so the chooser does not offer it, until a prefix names another merge,
    // which takes the earlier one (the choice made before stays).
    Merge([&](TChooseTeamDlg& d) {
        EXPECT_EQ(Entries(d).join(" "), "Alpha (1 x) Beta (1 x) Others (1 x)");
        d.lbTeams->setCurrentRow(1);
        d.EditPrefix->setText("X");
        EXPECT_EQ(Entries(d).join(" "), "Alpha (1 x) Beta (1 x) HELIOS_A (1 x) Others (1 x)");
        EXPECT_EQ(d.lbTeams->currentRow(), 1);
        d.CancelBtn->click();
    });
    MergeTeam("HELIOS_A (1 x)", "X");
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{alpha.toStdString(), "HELIOS_AX-Others.rcg"}));
    EXPECT_EQ(form->Logs->Current()->cycles, cycles);
}

TEST_F(MergeTest, TheServicesMergeWithoutClosingTheSources)
{
    const QString alpha = AlphaBetaLog();
    form->OpenLogFiles({shortMatch, alpha});
    RoboCupFileT* source = form->Logs->At(0);
    TMainFormServices own(*form);
    IMainWindowServices* services = &own;
    RoboCupFileT* merged = services->MergeFiles("Mine", "HELIOS_B", {source, form->Logs->At(1)});
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(OpenNames(), (std::vector<std::string>{shortMatch.toStdString(), alpha.toStdString(), "Mine-Others.rcg"}));
    EXPECT_EQ(services->CurrentLog(), merged);
    EXPECT_EQ(merged->cycles, source->cycles);
    EXPECT_EQ(services->MergeFiles("Nobody", "Nobody", {source}), nullptr);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(OpenNames().size(), 3u);
}
