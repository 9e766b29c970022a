// What a failing learner said, found in a long output: the line that says why
// may come first and be followed by a great many progress lines, or come last.
#include "LearnNodeWindow.h"

#include "strategy/model/LearnerRecord.h"

#include <string>
#include <tuple>

// The node's rule line and the message name the reason given before 100,000
// progress lines; the message shows the output's start and end.
TEST_F(LearnNode, TheReasonALearnerGaveFirstOutlastsItsProgressLines)
{
    WriteScript(folder + "/callweka", "echo 'callweka: no Java runtime (java)' >&2\n"
                                      "seq -f 'progress line %g' 100000\nexit 3\n");
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    EXPECT_TRUE(Lines(form->MemoRules).last().endsWith(
        "<= \tnot learnt: learner failed: callweka exit code 3 (callweka: no Java runtime (java))"));
    ASSERT_EQ(script.messages.size(), 1u);
    const QString detail = script.messages[0].detail;
    EXPECT_TRUE(detail.startsWith("callweka: exit code 3\n\ncallweka: no Java runtime (java)\nprogress line 1\n"))
        << detail.left(200).toStdString();
    EXPECT_TRUE(detail.endsWith("\nprogress line 100000")) << detail.right(200).toStdString();
}

TEST(LearnerFailureReason, TheLineThatSaysWhyElseTheFirst)
{
    std::string progress;
    for (int i = 1; i <= 2000; ++i)
        progress += "progress line " + std::to_string(i) + " (error rate 0.1)\n";
    const std::tuple<const char*, std::string, const char*> cases[] = {  // learner, output, reason
        {"callweka",
         "Loading data\n" + progress + "...\n" + progress + "Exception in thread \"main\" java.lang.OutOfMemoryError\n",
         "Exception in thread \"main\" java.lang.OutOfMemoryError"},
        {"callweka", progress + "\tjava.lang.OutOfMemoryError: Java heap space \r\n\tat weka.core.Instances\n",
         "java.lang.OutOfMemoryError: Java heap space"},
        // The learner's own words come before the script's status line.
        {"callweka", progress + "callweka: weka.jar not readable\nException: later\n", "Exception: later"},
        {"callweka",
         "callweka: JRip failed (exit status 1)\nweka.core.UnsupportedAttributeTypeException: "
         "weka.classifiers.rules.JRip: Cannot handle numeric class!\n\tat weka.core.Capabilities.test\n",
         "weka.core.UnsupportedAttributeTypeException: weka.classifiers.rules.JRip: Cannot handle numeric class!"},
        {"callweka", progress + "callweka: weka.jar not readable\n", "callweka: weka.jar not readable"},
        {"callweka", "\n \nLoading data\n" + progress, "Loading data"},  // nothing says why: the first line
        {"callslipper", "Loading\ncallslipper: no Slipper program\n", "callslipper: no Slipper program"},
        {"callslipper", "callslipper: failed\nslipper: error: cannot open file\n", "slipper: error: cannot open file"},
    };
    for (const auto& [learner, output, reason] : cases)
        EXPECT_EQ(LearnerFailureReason(learner, "exit code 3", output),
                  std::string(learner) + " exit code 3 (" + reason + ")");
}
