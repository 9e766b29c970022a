#include "strategy/FormStrategy.h"

#include "strategy/model/LearnerFiles.h"
#include "strategy/model/RuleExport.h"

#include "actiongraph/childActionWin.h"
#include "core/learning/Features.h"
#include "core/model/Common.h"
#include "core/model/RoboCupFile.h"
#include "platform/Clock.h"
#include "platform/SaveFile.h"
#include "platform/WorkFolder.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"
#include "ui/waitFormWin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QFile>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include <filesystem>


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
    void ReplaceFrom(int index, const std::string& text) override
    {
        if (index <= 0) {
            memo_->setPlainText(QString::fromStdString(text));
            return;
        }
        // From the end of the line before, so that its line break goes too.
        const QTextBlock before = memo_->document()->findBlockByNumber(index - 1);
        if (!before.isValid())
            return;
        QTextCursor cursor(memo_->document());
        cursor.setPosition(before.position() + before.length() - 1);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.insertText(text.empty() ? QString() : "\n" + QString::fromStdString(text));
    }

private:
    QPlainTextEdit* memo_;
};

// The export's strategies in the window: each learnt by "Generate rules" on
// its list row, the memo saved to the export file.
class TWindowStrategies : public TExportStrategies {
public:
    TWindowStrategies(TFormStrategy& form, QString fileName, std::string folderError)
        : form_(form), fileName_(std::move(fileName)), folderError_(std::move(folderError))
    {
    }
    bool StillListed(int row, const std::string& text) override
    {
        // Cancel ends the whole command, also between two strategies.
        return form_.actionChild && !form_.learners.Cancelled() && row < form_.pathItems.Count() &&
               form_.pathItems.Text(row) == text;
    }
    TExportLearnt Learn(int row) override
    {
        form_.lbPath->setCurrentRow(row);
        form_.learners.BeginRun();
        form_.BtnRulesClick(nullptr);
        if (form_.learners.Cancelled()) {
            // The cancelled strategy's comment in the table tells it.
            form_.learners.TellCancel();
            return TExportLearnt::Cancelled;
        }
        if (form_.learners.RunFailed())
            return TExportLearnt::Failed;
        return form_.learners.RunNotLearnt().empty() ? TExportLearnt::Learnt : TExportLearnt::NotLearnt;
    }
    // The run's nodes, each as its state says (a node without rules a
    // comment: no row then), but the last one "No Last Node" leaves out: the
    // row holds the nodes learnt for, as ACTIONRULELEN counts them.
    std::vector<std::string> Entries() const override
    {
        const FeatureList* features =
            form_.actionChild && form_.actionChild->File ? form_.actionChild->File->features.get() : nullptr;
        std::vector<std::string> entries;
        for (const auto& chunk : form_.chunks)
            if (chunk && chunk->State() != TChunkState::LeftOut)
                entries.push_back(RuleLine(features, *chunk, true));
        return entries;
    }
    std::string Failure() const override { return form_.learners.FirstFailureText(); }
    std::string NotLearnt() const override { return form_.learners.RunNotLearnt(); }
    std::string Note() const override
    {
        const std::string line = NotLearntLine(form_.learners.NodesNotLearnt(), form_.learners.FirstNotLearnt());
        return line.empty() ? form_.learners.TakeDatasetsLine() : line;
    }
    // The export's text so far, replacing the last one only when complete; one
    // message for a file that cannot be written, the export goes on.
    void Save(const std::vector<std::string>& lines) override
    {
        platform::SaveError error;
        const auto write = [&](std::ostream& out) { WriteLinesCrLf(out, lines); };
        saved_ = !fileName_.isEmpty() && platform::SaveFile(QFile::encodeName(fileName_).toStdString(), write, &error);
        if (saved_)
            return;
        // A private folder refused to the learner runs was told already.
        if (reported_ || form_.learners.Failure(TFormStrategy::kPrivateFolder))
            return;
        reported_ = true;
        if (fileName_.isEmpty()) {
            error.file = kExportFileName;
            error.reason = folderError_;
        }
        const QString shown = fileName_.isEmpty() ? QString(kExportFileName) : QDir::toNativeSeparators(fileName_);
        platform::MessageBox(&form_, platform::SaveFailureText(error, shown), "Error");
    }

    // The last save wrote the file.
    bool Saved() const { return saved_; }

private:
    TFormStrategy& form_;
    QString fileName_;
    std::string folderError_;
    bool reported_ = false;
    bool saved_ = false;
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
    // A table whose row length is no fixed number of nodes does not compile:
    // said before any learner runs, and nothing is written.
    if (settings.computer && !ExportLengthFits(settings.length)) {
        platform::MessageBox(this, QString::fromStdString(ExportLengthRefusal(actionChild->cbPathFunc->currentText().toStdString())),
                             "Warning !");
        return;
    }

    std::vector<TExportItem> items;
    for (int i = 0; i < pathItems.Count(); ++i)
        items.push_back({pathItems.Text(i), pathItems.Path(i) != nullptr});

    const TLearnerCommand command(learners);
    const WaitCommand wait("Generating all rules ...", WaitOver(), true);
    cbVerbose->setCheckState(Qt::Checked);
    cbStrictTimes->setChecked(true);
    // In a folder of the command's own in the program's private folder:
    // another user of the machine can neither read the rules nor plant a link
    // where they are written, and another export, in this program or another
    // copy of it, writes a file of its own. The command's datasets kept for
    // the user go there too.
    std::string folderError;
    const std::string folder = platform::MakeWorkFolder("command", &folderError);
    learners.SetCommandFolder(folder);
    const QString fileName =
        folder.empty() ? QString() : QString::fromStdString((std::filesystem::path(folder) / kExportFileName).string());
    TMemoLines memo(MemoRules);
    TWindowStrategies strategies(*this, fileName, folderError);
    RunRuleExport(memo, settings, items, strategies);
    // Said after the export, so that the file holds the export alone.
    if (strategies.Saved())
        MemoRules->appendPlainText("// Saved to " + QDir::toNativeSeparators(fileName));
}
