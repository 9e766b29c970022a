#include "core/io/DataExport.h"
#include "core/expr/UserChannels.h"
#include "core/io/DataGrid.h"
#include "core/load/LoadLog.h"
#include "core/model/Format.h"
#include "core/model/RoboCupFile.h"
#include "core/model/timestream.h"
#include "support/RecordingHooks.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace dataexport;

namespace {

// A data-window table by hand: columns of (name, min, max, type) and their values per row.
struct HandColumn {
    std::string name, min, max, type;
    std::vector<std::string> values;
};
CellTable HandGrid(const std::vector<HandColumn>& columns, int rows)
{
    CellTable grid;
    datagrid::InitDataGrid(grid);
    datagrid::SetCycleRows(grid, rows);
    grid.SetColCount(1 + static_cast<int>(columns.size()));
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const int c = static_cast<int>(i) + 1;
        const HandColumn& h = columns[i];
        grid.SetCell(c, 0, h.name);
        grid.SetCell(c, 1, h.min);
        grid.SetCell(c, 2, h.max);
        grid.SetCell(c, 3, h.type);
        for (std::size_t r = 0; r < h.values.size(); ++r)
            grid.SetCell(c, kFirstDataRow + static_cast<int>(r), h.values[r]);
    }
    return grid;
}

template <typename Writer>
std::string Written(Writer write)
{
    std::ostringstream out;
    write(out);
    return out.str();
}

std::string Names(const CellTable& g, MarkMode m)
{
    return Written([&](std::ostream& o) { WriteC45Names(o, g, m); });
}
std::string Arff(const CellTable& g, const MarkSet& marks, MarkMode m)
{
    return Written([&](std::ostream& o) { WriteArff(o, g, marks, m); });
}

const char kWekaJar[] = "/usr/share/java/weka.jar";

bool WekaInstalled()
{
    return std::ifstream(kWekaJar) && std::system("java -version > /dev/null 2>&1") == 0;
}

// What Weka's own ARFF reader says of the file: its summary, or the exception
// that refused it (the program ends with 0 either way).
std::string WekaReport(const std::string& path)
{
    FILE* pipe = popen((std::string("java -cp ") + kWekaJar + " weka.core.Instances " + path + " 2>&1").c_str(), "r");
    if (pipe == nullptr)
        return "no pipe";
    std::string report;
    char buf[4096];
    while (const std::size_t n = fread(buf, 1, sizeof buf, pipe))
        report.append(buf, n);
    pclose(pipe);
    return report;
}

}  // namespace

TEST(DataExport, NameFormsOfAStackedHeader)
{
    const std::string header = "Ball\r\npossessor\r\nl_team";
    EXPECT_EQ(DottedName(header), "Ball.possessor.l_team");
    EXPECT_EQ(EscapedName(header), "Ball\\.possessor\\.l_team");
    EXPECT_EQ(JoinedName(header), "Ball_possessor_l_team");
}

TEST(DataExport, AttributeTypesFollowTypeWordAndSpan)
{
    struct Case {
        HandColumn column;
        const char* namesLine;  // the column's line of the .names file
        const char* arffLine;
    } cases[] = {
        {{"a\r\nx", "-1.0000", "2.5000", "double", {}}, "a\\.x: continuous.", "@attribute a_x real"},
        {{"b", "0", "3", "char", {}}, "b: [ordered] 0, 1, 2, 3.", "@attribute b {0, 1, 2, 3}"},
        {{"c", "1", "1", "char", {}}, "c: ignore.", "@attribute c {1}"},
        {{"d", "-2", "1", "short", {}}, "d: [ordered] -2, -1, 0, 1.", "@attribute d {-2, -1, 0, 1}"},
        {{"e", "0", "600", "short", {}}, "e: continuous.", "@attribute e real"},
        // Concept identities: numbers, though their min and max cells are empty.
        {{"f", "", "", "long", {}}, "f: continuous.", "@attribute f real"},
    };
    for (const Case& c : cases) {
        const CellTable grid = HandGrid({c.column}, 1);
        EXPECT_NE(Names(grid, MarkMode::MarksAsFilter).find(std::string("\r\n") + c.namesLine + "\r\n"),
                  std::string::npos)
            << c.namesLine;
        EXPECT_NE(Arff(grid, {}, MarkMode::MarksAsFilter).find(std::string("\r\n") + c.arffLine + "\r\n"),
                  std::string::npos)
            << c.arffLine;
    }
    // A span of exactly 500 is continuous for C4.5 but 501 nominal values in ARFF.
    const CellTable span = HandGrid({{"g", "0", "500", "short", {}}}, 1);
    EXPECT_NE(Names(span, MarkMode::FirstColumnTarget).find("g: continuous."), std::string::npos);
    EXPECT_NE(Arff(span, {}, MarkMode::FirstColumnTarget).find(", 499, 500}\r\n"), std::string::npos);
}

