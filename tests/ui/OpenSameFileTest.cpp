// Opening logs: a file under another of its names, memory running out while a
// log is read, and the caption meanwhile.
#include "MainFormFixture.h"

#include "platform/ReadFile.h"
#include "platform/qt/Dialogs.h"
#include "core/model/RoboCupFile.h"
#include "support/TestData.h"
#include "ui/OpenLogs.h"
#include "ui/UiHooks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <new>

namespace {

namespace fs = std::filesystem;

// Throws std::bad_alloc at the first wait text starting with the given one, and
// keeps the caption shown at every text.
class MemoryRunsOut : public UiHooks {
public:
    MemoryRunsOut(std::string at, const QWidget* w) : at_(std::move(at)), w_(w), previous_(platform::SetHooks(this)) {}
    ~MemoryRunsOut() override { platform::SetHooks(previous_); }
    void SetWaitText(const std::string& text) override
    {
        captions.push_back(w_->windowTitle());
        if (!at_.empty() && text.starts_with(at_))
            throw std::bad_alloc();
        UiHooks::SetWaitText(text);
    }
    QStringList captions;

private:
    std::string at_;
    const QWidget* w_;
    platform::Hooks* previous_;
};

class OpenSameFileTest : public MainFormFixture {
protected:
    std::vector<std::string> OpenNames() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < form->Logs->Count(); ++i)
            names.push_back(form->Logs->At(i)->fileName);
        return names;
    }
    const std::string dir = MakeTempDir("samefile"), a = dir + "/a.rcg", b = dir + "/b.rcg";
    const QString qa = QString::fromStdString(a);
    const bool copied = fs::copy_file(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), a);
    platform::DialogScript script;
};

TEST_F(OpenSameFileTest, AnotherNameOfAnOpenFileReplacesItsLog)
{
    const std::pair<void (*)(const fs::path&, const fs::path&), bool> cases[] = {
        {[](const fs::path& t, const fs::path& l) { fs::create_symlink(t, l); }, true},
        {[](const fs::path& t, const fs::path& l) { fs::create_hard_link(t, l); }, true},
        {[](const fs::path& t, const fs::path& l) { fs::copy_file(t, l); }, false}};
    int n = 0;
    for (const auto& [make, replaces] : cases) {
        const std::string other = b + std::to_string(++n);
        make(a, other);
        form->OpenLogFiles({qa});  // replaces the log read under the name before, a link to a too
        form->OpenLogFiles({QString::fromStdString(other)});
        EXPECT_EQ(OpenNames(), (replaces ? std::vector<std::string>{other} : std::vector<std::string>{a, other}));
        EXPECT_EQ(form->Logs->Current()->cycles, 409);
    }
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(OpenSameFileTest, MemoryRunningOutIsSaidAndKeepsTheOpenLogs)
{
    fs::copy_file(a, b);
    form->OpenLogFiles({qa, QString::fromStdString(b)});
    RoboCupFileT* loadedA = form->Logs->At(0);
    // While the records are read, while they are derived, while the features are computed.
    for (const char* at : {"Reading file (", "Evaluating calculated fields", "Computing features"}) {
        {
            MemoryRunsOut memory(at, form.get());
            form->OpenLogFiles({qa});
        }
        ASSERT_EQ(script.messages.size(), 1u) << at;
        EXPECT_EQ(script.messages[0].text, "Not enough memory to read " + qa + " (" +
                                               QString::fromStdString(platform::SizeText(fs::file_size(a))) + ")");
        script.messages.clear();
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{a, b}));
        EXPECT_EQ(form->Logs->At(0), loadedA);
        EXPECT_EQ(form->Logs->Current(), form->Logs->At(1));
    }
}

TEST_F(OpenSameFileTest, WhileALogIsReadTheCaptionNamesIt)
{
    MemoryRunsOut recorder("", form.get());
    form->OpenLogFiles({qa});
    ASSERT_FALSE(recorder.captions.isEmpty());
    EXPECT_EQ(recorder.captions.front(), "RoboCup VeloTrask [Reading " + qa + "]");
    EXPECT_EQ(recorder.captions.filter("(-1").size(), 0) << recorder.captions.join("\n").toStdString();
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [HELIOS_A : HELIOS_B (0:1)]");
}

}  // namespace
