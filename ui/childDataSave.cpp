// The data window's "Save Data": the table through the export writers, in the
// format the chosen file's extension names.
#include "ui/childDataWin.h"

#include "core/io/DataExport.h"
#include "core/model/TimeMarks.h"
#include "platform/SaveFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"
#include "ui/FormControls.h"
#include "ui/MarksLink.h"
#include "ui/StringGrid.h"

#include <QApplication>
#include <QFileInfo>

#include <functional>
#include <vector>

namespace {

// The hourglass for a scope, also when an exception leaves it.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The files a save writes for a name, by its extension (compared exactly):
// C5's ".names" comes with its ".data"; none for a kind it does not write.
QStringList FilesOfSave(const QString& fileName)
{
    const QString ext = platform::KindOfName(fileName);
    if (ext == ".names")
        return {fileName, fileName.left(fileName.size() - ext.size()) + ".data"};
    if (ext == ".txt" || ext == ".raw" || ext == ".arff")
        return {fileName};
    return {};
}

}  // namespace

bool TMDIDataChild::NothingToSave()
{
    FollowChannels();
    // Column 0 only numbers the rows: a dataset of it has no attribute, which
    // no learner reads.
    if (dataGrid->ColCount() > 1)
        return false;
    platform::MessageBox(this, "The data window holds nothing to save: add a data series first", "Warning");
    return true;
}

void TMDIDataChild::BtnSaveClick()
{
    if (NothingToSave())
        return;
    const platform::FileDialogResult chosen = platform::SaveFileDialog(
        this, "Save Data", "C5 format (*.names);;Text format (*.txt);;ARFF format (*.arff);;Raw ASCII format (*.raw)",
        "names", ".", FilesOfSave);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    SaveData(chosen.files.first());
}

bool TMDIDataChild::SaveData(const QString& fileName)
{
    const BusyCursor busy;
    if (NothingToSave())
        return false;
    const QString ext = platform::KindOfName(fileName);

    // The writers know rows, not cycles: a row is marked when its own cycle is,
    // and in a "Graph Data" window rows are occurrences, not cycles in order.
    dataexport::MarkSet marks;
    if (g_timeMarks.marks)
        for (int row = dataexport::kFirstDataRow; row < dataGrid->RowCount(); ++row)
            if (g_timeMarks.marks->Contains(CycleOfRow(row)))
                marks.insert(row - dataexport::kFirstDataRow);
    const auto mode = static_cast<dataexport::MarkMode>(rgUseMarks->ItemIndex() < 0 ? 0 : rgUseMarks->ItemIndex());
    const CellTable& grid = dataGrid->Table();

    // One call for the files of a format, so that ".names" and ".data" are
    // replaced together or not at all.
    auto write = [&](std::vector<platform::FileContent> files) {
        platform::SaveError error;
        if (platform::SaveFiles(files, &error))
            return true;
        platform::MessageBox(this, platform::SaveFailureText(error), "Error");
        return false;
    };
    auto file = [](const QString& path, std::function<void(std::ostream&)> writer) {
        return platform::FileContent{path.toLocal8Bit().toStdString(), std::move(writer)};
    };
    // Values that are no finite number go into the datasets as missing ones:
    // the save says so once.
    int nonFinite = 0;
    const auto tellNonFinite = [&](bool written) {
        if (written && nonFinite > 0)
            platform::MessageBox(this, QString::fromStdString(dataexport::NonFiniteNotice(nonFinite)), "Information");
        return written;
    };
    using namespace dataexport;
    if (ext == ".txt")
        return write({file(fileName, [&](std::ostream& o) { WriteText(o, grid, marks, mode); })});
    if (ext == ".raw")
        return write({file(fileName, [&](std::ostream& o) { WriteRaw(o, grid, marks, mode); })});
    if (const QStringList pair = FilesOfSave(fileName); ext == ".names")
        return tellNonFinite(write({file(pair[0], [&](std::ostream& o) { WriteC45Names(o, grid, mode); }),
                                    file(pair[1], [&](std::ostream& o) { nonFinite = WriteC45Data(o, grid, marks, mode); })}));
    if (ext == ".arff")
        return tellNonFinite(write({file(fileName, [&](std::ostream& o) { nonFinite = WriteArff(o, grid, marks, mode); })}));
    platform::MessageBox(this, "Unknown file type! Nothing was saved. ", "Warning !", platform::Buttons::Ok);
    return false;
}
