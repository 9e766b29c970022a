#include "platform/qt/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

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

// Asked after the name is chosen, never by the file dialog itself: a name of a
// kind the save does not write goes back unasked (the save says that it wrote
// nothing), one that names a file already there is written over only when the
// user says so.
static bool MayWriteOver(QWidget* parent, const QString& caption, const QString& file, const QStringList& kinds)
{
    if (!kinds.isEmpty() && !kinds.contains(KindOfName(file)))
        return true;
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return true;
    return MessageBox(parent, info.fileName() + " already exists.\nDo you want to replace it?", caption,
                      Buttons::YesNo) == Answer::Yes;
}

FileDialogResult SaveFileDialog(QWidget* parent, const QString& caption, const QString& filter,
                                const QString& defaultExt, const QString& dir, const QStringList& kinds)
{
    FileDialogResult r;
    if (DialogScript* s = g_script) {
        r = Scripted(s, true, caption, filter);
    } else {
        QFileDialog dlg(parent, caption, dir, filter);
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setOption(QFileDialog::DontConfirmOverwrite);
        if (!defaultExt.isEmpty())
            dlg.setDefaultSuffix(defaultExt);
        if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty()) {
            r.accepted = true;
            r.files << dlg.selectedFiles().first();
            r.filterIndex = FilterIndex(filter, dlg.selectedNameFilter());
        }
    }
    if (r.accepted && !r.files.isEmpty() && !MayWriteOver(parent, caption, r.files.first(), kinds))
        return {};
    return r;
}

}  // namespace platform
