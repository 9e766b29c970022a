// The strategy window's sweep, rule check and export on the pass scenario:
// what the memo, the setting boxes, the path lists and the export file hold.
#include "strategy/FormStrategy.h"

#include "strategy/model/RuleExport.h"
#include "strategy/model/Sweep.h"

#include "actiongraph/PassScenario.h"

#include "actiongraph/model/Actiongraph.h"
#include "core/learning/Features.h"
#include "platform/Clock.h"
#include "platform/qt/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/StringGrid.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

QStringList MemoLines(const QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }

class StrategySweep : public PassScenarioWindow {
protected:
    StrategySweep() : PassScenarioWindow("strategy-sweep") {}
    void SetUp() override
    {
        PassScenarioWindow::SetUp();
        form = std::make_unique<TFormStrategy>();
        // The in-house learner: no outside program runs.
        form->cbHomeRules->setChecked(true);
        ASSERT_EQ(window->Graph->ConnectionCount(), 3);
        path.Connections() = {window->Graph->GetConnection(2), window->Graph->GetConnection(0)};
    }
    void TearDown() override
    {
        form.reset();
        PassScenarioWindow::TearDown();
    }
    // Lists the given texts, each with the two-connection path, then "All paths".
    void ListPaths(const std::vector<std::string>& texts)
    {
        window->ClearPaths();
        for (const std::string& text : texts)
            window->Paths.Add(text, std::make_shared<TPathObject>(path));
        window->AddAllPathsItem(window->Paths);
        form->Attach(window, nullptr);
    }

    std::unique_ptr<TFormStrategy> form;
    TPathObject path;
};

TEST_F(StrategySweep, WithoutAStrategyOnlyTheHeaderAndTheUsersSettingsAndListsStay)
{
    ListPaths({"   2.00 #2 a", "   1.00 #2 b"});
    ASSERT_EQ(form->lbPath->count(), 4);
    form->lbPath->setCurrentRow(-1);
    form->MemoRules->setPlainText("old");
    form->EditMinConf->setText("0.3");
    form->EditThreshold->setText("60");
    form->RunParameterSweep();
    EXPECT_EQ(form->MemoRules->toPlainText().toStdString(), kSweepHeader);
    // The boxes show the user's settings again, not the last run's.
    EXPECT_EQ(form->EditMinConf->text(), "0.3");
    EXPECT_EQ(form->EditMinDiff->text(), "0");
    EXPECT_EQ(form->EditMinDist->text(), "0");
    EXPECT_EQ(form->EditMaxDist->text(), "16");
    EXPECT_EQ(form->EditThreshold->text(), "60");
    // The path box and the strategy lists are as before.
    EXPECT_EQ(window->Paths.Count(), 4);
    EXPECT_EQ(form->lbPath->count(), 4);
    EXPECT_EQ(form->allStrategies.Count(), 4);
    EXPECT_EQ(form->pathItems.Count(), 4);
    EXPECT_EQ(form->lbPath->currentRow(), -1);
}

// A sweep of the chosen strategy, with its rule test: the window's choice
// and settings are back when it ends.
TEST_F(StrategySweep, TheChosenStrategyAndTheSettingsAreBackAfterTheSweep)
{
    ListPaths({"   2.00 #2 a", "   1.00 #2 b"});
    record.File().features = std::make_unique<FeatureList>();
    record.File().features->Allocate(1, 3);
    form->SetTestGraph(window);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->EditFName->setText(QString::fromStdString(MakeTempDir("sweep-data") + "/test.data"));
    form->lbPath->setCurrentRow(1);
    form->EditMaxDist->setText("20");
    platform::DialogScript script;
    form->RunParameterSweep();
    EXPECT_EQ(MemoLines(form->MemoRules).size(), 13) << form->MemoRules->toPlainText().toStdString();
    EXPECT_EQ(form->EditMaxDist->text(), "20");
    EXPECT_EQ(form->lbPath->currentRow(), 1);
    EXPECT_EQ(form->lbPath->count(), 4);
}

