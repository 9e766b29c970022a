// Learner runs that go wrong on a real match: a learner that hangs (ended with
// everything it started at the limit, or by Cancel), one that fails at once
// through "Generate rules" and the sweep, an old result in the way, Slipper
// without its program, and two copies of the program learning at once.
#include "LearnNodeWindow.h"

#include "strategy/model/LearnerFiles.h"
#include "strategy/model/Sweep.h"
#include "ui/waitFormWin.h"

#include "support/FreshProcess.h"
#include "support/HeldByStarted.h"

#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <future>

namespace {

// Sets an environment variable for the scope.
class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        old_ = qgetenv(name);
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~EnvVar()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Counts its runs in "runs" beside it, says why it fails and fails.
const char kFailing[] = "echo run >> \"$(dirname \"$0\")/runs\"\n"
                        "echo 'callweka: no Java runtime (java)' >&2\nexit 3\n";

int Runs(const std::string& folder)
{
    const std::string runs = ReadBytes(folder + "/runs");
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
}

}  // namespace

// The real callweka with a Java that never ends (it starts a child that
// sleeps): at the limit the run is reported, and neither a process it started
// nor its work folder is left.
TEST_F(LearnNode, AHungLearnerIsEndedWithAllItStartedAtTheLimit)
{
    const std::string tmp = folder + "/tmp";
    std::filesystem::create_directory(tmp);
    WriteScript(folder + "/java", "echo $$ > \"" + folder + "/pids\"\nsleep 30 &\necho $! >> \"" + folder +
                                      "/pids\"\nwait\n");
    std::ofstream(folder + "/weka.jar") << "stand-in";
    const EnvVar java("JAVA", folder + "/java"), jar("WEKA_JAR", folder + "/weka.jar"), tmpdir("TMPDIR", tmp);
    form->learnerFolder = VELO_APP_DIR;
    form->learnerTimeoutMs = 2000;
    form->fileType = 1;
    platform::DialogScript script;
    HeldByStarted started;
    QElapsedTimer clock;
    clock.start();
    form->LearnNodeRules(examples);
    // Ended at the limit, not after the 30 s its child sleeps (with room for a
    // busy machine).
    EXPECT_LT(clock.elapsed(), 25000);

    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_TRUE(script.messages[0].detail.startsWith("callweka: stopped after 2 s"));
    EXPECT_TRUE(Chunk(0).GetRules().empty());
    EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tnot learnt: learner failed: callweka stopped after 2 s"));
    const QStringList pids = QString::fromStdString(ReadBytes(folder + "/pids")).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(pids.size(), 2);  // the stand-in Java and its child both ran
    EXPECT_FALSE(started.StillHeld());
    // The learner works in the program's private folder under TMPDIR: no work
    // folder of its is left there, nor anywhere else under TMPDIR.
    const QString privateFolder = QString::fromStdString(tmp + "/velotrask-" + std::to_string(::geteuid()));
    EXPECT_EQ(QDir(privateFolder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    EXPECT_EQ(QDir(QString::fromStdString(tmp)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QFileInfo(privateFolder).fileName()});
    EXPECT_EQ(WaitForm, nullptr);
}

// A folder at the old fixed result name in the private folder is no part of a run.
TEST_F(LearnNode, AnOldResultInThePrivateFolderIsNeitherReadNorInTheWay)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\n"
                                      "printf 'JRIP rules:\\n\\n => class=OTHER (3.0/0.0)\\n\\nNumber of Rules : 1\\n' > \"$2\"\n");
    std::filesystem::create_directories(own + "/results.txt");
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(Runs(folder), 1);
    EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tFALSE")) << Lines(form->MemoRules).last().toStdString();
    EXPECT_TRUE(std::filesystem::is_directory(own + "/results.txt"));
}

TEST_F(LearnNode, SlipperWithoutItsProgramSaysSo)
{
    const EnvVar slipper("SLIPPER", folder + "/no-slipper");
    form->learnerFolder = VELO_APP_DIR;
    form->fileType = 4;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].detail,
              QString::fromStdString("callslipper: exit code 3\n\ncallslipper: no Slipper program (" + folder +
                                     "/no-slipper) on the PATH"));
}

// "Generate rules" with a learner that fails at once: one message with the
// learner's reason, the learner run once, and every node says it failed.
TEST_F(GenerateRules, AFailingLearnerIsToldOnceAndNoNodeReadsAsLearnt)
{
    WriteScript(folder + "/callweka", kFailing);
    platform::DialogScript script;
    form->BtnSaveRules->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].detail, "callweka: exit code 3\n\ncallweka: no Java runtime (java)");
    EXPECT_EQ(Runs(folder), 1);
    const QString reason = "learner failed: callweka exit code 3 (callweka: no Java runtime (java))";
    int failed = 0;
    for (const QString& line : Lines(form->MemoRules)) {
        EXPECT_FALSE(line.endsWith("FALSE")) << line.toStdString();
        failed += line.endsWith(reason) || line.endsWith(reason + " (not run again)") ? 1 : 0;
    }
    EXPECT_EQ(failed, 3);

    // The next command tells it again.
    form->BtnSaveRules->click();
    EXPECT_EQ(script.messages.size(), 2u);
    EXPECT_EQ(Runs(folder), 2);
}

