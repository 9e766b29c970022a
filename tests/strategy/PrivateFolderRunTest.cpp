// Learner runs whose data file lies in the program's private folder: each run
// asks for the folder afresh, uses only what it answers and writes nothing
// through a link put in its place; the user is told once why a run failed.
#include "LearnNodeWindow.h"

#include "support/SaveFailure.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// "Generate rules" with TMPDIR at a folder of the test's own; the learner
// notes that it ran and writes one rule.
class PrivateFolderRun : public GenerateRules {
protected:
    void SetUp() override
    {
        GenerateRules::SetUp();
        if (qEnvironmentVariableIsSet("TMPDIR"))
            previous_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(MakeTempDir("private-run-tmp")));
        own = qEnvironmentVariable("TMPDIR").toStdString() + "/velotrask-" + std::to_string(::geteuid());
        WriteScript(folder + "/callweka", "echo run >> \"$(dirname \"$0\")/runs\"\n"
                                          "printf 'JRIP rules:\\n===\\n => class=N (3/0)\\nNumber of Rules : 1\\n' > \"$2\"\n");
    }
    void TearDown() override
    {
        previous_ ? qputenv("TMPDIR", *previous_) : qunsetenv("TMPDIR");
        GenerateRules::TearDown();
    }
    // A window opened now, on the strategy the fixture chose.
    void OpenWindow()
    {
        const int row = form->lbPath->currentRow();
        form = std::make_unique<TFormStrategy>();
        form->Attach(child, nullptr);
        form->lbPath->setCurrentRow(row);
        form->learnerFolder = QString::fromStdString(folder);
        form->cbNoLastNode->setChecked(false);
    }
    // The window shown, as the user opens it, and its first events handled.
    void ShowWindow()
    {
        form->show();
        QApplication::processEvents();
    }
    int Runs() const { return static_cast<int>(ReadBytes(folder + "/runs").size() / 4); }
    std::string Told(std::size_t i) const { return script.messages.at(i).detail.toStdString(); }

    platform::DialogScript script;

private:
    std::optional<QByteArray> previous_;
};

}  // namespace

TEST_F(PrivateFolderRun, AFolderReplacedByALinkAfterTheWindowOpenedIsNotWrittenThrough)
{
    OpenWindow();
    EXPECT_EQ(form->EditFName->text().toStdString(), own + "/test.data");
    // Replaced by a link to a folder of the same user, with an old result in it.
    const std::string elsewhere = MakeTempDir("private-run-elsewhere");
    std::ofstream(elsewhere + "/results.txt") << "someone's";
    fs::remove_all(own);
    fs::create_directory_symlink(elsewhere, own);
    const std::string link = "The folder " + own + " is a link, not a folder of its own";
    // Opened again, the window says so at once.
    ShowWindow();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(Told(0), link);

    form->BtnSaveRules->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(Told(1), link);
    EXPECT_EQ(Lines(form->MemoRules).filter("not learnt: dataset not written: " + QString::fromStdString(link)).filter("is a link").size(), 3);
    // "All Rules" learns nothing either and says why once.
    form->btnAllRules->click();
    ASSERT_EQ(script.messages.size(), 3u);
    EXPECT_EQ(Told(2), link);
    EXPECT_EQ(Runs(), 0);
    EXPECT_EQ(Lines(form->MemoRules).filter("// Export stopped: dataset not written: " + QString::fromStdString(link)).size(), 1);
    EXPECT_FALSE(form->MemoRules->toPlainText().contains("learner failed"));
    EXPECT_EQ(FolderEntries(elsewhere), std::vector<std::string>{"results.txt"});
    EXPECT_EQ(ReadBytes(elsewhere + "/results.txt"), "someone's");
    EXPECT_TRUE(fs::is_symlink(own));

    // The folder back as it should be: the next run writes there and learns.
    fs::remove(own);
    form->BtnSaveRules->click();
    EXPECT_EQ(script.messages.size(), 3u);
    EXPECT_EQ(Runs(), 3);
    EXPECT_TRUE(std::ranges::all_of(form->chunks, [](const auto& chunk) { return chunk->State() == TChunkState::Learnt; }));
    EXPECT_EQ(FolderEntries(own), std::vector<std::string>{});
}

TEST_F(PrivateFolderRun, AFolderRefusedWhenTheWindowOpensIsToldAndNothingGoesToTheCurrentFolder)
{
    std::ofstream(own) << "a file where the folder goes";
    const std::vector<std::string> here = FolderEntries(fs::current_path());
    OpenWindow();
    ShowWindow();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(Told(0), "The folder " + own + " is not a folder");
    EXPECT_EQ(form->EditFName->text().toStdString(), own + "/test.data");

    form->BtnSaveRules->click();
    ASSERT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(Told(1), "The folder " + own + " is not a folder");
    EXPECT_EQ(Runs(), 0);
    EXPECT_EQ(Lines(form->MemoRules).filter("not learnt: ").filter("is not a folder").size(), 3);
    EXPECT_EQ(FolderEntries(fs::current_path()), here);
    EXPECT_EQ(ReadBytes(own), "a file where the folder goes");
}
