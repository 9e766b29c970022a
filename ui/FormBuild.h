// Small builders the forms share: named buttons, check boxes, headings, memos
// and pages, each with its object name and hint, so that a form's description
// reads as a list of its controls.
#pragma once

#include <QString>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace form {

// A button with its object name, caption and (when not empty) hint.
QPushButton* Button(QWidget* parent, const char* name, const QString& caption, const QString& hint = {});
// A check box the same way.
QCheckBox* CheckBox(QWidget* parent, const char* name, const QString& caption, const QString& hint = {});
// A heading inside a page: the framework's labels carry their spaces in the text.
QLabel* Heading(QWidget* parent, const char* name, const QString& caption);
// The selection stays visible when the control loses the focus: the user clicks
// a channel while the memo or tree keeps showing what is selected.
void KeepSelectionVisible(QWidget* w);
// A multi-line text edit where Tab moves on to the next control.
QPlainTextEdit* Memo(QWidget* parent, const char* name, const QString& hint);
// An empty page with its object name.
QWidget* Page(const char* name);

// The layout of a page of commands: the controls close together inside a narrow margin.
template <typename Layout>
Layout* PageLayout(QWidget* page)
{
    auto* layout = new Layout(page);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);
    return layout;
}

}  // namespace form