TEST_F(StrategySweep, TestAllWritesTheJoinValueAboveTheHeaderAndKeepsTheMemo)
{
    ListPaths({"   2.00 #2 a"});
    form->lbPath->setCurrentRow(-1);
    window->cbTestAll->setChecked(true);
    window->EditValue->setText("12");
    form->MemoRules->setPlainText("earlier");
    form->RunParameterSweep();
    EXPECT_EQ(MemoLines(form->MemoRules), (QStringList{"earlier", "12", kSweepHeader}));
}

TEST_F(StrategySweep, OnlyARightPressOnTheGridRunsTheSweep)
{
    ListPaths({"   2.00 #2 a"});
    form->lbPath->setCurrentRow(-1);
    form->MemoRules->setPlainText("kept");
    form->sgStrategyMouseDown(Qt::LeftButton);
    EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
    emit form->sgStrategy->MouseDown(Qt::RightButton, 1, 1, QPoint());
    // It starts once the press is over.
    EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
    QCoreApplication::processEvents();
    EXPECT_EQ(form->MemoRules->toPlainText().toStdString(), kSweepHeader);
}

TEST_F(StrategySweep, CheckRulesAppendsOnceOrReplacesWithVerbose)
{
    ListPaths({"   2.00 #2 a"});
    record.File().features = std::make_unique<FeatureList>();
    record.File().features->Allocate(1, 3);
    form->chunks.push_back(std::make_unique<StrategyChunk>("A", nullptr, nullptr, 0.0, 0.0, 1.0, false));
    form->chunks.push_back(std::make_unique<StrategyChunk>("B-END", nullptr, nullptr, 0.0, 0.0, 1.0, true));
    form->chunks[0]->AddRule(std::make_unique<RuleObject>(true));  // learnt: holds everywhere
    form->chunks[1]->SetLeftOut();  // no condition: nothing to check
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->cbNoLastNode->setChecked(true);
    form->MemoRules->setPlainText("kept");
    form->BtnCheckRules->click();
    EXPECT_EQ(MemoLines(form->MemoRules),
              (QStringList{"kept", "0: true", "1: true", "2: true", "Rule evaluation: \ttp 3\ttn 0"}));
    form->cbVerbose->setCheckState(Qt::PartiallyChecked);
    form->cbNoLastNode->setChecked(false);
    form->BtnCheckRulesClick();
    const QStringList lines = MemoLines(form->MemoRules);
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines[0], "Rules:");
    EXPECT_EQ(lines[2], "B-END <= \tTRUE");
    EXPECT_EQ(lines[3], "----------------------------");
    EXPECT_EQ(lines[7], "Rule evaluation: \ttp 3\ttn 0");
}

// The export with the learning left to the rules command: each block opens
// and closes around what that command prints.
class StrategyExport : public StrategySweep {
protected:
    void SetUp() override
    {
        StrategySweep::SetUp();
        platform::SetClock([] { return std::int64_t{0}; });
        tmp = MakeTempDir("strategy-export");
        form->EditFName->setText(QString::fromStdString(MakeTempDir("export-data") + "/test.data"));
        hadTmp = qEnvironmentVariableIsSet("TMPDIR");
        previousTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp));
    }
    void TearDown() override
    {
        if (hadTmp)
            qputenv("TMPDIR", previousTmp);
        else
            qunsetenv("TMPDIR");
        platform::SetClock({});
        StrategySweep::TearDown();
    }
    std::string Own() const { return tmp + "/velotrask-" + std::to_string(::geteuid()); }
    // Where the memo's last line says the export went: a folder of the command's own in Own().
    std::string ExportFile() const
    {
        const std::filesystem::path file = MemoLines(form->MemoRules).last().section("// Saved to ", 1).toStdString();
        EXPECT_EQ(file.parent_path().parent_path(), Own());
        EXPECT_EQ(file.filename(), "TempResults.txt");
        return file.string();
    }
    std::string tmp;
    bool hadTmp = false;
    QByteArray previousTmp;
};