TEST(DataExport, C45NamesWithMarksAsTargetAndTargetNamedAsDeclared)
{
    const CellTable grid = HandGrid(
        {{"Ball\r\npos\r\nx", "-1.0000", "2.0000", "double", {}}, {"Ball\r\npossessor\r\nl_team", "0", "3", "char", {}}},
        1);
    EXPECT_EQ(Names(grid, MarkMode::MarksAsTarget),
              "REGION. | target attribute\r\n\r\nREGION : true, false. | class attribute\r\n"
              "Ball\\.pos\\.x: continuous.\r\nBall\\.possessor\\.l_team: [ordered] 0, 1, 2, 3.\r\n\r\n");
    EXPECT_EQ(Names(grid, MarkMode::FirstColumnTarget).substr(0, 45),
              "Ball\\.pos\\.x. | target attribute\r\n\r\nBall\\.pos");
}

TEST(DataExport, MarksFilterOnlyTheDatasetsAndEmptyCellsAreMissingThere)
{
    const CellTable grid = HandGrid({{"a", "0", "1", "char", {"0", "1", "", "1"}}}, 4);
    const MarkSet marks{1, 2, 9};
    const std::string all = "a=0\r\na=1\r\na=\r\na=1\r\n";
    EXPECT_EQ(Written([&](std::ostream& o) { WriteText(o, grid, marks, MarkMode::MarksAsFilter); }), all);
    EXPECT_EQ(Written([&](std::ostream& o) { WriteRaw(o, grid, marks, MarkMode::MarksAsFilter); }),
              "0\r\n1\r\n\r\n1\r\n");
    EXPECT_EQ(Written([&](std::ostream& o) { WriteC45Data(o, grid, marks, MarkMode::MarksAsFilter); }), "1\r\n?\r\n");
    EXPECT_EQ(Written([&](std::ostream& o) { WriteC45Data(o, grid, marks, MarkMode::MarksAsTarget); }),
              "false, 0\r\ntrue, 1\r\ntrue, ?\r\nfalse, 1\r\n");
    EXPECT_EQ(Written([&](std::ostream& o) { WriteText(o, grid, marks, MarkMode::MarksAsTarget); }).substr(0, 33),
              "REGION=false a=0\r\nREGION=true a=1");
    const std::string arff = Arff(grid, marks, MarkMode::MarksAsFilter);
    EXPECT_EQ(arff.substr(0, 21), "@relation RoboCup\r\n\r\n");
    EXPECT_EQ(arff.substr(arff.find("@data")), "@data\r\n1\r\n?\r\n");
}

