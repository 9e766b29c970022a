#include "UiTestMain.h"

#include "core/concepts/Concepts.h"
#include "core/learning/Features.h"
#include "platform/qt/Dialogs.h"
#include "support/TestData.h"
#include "ui/FormControls.h"
#include "ui/FormSaveData.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace {

// A window whose data modes put cycle 1 + mode in class 0 and the marked cycles
// 0, 0 and 4 in class 1; it records what the dialog asked of it.
class FakeWindow : public SaveDataWindow {
public:
    ConceptObject root{"root", nullptr, false};
    ConceptObject* child = root.AddChild(new ConceptObject("child", nullptr, false));
    FeatureList list;
    std::vector<double> epsilons;
    std::vector<int> modes;
    int drawnJitter = -1;
    std::vector<std::string> rules;

    FakeWindow()
    {
        // 4 features over 8 cycles: f0 at 0..3 (group child, level 1), f1 at 0 and
        // 4 (group root), f2 never, f3 everywhere.
        list.Allocate(4, 8);
        const std::vector<std::vector<int>> holds{{0, 1, 2, 3}, {0, 4}, {}, {0, 1, 2, 3, 4, 5, 6, 7}};
        for (int f = 0; f < 4; ++f) {
            for (const int c : holds[f])
                list.SetBit(f, c);
            list.SetCount(f, static_cast<int>(holds[f].size()));
        }
        list.SetGroupKey(0, child);
        list.SetGroupKey(1, &root);
    }
    FeatureList* Features() override { return &list; }
    int NumCycles() const override { return 8; }
    void MarkCycles(int mode, std::vector<int>& cycles, std::vector<std::string>& names, std::vector<int>& classes,
                    std::vector<int>& marked, double epsilon) override
    {
        modes.push_back(mode);
        epsilons.push_back(epsilon);
        names = {"OTHER", "PATH"};
        cycles = {1 + mode, 0, 0, 4};
        classes = {0, 1, 1, 1};
        marked = {0, 0, 4};
    }
    void RuleCoverage(const std::string& rule, int conditions, std::vector<int>& counts, const std::vector<int>& cycles,
                      const std::vector<int>&, double& depth) override
    {
        rules.push_back(rule);
        counts[0] = static_cast<int>(cycles.size()) - conditions;
        counts[1] = conditions;
        depth = 0.5 * conditions;
    }
    void DrawExampleCycles(const std::vector<int>&, const std::vector<int>&, const std::vector<int>&,
                           int jitter) override
    {
        drawnJitter = jitter;
    }
};

struct Lists {
    std::vector<int> cycles, classes, marked;
    std::vector<std::string> names;
};

TEST(FormSaveData, StartsWithWekaModeZeroAndEveryControl)
{
    EnsureApp();
    TFormSaveData form;
    EXPECT_EQ(form.windowTitle(), "Save feature data");
    EXPECT_EQ(form.FileType(), 1);
    EXPECT_EQ(form.rgFileType->ItemIndex(), 1);
    EXPECT_EQ(form.SaveFilter(), "Weka format (*.arff)");
    EXPECT_EQ(form.SaveDefaultExt(), "arff");
    EXPECT_EQ(form.DataMode(), 0);
    EXPECT_EQ(form.rgData->ItemIndex(), 0);
    EXPECT_EQ(form.rgData->Count(), 10);
    EXPECT_TRUE(form.FileName().isEmpty());
    EXPECT_EQ(form.EditTFIDF->text(), "0");
    EXPECT_EQ(form.EditDistance->text(), "0");
    EXPECT_EQ(form.tbJitter->value(), 0);
    EXPECT_EQ(form.btnUpdate->text(), "Update info");
    EXPECT_EQ(form.BtnSave->text(), "Save");
    EXPECT_TRUE(form.BtnSave->isDefault());
    EXPECT_EQ(form.BtnCancel->text(), "Cancel");
    EXPECT_EQ(form.ButtonEvalDepth->text(), "Eval Depth");
    EXPECT_EQ(form.BtnEvalRules->text(), "Eval Rules");
    EXPECT_EQ(form.lNumInstances->text(), "Instances");
    EXPECT_EQ(form.lAvgDepth->text(), "Attribute Depth");
    EXPECT_EQ(form.Memo1->toPlainText(), "Memo1");
    EXPECT_EQ(form.MemoRules->toPlainText(), "MemoRules");
}

