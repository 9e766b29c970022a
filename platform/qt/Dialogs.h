// Modal message boxes and file dialogs, with a seam that lets tests script the
// answers and read what was shown. While a script is active nothing is ever shown
// on screen, so no test can block on a dialog.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace platform {

enum class Buttons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

// A modal message box with the given text, caption and buttons; a detail
// (the reason behind the text) is shown on request.
Answer MessageBox(QWidget* parent, const QString& text, const QString& caption, Buttons buttons = Buttons::Ok,
                  const QString& detail = {});

// "<name> already exists.\nDo you want to replace it" (or "<a> and <b>
// already exist ... them"), by the files' names, for the caller to end.
QString ReplaceQuestion(const std::vector<std::string>& there);

struct FileDialogResult {
    bool accepted = false;
    QStringList files;   // one file for a save dialog, one or more for an open dialog
    int filterIndex = 0; // the chosen filter, counted from 0
};

// filter is in Qt's form: "Match logs (*.rcg);;All files (*)". A name typed
// without extension that names no file gets "." + defaultExt (when given), also
// when a script answers.
FileDialogResult OpenFileDialog(QWidget* parent, const QString& caption, const QString& filter,
                                bool multiple, const QString& dir = {}, const QString& defaultExt = {});

// The files a save writes for the name chosen; none for a name of a kind it
// does not write (the save then says so itself).
using SaveFilesOf = std::function<QStringList(const QString& chosen)>;

// The name chosen when its extension is one of kinds (".txt", compared
// exactly), else none: for a save that writes one file of one of several kinds.
SaveFilesOf FileOfKinds(const QStringList& kinds);

// A save dialog. A name typed without extension gets the one of the file type
// the user selected ("SVG files (*.svg)": ".svg"), or defaultExt where that
// type names none; a name with one keeps it, whichever type is selected. The
// files the save writes there (filesOf; without it, the name chosen) are then
// checked as the save checks them, before anything is asked: one it would
// refuse (no regular file, a link it does not follow, a folder it cannot
// reach) is told at once and the dialog counts as cancelled; where any of
// them is there already, the user is asked whether to replace it, naming
// it. Answered No, the dialog counts as cancelled.
FileDialogResult SaveFileDialog(QWidget* parent, const QString& caption, const QString& filter,
                                const QString& defaultExt = {}, const QString& dir = {},
                                const SaveFilesOf& filesOf = {});

// A file name's kind: its extension from the last "." of its name on (".txt"),
// empty when the name has none.
QString KindOfName(const QString& file);

// Shows a window modally and returns its result (QDialog::Accepted or
// Rejected) when it closes. While a DialogScript lives the window is not
// shown: the script records its title, runs whileModal on it (when set) and
// answers with the next of modalResults (Rejected when empty).
int ShowModal(QDialog* dialog);

// What a scripted run recorded.
struct ShownMessage {
    QString text;
    QString caption;
    Buttons buttons;
    QString detail;
};
struct ShownFileDialog {
    bool save;
    QString caption;
    QString filter;
};

// While a DialogScript lives, dialogs take their answers from it: message boxes
// pop `answers` (Ok, or Yes for Yes/No boxes, when empty), file dialogs pop
// `files` (cancelled when empty; filterIndex is the file type the user
// selected). A script made while another lives takes over
// until it ends, then the outer one answers again (never the real dialogs).
class DialogScript {
public:
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    std::deque<Answer> answers;
    std::deque<FileDialogResult> files;
    std::vector<ShownMessage> messages;
    std::vector<ShownFileDialog> fileDialogs;
    std::deque<int> modalResults;
    std::vector<QString> modals;  // titles of the windows shown modally
    std::function<void(QDialog*)> whileModal;

    static DialogScript* Active();

private:
    DialogScript* outer_ = nullptr;
};

}  // namespace platform
