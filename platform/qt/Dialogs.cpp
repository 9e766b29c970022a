#include "platform/qt/Dialogs.h"

#include "platform/SaveFile.h"
#include "platform/qt/SavePicture.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include <string>
#include <vector>

namespace platform {

namespace {
DialogScript* g_script = nullptr;
}

DialogScript::DialogScript() : outer_(g_script) { g_script = this; }
DialogScript::~DialogScript()
{
    if (g_script == this)
        g_script = outer_;
}
DialogScript* DialogScript::Active() { return g_script; }

Answer MessageBox(QWidget* parent, const QString& text, const QString& caption, Buttons buttons,
                  const QString& detail)
{
    if (DialogScript* s = g_script) {
        s->messages.push_back({text, caption, buttons, detail});
        if (!s->answers.empty()) {
            Answer a = s->answers.front();
            s->answers.pop_front();
            return a;
        }
        return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    }
    QMessageBox::StandardButtons std = QMessageBox::Ok;
    if (buttons == Buttons::OkCancel)
        std = QMessageBox::Ok | QMessageBox::Cancel;
    else if (buttons == Buttons::YesNo)
        std = QMessageBox::Yes | QMessageBox::No;
    QMessageBox box(QMessageBox::NoIcon, caption, text, std, parent);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    switch (box.exec()) {
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return buttons == Buttons::OkCancel ? Answer::Ok : Answer::Ok;
    }
}

int ShowModal(QDialog* dialog)
{
    if (!dialog)
        return QDialog::Rejected;
    if (DialogScript* s = g_script) {
        s->modals.push_back(dialog->windowTitle());
        if (s->whileModal)
            s->whileModal(dialog);
        if (s->modalResults.empty())
            return QDialog::Rejected;
        const int result = s->modalResults.front();
        s->modalResults.pop_front();
        return result;
    }
    return dialog->exec();
}

static FileDialogResult Scripted(DialogScript* s, bool save, const QString& caption, const QString& filter)
{
    s->fileDialogs.push_back({save, caption, filter});
    if (s->files.empty())
        return {};
    FileDialogResult r = s->files.front();
    s->files.pop_front();
    return r;
}

static int FilterIndex(const QString& filter, const QString& selected)
{
    const QStringList parts = filter.split(";;");
    const int i = parts.indexOf(selected);
    return i < 0 ? 0 : i;
}

// Typed names without extension that name no file get the default one.
static void AddDefaultExt(QStringList& files, const QString& defaultExt)
{
    if (defaultExt.isEmpty())
        return;
    for (QString& f : files) {
        const QFileInfo info(f);
        if (!info.fileName().contains('.') && !info.exists())
            f += "." + defaultExt;
    }
}

FileDialogResult OpenFileDialog(QWidget* parent, const QString& caption, const QString& filter, bool multiple,
                                const QString& dir, const QString& defaultExt)
{
    FileDialogResult r;
    if (DialogScript* s = g_script) {
        r = Scripted(s, false, caption, filter);
    } else {
        QFileDialog dlg(parent, caption, dir, filter);
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        if (!defaultExt.isEmpty())
            dlg.setDefaultSuffix(defaultExt);
        if (dlg.exec() == QDialog::Accepted)
            r.files = dlg.selectedFiles();
        r.accepted = !r.files.isEmpty();
        r.filterIndex = FilterIndex(filter, dlg.selectedNameFilter());
    }
    AddDefaultExt(r.files, defaultExt);
    return r;
}

QString KindOfName(const QString& file)
{
    const QString name = QFileInfo(file).fileName();
    const int dot = static_cast<int>(name.lastIndexOf('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

SaveFilesOf FileOfKinds(const QStringList& kinds)
{
    return [kinds](const QString& chosen) {
        return kinds.contains(KindOfName(chosen)) ? QStringList{chosen} : QStringList{};
    };
}

// The extension the selected type names first ("Text files (*.txt *.text)":
// "txt"); empty for a type of any name ("(*)").
static QString ExtOfType(const QString& filter, int index)
{
    const QStringList types = filter.split(";;");
    if (index < 0 || index >= types.size())
        return {};
    const QString& type = types[index];
    const qsizetype open = type.lastIndexOf('(');
    const QString first = type.mid(open + 1).section(')', 0, 0).simplified().section(' ', 0, 0);
    return first.startsWith("*.") && first.count('*') == 1 ? first.mid(2) : QString();
}

// Asked after the name is chosen, never by the file dialog itself, and only
// after the save's own checks: a target it would refuse is told at once, as
// no answer could lead past it; files already there are replaced only when
// the user says so. A name of a kind the save does not write goes back
// unasked (the save says that it wrote nothing).
static bool MayWrite(QWidget* parent, const QString& caption, const QStringList& files)
{
    if (files.isEmpty())
        return true;
    std::vector<std::string> paths;
    for (const QString& f : files)
        paths.push_back(QFile::encodeName(f).toStdString());
    std::vector<std::string> there;
    SaveError refused;
    if (!CheckSaveTargets(paths, there, &refused)) {
        MessageBox(parent, SaveFailureText(refused), "Error");
        return false;
    }
    if (there.empty())
        return true;
    return MessageBox(parent, ReplaceQuestion(there) + "?", caption, Buttons::YesNo) == Answer::Yes;
}

QString ReplaceQuestion(const std::vector<std::string>& there)
{
    QStringList names;
    for (const std::string& t : there)
        names << QFileInfo(QFile::decodeName(t.c_str())).fileName();
    return names.size() == 1 ? names[0] + " already exists.\nDo you want to replace it"
                             : names.join(" and ") + " already exist.\nDo you want to replace them";
}

FileDialogResult SaveFileDialog(QWidget* parent, const QString& caption, const QString& filter,
                                const QString& defaultExt, const QString& dir, const SaveFilesOf& filesOf)
{
    FileDialogResult r;
    if (DialogScript* s = g_script) {
        r = Scripted(s, true, caption, filter);
    } else {
        // No default suffix of Qt's own: it would be one for every type.
        QFileDialog dlg(parent, caption, dir, filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
        if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
            r.accepted = true;
            r.files << dlg.selectedFiles().first();
            r.filterIndex = FilterIndex(filter, dlg.selectedNameFilter());
        }
    }
    if (!r.accepted || r.files.isEmpty())
        return r;
    QString& chosen = r.files.first();
    if (!QFileInfo(chosen).fileName().contains('.')) {
        const QString ext = ExtOfType(filter, r.filterIndex);
        if (!ext.isEmpty() || !defaultExt.isEmpty())
            chosen += "." + (ext.isEmpty() ? defaultExt : ext);
    }
    if (!MayWrite(parent, caption, filesOf ? filesOf(chosen) : QStringList{chosen}))
        return {};
    return r;
}

}  // namespace platform