// The sweep with that learner: one message, twelve rows marked as failed and
// no rule test on rules nobody learnt; the user's settings are back.
TEST_F(GenerateRules, ASweepWithAFailingLearnerMarksEveryRow)
{
    WriteScript(folder + "/callweka", kFailing);
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    const int row = form->lbPath->currentRow();
    platform::DialogScript script;
    form->RunParameterSweep();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Call failed !");
    EXPECT_EQ(Runs(folder), 1);
    const QStringList lines = Lines(form->MemoRules);
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[1], "0.00\t0.00\t8.00\t85\tlearner failed: callweka exit code 3 (callweka: no Java runtime (java))");
    for (int i = 1; i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].contains("\tlearner failed: callweka exit code 3")) << lines[i].toStdString();
    EXPECT_EQ(form->learners.FailedRuns(), 12);
    EXPECT_EQ(form->EditMaxDist->text(), "16");
    EXPECT_EQ(form->lbPath->currentRow(), row);
}

// Cancel in the wait window ends the learner at once and the rest of the
// command: no further node, no message.
TEST_F(GenerateRules, CancelEndsTheLearnerAndTheCommand)
{
    WriteScript(folder + "/callweka", "echo run >> \"" + folder + "/runs\"\nsleep 30\n");
    QString shown;
    bool offered = false;
    // Pressed once the learner runs, however long the examples took to write.
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        if (!WaitForm || !std::filesystem::exists(folder + "/runs"))
            return;
        press.stop();
        shown = WaitForm->LabelText->text();
        offered = WaitForm->CancelButton->isVisible();
        QPushButton* cancel = WaitForm->CancelButton;
        const QPointF at(cancel->width() / 2.0, cancel->height() / 2.0);
        QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonPress, at, cancel->mapToGlobal(at),
                                                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QCoreApplication::postEvent(cancel, new QMouseEvent(QEvent::MouseButtonRelease, at, cancel->mapToGlobal(at),
                                                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    });
    press.start(20);
    platform::DialogScript script;
    QElapsedTimer clock;
    clock.start();
    form->BtnSaveRules->click();
    // Ended by Cancel, not after the 30 s the learner sleeps.
    EXPECT_LT(clock.elapsed(), 25000);
    EXPECT_TRUE(shown.startsWith("Learning rules of ") && shown.endsWith(" with JRip ...")) << shown.toStdString();
    EXPECT_TRUE(offered);
    EXPECT_EQ(Runs(folder), 1);
    EXPECT_TRUE(script.messages.empty());
    EXPECT_TRUE(form->learners.Cancelled());
    int learnt = 0;
    for (const QString& line : Lines(form->MemoRules))
        learnt += line.contains(" <= \t") ? 1 : 0;
    EXPECT_EQ(learnt, 1);
    EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tnot learnt: cancelled"));
    EXPECT_EQ(WaitForm, nullptr);
}

