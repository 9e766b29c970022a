// What a failing learner said, found in a long output: the line that says why
// may come first and be followed by a great many progress lines, or come last.
#include "LearnNodeWindow.h"

#include "strategy/model/LearnerRecord.h"

#include <string>

// A learner that says why first and then prints 100,000 progress lines: its
// node's rule line and the message name that reason, and the message shows
// the start and the end of the output.
TEST_F(LearnNode, TheReasonALearnerGaveFirstOutlastsItsProgressLines)
{
    WriteScript(folder + "/callweka", "echo 'callweka: no Java runtime (java)' >&2\n"
                                      "seq -f 'progress line %g' 100000\nexit 3\n");
    form->fileType = 1;
    platform::DialogScript script;
    form->LearnNodeRules(examples);
    EXPECT_TRUE(Lines(form->MemoRules)
                    .last()
                    .endsWith("<= \tlearner failed: callweka exit code 3 (callweka: no Java runtime (java))"))
        << Lines(form->MemoRules).last().toStdString();
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
    struct Case {
        std::string output;
        const char* shown;
    };
    const Case cases[] = {
        {"callweka: no weka.jar\n" + progress, "callweka: no weka.jar"},
        {"Loading data\n" + progress + "...\n" + progress + "Exception in thread \"main\" java.lang.OutOfMemoryError\n",
         "Exception in thread \"main\" java.lang.OutOfMemoryError"},
        {progress + "\tjava.lang.OutOfMemoryError: Java heap space \r\n\tat weka.core.Instances\n",
         "java.lang.OutOfMemoryError: Java heap space"},
        {progress + "callweka: weka.jar not readable\nException: later\n", "callweka: weka.jar not readable"},
        {"\n \nLoading data\n" + progress, "Loading data"},  // nothing says why: the first line
        {"callslipper: no Slipper program\n", "callslipper: no Slipper program"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LearnerFailureReason("callweka", "exit code 3", c.output),
                  std::string("callweka exit code 3 (") + c.shown + ")")
            << c.shown;
    // Another learner's script names itself.
    EXPECT_EQ(LearnerFailureReason("callslipper", "exit code 3", "Loading\ncallslipper: no Slipper program\n"),
              "callslipper exit code 3 (callslipper: no Slipper program)");
}
