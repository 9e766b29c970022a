#include "ui/About.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>

QString BuildTimeLine() { return QStringLiteral("*** Build time " __DATE__ " at " __TIME__ " ***"); }

TFormAbout* FormAbout = nullptr;

TFormAbout::TFormAbout(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle("About Velotrask");
    setFixedSize(513, 357);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(4, 8, 505, 305);
    Memo1->setReadOnly(true);
    QPalette pal = Memo1->palette();
    pal.setColor(QPalette::Base, pal.color(QPalette::Button));
    Memo1->setPalette(pal);

    QStringList lines = {
        "Velotrask 0.9 Beta pre-release version.",
        "",
        "",
        "A workbench for RoboCup soccer simulation 2D match logs: channels, concepts,",
        "action graphs and strategy rules.",
        "",
        "Copyright (c) the Velotrask authors. All rights reserved.",
        "",
        "Contact: the Velotrask developers, through the project's issue tracker.",
        "",
        "This program is provided \"as is\", without warranty of any kind, express or",
        "implied. In no event shall the authors be liable for any claim, damages or",
        "other liability arising from its use.",
    };
    // The build line goes after the version line and one empty line, with an
    // empty line of its own in front.
    lines.insert(2, "\n" + BuildTimeLine());
    Memo1->setPlainText(lines.join('\n'));

    Button1 = new QPushButton("OK", this);
    Button1->setGeometry(208, 324, 87, 29);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}
