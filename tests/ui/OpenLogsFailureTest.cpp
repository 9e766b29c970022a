// Opening logs that cannot be used, through the real main window: files
// without cycles, cut or broken, gone bad since they were opened, loads that
// fail midway or run out of memory, and another name of an open file.
#include "OpenLogsFixture.h"
#include "UiTestMain.h"

#include "core/learning/Features.h"
#include "core/model/Parallel.h"
#include "platform/ReadFile.h"
#include "support/FreshProcess.h"
#include "support/RcgWriter.h"
#include "ui/UiHooks.h"
#include "ui/waitFormWin.h"

#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>

TEST_F(OpenLogsTest, AFileWithoutCyclesLeavesTheListAgainAndSaysWhy)
{
    const std::string dir = MakeTempDir("bad");
    const QString good = CopyOfShortMatch(dir, "good.rcg");
    const QString other = CopyOfShortMatch(dir, "other.rcg");
    Open({good, other});
    form->SelectCurrentFile(good, false);  // the user's current log
    RoboCupFileT* goodLog = logs().Current();
    const int goodCycles = goodLog->cycles;
    form->BtnAdd1dClick();
    QPointer<QMdiSubWindow> window = form->MdiArea->subWindowList().back();

    RcgWriter v2(2);
    v2.Teams("Old", 0, "Older", 0).OldShow().OldShow();
    RcgWriter onlyTeams;
    onlyTeams.Teams("A", 0, "B", 0);
    RcgWriter badFirst;
    badFirst.Teams("A", 0, "B", 0).Tag(4);
    RcgWriter cutFirst;
    cutFirst.Teams("A", 0, "B", 0).Show(ShowState()).Truncate(10);
    struct Case {
        std::string path;
        QString why;
    };
    const std::string missing = dir + "/gone.rcg";
    const Case cases[] = {
        {SaveTempFile("text", "ULG5\n(server_param (goal_width 14.02))\n"),
         "(a text log of version 5; only binary logs can be read)"},
        {SaveTempFile("text3", "ULG3\n(server_param (goal_width 14.02))\n"),
         "(a text log of version 3; only binary logs can be read)"},
        {v2.Save("v2"), "(log version 2)"},
        {SaveTempFile("high", std::string("ULG\xFD", 4) + std::string(100, '\0')), "(log version 253)"},
        {SaveTempFile("empty", ""), "(the file is empty)"},
        {SaveTempFile("tiny", "UL"), "(the file is too short for a match log)"},
        {SaveTempFile("junk", std::string(3000, 'x')), "(no log header)"},
        {onlyTeams.Save("teams"), "(log version 3; no show records)"},
        {badFirst.Save("bad"), "(log version 3; bad record: Unknown mode)"},
        {cutFirst.Save("cut"), "(log version 3; the file ends inside a record)"},
    };
    for (const Case& c : cases) {
        Open({Q(c.path)});
        ExpectOneMessage(Q(c.path) + " holds no cycles that this program can read " + c.why, "Error");
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{good.toStdString(), other.toStdString()})) << c.path;
        EXPECT_EQ(ListCount(), 2);
        EXPECT_EQ(logs().Current(), goodLog);  // the log current before stays current
        EXPECT_EQ(SelectedRow(), 0);
        EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [HELIOS_A : HELIOS_B (0:1)]");
        EXPECT_EQ(goodLog->cycles, goodCycles);
        EXPECT_EQ(WaitForm, nullptr);
    }
    Open({Q(missing)});
    ExpectOneMessage("Cannot read the file " + Q(missing) + ": No such file or directory", "Error");
    EXPECT_EQ(NumLogs(), 2u);
    EXPECT_FALSE(window.isNull());  // the windows of other logs stay open

    // A log as the soccer server writes it compressed: the user learns what to do.
    const std::string gz = dir + "/match.rcg.gz";
    std::filesystem::copy_file(TestDataPath(std::string(kShort) + ".gz"), gz);
    Open({Q(gz)});
    ExpectOneMessage(Q(gz) + " is compressed (gzip): unpack it first, for example with \"gunzip\", and open the "
                             "unpacked log",
                     "Error");
    EXPECT_EQ(NumLogs(), 2u);

    // A name typed without extension opens the log of that name.
    const QString typed = CopyOfShortMatch(dir, "typed.rcg");
    Open({Q(dir + "/typed")});
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(logs().Current()->fileName, typed.toStdString());
    form->BtnRemoveFileClick();
    form->SelectCurrentFile(good, false);

    // Several files at once: the good ones load, the bad one is told of.
    const QString third = CopyOfShortMatch(dir, "third.rcg");
    Open({Q(cases[0].path), third});
    ExpectOneMessage(Q(cases[0].path) + " holds no cycles that this program can read " + cases[0].why, "Error");
    EXPECT_EQ(OpenNames(),
              (std::vector<std::string>{good.toStdString(), other.toStdString(), third.toStdString()}));
    EXPECT_EQ(logs().Current(), logs().At(2));
}

