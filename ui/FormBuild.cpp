#include "ui/FormBuild.h"

#include <QCheckBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>

namespace form {

QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

QCheckBox* CheckBox(QWidget* parent, const char* name, const QString& caption, const QString& hint)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    if (!hint.isEmpty())
        c->setToolTip(hint);
    return c;
}

QLabel* Heading(QWidget* parent, const char* name, const QString& caption)
{
    auto* l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setFrameShape(QFrame::StyledPanel);
    l->setAutoFillBackground(true);
    l->setBackgroundRole(QPalette::Mid);
    return l;
}

void KeepSelectionVisible(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    w->setPalette(pal);
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, const QString& hint)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    m->setToolTip(hint);
    m->setTabChangesFocus(true);
    KeepSelectionVisible(m);
    return m;
}

QWidget* Page(const char* name)
{
    auto* w = new QWidget;
    w->setObjectName(name);
    return w;
}

}  // namespace form
