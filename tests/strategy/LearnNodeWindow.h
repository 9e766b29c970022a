// Rule learning for strategy nodes of a real match, in a strategy window
// attached to its action-graph window: one node's examples (LearnNode), and a
// listed two-connection strategy for "Generate rules" (GenerateRules). Stand-in
// learner scripts go into the run's own folder.
#pragma once

#include "strategy/FormStrategy.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/PathObject.h"
#include "actiongraph/childActionWin.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/concepts/Concepts.h"
#include "core/load/LoadLog.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "strategy/model/StrategyChunks.h"
#include "ui/FormControls.h"
#include "ui/MDIChild.h"

#include "support/TestData.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include "support/GuiApp.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <cstdlib>
#include <unistd.h>


inline QApplication& App() { return EnsureGuiApp(); }

inline void WriteScript(const std::string& file, const std::string& body)
{
    std::ofstream(file) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

inline QStringList Lines(const QPlainTextEdit* memo)
{
    QStringList lines = memo->toPlainText().split('\n');
    if (lines.size() == 1 && lines[0].isEmpty())
        lines.clear();
    return lines;
}

// "" when the table compiles with "cc -std=c11 -Wall -Werror -pedantic" into a
// program that walks every counted entry and finds each with its action and
// condition; else what went wrong. With a level ("ABS1SEQ3") that macro is
// defined, as the players do; without, every block is taken.
inline std::string CompileAndWalk(std::string table, const std::string& level = "")
{
    if (std::system("cc --version > /dev/null 2>&1") != 0)
        return std::getenv("CI") ? "no C compiler" : "";
    if (!level.empty())
        table = "#define " + level + "\n" + table;
    for (std::size_t at = table.find("#ifdef "); level.empty() && at != std::string::npos; at = table.find("#ifdef ", at))
        table.replace(at, 7, "#if 1 // ");
    const std::string dir = MakeTempDir("rules-walk");
    std::ofstream(dir + "/rules.c", std::ios::binary)
        << "typedef struct { const char *action; const char *condition; } tActionRule;\n"
           "#define tActionRule(action, condition) { #action, condition }\n"
        << table << "\nRULES\nint main(void) {\n  for (int i = 0; i < NUMACTIONRULES; ++i)\n"
                    "    for (int j = 0; j < ACTIONRULELEN; ++j)\n"
                    "      if (!rules[i][j].action || !rules[i][j].condition) return 1;\n  return 0;\n}\n";
    if (std::system(("cc -std=c11 -Wall -Werror -pedantic -o " + dir + "/walk " + dir + "/rules.c 2> " + dir +
                     "/errors.txt").c_str()) != 0)
        return "not compiled:\n" + ReadBytes(dir + "/errors.txt") + "\n" + table;
    return std::system((dir + "/walk").c_str()) == 0 ? "" : "an entry without a condition:\n" + table;
}

// The short real match with its action graph, in a window the strategy window
// is attached to; the node with the most outgoing cycles is learnt against
// every other node's cycles.
class LearnNode : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        App();
        dir_ = new InTempDir("strategy-learn");
        CreateConceptHierarchies();
        log_ = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true).release();
    }
    static void TearDownTestSuite()
    {
        delete log_;
        FreeConceptHierarchies();
        delete dir_;
    }
    void SetUp() override
    {
        child = new TMDIActionChild(nullptr, log_);
        TMDIChild::SelectAllPlayers(child->lbPlayers);
        child->BuildActionGraph(child->Graph);
        form = std::make_unique<TFormStrategy>();
        form->Attach(child, nullptr);
        folder = MakeTempDir("strategy-learn-run");
        qputenv("TMPDIR", QByteArray::fromStdString(MakeTempDir("strategy-learn-tmp")));
        own = qEnvironmentVariable("TMPDIR").toStdString() + "/velotrask-" + std::to_string(::geteuid());
        form->dataFileName = folder + "/test.data";
        form->learnerFolder = QString::fromStdString(folder);
        // The node with the most cycles is the positive class.
        const TGraph& g = *child->Graph;
        TNode* best = nullptr;
        std::vector<int> bestCycles;
        for (int i = 0; i < g.NodeCount(); ++i) {
            std::vector<int> cycles;
            CollectCycles(nullptr, g.GetNode(i), cycles, TDurationMode::Duration, true);
            if (cycles.size() > bestCycles.size()) {
                best = g.GetNode(i);
                bestCycles = cycles;
            }
        }
        ASSERT_NE(best, nullptr);
        examples.name = best->GetName();
        examples.positives = bestCycles;
        for (int i = 0; i < g.NodeCount() && examples.negatives.size() < 300; ++i)
            if (g.GetNode(i) != best)
                CollectCycles(nullptr, g.GetNode(i), examples.negatives, TDurationMode::Duration, true);
        std::erase_if(examples.negatives, [&](int c) {
            return std::find(bestCycles.begin(), bestCycles.end(), c) != bestCycles.end();
        });
        ASSERT_GT(examples.positives.size(), 5u);
        ASSERT_GT(examples.negatives.size(), 20u);
        WeighFeatures();
        form->chunks.push_back(std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false));
        form->chunks.push_back(std::make_unique<StrategyChunk>("second", nullptr, nullptr, 0.0, 0.0, 0.0, true));
    }
    void TearDown() override
    {
        form.reset();
        delete child.data();
        hadTmp_ ? qputenv("TMPDIR", previousTmp_) : qunsetenv("TMPDIR");
    }
    // Each feature's value: how much more often it holds at positives than at
    // negatives (as the weighting before the learner leaves a value per feature).
    void WeighFeatures()
    {
        FeatureList& list = *log_->features;
        for (int f = 0; f < list.GetNumFeatures(); ++f) {
            double p = 0.0, n = 0.0;
            for (int c : examples.positives)
                p += list.GetBit(f, c);
            for (int c : examples.negatives)
                n += list.GetBit(f, c);
            list.SetValue(f, p / static_cast<double>(examples.positives.size()) -
                                 n / static_cast<double>(examples.negatives.size()));
        }
    }
    StrategyChunk& Chunk(int k) { return *form->chunks[static_cast<std::size_t>(k)]; }

    inline static InTempDir* dir_ = nullptr;
    inline static RoboCupFileT* log_ = nullptr;
    QPointer<TMDIActionChild> child;
    std::unique_ptr<TFormStrategy> form;
    std::string folder;
    std::string own;  // the private folder under the test's TMPDIR
    TNodeExamples examples;
    const bool hadTmp_ = qEnvironmentVariableIsSet("TMPDIR");
    const QByteArray previousTmp_ = qgetenv("TMPDIR");
};