TEST(FormSaveData, FileTypeAndDataModeFollowTheRadioGroups)
{
    EnsureApp();
    TFormSaveData form;
    const char* filters[] = {"Apriori format (*.dat)", "Weka format (*.arff)", "CN2 (*.cn2)", "Orange (*.tab)",
                             "Slipper (*.data)"};
    const char* exts[] = {"dat", "arff", "cn2", "tab", "data"};
    for (int i : {0, 2, 3, 4, 1}) {
        form.rgFileType->SetItemIndex(i);
        EXPECT_EQ(form.FileType(), i);
        EXPECT_EQ(form.SaveFilter(), filters[i]);
        EXPECT_EQ(form.SaveDefaultExt(), exts[i]);
    }
    for (int mode = 9; mode >= 0; --mode) {
        form.rgData->SetItemIndex(mode);
        EXPECT_EQ(form.DataMode(), mode);
    }
}

// Opens the dialog for the window; while it is shown, `inside` runs.
bool RunDialog(TFormSaveData& form, FakeWindow& window, Lists& lists, const std::function<void()>& inside)
{
    QTimer::singleShot(0, &form, inside);
    return form.Execute(&window, &lists.cycles, &lists.names, &lists.classes, &lists.marked);
}

TEST(FormSaveData, UpdateCountsInstancesClassesAndAttributes)
{
    EnsureApp();
    TFormSaveData form;
    FakeWindow window;
    Lists lists;
    form.rgData->SetItemIndex(2);
    form.EditDistance->setText("0.25");
    form.tbJitter->setValue(3);
    const bool ok = RunDialog(form, window, lists, [&] {
        form.btnUpdate->click();
        form.reject();
    });
    EXPECT_FALSE(ok);
    // Counted as the dialog opens, and again at the press.
    EXPECT_EQ(window.modes, (std::vector<int>{2, 2}));
    EXPECT_EQ(window.epsilons, (std::vector<double>{0.25, 0.25}));
    EXPECT_EQ(lists.cycles, (std::vector<int>{3, 0, 0, 4}));
    // Scores over marks 0, 0, 4: f0 2 * log2(2) = 2, f1 3 * log2(4) = 6, f2 never, f3 0.
    EXPECT_DOUBLE_EQ(window.list.GetValue(0), 2.0);
    EXPECT_DOUBLE_EQ(window.list.GetValue(1), 6.0);
    EXPECT_DOUBLE_EQ(window.list.GetValue(2), -999.99);
    EXPECT_EQ(form.lNumInstances->text(), "Instances = 4");
    EXPECT_EQ(form.lNumClasses->text(), "Classes = 2");
    // At the threshold 0 the writer declares every feature, whatever its score: all four count.
    EXPECT_EQ(form.lNumAttr->text(), "Attributes = 4");
    EXPECT_EQ(form.lAvgDepth->text(), "Avg attribute depth = 0.25");
    form.EditTFIDF->setText("0.5");
    form.btnUpdateClick();
    EXPECT_EQ(form.lNumAttr->text(), "Attributes = 2");
    EXPECT_EQ(form.lAvgDepth->text(), "Avg attribute depth = 0.5");
    EXPECT_EQ(window.drawnJitter, 3);

    // A negative threshold picks the score of rank 1 and shows it; the next update counts above it.
    form.EditTFIDF->setText("-1.9");
    form.btnUpdateClick();
    EXPECT_EQ(form.EditTFIDF->text(), "2.00");
    EXPECT_EQ(form.lNumAttr->text(), "Attributes = -1");
    EXPECT_EQ(form.lAvgDepth->text(), "Avg attribute depth = 0");
    form.btnUpdateClick();
    EXPECT_EQ(form.lNumAttr->text(), "Attributes = 1");
    EXPECT_EQ(form.lAvgDepth->text(), "Avg attribute depth = 0");
}

TEST(FormSaveData, NotANumberStopsTheUpdate)
{
    EnsureApp();
    platform::DialogScript script;
    TFormSaveData form;
    FakeWindow window;
    Lists lists;
    form.EditTFIDF->setText("abc");
    RunDialog(form, window, lists, [&] {
        form.btnUpdate->click();
        form.reject();
    });
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "'abc' is not a valid floating point value");
    EXPECT_TRUE(window.modes.empty());
    EXPECT_EQ(form.lNumInstances->text(), "Instances");
}

TEST(FormSaveData, EvalDepthTabulatesAndResetsEpsilon)
{
    EnsureApp();
    TFormSaveData form;
    FakeWindow window;
    Lists lists;
    form.EditDistance->setText("0.5");
    form.EditTFIDF->setText("1");
    RunDialog(form, window, lists, [&] {
        form.btnUpdate->click();
        form.ButtonEvalDepth->click();
        form.ButtonEvalDepth->click();
        form.reject();
    });
    EXPECT_EQ(window.epsilons, (std::vector<double>{0.5, 0.5, 0.5, 0.0}));  // the first as the dialog opens
    const QStringList lines = form.Memo1->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 50);
    EXPECT_EQ(lines[0], "Testing (tfidfValue, avgDepth, numAttr)");
    // 4 scores: rank 10 and beyond is the last, never-set feature: nothing counts.
    EXPECT_EQ(lines[1], "-999.990\t0.000\t0");
    EXPECT_EQ(lines[49], "-999.990\t0.000\t0");
    EXPECT_EQ(form.EditTFIDF->text(), "1");
}

