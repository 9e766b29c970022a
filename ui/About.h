// The About box: version, build time, rights, contact and warranty notes.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

class TFormAbout : public QDialog {
    Q_OBJECT
public:
    // owner: the main window, on which the box is centred.
    explicit TFormAbout(QWidget* owner = nullptr);

    QPlainTextEdit* Memo1;
    QPushButton* Button1;
};

// "*** Build time <date> at <time> ***" with the compiler's date ("Aug  8 2006")
// and time ("13:22:40") of this program's build.
QString BuildTimeLine();

// The About box; created by the program entry for the whole run.
extern TFormAbout* FormAbout;