// The five files of a real match's data window, for each mark mode, against
// golden files (VELO_UPDATE_GOLDEN=1 rewrites them).
TEST(DataExport, RealMatchGoldenFilesForEveryMarkMode)
{
    const auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), false);
    ASSERT_NE(log, nullptr);
    std::vector<TimeChannel*> channels;
    for (const char* name : {"Ball.pos.x", "Ball.possessor.l_team", "play_mode", "Lplayer2.calculated.role"})
        channels.push_back(log->stream->FindChannel(name));
    CellTable grid;
    datagrid::InitDataGrid(grid);
    datagrid::SetCycleRows(grid, log->cycles);
    datagrid::AddChannelColumns(grid, channels);
    grid.SetRowCount(kFirstDataRow + 40);  // the first 40 cycles keep the files small
    const MarkSet marks{3, 10, 11, 39, 5000};
    const bool update = std::getenv("VELO_UPDATE_GOLDEN") != nullptr;
    for (int m = 0; m < 3; ++m) {
        const auto mode = static_cast<MarkMode>(m);
        const std::pair<const char*, std::string> files[] = {
            {"txt", Written([&](std::ostream& o) { WriteText(o, grid, marks, mode); })},
            {"raw", Written([&](std::ostream& o) { WriteRaw(o, grid, marks, mode); })},
            {"names", Written([&](std::ostream& o) { WriteC45Names(o, grid, mode); })},
            {"data", Written([&](std::ostream& o) { WriteC45Data(o, grid, marks, mode); })},
            {"arff", Written([&](std::ostream& o) { WriteArff(o, grid, marks, mode); })},
        };
        for (const auto& [ext, text] : files) {
            const std::string path = TestDataPath("golden/dataexport-m" + std::to_string(m) + "." + ext);
            if (update)
                std::ofstream(path, std::ios::binary) << text;
            EXPECT_EQ(text, ReadBytes(path)) << path;
        }
    }
}

TEST(DataGrid, CellTextsPerChannelTypeOnARealMatch)
{
    const auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), false);
    ASSERT_NE(log, nullptr);
    auto* possessor = dynamic_cast<DataTimeChannel<std::int8_t>*>(log->stream->FindChannel("Ball.possessor.l_team"));
    auto* x = dynamic_cast<DataTimeChannel<double>*>(log->stream->FindChannel("Ball.pos.x"));
    auto* role = log->stream->FindChannel("Lplayer2.calculated.role");
    ASSERT_TRUE(possessor && x && role);
    ASSERT_EQ(possessor->GetMin(), 0);
    ASSERT_EQ(possessor->GetMax(), 1);
    CellTable grid;
    datagrid::InitDataGrid(grid);
    datagrid::SetCycleRows(grid, log->cycles);
    datagrid::AddChannelColumns(grid, {possessor, x, role, possessor});
    ASSERT_EQ(grid.RowCount(), log->cycles + 4);
    ASSERT_EQ(grid.ColCount(), 5);
    EXPECT_EQ(grid.Cell(0, 2), "max");
    EXPECT_EQ(grid.Cell(0, 4 + 123), "123");
    EXPECT_EQ(grid.Cell(1, 0), "Ball\r\npossessor\r\nl_team");
    EXPECT_EQ(grid.Cell(4, 0), grid.Cell(1, 0));  // a channel added twice, twice
    EXPECT_EQ(grid.Cell(1, 1), "0");
    EXPECT_EQ(grid.Cell(1, 2), "1");
    EXPECT_EQ(grid.Cell(1, 3), "char");
    EXPECT_EQ(grid.Cell(3, 1), "");
    EXPECT_EQ(grid.Cell(3, 2), "");
    EXPECT_EQ(grid.Cell(3, 3), "long");
    for (int c = 0; c < log->cycles; c += 37) {
        EXPECT_EQ(grid.Cell(1, 4 + c), possessor->GetValues()[static_cast<std::size_t>(c)] ? "1" : "0");
        EXPECT_EQ(grid.Cell(2, 4 + c), FormatFloatFixed(x->GetValue(c), 8, 4));
        EXPECT_EQ(grid.Cell(3, 4 + c), std::to_string(static_cast<long long>(role->GetValue(c))));
    }
    EXPECT_EQ(grid.Cell(2, 1), FormatFloatFixed(x->GetMin(), 8, 4));
}

