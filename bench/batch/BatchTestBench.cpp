// The batch test over three full matches with the program's strategy window and
// its in-house learner, as "Test" on the main window runs it: the merges, the
// joins at every level, the path searches and the learning and testing. The
// user's choice of strategy is made by storing the first path of the reference
// graph. The matches are the files named by VELOTRASK_BENCH_MATCHES (a folder of
// .rcg / .rcg.gz files, or file names separated by ':', relative ones to the
// folder the benchmark is started in), or else three copies of the bench log
// (VELOTRASK_BENCH_LOG or the full match of tests/data). A named file that
// cannot be opened ends the benchmark with its name and the reason.
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
#include <QTextDocument>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The matches VELOTRASK_BENCH_MATCHES names, as absolute paths: the benchmark
// changes the current folder before it reads them. Empty when none are named.
std::vector<std::string> NamedMatches()
{
    std::vector<std::string> named;
    const char* list = std::getenv("VELOTRASK_BENCH_MATCHES");
    if (list == nullptr || *list == '\0')
        return named;
    if (fs::is_directory(list)) {
        for (const auto& entry : fs::directory_iterator(fs::absolute(list)))
            if (EndsWith(entry.path().string(), ".rcg") || EndsWith(entry.path().string(), ".rcg.gz"))
                named.push_back(entry.path().string());
        std::sort(named.begin(), named.end());
        return named;
    }
    std::stringstream in(list);
    for (std::string file; std::getline(in, file, ':');)
        if (!file.empty())
            named.push_back(fs::absolute(file).string());
    return named;
}

// Why the file cannot be read as a match; empty when it can.
std::string CannotOpen(const std::string& file)
{
    std::error_code error;
    if (!fs::is_regular_file(file, error))
        return error ? error.message() : "not a file";
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr)
        return std::strerror(errno);
    std::fclose(f);
    return {};
}

// The matches as plain logs in folder: gzipped ones unpacked, the bench log
// copied three times under names of their own when none are named.
std::vector<std::string> Matches(const std::vector<std::string>& named, const fs::path& folder)
{
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
    TWindowBatchStrategy strategy(window);
    int rows = 0;
    long cycles = 0;
    for (const RoboCupFileT* log : logs)
        cycles += log->cycles;
    if (logs.empty()) {
        state.SkipWithError("no match is open");
        return;
    }
    for (auto _ : state) {
        modals = 0;
        window.SetTestChunks({});
        RunBatchTest(services, strategy, &team, "bench");
        rows = window.MemoRules->document()->blockCount();
        if (rows <= 1)
            state.SkipWithError("the batch test found no strategy to test");
    }
    FormStrategy = nullptr;
    state.counters["matches"] = static_cast<double>(logs.size());
    state.counters["cycles"] = static_cast<double>(cycles);
    state.counters["table_rows"] = rows;
}
BENCHMARK(BM_BatchTestThreeMatches)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Named relative to the folder the benchmark was started in.
    const std::vector<std::string> named = NamedMatches();
    if (const char* list = std::getenv("VELOTRASK_BENCH_MATCHES"); list != nullptr && *list != '\0' && named.empty()) {
        std::fprintf(stderr, "VELOTRASK_BENCH_MATCHES (%s) names no .rcg or .rcg.gz file.\n", list);
        return 1;
    }
    for (const std::string& file : named)
        if (const std::string why = CannotOpen(file); !why.empty()) {
            std::fprintf(stderr, "The batch benchmark cannot open the match %s (%s).\n", file.c_str(), why.c_str());
            return 1;
        }
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
        for (const std::string& file : Matches(named, fs::path(dir.path().toStdString())))
            files << QString::fromStdString(file);
        g_form->OpenLogFiles(files);
        // A match that opens but cannot be read is told, not taken for a missing strategy.
        for (const platform::ShownMessage& message : quiet.messages)
            std::fprintf(stderr, "%s\n", (message.text + " " + message.detail).trimmed().toLocal8Bit().constData());
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    delete g_form;
    return 0;
}
