// The batch test over three full matches with the program's strategy window and
// its in-house learner, as "Test" on the main window runs it: the merges, the
// joins at every level, the path searches and the learning and testing. The
// user's choice of strategy is made by storing the first path of the reference
// graph. The matches are the files named by VELOTRASK_BENCH_MATCHES (a folder of
// .rcg / .rcg.gz files, or file names separated by ':'), or else three copies of
// the bench log (VELOTRASK_BENCH_LOG or the full match of tests/data).
#include "BenchLog.h"

#include "strategy/BatchTest.h"
#include "strategy/FormStrategy.h"

#include "actiongraph/childActionWin.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "ui/MainServices.h"
#include "ui/OpenLogs.h"
#include "ui/main.h"

#include "support/Gunzip.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The matches as plain logs in folder: gzipped ones unpacked, the bench log
// copied three times under names of their own when none are named.
std::vector<std::string> Matches(const fs::path& folder)
{
    std::vector<std::string> named;
    const char* list = std::getenv("VELOTRASK_BENCH_MATCHES");
    if (list != nullptr && *list != '\0') {
        if (fs::is_directory(list)) {
            for (const auto& entry : fs::directory_iterator(list))
                if (EndsWith(entry.path().string(), ".rcg") || EndsWith(entry.path().string(), ".rcg.gz"))
                    named.push_back(entry.path().string());
            std::sort(named.begin(), named.end());
        } else {
            std::stringstream in(list);
            for (std::string file; std::getline(in, file, ':');)
                if (!file.empty())
                    named.push_back(file);
        }
    }
    std::vector<std::string> plain;
    if (named.empty()) {
        for (int k = 0; k < 3; ++k) {
            plain.push_back((folder / ("match" + std::to_string(k) + ".rcg")).string());
            fs::copy_file(BenchLog(), plain.back(), fs::copy_options::overwrite_existing);
        }
        return plain;
    }
    for (std::size_t k = 0; k < named.size(); ++k) {
        if (!EndsWith(named[k], ".gz")) {
            plain.push_back(named[k]);
            continue;
        }
        plain.push_back((folder / ("match" + std::to_string(k) + ".rcg")).string());
        GunzipFile(named[k], plain.back());
    }
    return plain;
}

// The program's strategy window as the batch test uses it.
class WindowStrategy final : public TBatchStrategy {
public:
    explicit WindowStrategy(TFormStrategy& form) : form_(form) {}
    void Init(TMDIActionChild* child, bool batch, tTest* target) override { form_.Init(child, batch, target); }
    void SetTestGraph(TMDIActionChild* child) override { form_.SetTestGraph(child); }
    void SetTestChunks(const TChunkList& source) override { form_.SetTestChunks(source); }
    const TChunkList& TestChunks() const override { return form_.testChunks; }
    const TChunkList& Chunks() const override { return form_.chunks; }
    void SetMemo(const std::vector<std::string>& lines) override { rows = static_cast<int>(lines.size()); }
    void ForgetTarget() override { form_.target = nullptr; }
    void ResetAndShow() override { form_.ResetAndShow(); }

    int rows = 0;

private:
    TFormStrategy& form_;
};

TMainForm* g_form = nullptr;

void BM_BatchTestThreeMatches(benchmark::State& state)
{
    TFormStrategy window;
    FormStrategy = &window;
    window.cbHomeRules->setChecked(true);
    window.cbVerbose->setCheckState(Qt::Unchecked);
    QTemporaryDir data;
    window.EditFName->setText(data.filePath("test.data"));
    platform::DialogScript script;
    int modals = 0;
    script.whileModal = [&](QDialog*) {
        if (modals++ > 0)
            return;  // the final table
        for (int row = 0; row < window.pathItems.Count(); ++row)
            if (window.pathItems.Path(row)) {
                window.lbPath->setCurrentRow(row);
                window.btnStoreTestClick();
                break;
            }
    };
    TMainFormServices services(*g_form);
    const std::vector<RoboCupFileT*> logs = services.OpenLogs();
    const std::string team = logs.empty() ? std::string() : logs.front()->leftTeam;
    WindowStrategy strategy(window);
    long cycles = 0;
    for (const RoboCupFileT* log : logs)
        cycles += log->cycles;
    for (auto _ : state) {
        modals = 0;
        window.SetTestChunks({});
        RunBatchTest(services, strategy, &team, "bench");
        if (strategy.rows <= 1)
            state.SkipWithError("the batch test found no strategy to test");
    }
    FormStrategy = nullptr;
    state.counters["matches"] = static_cast<double>(logs.size());
    state.counters["cycles"] = static_cast<double>(cycles);
    state.counters["table_rows"] = strategy.rows;
}
BENCHMARK(BM_BatchTestThreeMatches)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // The concept hierarchies and the merged logs are written into the current folder.
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    RegisterActionGraphWindow();
    TMainForm::AboutBoxRunner() = [] {};
    g_form = new TMainForm;
    g_form->FirstActivation = false;
    {
        platform::DialogScript quiet;
        QStringList files;
        for (const std::string& file : Matches(fs::path(dir.path().toStdString())))
            files << QString::fromStdString(file);
        g_form->OpenLogFiles(files);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_form;
    return 0;
}
