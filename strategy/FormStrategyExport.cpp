#include "strategy/FormStrategy.h"

#include "strategy/model/RuleExport.h"

#include "actiongraph/childActionWin.h"
#include "core/model/Common.h"
#include "platform/Clock.h"
#include "platform/SaveFile.h"
#include "platform/qt/Dialogs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>


namespace {
// The rules memo as lines: an empty memo has none.
class TMemoLines : public TTextLines {
public:
    explicit TMemoLines(QPlainTextEdit* memo) : memo_(memo) {}

    int Count() const override { return memo_->document()->isEmpty() ? 0 : memo_->document()->blockCount(); }
    std::vector<std::string> Lines() const override
    {
        std::vector<std::string> lines;
        if (memo_->document()->isEmpty())
            return lines;
        for (QTextBlock b = memo_->document()->begin(); b.isValid(); b = b.next())
            lines.push_back(b.text().toStdString());
        return lines;
    }
    // The export's first line is never empty, so an empty memo (one empty
    // block to Qt) never has to tell "no line" from "one empty line".
    void Append(const std::string& line) override { memo_->appendPlainText(QString::fromStdString(line)); }
    void Replace(int index, const std::string& line) override
    {
        QTextBlock block = memo_->document()->findBlockByNumber(index);
        if (!block.isValid())
            return;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(QString::fromStdString(line));
    }
    void SetText(const std::string& text) override { memo_->setPlainText(QString::fromStdString(text)); }

private:
    QPlainTextEdit* memo_;
};

// The date and time stamped on the export, in one fixed form whatever the
// system's settings, so that exports from different machines compare.
std::string ExportTime()
{
    return QDateTime::fromSecsSinceEpoch(platform::NowSeconds()).toString("yyyy-MM-dd HH:mm:ss").toStdString();
}
}  // namespace

void TFormStrategy::btnAllRulesClick()
{
    if (!actionChild) {
        platform::MessageBox(this, "No action graph attached", "Warning !");
        return;
    }
    TExportSettings settings;
    try {
        settings.value = StrToFloatDot(actionChild->EditValue->text().toStdString());
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return;
    }
    settings.computer = cbComputerOutput->isChecked();
    settings.length = ExportLength(actionChild->cbPathFunc->currentIndex());
    settings.when = ExportTime();

    // Every strategy the list offers: the items with a path but "All paths",
    // wherever they stand in the list.
    struct Candidate {
        int row;
        std::string text;
    };
    std::vector<Candidate> candidates;
    for (int i = 0; i < pathItems.Count(); ++i)
        if (pathItems.Path(i) && pathItems.Text(i) != "All paths")
            candidates.push_back({i, pathItems.Text(i)});

    const TLearnerCommand command(learners);
    cbVerbose->setCheckState(Qt::Checked);
    cbStrictTimes->setChecked(true);
    // In the program's private folder: another user of the machine can neither
    // read the rules nor plant a link where they are written.
    std::string folderError;
    const QString fileName = QString::fromStdString(platform::PrivateTempFile(kExportFileName, &folderError));
    TMemoLines memo(MemoRules);
    bool reported = false;
    // The whole text so far, replacing the last one only when complete; one
    // message for a file that cannot be written, the export goes on.
    const auto save = [&] {
        platform::SaveError error;
        if (!fileName.isEmpty() && platform::SaveFile(fileName.toStdString(), [&](std::ostream& out) {
                WriteLinesCrLf(out, memo.Lines());
            }, &error))
            return;
        // A private folder refused to the learner runs was told already.
        if (reported || learners.Failure(kPrivateFolder))
            return;
        reported = true;
        const QString shown = fileName.isEmpty() ? QString(kExportFileName) : QDir::toNativeSeparators(fileName);
        platform::MessageBox(this, "Cannot create file \"" + shown + "\".", "Error", platform::Buttons::Ok,
                             QString::fromStdString(fileName.isEmpty() ? folderError : error.reason));
    };
    TRuleExport exportRun(memo, settings, static_cast<int>(candidates.size()));
    exportRun.Begin();
    int skipped = 0;
    bool stopped = false;
    for (const Candidate& candidate : candidates) {
        if (ExportSkips(candidate.text)) {
            ++skipped;
            continue;
        }
        // A learner's message box lets events through: the list may have
        // changed under the export.
        if (!actionChild || candidate.row >= pathItems.Count() || pathItems.Text(candidate.row) != candidate.text)
            break;
        exportRun.BeginBlock(candidate.text);
        lbPath->setCurrentRow(candidate.row);
        learners.BeginRun();
        BtnRulesClick(nullptr);
        exportRun.EndBlock();
        // Past a failed or cancelled learner every further block would be
        // rules nobody learnt.
        stopped = learners.RunFailed();
        save();
        if (stopped)
            break;
    }
    exportRun.Finish();
    // Say what was left out, so that a short table is not taken for the whole list.
    if (const std::string line = ExportSkipLine(skipped, static_cast<int>(candidates.size())); !line.empty())
        memo.Append(line);
    if (stopped)
        memo.Append("// Export stopped: learner failed: " +
                    (learners.Cancelled() ? std::string("cancelled") : learners.FirstFailure()));
    // The finished text too, so that the file holds source that compiles.
    save();
}
