// The sweep, the rule check and the export on a real match with the in-house
// learner: a learn window with the match's paths as strategies and a test
// window on the same match.
#include "strategy/FormStrategy.h"

#include "strategy/model/RuleExport.h"
#include "strategy/model/Sweep.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/load/LoadLog.h"
#include "core/learning/DecisionList.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/MDIChild.h"

#include "support/GuiApp.h"
#include "support/EndChunk.h"
#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QListWidgetItem>
#include <QPlainTextEdit>
#include <QPointer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <string>

namespace {

// "avg, len=3": strategies of three connections.
constexpr int kPathFunction = 15;

QStringList MemoLines(const QPlainTextEdit* memo) { return memo->toPlainText().split('\n'); }

class SweepOnAMatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApp();
        CreateConceptHierarchies();
        log = LoadLog(GunzippedTestFile("match-full-HELIOS_A_4-vs-HELIOS_B_2.rcg"), true);
        ASSERT_TRUE(log && log->features);
        learn = Window();
        test = Window();
        // Three strategies of the match are enough to see every part at work.
        learn->cbPathFunc->setCurrentIndex(kPathFunction);
        learn->FindPaths(learn->Graph, 1, learn->Paths);
        TPathList few(true);
        for (const TPathItem& item : learn->Paths.Items())
            if (item.path && !ExportSkips(item.text) && few.Count() < 3)
                few.Add(item.text, item.path);
        ASSERT_EQ(few.Count(), 3) << learn->Paths.Count() << " " << (learn->Paths.Count() > 1 ? learn->Paths.Text(1) : "");
        learn->ClearPaths();
        for (const TPathItem& item : few.Items())
            learn->Paths.Add(item.text, item.path);
        learn->AddAllPathsItem(learn->Paths);
        form = std::make_unique<TFormStrategy>();
        form->Attach(learn, nullptr);
        form->testChild = test;
        form->testGraph = test->Graph;
        form->cbHomeRules->setChecked(true);
        form->EditFName->setText(QString::fromStdString(MakeTempDir("sweep-data") + "/test.data"));
        // What the commands keep in the private folder stays in the test's own.
        qputenv("TMPDIR", QByteArray::fromStdString(MakeTempDir("sweep-tmp")));
    }
    void TearDown() override
    {
        hadTmp_ ? qputenv("TMPDIR", previousTmp_) : qunsetenv("TMPDIR");
        form.reset();
        delete learn.data();
        delete test.data();
        log.reset();
        FreeConceptHierarchies();
    }
    TMDIActionChild* Window()
    {
        auto* window = new TMDIActionChild(nullptr, log.get());
        // The left team's players: strategies the export does not skip.
        for (int i = 1; i <= 11; ++i)
            window->lbPlayers->item(i)->setSelected(true);
        window->BuildActionGraph(window->Graph);
        return window;
    }

    InTempDir dir_{"sweep-match"};
    std::unique_ptr<RoboCupFileT> log;
    QPointer<TMDIActionChild> learn, test;
    std::unique_ptr<TFormStrategy> form;
    const bool hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray previousTmp_ = qgetenv("TMPDIR");
    platform::DialogScript script;
};

TEST_F(SweepOnAMatch, TwelveRowsUnderTheHeaderAndTheStrategiesStay)
{
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->lbPath->setCurrentRow(0);
    const int paths = learn->Paths.Count();
    const int strategies = form->lbPath->count();
    form->RunParameterSweep();
    const QStringList lines = MemoLines(form->MemoRules);
    ASSERT_EQ(lines.size(), 13) << form->MemoRules->toPlainText().toStdString();
    EXPECT_EQ(lines[0].toStdString(), kSweepHeader);
    const char* maxDist[] = {"8.00", "16.00", "24.00", "32.00", "16.00", "24.00",
                             "32.00", "40.00", "24.00", "32.00", "40.00", "48.00"};
    for (int run = 0; run < 12; ++run) {
        const QStringList row = lines[run + 1].split('\t');
        ASSERT_EQ(row.size(), 24) << run;
        EXPECT_EQ(row[0], "0.00");
        EXPECT_EQ(row[1], "0.00");
        EXPECT_EQ(row[2], maxDist[run]) << run;
        EXPECT_EQ(row[3], "85");
        // The learnt rules have conditions: their mean depth is counted.
        EXPECT_GT(row[21].toInt(), 0) << run;
    }
    EXPECT_EQ(learn->Paths.Count(), paths);
    EXPECT_EQ(form->lbPath->count(), strategies);
    EXPECT_EQ(form->lbPath->currentRow(), 0);
    EXPECT_TRUE(script.messages.empty());

    // The last run's rules, checked on every cycle of the test log, but for
    // the last node: "No Last Node" left it out, though it is no end node.
    ASSERT_TRUE(form->chunks.back()->State() == TChunkState::LeftOut && !IsEndChunk(*form->chunks.back()));
    const int chunks = static_cast<int>(form->chunks.size()) - 1;
    form->MemoRules->clear();
    form->BtnCheckRulesClick();
    const QStringList check = MemoLines(form->MemoRules);
    const int cycles = log->features->GetNumInstances();
    ASSERT_EQ(check.size(), chunks * cycles + 1);
    EXPECT_EQ(check[17], "17: " + QString(RulesCover(*log->features, form->chunks[0]->GetRules(), 17) ? "true" : "false"));
    int covered = 0;
    for (const QString& line : check)
        covered += line.endsWith(": true") ? 1 : 0;
    EXPECT_EQ(check.back(), QString("Rule evaluation: \ttp %1\ttn %2").arg(covered).arg(chunks * cycles - covered));
}

