// "Save Graph": the graph for outside graph tools, or the drawn picture,
// chosen by the extension of the file name.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/GraphFiles.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

namespace {

const char* const kSaveGraphFilter =
    "GML files (*.gml);;NET files (*.net);;Chaco files (*.txt);;Text files (*.text);;Windows bitmap (*.bmp)";

}  // namespace

void TMDIActionChild::ConnectSaveHandlers()
{
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
}

bool TMDIActionChild::SaveGraphFile(const QString& fileName)
{
    const std::string name = fileName.toLocal8Bit().toStdString();
    // The extension from the last ".", compared as written: ".GML" is no GML file.
    const int dot = static_cast<int>(fileName.lastIndexOf('.'));
    const QString ext = dot < 0 ? QString() : fileName.mid(dot);
    const TGraph empty;
    const TGraph& graph = Graph ? *Graph : empty;
    bool written = false;
    platform::SaveError error;
    if (ext == ".gml") {
        written = SaveGML(graph, name, cbThinEdges->isChecked(), cbSmallNodes->isChecked(),
                          EditFilter->text().toStdString(), &error);
    } else if (ext == ".net") {
        written = SavePajek(graph, name, &error);
    } else if (ext == ".txt") {
        written = SaveChaco(graph, name, &error);
    } else if (ext == ".text") {
        written = SaveText(graph, name, &error);
    } else if (ext == ".bmp" || ext == ".jpg") {
        // Each picture in the format its name promises.
        const QImage picture = Image->pixmap().toImage();
        written = platform::SaveImage(picture, fileName, ext == ".bmp" ? "BMP" : "JPG", &error);
    } else {
        platform::MessageBox(this, "Unknown file type! Nothing was saved. ", "Warning !", platform::Buttons::Ok);
        return false;
    }
    if (!written)
        platform::MessageBox(this, platform::SaveFailureText(error, fileName), "Error", platform::Buttons::Ok);
    return written;
}

void TMDIActionChild::btnSaveClick()
{
    const platform::FileDialogResult chosen =
        platform::SaveFileDialog(this, "Save Graph", kSaveGraphFilter, "gml", ".",
                                 platform::FileOfKinds({".gml", ".net", ".txt", ".text", ".bmp", ".jpg"}));
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    SaveGraphFile(chosen.files.front());
}