TEST(LearnerFailureReason, TheFirstLineTheLearnerWroteSaysWhy)
{
    struct Case {
        const char* output;
        const char* reason;
    };
    const Case cases[] = {
        {"", "callweka exit code 5"},
        {"\n  \r\n\tException: bad header \r\nat weka...\n", "callweka exit code 5 (Exception: bad header)"},
        {"callweka: failed\nError: disk full\nweka.core.WekaException: no class\n",
         "callweka exit code 5 (weka.core.WekaException: no class)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LearnerFailureReason("callweka", "exit code 5", c.output), c.reason);
    const std::string reason = LearnerFailureReason("callweka", "exit code 5", std::string(400, 'x'));
    EXPECT_EQ(reason, "callweka exit code 5 (" + std::string(160, 'x') + "...)");
}

// Links planted again while the real learner scripts run stand-ins for Java and Slipper.
TEST_F(LearnNode, AnotherUsersLinksBesideTheDataFileNeitherTakeNorGiveAResult)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs the superuser";
    WriteScript(folder + "/java", "\"$(dirname \"$0\")/plant\"\n"
                                  "printf 'JRIP rules:\\n\\n => class=OTHER (3.0/0.0)\\n\\nNumber of Rules : 1\\n'\n");
    WriteScript(folder + "/slipper", "\"$(dirname \"$0\")/plant\"\necho 'OTHER 2 1 IF . .' > \"$1.shyp\"\n");
    std::ofstream(folder + "/weka.jar") << "stand-in";
    std::ofstream(folder + "/planted") << "planted";
    const EnvVar java("JAVA", folder + "/java"), jar("WEKA_JAR", folder + "/weka.jar"), slip("SLIPPER", folder + "/slipper");
    form->learnerFolder = VELO_APP_DIR;
    for (const auto& [owner, fileType] : {std::pair{"0", 1}, {"0", 4}, {"65534", 1}, {"65534", 4}}) {
        SCOPED_TRACE(std::string(owner) + ", file type " + std::to_string(fileType));
        const std::string shared = MakeTempDir("shared-data");
        ASSERT_EQ(std::system(("chown " + std::string(owner) + " " + shared + " && chmod 1777 " + shared).c_str()), 0);
        form->dataFileName = shared + "/test.data";
        const std::string nodeFile = NodeDataFileName(form->dataFileName, examples.name);
        std::string plant;
        for (const std::string& link : {WekaResultsFile(nodeFile), SlipperHypothesisFile(nodeFile)})
            plant += "ln -sfn '" + folder + "/planted' '" + link + "' && chown -h 65534 '" + link + "'\n";
        WriteScript(folder + "/plant", plant);
        ASSERT_EQ(std::system((folder + "/plant").c_str()), 0);
        form->fileType = fileType;
        platform::DialogScript script;
        form->LearnNodeRules(examples);
        EXPECT_TRUE(script.messages.empty());
        EXPECT_EQ(ReadBytes(folder + "/planted"), "planted");
        EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tFALSE")) << Lines(form->MemoRules).last().toStdString();
    }
}

// Two copies of the program learn at once through the real callweka, with a
// stand-in Java that answers with a rule on its dataset's first attribute once
// the other copy's run of the round has started: each reads its own rule.
TEST_F(LearnNode, TwoCopiesLearningAtOnceEachReadTheirOwnRules)
{
    constexpr const char* kWorker = "VELO_TEST_LEARNING_COPY";
    const QByteArray worker = qgetenv(kWorker);
    if (worker.isEmpty()) {
        const std::string shared = MakeTempDir("two-copies"), name = "LearnNode.TwoCopiesLearningAtOnceEachReadTheirOwnRules";
        auto first = std::async(std::launch::async, [&] { return RunTestInFreshProcess(name, kWorker, "A" + shared); });
        EXPECT_EQ(RunTestInFreshProcess(name, kWorker, "B" + shared), 0);
        EXPECT_EQ(first.get(), 0);
        return;
    }
    const std::string me(1, worker[0]), other = me == "A" ? "B" : "A", shared = worker.mid(1).toStdString() + "/";
    WriteScript(folder + "/java",
                "echo x >> '" + shared + me + "'\nn=$(wc -l < '" + shared + me + "')\ni=0\n"
                "while [ $i -lt 500 ] && [ \"$(cat '" + shared + other + "' 2>/dev/null | wc -l)\" -lt $n ]; do\n"
                "  sleep 0.01; i=$((i + 1))\ndone\n"
                "name=$(grep -m1 '^@attribute' \"$5\" | cut -d' ' -f2)\n"
                "printf 'JRIP rules:\\n===========\\n\\n(%s = 1) => class=OTHER (1.0/0.0)\\n => class=N (3.0/0.0)\\n"
                "\\nNumber of Rules : 2\\n' \"$name\"\n");
    std::ofstream(folder + "/weka.jar") << "stand-in";
    const EnvVar java("JAVA", folder + "/java"), jar("WEKA_JAR", folder + "/weka.jar"), tmp("TMPDIR", shared);
    form->learnerFolder = VELO_APP_DIR;
    form->fileType = 1;
    // Every feature in the one copy's dataset, only the telling ones in the other's.
    examples.threshold = me == "A" ? 0.0 : 0.3;
    const FeatureList& list = *log_->features;
    for (int round = 1; round <= 20; ++round) {
        form->chunks[0] = std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false);
        platform::DialogScript script;
        form->LearnNodeRules(examples);
        // The dataset this copy wrote for the user, beside its data file.
        const std::string written = ReadBytes(NodeDataFileName(form->dataFileName, examples.name));
        const std::size_t at = written.find("@attribute ") + 11;
        const int feature = list.IndexOf(written.substr(at, written.find(' ', at) - at));
        ASSERT_GE(feature, 0) << round;
        ASSERT_TRUE(me == "A" || list.GetGroupKey(feature) != list.GetGroupKey(0));  // the copies' rules differ
        const RuleList& rules = Chunk(0).GetRules();
        ASSERT_TRUE(rules.size() == 2 && rules[0]->Size() == 1) << "round " << round << ": " << Chunk(0).NotLearnt();
        EXPECT_EQ(rules[0]->GetFeatureKey(0), list.GetGroupKey(feature)) << "round " << round;
        EXPECT_TRUE(script.messages.empty()) << round;
    }
}

// A learner's result left as a link is none: the program's own files are never read through one.
TEST_F(LearnNode, AResultLeftAsALinkIsNoResult)
{
    std::ofstream(folder + "/rules") << "JRIP rules:\n===\n => class=N (3/0)\nNumber of Rules : 1\n";
    WriteScript(folder + "/callweka", "ln -s '" + folder + "/rules' \"$2\"\n");
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    EXPECT_NE(Chunk(0).State(), TChunkState::Learnt);
    EXPECT_EQ(Chunk(0).NotLearnt(), "no result from the learner (it is a link, and this file is never read through one)");
}