// The ARFF of a real match with the marks as class, read by Weka's own ARFF
// reader (Debian's "weka" package), where that is installed.
TEST(DataExport, WekaReadsTheArffOfARealMatch)
{
    if (!WekaInstalled())
        GTEST_SKIP() << "Weka is not installed";
    const auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), false);
    ASSERT_NE(log, nullptr);
    // Twenty columns of every type, the concept-identity ("long") ones included.
    std::vector<TimeChannel*> channels;
    for (int leaf = 0; channels.size() < 20; leaf += 3)
        channels.push_back(log->stream->GetChannel(leaf));
    channels.push_back(log->stream->FindChannel("Lplayer7.calculated.event"));
    CellTable grid;
    datagrid::InitDataGrid(grid);
    datagrid::SetCycleRows(grid, log->cycles);
    datagrid::AddChannelColumns(grid, channels);
    // Concept identities where the log has events: the column keeps no min and max.
    for (int c = 30; c < 60; ++c)
        grid.SetCell(grid.ColCount() - 1, kFirstDataRow + c, std::to_string(1000 + c % 7));
    const std::string path = MakeTempDir("arff") + "/match.arff";
    {
        std::ofstream out(path, std::ios::binary);
        WriteArff(out, grid, {10, 20, 150}, MarkMode::MarksAsTarget);
    }
    const std::string report = WekaReport(path);
    EXPECT_EQ(report.find("Exception"), std::string::npos) << report;
    EXPECT_NE(report.find("Num Instances:  " + std::to_string(log->cycles)), std::string::npos) << report;
    EXPECT_NE(report.find("Num Attributes: 22"), std::string::npos) << report;
}

// A channel added twice and an expression channel that is infinite at every
// cycle: Weka reads the ARFF (it refuses repeated names and "INF"), and the
// C4.5 pair of the same grid says the same.
TEST(DataExport, RepeatedChannelsAndInfiniteValuesStillLoadInWeka)
{
    if (!WekaInstalled())
        GTEST_SKIP() << "Weka is not installed";
    const auto log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), false);
    ASSERT_NE(log, nullptr);
    RecordingHooks hooks;
    ASSERT_EQ(CreateUserChannels(*log, {{"huge", "10^400"}}).computed, 1);
    TimeChannel* huge = log->stream->FindChannel("user.huge");
    TimeChannel* x = log->stream->FindChannel("Ball.pos.x");
    ASSERT_TRUE(huge && x);
    ASSERT_TRUE(std::isinf(huge->GetValue(5)));
    CellTable grid;
    datagrid::InitDataGrid(grid);
    datagrid::SetCycleRows(grid, log->cycles);
    datagrid::AddChannelColumns(grid, {x, huge, x});
    const MarkSet marks{10, 20};
    const std::string dir = MakeTempDir("arff-repeated");
    int missing = -1;
    {
        std::ofstream out(dir + "/twice.arff", std::ios::binary);
        missing = WriteArff(out, grid, marks, MarkMode::MarksAsTarget);
    }
    EXPECT_EQ(missing, log->cycles);
    const std::string arff = ReadBytes(dir + "/twice.arff");
    EXPECT_NE(arff.find("% Ball_pos_x_2 is a further attribute named Ball_pos_x"), std::string::npos);
    EXPECT_EQ(arff.find("INF"), std::string::npos);
    const std::string report = WekaReport(dir + "/twice.arff");
    EXPECT_EQ(report.find("Exception"), std::string::npos) << report;
    EXPECT_NE(report.find("Num Instances:  " + std::to_string(log->cycles)), std::string::npos) << report;
    EXPECT_NE(report.find("Num Attributes: 4"), std::string::npos) << report;

    const std::string names = Names(grid, MarkMode::MarksAsTarget);
    EXPECT_NE(names.find("\r\n| Ball\\.pos\\.x_2 is a further attribute named Ball\\.pos\\.x"), std::string::npos)
        << names;
    EXPECT_NE(names.find("\r\nBall\\.pos\\.x_2: continuous.\r\n"), std::string::npos) << names;
    std::ostringstream data;
    EXPECT_EQ(WriteC45Data(data, grid, marks, MarkMode::MarksAsTarget), log->cycles);
    std::istringstream rows(data.str());
    std::string row;
    int read = 0;
    while (std::getline(rows, row)) {
        // "<class>, <x>, ?, <x>" on every row.
        const std::string cell = FormatFloatFixed(x->GetValue(read), 8, 4);
        ASSERT_EQ(row, (marks.count(read) ? "true, " : "false, ") + cell + ", ?, " + cell + "\r") << read;
        ++read;
    }
    EXPECT_EQ(read, log->cycles);
    EXPECT_EQ(NonFiniteNotice(read), std::to_string(read) +
                                         " values are no finite number (INF or NAN) and were written as missing (?).");
    EXPECT_EQ(NonFiniteNotice(0), "");
}