TEST_F(SweepOnAMatch, AllRulesAsSourceText)
{
    form->cbComputerOutput->setChecked(true);
    form->cbNoLastNode->setChecked(true);
    form->btnAllRulesClick();
    EXPECT_TRUE(script.messages.empty());
    QStringList lines = MemoLines(form->MemoRules);
    ASSERT_TRUE(lines.takeLast().startsWith("// Saved to "));  // where the file is
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines[1], "#ifdef ABS1SEQ3");
    const int blocks = lines.size() - 7;
    EXPECT_EQ(lines[2], QString("  #define NUMACTIONRULES %1").arg(blocks));
    EXPECT_GE(blocks, 1);
    for (int b = 0; b < blocks; ++b) {
        const QString& line = lines[5 + b];
        EXPECT_TRUE(line.startsWith("{   tActionRule(_")) << line.toStdString();
        EXPECT_TRUE(line.endsWith(b + 1 < blocks ? ") },\\" : ") }\\")) << line.toStdString();
        // One entry per node but the last.
        EXPECT_EQ(line.count("tActionRule("), 3) << line.toStdString();
    }
    EXPECT_EQ(lines[lines.size() - 2], "  };");
    EXPECT_EQ(lines.back(), "#endif");
    EXPECT_FALSE(form->MemoRules->toPlainText().contains("Team:"));
}

// The exported table as a C compiler sees it where the players include it: the
// block's level defined, the row type and one constant per action declared,
// then RULES expanded. The compiler's complaints, or "" when it accepts the text.
std::string CompileErrors(const std::string& exported, const std::string& level)
{
    std::string declarations = "typedef struct { int action; const char* condition; } tActionRule;\n"
                               "#define tActionRule(action, condition) { action, condition }\n"
                               "enum tAction {\n";
    std::set<std::string> actions;
    const std::string entry = "tActionRule(";
    for (std::size_t at = exported.find(entry); at != std::string::npos; at = exported.find(entry, at + 1)) {
        const std::size_t from = at + entry.size();
        actions.insert(exported.substr(from, exported.find(',', from) - from));
    }
    for (const std::string& action : actions)
        declarations += "    " + action + ",\n";
    declarations += "};\n#define " + level + "\n";
    const std::string dir = MakeTempDir("rules-c");
    {
        std::ofstream(dir + "/rules.c", std::ios::binary) << declarations << exported << "\nRULES\n";
    }
    const std::string command =
        "cc -fsyntax-only -std=c11 -Wall -Werror " + dir + "/rules.c > " + dir + "/errors.txt 2>&1";
    if (std::system(command.c_str()) == 0)
        return {};
    return "not compiled:\n" + ReadBytes(dir + "/errors.txt") + "\n" + declarations + exported;
}

TEST_F(SweepOnAMatch, TheExportedTableCompiles)
{
    if (std::system("cc --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "no C compiler";
    form->cbComputerOutput->setChecked(true);
    form->cbNoLastNode->setChecked(true);
    form->btnAllRulesClick();
    const std::string exported = form->MemoRules->toPlainText().toStdString();
    ASSERT_NE(exported.find("tActionRule("), std::string::npos) << exported;
    EXPECT_EQ(CompileErrors(exported, "ABS1SEQ3"), "");
}

}  // namespace