TEST(FormSaveData, EvalRulesReportsEveryLine)
{
    EnsureApp();
    TFormSaveData form;
    FakeWindow window;
    Lists lists;
    form.MemoRules->setPlainText("a> b>\nplain");
    RunDialog(form, window, lists, [&] {
        form.BtnEvalRules->click();
        form.reject();
    });
    EXPECT_EQ(window.epsilons, (std::vector<double>{0.0, 0.0}));  // as the dialog opens, and the evaluation's
    EXPECT_EQ(window.rules, std::vector<std::string>{"a> b> "});
    const QString expected = "#0 Evaluating rule (size 2), avg attr. depth (1.000) :\na> b> \n0. class OTHER = 2\n"
                             "1. class PATH = 2\n#1 Evaluating rule (size 0), avg attr. depth (0.000) :\nplain \n"
                             "0. class OTHER = 0\n1. class PATH = 0\n--- Average class distribution :\n"
                             "0. class OTHER = 1.000\n1. class PATH = 1.000\n"
                             "Best class 0:OTHER value = 0 #1 depth = 0.000\nAverage depth = 0.500\n"
                             "--- done evaluating";
    EXPECT_EQ(form.Memo1->toPlainText(), expected);
}

TEST(FormSaveData, SaveNeedsAFileAndExecuteReadsTheThreshold)
{
    EnsureApp();
    platform::DialogScript script;
    TFormSaveData form;
    FakeWindow window;
    Lists lists;
    form.rgFileType->SetItemIndex(2);
    form.EditTFIDF->setText("1.5");
    bool stillOpen = false;
    script.files.push_back({});  // the first save dialog is cancelled
    script.files.push_back({true, {"/tmp/out.cn2"}, 0});
    const bool ok = RunDialog(form, window, lists, [&] {
        form.BtnSave->click();
        stillOpen = form.isVisible();
        form.BtnSave->click();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(ok);
    ASSERT_EQ(script.fileDialogs.size(), 2u);
    EXPECT_TRUE(script.fileDialogs[0].save);
    EXPECT_EQ(script.fileDialogs[0].filter, "CN2 (*.cn2)");
    EXPECT_EQ(form.FileName(), "/tmp/out.cn2");
    EXPECT_DOUBLE_EQ(form.Threshold(), 1.5);
    EXPECT_EQ(form.FileType(), 2);
    EXPECT_EQ(lists.names, (std::vector<std::string>{"OTHER", "PATH"}));

    // Cancel closes with false.
    const bool again = RunDialog(form, window, lists, [&] { form.BtnCancel->click(); });
    EXPECT_FALSE(again);
}

// Apriori and Slipper write a second file beside the chosen one: the save
// asks before it replaces that one as well, by its name, and refuses unasked
// a second file that is a link to the first.
TEST(FormSaveData, ASaveOfTwoFilesAsksAboutTheSecondToo)
{
    EnsureApp();
    TFormSaveData form;
    FakeWindow window;
    Lists lists;
    const std::string dir = MakeTempDir("assoc-pair");
    for (const char* there : {"d.data", "d.names", "d.app", "z.data"})
        std::ofstream(dir + "/" + there) << "own";
    std::filesystem::create_symlink("z.data", dir + "/z.names");
    const QString d = QString::fromStdString(dir);
    for (const auto& [type, chosen, question] :
         {std::tuple<int, const char*, QString>{0, "d.dat", "d.app already exists.\nDo you want to replace it?"},
          {1, "d.arff", ""}, {4, "d.data", "d.data and d.names already exist.\nDo you want to replace them?"},
          {4, "z.data", "Cannot write the file " + d + "/z.names: it leads to the same file as " + d + "/z.data"}}) {
        platform::DialogScript script;
        script.files.push_back({true, {QString::fromStdString(dir + "/" + chosen)}, 0});
        script.answers.push_back(platform::Answer::No);
        form.rgFileType->SetItemIndex(type);
        RunDialog(form, window, lists, [&] {
            form.BtnSave->click();
            form.BtnCancel->click();  // where it stays, answered No
        });
        EXPECT_EQ(script.messages.empty() ? QString() : script.messages[0].text, question) << chosen;
    }
}

}  // namespace
