// A data file in a folder that everyone may write: the learner scripts run
// through the real callweka and callslipper, with stand-ins for Java and
// Slipper, and another user's links stand at every name the learners once
// wrote or read beside the data file.
#include "LearnNodeWindow.h"

#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleReaders.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

// An environment variable set while it lives.
struct SetEnv {
    SetEnv(const char* name, const std::string& value) : name_(name), had_(qEnvironmentVariableIsSet(name))
    {
        previous_ = qgetenv(name);
        qputenv(name, QByteArray::fromStdString(value));
    }
    ~SetEnv() { had_ ? qputenv(name_, previous_) : qunsetenv(name_); }
    const char* name_;
    bool had_;
    QByteArray previous_;
};

}  // namespace

// The learners' result and hypothesis lie in the private folder only: the
// other user's links, in a sticky folder of the superuser's (/tmp) as in one
// of their own, neither receive a byte nor give the rules planted behind them.
TEST_F(LearnNode, AnotherUsersLinksBesideTheDataFileNeitherTakeNorGiveAResult)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs the superuser";
    const FeatureList& list = *log_->features;
    const TSlipperNames names = MakeSlipperNames(g_roleConcepts, &list);
    ASSERT_FALSE(names.groups.empty());
    ASSERT_FALSE(names.roles.empty());
    // Rules with a condition, as a learner would print them.
    const std::string plantedWeka = "JRIP rules:\n===========\n\n(" + list.GetName(0) +
                                    " = 1) => class=N (3.0/0.0)\n => class=OTHER (9.0/0.0)\n\nNumber of Rules : 2\n";
    const std::string plantedSlipper = "N 2 1 IF " + names.groups[0].first + " " + names.roles[0].first + " . .\n";
    // The learners learn the default rule only ("FALSE"). As they start, the
    // other user plants the links again ("plant"), after the program removed
    // any old result of its own.
    WriteScript(folder + "/java", "\"$(dirname \"$0\")/plant\"\n"
                                  "printf 'JRIP rules:\\n===========\\n\\n => class=OTHER (3.0/0.0)\\n\\n"
                                  "Number of Rules : 1\\n'\n");
    WriteScript(folder + "/slipper", "\"$(dirname \"$0\")/plant\"\necho 'OTHER 2 1 IF . .' > \"$1.shyp\"\n");
    std::ofstream(folder + "/weka.jar") << "stand-in";
    const SetEnv java("JAVA", folder + "/java"), jar("WEKA_JAR", folder + "/weka.jar"),
        slipper("SLIPPER", folder + "/slipper");
    form->learnerFolder = VELO_APP_DIR;

    for (const uid_t folderOwner : {0u, kNobody}) {
        for (const int fileType : {1, 4}) {
            SCOPED_TRACE("folder of " + std::to_string(folderOwner) + ", file type " + std::to_string(fileType));
            const fs::path shared = fs::path(MakeTempDir("shared-data")) / "shared";
            const fs::path elsewhere = shared.parent_path() / "users-files";
            fs::create_directory(shared);
            fs::create_directory(elsewhere);
            ASSERT_EQ(::chown(shared.c_str(), folderOwner, folderOwner), 0);
            ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
            form->dataFileName = (shared / "test.data").string();
            const std::string nodeFile = NodeDataFileName(form->dataFileName, examples.name);
            // The other user's links, to files of the user's holding planted rules.
            const std::vector<std::pair<std::string, std::string>> planted = {
                {WekaResultsFile(nodeFile), plantedWeka}, {SlipperHypothesisFile(nodeFile), plantedSlipper}};
            std::string plant;
            for (std::size_t i = 0; i < planted.size(); ++i) {
                const fs::path target = elsewhere / std::to_string(i);
                std::ofstream(target, std::ios::binary) << planted[i].second;
                plant += "ln -sfn '" + target.string() + "' '" + planted[i].first + "' && chown -h " +
                         std::to_string(kNobody) + ":" + std::to_string(kNobody) + " '" + planted[i].first + "'\n";
            }
            WriteScript(folder + "/plant", plant);
            ASSERT_EQ(std::system((folder + "/plant").c_str()), 0);
            form->fileType = fileType;
            form->chunks[0] = std::make_unique<StrategyChunk>(examples.name, nullptr, nullptr, 1.0, 2.0, 0.0, false);
            platform::DialogScript script;
            form->LearnNodeRules(examples);

            EXPECT_TRUE(script.messages.empty()) << script.messages.front().detail.toStdString();
            for (std::size_t i = 0; i < planted.size(); ++i) {
                EXPECT_EQ(ReadBytes((elsewhere / std::to_string(i)).string()), planted[i].second);
                EXPECT_TRUE(fs::is_symlink(planted[i].first)) << planted[i].first;
            }
            // What the learner learnt, and no planted condition.
            EXPECT_TRUE(Chunk(0).HasRuleList());
            for (const auto& rule : Chunk(0).GetRules())
                EXPECT_EQ(rule->Size(), 0);
            EXPECT_TRUE(Lines(form->MemoRules).last().endsWith("<= \tFALSE")) << Lines(form->MemoRules).last().toStdString();
            // The user's data file is written where they named it.
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(nodeFile)));
        }
    }
}
