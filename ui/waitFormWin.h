// The one "Please wait" window of long operations. While it is shown the busy
// cursor is up, and every new text lets pending events through, user input
// excluded: nobody can remove a log or close a window in the middle of an
// operation, yet the windows keep painting.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

class QLabel;
class QPushButton;

class TWaitForm : public QDialog {
    Q_OBJECT
public:
    // owner: the window the user is in (the main window, or the modal window
    // open above it), over which the wait window is centred (may be null).
    explicit TWaitForm(QWidget* owner = nullptr);
    ~TWaitForm() override;

    // Shows the text, widens the window to the text (at least 300 pixels), centres
    // it on the window it serves (see PlaceOver), repaints it and lets pending
    // events through, user input excluded.
    void SetText(const QString& text);
    // The window the wait window serves, over which it is centred while that
    // window shows; otherwise over its owner's window when that shows, else
    // over the screen. However that window lies, the wait window stays whole
    // on the screen, its title bar included.
    void PlaceOver(QWidget* window);

    // Offers "Cancel" (only while an outside program runs) or takes it away;
    // offering it forgets an earlier press, and moves the window above a modal
    // window opened since it was shown, so that Cancel can be reached.
    void ShowCancel(bool show);
    bool CancelPressed() const { return cancelPressed_; }

    QLabel* LabelText;
    QPushButton* CancelButton;

protected:
    void showEvent(QShowEvent* event) override;  // puts up the busy cursor
    void hideEvent(QHideEvent* event) override;  // restores the cursor
    // Escape is Cancel while Cancel is offered; it never closes the window.
    void reject() override;

private:
    void RestoreCursor();
    void KeepReachable();
    void Place();

    QPointer<QWidget> over_;

    // True while this window's busy cursor is on Qt's override-cursor stack;
    // popping it brings back the cursor saved below it.
    bool SavedCursor = false;
    bool cancelPressed_ = false;
    void Layout();
};

// The one wait window, null when none is shown.
extern QPointer<TWaitForm> WaitForm;

// Creates and shows the wait window with the text and returns true; when one is
// shown already, returns false and changes nothing, not even its text. The
// window is a child of the active modal window when one is open (so that it
// takes input above it), else of the main window.
// over: the window the wait is for (see TWaitForm::PlaceOver), when it is not
// the owner.
bool ShowWaitForm(const QString& text, QWidget* over = nullptr);
// Shows the text in the wait window and lets pending events through; false when
// there is no wait window.
bool SetWaitText(const QString& text);
// Removes the wait window, whoever showed it, and returns true; false when there
// is none.
bool HideWaitForm();

// While an outside program runs: lets pending events through, user input only
// where it reaches the wait window (its Cancel), and tells whether Cancel has
// been pressed. False without a wait window.
bool WaitFormCancelled();

// Shows the wait window for a scope and removes it when the scope ends, also
// when an exception leaves it, so the busy cursor never outlives an operation.
class WaitFormGuard {
public:
    explicit WaitFormGuard(const QString& text) { ShowWaitForm(text); }
    ~WaitFormGuard() { HideWaitForm(); }
    WaitFormGuard(const WaitFormGuard&) = delete;
    WaitFormGuard& operator=(const WaitFormGuard&) = delete;
};