// "Generate rules" on a strategy of the real match: a chain of two connections
// of the action graph, listed in the window and chosen in the strategy window.
class GenerateRules : public LearnNode {
protected:
    void SetUp() override
    {
        LearnNode::SetUp();
        form.reset();
        const TGraph& g = *child->Graph;
        // The chain of two connections between three different nodes whose
        // lighter connection is heaviest.
        auto path = std::make_shared<TPathObject>();
        int best = 0;
        for (int i = 0; i < g.ConnectionCount(); ++i) {
            TConnection* first = g.GetConnection(i);
            for (TConnection* next : first->To()->OutList()) {
                const bool three = first->From() != first->To() && next->From() != next->To() &&
                                   next->To() != first->From();
                if (three && std::min(first->Weight(), next->Weight()) > best) {
                    best = std::min(first->Weight(), next->Weight());
                    path->Connections() = {next, first};
                }
            }
        }
        ASSERT_EQ(path->Connections().size(), 2u);
        child->Paths.Add("chain", path);
        form = std::make_unique<TFormStrategy>();
        form->Attach(child, nullptr);
        form->lbPath->setCurrentRow(form->pathItems.IndexOfPath(path.get()));
        form->EditFName->setText(QString::fromStdString(folder + "/test.data"));
        form->learnerFolder = QString::fromStdString(folder);
        form->cbNoLastNode->setChecked(false);
    }
    // Stores as the test strategy the graph's first path as the first join of
    // a series leaves it (join value 0).
    void StoreTestStrategyOfFirstJoin()
    {
        child->EditValue->setText("0");
        child->BtnJoinNearestClick();
        child->ClearPaths();
        child->FindPaths(child->Graph, 1, child->Paths);
        form->Attach(child, nullptr);
        form->lbPath->setCurrentRow(0);
        form->btnStoreTestClick();
        ASSERT_FALSE(form->testChunks.empty());
    }
};