TEST_F(StrategyExport, ComputerOutputOverEveryListedStrategy)
{
    ListPaths({"   3.00 #2 a", "   2.00 #2 L:ATTACK", "   1.00 #2 b"});
    form->cbComputerOutput->setChecked(true);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    window->EditValue->setText("2");
    window->cbPathFunc->setCurrentIndex(14);
    platform::DialogScript script;
    form->btnAllRules->click();
    // Two blocks (the attack is skipped), each on one line whatever rule
    // learning printed into it.
    const QStringList lines = MemoLines(form->MemoRules);
    ASSERT_EQ(lines.size(), 11) << form->MemoRules->toPlainText().toStdString();
    EXPECT_TRUE(lines[0].startsWith("// *** Creating rules for all list @1970-01-01 "));
    EXPECT_EQ(lines.mid(1, 4), (QStringList{"#ifdef ABS2SEQ2", "  #define NUMACTIONRULES 2", "  #define ACTIONRULELEN 2",
                                            "  #define RULES tActionRule rules[NUMACTIONRULES][ACTIONRULELEN] = {\\"}));
    EXPECT_TRUE(lines[5].startsWith("{ ") && lines[5].endsWith("},\\")) << lines[5].toStdString();
    EXPECT_TRUE(lines[6].startsWith("{ ") && lines[6].endsWith("}\\")) << lines[6].toStdString();
    EXPECT_FALSE(lines[6].endsWith(",\\"));
    EXPECT_EQ(lines.mid(7, 3), (QStringList{"  };", "#endif",
                                            "// 1 of 3 strategies skipped: its name holds Attack, Intercept or RTeam"}));
    EXPECT_EQ(form->cbVerbose->checkState(), Qt::Checked);
    EXPECT_TRUE(form->cbStrictTimes->isChecked());
    EXPECT_EQ(form->lbPath->currentRow(), 2);
    // The file: the finished text with its closing lines, in CR LF lines, so
    // that it compiles as it stands; nothing in the shared temporary folder.
    std::string finished;
    for (const QString& line : lines.mid(0, 10))
        finished += line.toStdString() + "\r\n";
    EXPECT_EQ(ReadBytes(ExportFile()), finished);
    EXPECT_FALSE(std::filesystem::exists(tmp + "/TempResults.txt"));
    // Refused at once: a path function of no fixed length, a threshold that is no number (told once).
    window->cbPathFunc->setCurrentIndex(11);  // "avg, len>1"
    form->btnAllRules->click();
    form->cbComputerOutput->setChecked(false);
    form->EditThreshold->setText("abc");
    form->btnAllRules->click();
    form->btnAllRules->click();  // told again: once per command
    ASSERT_EQ(script.messages.size(), 3u);
    EXPECT_TRUE(script.messages[0].text.contains("\"avg, len=1\"")) << script.messages[0].text.toStdString();
    EXPECT_EQ(script.messages[2].text, script.messages[1].text);
}

TEST_F(StrategyExport, UnwritableFileIsReportedOnceAndTheExportGoesOn)
{
    ListPaths({"   3.00 #2 a", "   1.00 #2 b"});
    // A file where the program's folder should be: the file cannot be written.
    std::ofstream(Own()) << "in the way";
    form->cbComputerOutput->setChecked(false);
    platform::DialogScript script;
    form->btnAllRulesClick();
    int reports = 0;
    for (const platform::ShownMessage& m : script.messages)
        reports += m.text.contains("TempResults.txt") ? 1 : 0;
    EXPECT_EQ(reports, 1);
    // Both strategies were learnt, each under its heading after an empty line.
    const QStringList lines = MemoLines(form->MemoRules);
    const int first = lines.indexOf("***Rule    1.00 #2 b");
    const int second = lines.indexOf("***Rule    3.00 #2 a");
    ASSERT_GT(first, 0);
    EXPECT_GT(second, first);
    EXPECT_EQ(lines[first - 1], "");
    EXPECT_EQ(lines[second - 1], "");
}

TEST_F(StrategyExport, JoinValueThatIsNoNumberStopsBeforeAnything)
{
    ListPaths({"   3.00 #2 a"});
    window->EditValue->setText("x");
    form->MemoRules->setPlainText("kept");
    platform::DialogScript script;
    form->btnAllRulesClick();
    EXPECT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(form->MemoRules->toPlainText(), "kept");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(tmp + "/TempResults.txt")));
    EXPECT_TRUE(!std::filesystem::exists(Own()) || std::filesystem::is_empty(Own()));
}

}  // namespace
