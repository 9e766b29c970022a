// One time push of the main window on the full real match with one window of
// each kind open: what every playback tick (at least 1 ms apart, 100 ms by
// default) costs before anything is painted.
#include "ui/FormControls.h"
#include "ui/MDIChild.h"
#include "ui/main.h"
#include "platform/qt/Dialogs.h"

#include "BenchLog.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QSlider>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

TMainForm* g_form = nullptr;

void SetUpForm()
{
    TMainForm::AboutBoxRunner() = [] {};
    g_form = new TMainForm;
    g_form->FirstActivation = false;
    platform::DialogScript quiet;
    g_form->OpenLogFiles({QString::fromStdString(BenchLog())});
    g_form->BtnAdd1dClick();
    g_form->BtnAdd2dClick();
    g_form->BtnAddDataClick();
    g_form->BtnAddUsageClick();
    g_form->TrackBar2->setValue(100);
}

void BM_TimePushAllWindowKinds(benchmark::State& state)
{
    QSlider* slider = g_form->TrackBar1;
    const int last = slider->maximum();
    int p = 0;
    for (auto _ : state) {
        p = p + 1 > last ? 0 : p + 1;
        slider->setValue(p);  // the time change and its push, as one playback tick makes it
    }
    state.counters["windows"] = static_cast<double>(g_form->MdiArea->subWindowList().size());
    state.counters["cycles"] = last + 1;
}
BENCHMARK(BM_TimePushAllWindowKinds)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The concept hierarchies write their GML files into the current folder.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    SetUpForm();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_form;
    return 0;
}
