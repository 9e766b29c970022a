#include "ui/Program.h"

#include "ui/About.h"
#include "ui/Application.h"
#include "ui/StrategyShells.h"
#include "ui/TeamDlg.h"
#include "ui/main.h"

namespace {
StrategyWindowMaker g_makeStrategyWindow = nullptr;
QWidget* g_strategyWindow = nullptr;
BatchTestRunner g_batchTest = nullptr;
}  // namespace

void SetBatchTestRunner(BatchTestRunner run) { g_batchTest = run; }

BatchTestRunner InstalledBatchTest() { return g_batchTest; }

void SetStrategyWindowMaker(StrategyWindowMaker make) { g_makeStrategyWindow = make; }

QWidget* StrategyWindow() { return g_strategyWindow; }

void CreateLongLivedWindows()
{
    MainForm = new TMainForm;
    // The dialogs are centred on the main window and go with it.
    ChooseTeamDlg = new TChooseTeamDlg(MainForm);
    FormAbout = new TFormAbout(MainForm);
    FormSaveData = new TFormSaveData(MainForm);
    if (g_makeStrategyWindow) {
        g_strategyWindow = g_makeStrategyWindow();
        // Closing the main window ends the program, whatever else is open.
        g_strategyWindow->setAttribute(Qt::WA_QuitOnClose, false);
    }
}

void DestroyLongLivedWindows()
{
    // The dialogs parented to the main window go with it; the pointers are
    // cleared first so that nothing reaches them while it is destroyed.
    TMainForm* main = MainForm;
    ChooseTeamDlg = nullptr;
    FormAbout = nullptr;
    FormSaveData = nullptr;
    delete main;
    MainForm = nullptr;
    delete g_strategyWindow;  // the window clears its own global
    g_strategyWindow = nullptr;
}

int RunProgram()
{
    RunGuarded([] {
        CreateLongLivedWindows();
        MainForm->show();
        // The first activation shows the About box and the dialog for choosing
        // logs. Ask for it: without a window manager (or with one that keeps
        // new windows from taking the focus) the frame would never be activated.
        MainForm->activateWindow();
        QApplication::exec();
    });
    DestroyLongLivedWindows();
    return 0;
}