TEST_F(OpenLogsTest, AFileGoneBadSinceItWasOpenedKeepsItsLoadedLog)
{
    const std::string dir = MakeTempDir("gonebad");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    const QString b = CopyOfShortMatch(dir, "b.rcg");
    Open({a, b});
    ASSERT_EQ(NumLogs(), 2u);
    RoboCupFileT* loadedA = logs().At(0);
    const int cyclesA = loadedA->cycles;
    // The file is overwritten with something that yields no cycle; opening it
    // again must not cost the user the log already loaded from it.
    std::ofstream(a.toStdString(), std::ios::binary | std::ios::trunc) << "ULG5\n(junk)";
    Open({a});
    ExpectOneMessage(a + " holds no cycles that this program can read (a text log of version 5; only binary logs "
                         "can be read)",
                     "Error");
    ASSERT_EQ(OpenNames(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
    EXPECT_EQ(logs().At(0), loadedA);
    EXPECT_EQ(logs().At(0)->cycles, cyclesA);
    EXPECT_EQ(ListCount(), 2);
    EXPECT_EQ(RowText(0), "a.rcg");
    EXPECT_NE(logs().Current(), nullptr);
}

// Stands for any failure deep inside a load (a broken channel, or memory
// running out): it throws at the first wait text that starts as given.
class ThrowAt : public UiHooks {
public:
    explicit ThrowAt(std::string at = "Computing features", bool memory = false) : at_(std::move(at)), memory_(memory)
    {
        previous_ = platform::SetHooks(this);
    }
    ~ThrowAt() override { platform::SetHooks(previous_); }
    void SetWaitText(const std::string& text) override
    {
        if (text.starts_with(at_))
            memory_ ? throw std::bad_alloc() : throw std::runtime_error("broken");
        UiHooks::SetWaitText(text);
    }

private:
    std::string at_;
    bool memory_;
    platform::Hooks* previous_ = nullptr;
};

TEST_F(OpenLogsTest, ALoadThatFailsMidwayLeavesNoEntryAndKeepsTheLogItReplaced)
{
    const std::string dir = MakeTempDir("throws");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    const QString b = CopyOfShortMatch(dir, "b.rcg");
    const QString c = CopyOfShortMatch(dir, "c.rcg");
    Open({a, b});
    RoboCupFileT* loadedA = logs().At(0);
    RoboCupFileT* loadedB = logs().At(1);
    {
        ThrowAt failing;
        // Opened again: the log loaded from a is not lost.
        EXPECT_THROW(form->OpenLogFiles({a}), std::runtime_error);
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
        EXPECT_EQ(logs().At(0), loadedA);
        EXPECT_EQ(loadedA->cycles, 409);
        EXPECT_EQ(logs().Current(), loadedB);  // current before, current after
        EXPECT_EQ(SelectedRow(), 1);
        EXPECT_EQ(WaitForm, nullptr);
        // A new file leaves no half-read entry.
        EXPECT_THROW(form->OpenLogFiles({c}), std::runtime_error);
        EXPECT_EQ(OpenNames(), (std::vector<std::string>{a.toStdString(), b.toStdString()}));
        EXPECT_EQ(ListCount(), 2);
        EXPECT_EQ(logs().Current(), loadedB);
    }
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(OpenLogsTest, MemoryRunningOutIsSaidAndKeepsTheOpenLogs)
{
    const std::string dir = MakeTempDir("memory");
    const QString a = CopyOfShortMatch(dir, "a.rcg");
    Open({a, CopyOfShortMatch(dir, "b.rcg")});
    const std::vector<RoboCupFileT*> before = AllLogs();
    // A log long enough for the parser to tell how far it got, past 16 MiB.
    RcgWriter w;
    for (ShowState s; s.time <= 12000; ++s.time)
        w.Show(s);
    const QString big = Q(w.Save("big"));
    // While the file is read, its records parsed, derived, the features computed.
    for (const auto& [file, at] : {std::pair{a, "Reading file ("}, std::pair{big, "Reading records ("},
                                   std::pair{a, "Evaluating calculated fields"}, std::pair{a, "Computing features"}}) {
        {
            ThrowAt memory(at, true);
            Open({file});
        }
        ExpectOneMessage("Not enough memory to read " + file + " (" +
                             Q(platform::SizeText(QFileInfo(file).size())) + ")",
                         "Error");
        EXPECT_EQ(AllLogs(), before);
        EXPECT_EQ(logs().Current(), before[1]);
    }
}

// A worker thread that cannot start is memory running out, not a bad file. Run
// as "nobody" (the superuser may always start one more) in a fresh process,
// which after the first log may start no thread at all.
TEST_F(OpenLogsTest, WorkerThreadsThatCannotStartAreMemoryRunningOut)
{
    constexpr const char* kChild = "VELO_NO_THREAD_STARTS";
    const char* laidOut = std::getenv(kChild);
    if (laidOut == nullptr) {
        const std::string dir = MakeTempDir("threads");  // open to all: the checkout may be closed
        ASSERT_EQ(::chmod(dir.c_str(), 0755), 0);
        for (const char* name : {"a.rcg", "b.rcg"})
            ASSERT_EQ(::chmod(CopyOfShortMatch(dir, name).toLocal8Bit().constData(), 0644), 0);
        std::string whyNot;
        const int code = RunTestInFreshProcess("OpenLogsTest.WorkerThreadsThatCannotStartAreMemoryRunningOut", kChild,
                                               dir, true, &whyNot);
        if (code == kNoProgramForNobody)
            GTEST_SKIP() << whyNot;
        EXPECT_EQ(code, 0);
        return;
    }
    const std::string dir = laidOut;
    const QString a = Q(dir + "/a.rcg"), b = Q(dir + "/b.rcg");
    SetWorkerThreads(1);  // the first log starts no thread
    Open({a});
    const std::vector<RoboCupFileT*> before = AllLogs();
    SetWorkerThreads(4);
    rlimit processes{};
    ASSERT_EQ(::getrlimit(RLIMIT_NPROC, &processes), 0);
    const rlimit none{0, processes.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NPROC, &none), 0);
    Open({b});
    ::setrlimit(RLIMIT_NPROC, &processes);
    ExpectOneMessage("Not enough memory to read " + b + " (" + Q(platform::SizeText(QFileInfo(b).size())) + ")",
                     "Error");
    EXPECT_EQ(AllLogs(), before);
}

TEST_F(OpenLogsTest, AnotherNameOfTheSameFileReplacesItsLog)
{
    namespace fs = std::filesystem;
    const std::string a = CopyOfShortMatch(MakeTempDir("samefile"), "a.rcg").toStdString();
    using Make = void (*)(const fs::path&, const fs::path&);
    const std::pair<Make, bool> cases[] = {{[](auto& t, auto& l) { fs::create_symlink(t, l); }, true},
                                           {[](auto& t, auto& l) { fs::create_hard_link(t, l); }, true},
                                           {[](auto& t, auto& l) { fs::copy_file(t, l); }, false}};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const std::string other = a + std::to_string(i);
        cases[i].first(a, other);
        Open({Q(a), Q(other)});  // a replaces the log read under a link to it before
        EXPECT_EQ(OpenNames(), (cases[i].second ? std::vector{other} : std::vector{a, other}));
    }
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(OpenLogsTest, ABadFileAsTheOnlyLogLeavesNoLog)
{
    const std::string path = SaveTempFile("alone", "ULG4\n");
    Open({Q(path)});
    ExpectOneMessage(Q(path) + " holds no cycles that this program can read (a text log of version 4; only binary "
                               "logs can be read)",
                     "Error");
    EXPECT_TRUE(logs().Empty());
    EXPECT_EQ(ListCount(), 0);
    EXPECT_EQ(logs().Current(), nullptr);
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask");
}

TEST_F(OpenLogsTest, ACutOrBrokenFileKeepsTheCyclesReadAndSaysSo)
{
    const std::string real = ReadBytes(GunzippedTestFile(kShort));
    ASSERT_EQ(real.size(), 587190u);
    // Cut in the middle of the last records: every whole record before stays.
    const std::string cut = SaveTempFile("cut", real.substr(0, real.size() - 700));
    Open({Q(cut)});
    ASSERT_EQ(NumLogs(), 1u);
    RoboCupFileT* log = logs().Current();
    EXPECT_GT(log->cycles, 400);
    EXPECT_LT(log->cycles, 409);
    ExpectOneMessage(Q(cut) + " ends inside a record: the " + QString::number(log->cycles) +
                         " cycles read before it were kept",
                     "Warning");
    EXPECT_EQ(ListShows()[0].first, "HELIOS_A : HELIOS_B (0:1)");
    EXPECT_EQ(log->features->GetNumInstances(), log->cycles);

    // A bad record after 3 cycles.
    RcgWriter w;
    w.Teams("A", 1, "B", 2);
    for (int t = 1; t <= 3; ++t) {
        ShowState s;
        s.time = static_cast<uint16_t>(t);
        w.Show(s);
    }
    RcgWriter negative = w;
    negative.MessageWithLength(1, -1, "x");
    w.Tag(4);
    const std::string broken = w.Save("broken");
    Open({Q(broken)});
    ExpectOneMessage(Q(broken) + " has a bad record (Unknown mode): the 3 cycles read before it were kept",
                     "Warning");
    ASSERT_EQ(NumLogs(), 2u);
    EXPECT_EQ(logs().Current()->cycles, 3);
    // Nobody moves in these three cycles: a keepaway log by the program's rule.
    EXPECT_EQ(ListShows()[1].first, "A : B (Keepaway)");
    EXPECT_EQ(form->windowTitle(), "RoboCup VeloTrask [A : B (1:2)]");
    EXPECT_EQ(logs().At(0)->cycles, log->cycles);  // the first log untouched

    // A message of negative length is told as what it is.
    const std::string badLength = negative.Save("negative");
    Open({Q(badLength)});
    ExpectOneMessage(Q(badLength) + " has a bad record (negative message length): the 3 cycles read before it were kept",
                     "Warning");
}
