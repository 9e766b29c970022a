// "Save Assoc. Data": the log's features at example cycles as a dataset for
// outside association and rule learners.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/AssocSnapshot.h"
#include "core/io/AssocData.h"
#include "platform/Hooks.h"
#include "platform/SaveFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"
#include "ui/StrategyShells.h"
#include "ui/waitFormWin.h"

#include <QPushButton>

#include <sstream>
#include <vector>

void TMDIActionChild::ConnectAssocHandlers()
{
    connect(BtnSaveAssoc, &QPushButton::clicked, this, [this] { BtnSaveAssocClick(); });
}

void TMDIActionChild::BtnSaveAssocClick()
{
    std::vector<int> instanceCycles;
    std::vector<int> markedCycles;
    std::vector<int> instanceClasses;
    std::vector<std::string> classNames;
    if (!FormSaveData ||
        !FormSaveData->Execute(this, &instanceCycles, &classNames, &instanceClasses, &markedCycles)) {
        platform::MessageBox(this, "!!! Data not saved !!!", "Warning", platform::Buttons::Ok);
        DrawGraph();  // the dialog may have drawn examples over the graph
        return;
    }
    DrawGraph();
    if (instanceCycles.empty()) {
        platform::MessageBox(this, "No temporal data ! Nothing saved", "Warning", platform::Buttons::Ok);
        return;
    }
    const bool useRoles = FormSaveData->FileType() == static_cast<int>(assocdata::Format::Apriori) && AskUseRoles(this);
    SaveAssocData(FormSaveData->FileName(), FormSaveData->FileType(), FormSaveData->Threshold(), instanceCycles,
                  instanceClasses, classNames, nullptr, nullptr, useRoles);
}

bool TMDIActionChild::AskUseRoles(QWidget* parent)
{
    return platform::MessageBox(parent, "Use player roles instead of names?", "Question", platform::Buttons::YesNo) ==
           platform::Answer::Yes;
}

bool TMDIActionChild::SaveAssocData(const QString& fileName, int format, double threshold,
                                    const std::vector<int>& instanceCycles, const std::vector<int>& instanceClasses,
                                    const std::vector<std::string>& classNames, std::vector<std::string>* selection,
                                    QString* failure, bool useRoles)
{
    // A caller that collects the failure (a learner run, which stops its
    // whole command with one message) is not shown a box per file.
    const auto fail = [this, failure](const QString& text, const QString& title) {
        if (failure)
            *failure = text;
        else
            platform::MessageBox(this, text, title, platform::Buttons::Ok);
        return false;
    };
    using assocdata::Format;
    if (!File || format < 0 || format > 4)
        return false;  // the log is gone with its features, or no such format
    const auto kind = static_cast<Format>(format);
    const std::string name = fileName.toLocal8Bit().toStdString();
    // Apriori and Slipper write a second file next to the main one.
    const std::string ext = assocdata::SecondFileExt(kind);
    const bool twoFiles = !ext.empty();
    const std::string second = twoFiles ? assocdata::SecondFileName(name, ext) : std::string();
    if (twoFiles && second.empty())
        return fail("The file " + fileName + " would be its own " + QString::fromStdString(ext) +
                    " file. Nothing was saved.",
                    "Warning");
    QString failed;
    {
        WaitFormGuard wait("Saving " + fileName + " ...");
        const assocdata::Progress progress = [&](int done, int total) {
            if (done % 100 == 0)
                platform::SetWaitText(assocdata::ProgressText(name, done, total));
        };
        // The second file is small: it is held in memory while the main file
        // is written, and both replace the old ones together or not at all.
        std::ostringstream other;
        std::vector<platform::FileContent> files{{name, [&](std::ostream& out) {
            const assocdata::Dataset data =
                AssocSnapshot(*File, Depths.role, instanceCycles, instanceClasses, classNames);
            switch (kind) {
            case Format::Apriori: assocdata::WriteApriori(out, other, data, threshold, useRoles, progress); break;
            case Format::Weka: assocdata::WriteWeka(out, data, threshold, progress); break;
            case Format::CN2: assocdata::WriteCN2(out, data, threshold, progress); break;
            case Format::Orange: assocdata::WriteOrange(out, data, threshold, progress); break;
            case Format::Slipper: assocdata::WriteSlipper(out, other, data, threshold, selection, progress); break;
            }
        }}};
        if (twoFiles)
            files.push_back({second, [&](std::ostream& out) { out << other.view(); }});
        platform::SaveError error;
        if (!platform::SaveFiles(files, &error))
            failed = platform::SaveFailureText(error, error.file == name ? fileName : QString());
    }
    return failed.isEmpty() || fail(failed, "Error");
}
