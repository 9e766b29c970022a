#include "ui/waitFormWin.h"

#include "ui/common.h"
#include "platform/qt/System.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>

#include <algorithm>

QPointer<TWaitForm> WaitForm;

namespace {
constexpr int kMinWidth = 300;
constexpr int kHeight = 22;
}  // namespace

TWaitForm::TWaitForm(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle("Please wait");
    setFixedSize(kMinWidth, kHeight);

    LabelText = new QLabel(this);
    QFont font("MS Sans Serif");
    font.setPixelSize(13);
    font.setBold(true);
    LabelText->setFont(font);
    LabelText->move(4, 4);
    LabelText->setText("Text here ...");
    LabelText->adjustSize();
}

TWaitForm::~TWaitForm()
{
    // Destroyed while shown: the hide handler does not run for a dying window.
    RestoreCursor();
}

void TWaitForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!SavedCursor) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        SavedCursor = true;
    }
    repaint();
}

void TWaitForm::hideEvent(QHideEvent* event)
{
    RestoreCursor();
    QDialog::hideEvent(event);
}

void TWaitForm::RestoreCursor()
{
    if (SavedCursor) {
        QGuiApplication::restoreOverrideCursor();
        SavedCursor = false;
    }
}

void TWaitForm::SetText(const QString& text)
{
    LabelText->setText(text);
    LabelText->adjustSize();
    const int w = std::max(LabelText->width() + 30, kMinWidth);
    setFixedSize(w, kHeight);
    if (const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect m = main->frameGeometry();
        move(m.x() + (m.width() - w) / 2, y());
    }
    repaint();
    // Last step: the events let through may remove this very window.
    platform::ProcessPendingEventsNoInput();
}

bool ShowWaitForm(const QString& text)
{
    if (WaitForm)
        return false;
    WaitForm = new TWaitForm(MainWindow());
    WaitForm->show();
    SetWaitText(text);
    return true;
}

bool SetWaitText(const QString& text)
{
    if (!WaitForm)
        return false;
    WaitForm->SetText(text);
    return true;
}

bool HideWaitForm()
{
    if (!WaitForm)
        return false;
    TWaitForm* w = WaitForm;
    WaitForm = nullptr;
    w->hide();
    delete w;
    return true;
}
