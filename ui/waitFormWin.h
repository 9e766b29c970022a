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

    // Shows the text, widens the window to the text (at least 300 pixels, at
    // most the screen's width: a longer text is cut in its middle), centres it
    // on the window it serves (see PlaceOver), repaints it and lets pending
    // events through, user input excluded.
    void SetText(const QString& text);
    // The text as given, whole: the window may show it cut.
    const QString& Text() const { return text_; }
    // The window the wait window serves, over which it is centred while that
    // window shows; otherwise over its owner's window when that shows, else
    // over the screen. However that window lies, the wait window stays whole
    // on the screen, its title bar included.
    void PlaceOver(QWidget* window);

    // A command holds the window for its whole run (see WaitCommand): meanwhile
    // it keeps the place it took at the command's start and one width (560
    // pixels, less on a narrower screen; a longer text is cut), so that Cancel
    // stays where the user saw it. Release is true when no command holds it
    // any more.
    void Hold() { ++commands_; }
    bool Release() { return commands_ > 0 && --commands_ == 0; }
    bool Held() const { return commands_ > 0; }

    // Offers "Cancel" (while a command that asks for it runs) or takes it away;
    // offering it forgets an earlier press, and moves the window above a modal
    // window opened since it was shown, so that Cancel can be reached.
    void ShowCancel(bool show);
    bool CancelPressed() const { return cancelPressed_; }

    QLabel* LabelText;
    QPushButton* CancelButton;

protected:
    // A modal window opened above a command's window (a message box) hides it
    // until that window closes: nothing of the command may cover the question.
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;  // puts up the busy cursor
    void hideEvent(QHideEvent* event) override;  // restores the cursor
    // Escape is Cancel while Cancel is offered; it never closes the window.
    void reject() override;

private:
    void RestoreCursor();
    void KeepReachable();
    // Aim finds the screen area and the rectangle to centre on; Place puts the
    // window there, whole on the screen.
    void Aim();
    void Place();

    QPointer<QWidget> over_;
    QRect target_;
    QRect area_;
    QString text_;
    int commands_ = 0;
    bool hiddenByModal_ = false;

    // True while this window's busy cursor is on Qt's override-cursor stack;
    // popping it brings back the cursor saved below it.
    bool SavedCursor = false;
    bool cancelPressed_ = false;
    void Layout();
};

// The one wait window, null when none is shown.
extern QPointer<TWaitForm> WaitForm;

// Creates and shows the wait window with the text and returns true; when one is
// shown already, returns false and changes nothing, not even its text, unless
// a command holds it: then the step's text shows in it. The
// window is a child of the active modal window when one is open (so that it
// takes input above it), else of the main window.
// over: the window the wait is for (see TWaitForm::PlaceOver), when it is not
// the owner.
bool ShowWaitForm(const QString& text, QWidget* over = nullptr);
// Shows the text in the wait window and lets pending events through; false when
// there is no wait window.
bool SetWaitText(const QString& text);
// Removes the wait window, whoever showed it, and returns true; false when there
// is none, or when a command holds it (the step of the command ended, the
// command goes on).
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

// One wait window for a whole command (a strategy command, a series of them,
// the batch test, "Create new data fields", "Join", "Cluster", "Mark
// selected"): the outermost scope shows it over
// `over`, with Cancel from start to end when the command asks WaitFormCancelled
// (a press is kept until the command asks). Every wait of the command's steps
// (ShowWaitForm, WaitFormGuard, HideWaitForm) only shows its text in it, and
// a command within the command shows its text and keeps the window; the window
// goes when the outermost scope ends.
class WaitCommand {
public:
    WaitCommand(const QString& text, QWidget* over, bool cancel);
    ~WaitCommand();
    WaitCommand(const WaitCommand&) = delete;
    WaitCommand& operator=(const WaitCommand&) = delete;
};

// A window shown modally for the user in the middle of a command (the strategy
// window that a series or the batch test opens to let the user choose): the
// command's wait window steps aside for the scope, hidden, so that a command
// the user starts there has a wait window (and a Cancel) of its own; then it
// comes back, in its place.
class WaitPause {
public:
    WaitPause();
    ~WaitPause();
    WaitPause(const WaitPause&) = delete;
    WaitPause& operator=(const WaitPause&) = delete;

private:
    QPointer<TWaitForm> saved_;
};
