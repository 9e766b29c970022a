// Learner runs whose data file lies in the program's private folder: each run
// asks for the folder afresh, uses only what it answers and writes nothing
// through a link put in its place; the user is told once why a run failed.
#include "LearnNodeWindow.h"

#include "platform/SaveFile.h"

#include <QByteArray>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The learner records that it ran and writes one rule.
const char kWeka[] = "echo run >> \"$(dirname \"$0\")/runs\"\n"
                     "printf 'JRIP rules:\\n===\\n => class=N (3/0)\\n' > \"$2\"\n";

std::vector<std::string> Entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// "Generate rules" with TMPDIR pointing at a folder of the test's own, in a
// window opened there (its data file the default one).
class PrivateFolderRun : public GenerateRules {
protected:
    void SetUp() override
    {
        GenerateRules::SetUp();
        tmp = MakeTempDir("private-run-tmp");
        had_ = qEnvironmentVariableIsSet("TMPDIR");
        previous_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp));
        own = tmp + "/velotrask-" + std::to_string(::geteuid());
        WriteScript(folder + "/callweka", kWeka);
    }
    void TearDown() override
    {
        if (had_)
            qputenv("TMPDIR", previous_);
        else
            qunsetenv("TMPDIR");
        GenerateRules::TearDown();
    }
    // A window opened now, attached and on the strategy the fixture chose.
    void OpenWindow()
    {
        const int row = form->lbPath->currentRow();
        form = std::make_unique<TFormStrategy>();
        form->Attach(child, nullptr);
        form->lbPath->setCurrentRow(row);
        form->learnerFolder = QString::fromStdString(folder);
        form->cbNoLastNode->setChecked(false);
    }
    int Runs() const { return fs::exists(folder + "/runs") ? static_cast<int>(ReadBytes(folder + "/runs").size() / 4) : 0; }
    // Rule lines that say the node was left without rules for the reason.
    int FailedLines(const std::string& reason) const
    {
        int n = 0;
        for (const QString& line : Lines(form->MemoRules))
            n += line.contains("learner failed: ") && line.contains(QString::fromStdString(reason)) ? 1 : 0;
        return n;
    }

    std::string tmp, own;

private:
    bool had_ = false;
    QByteArray previous_;
};

}  // namespace

TEST_F(PrivateFolderRun, AFolderReplacedByALinkAfterTheWindowOpenedIsNotWrittenThrough)
{
    platform::DialogScript script;
    OpenWindow();
    EXPECT_EQ(form->EditFName->text().toStdString(), own + "/test.data");
    EXPECT_TRUE(script.messages.empty());

    // Replaced by a link to a folder of the same user, with an old result in it.
    const std::string elsewhere = MakeTempDir("private-run-elsewhere");
    std::ofstream(elsewhere + "/results.txt") << "someone's";
    fs::remove_all(own);
    fs::create_directory_symlink(elsewhere, own);

    form->BtnSaveRules->click();
    EXPECT_EQ(Entries(elsewhere), std::vector<std::string>{"results.txt"});
    EXPECT_EQ(ReadBytes(elsewhere + "/results.txt"), "someone's");
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].detail.toStdString(), "The folder " + own + " is a link, not a folder of its own");
    EXPECT_EQ(Runs(), 0);
    EXPECT_EQ(FailedLines("is a link"), 3);
    EXPECT_TRUE(fs::is_symlink(own));

    // The folder back as it should be: the next run writes there and learns.
    fs::remove(own);
    form->BtnSaveRules->click();
    EXPECT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(Runs(), 3);
    EXPECT_TRUE(fs::is_regular_file(own + "/results.txt"));
    EXPECT_EQ(Entries(elsewhere), std::vector<std::string>{"results.txt"});
}

TEST_F(PrivateFolderRun, AFolderRefusedWhenTheWindowOpensIsToldAndNothingGoesToTheCurrentFolder)
{
    std::ofstream(own) << "a file where the folder goes";
    const std::vector<std::string> here = Entries(fs::current_path());
    platform::DialogScript script;
    OpenWindow();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].detail.toStdString(), "The folder " + own + " is not a folder");
    EXPECT_EQ(form->EditFName->text().toStdString(), own + "/test.data");

    form->BtnSaveRules->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(script.messages[1].detail.toStdString(), "The folder " + own + " is not a folder");
    EXPECT_EQ(Runs(), 0);
    EXPECT_EQ(FailedLines("is not a folder"), 3);
    EXPECT_EQ(Entries(fs::current_path()), here);
    EXPECT_EQ(ReadBytes(own), "a file where the folder goes");
}

// "All Rules" learns every listed strategy and keeps its source text in the
// private folder: replaced by a link, the command says why once, learns
// nothing and writes nothing through the link.
TEST_F(PrivateFolderRun, AllRulesWithTheFolderReplacedByALinkSaysWhyOnce)
{
    platform::DialogScript script;
    OpenWindow();
    const std::string elsewhere = MakeTempDir("private-run-elsewhere");
    fs::remove_all(own);
    fs::create_directory_symlink(elsewhere, own);
    form->btnAllRules->click();
    EXPECT_TRUE(fs::is_empty(elsewhere));
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].detail.toStdString(), "The folder " + own + " is a link, not a folder of its own");
    EXPECT_EQ(Runs(), 0);
}
