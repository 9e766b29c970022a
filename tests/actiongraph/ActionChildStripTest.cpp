#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/GraphPrimitives.h"
#include "actiongraph/StripPictures.h"
#include "core/expr/UserChannels.h"
#include "core/load/LoadLog.h"
#include "core/model/CellTable.h"
#include "core/model/TimeMarks.h"
#include "core/model/timestream.h"
#include "platform/qt/Dialogs.h"
#include "ui/MainServices.h"
#include "ui/FormControls.h"
#include "ui/MarksLink.h"
#include "ui/StringGrid.h"
#include "ui/childDataWin.h"

#include "PassScenario.h"
#include "support/TestData.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>

#include <memory>

namespace {

// The channel browser's choice and the window count; the rest answers as a
// main window without logs.
class ChosenFields final : public IMainWindowServices {
public:
    std::vector<TimeChannel*> fields;
    bool chosen = true;
    bool UseTimeMarks() const override { return false; }
    std::vector<int> TimeMarkCycles() const override { return {}; }
    bool IsTimeMark(int) const override { return false; }
    void AddTimeMarks(const std::vector<int>&) override {}
    int CurrentCycle() const override { return 0; }
    void SetCurrentCycle(int) override {}
    bool ChosenChannels(std::vector<TimeChannel*>& leaves) const override
    {
        leaves.insert(leaves.end(), fields.begin(), fields.end());
        return chosen;
    }
    int ChildWindowCount() const override { return 7; }
    TMDIActionChild* NewActionGraphWindow(RoboCupFileT*) override { return nullptr; }
    void TileWindows() override {}
    std::vector<RoboCupFileT*> OpenLogs() const override { return {}; }
    RoboCupFileT* CurrentLog() const override { return nullptr; }
    RoboCupFileT* SelectCurrentFile(const std::string&) override { return nullptr; }
    void RemoveLog(RoboCupFileT*) override {}
};

QColor Unpacked(std::uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

QColor ActionColourOf(const TNode* node) { return Unpacked(ActionCanvasColor(node->Data()->action, false)); }

// The pass scenario's graph with a strip of 300 x 76 pixels: nodes To-player
// (0), Attack-support (1), Speed-dribble (2) and the end node (3); To-player
// and Attack-support lead to Speed-dribble, which leads to the end.
class ActionChildStrip : public PassScenarioWindow {
protected:
    ActionChildStrip() : PassScenarioWindow("action-child-strip") {}
    void SetUp() override
    {
        PassScenarioWindow::SetUp();
        previous_ = SetMainServices(&services);
        for (int t = 0; t < 300; ++t)
            record.File().posXChannel[0]->GetValues()[static_cast<std::size_t>(t)] = t * 0.25;
        record.File().possessorChannel[7]->GetValues()[115] = 1;
        services.fields = {record.File().posXChannel[0], record.File().possessorChannel[7]};
        window->ImageGraph->resize(300, 76);
        window->DrawImageGraph();
    }
    void TearDown() override
    {
        dataWindows_.clear();
        SetMainServices(previous_);
        PassScenarioWindow::TearDown();
    }
    TNode* Node(int i) const { return window->Graph->GetNode(i); }
    QImage Strip() const { return window->ImageGraph->pixmap().toImage(); }
    void Press(Qt::MouseButton button, int x, int y)
    {
        const QPointF at(x, y);
        QMouseEvent event(QEvent::MouseButtonPress, at, window->ImageGraph->mapToGlobal(at), button, button,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(window->ImageGraph, &event);
    }
    TMDIDataChild* DataWindow()
    {
        dataWindows_.emplace_back(window->BtnDataWinClick());
        return dataWindows_.back().get();
    }
    static std::string Cell(TMDIDataChild* data, int col, int row)
    {
        return data->GetGrid()->Table().Cell(col, row);
    }

    ChosenFields services;

private:
    IMainWindowServices* previous_ = nullptr;
    std::vector<std::unique_ptr<TMDIDataChild>> dataWindows_;
};

}  // namespace

TEST_F(ActionChildStrip, WithoutSelectionTheStripSaysSo)
{
    const QImage strip = Strip();
    ASSERT_EQ(strip.size(), QSize(300, 76));
    EXPECT_EQ(strip.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(strip.pixelColor(299, 75), QColor(Qt::white));
    int text = 0;
    for (int x = 0; x < 300; ++x)
        text += strip.pixelColor(x, 38).lightness() < 128 ? 1 : 0;
    EXPECT_GT(text, 10);  // "No node selected" across the middle row
}

TEST_F(ActionChildStrip, SelectedNodeShowsItsNeighboursInBands)
{
    ASSERT_EQ(Node(2)->GetName(), "LTeam.L-FW:Speed-dribble");
    ASSERT_EQ(Node(2)->InList().size(), 2u);
    window->SelectNode(Node(2));
    QImage strip = Strip();
    const TNode* from0 = Node(2)->InList()[0]->From();
    const TNode* from1 = Node(2)->InList()[1]->From();
    ASSERT_NE(ActionColourOf(from0), ActionColourOf(from1));
    // Two incoming bands 0-38 and 38-76, the text a pixel in from the left.
    EXPECT_EQ(strip.pixelColor(0, 1), ActionColourOf(from0));
    EXPECT_EQ(strip.pixelColor(0, 37), ActionColourOf(from0));
    EXPECT_EQ(strip.pixelColor(0, 38), ActionColourOf(from1));
    EXPECT_EQ(strip.pixelColor(99, 75), ActionColourOf(from1));
    EXPECT_EQ(strip.pixelColor(100, 75), QColor(Qt::white));  // the middle, below its text
    EXPECT_EQ(strip.pixelColor(199, 75), QColor(Qt::white));
    EXPECT_EQ(strip.pixelColor(200, 75), ActionColourOf(Node(3)));  // one outgoing band
    EXPECT_EQ(strip.pixelColor(299, 0), ActionColourOf(Node(3)));

    // The first node has no incoming connection: its left third stays black.
    window->SelectNode(Node(0));
    strip = Strip();
    EXPECT_EQ(strip.pixelColor(50, 38), QColor(Qt::black));
    EXPECT_EQ(strip.pixelColor(250, 38), ActionColourOf(Node(2)));
    // The end node has no outgoing connection: its right third stays black.
    window->SelectNode(Node(3));
    EXPECT_EQ(Strip().pixelColor(250, 38), QColor(Qt::black));
}

TEST_F(ActionChildStrip, ClicksOnBandsSelectOrRaiseTheNeighbour)
{
    window->SelectNode(Node(2));
    TNode* from1 = Node(2)->InList()[1]->From();
    ASSERT_EQ(from1->GetMark(), 1);
    Press(Qt::LeftButton, 50, 38);  // the border between the two bands
    Press(Qt::RightButton, 50, 38);
    Press(Qt::LeftButton, 150, 50);  // the middle third
    Press(Qt::LeftButton, 200, 50);  // 2w div 3 belongs to the middle
    EXPECT_EQ(window->SelectedNode, Node(2));
    EXPECT_EQ(from1->GetMark(), 1);

    Press(Qt::RightButton, 50, 60);
    Press(Qt::MiddleButton, 50, 60);
    EXPECT_EQ(from1->GetMark(), 3);
    EXPECT_EQ(window->SelectedNode, Node(2));

    Press(Qt::LeftButton, 50, 60);
    EXPECT_EQ(window->SelectedNode, from1);
    EXPECT_EQ(from1->GetColour(), TNode::kSelectedColour);
    EXPECT_EQ(Strip().pixelColor(250, 38), ActionColourOf(Node(2)));  // its own strip now

    // Without a selection a click does nothing.
    window->SelectNode(nullptr);
    Press(Qt::LeftButton, 250, 38);
    EXPECT_EQ(window->SelectedNode, nullptr);
}

TEST_F(ActionChildStrip, DataWindowOfTheSelectedNodeCarriesTheNextNodesNumber)
{
    window->lbPlayers->setCurrentRow(3);
    window->SelectNode(Node(2));
    TMDIDataChild* data = DataWindow();
    EXPECT_TRUE(data->windowTitle().endsWith("Graph Data Lplayer3 7")) << data->windowTitle().toStdString();
    EXPECT_EQ(data->File, &record.File());
    // Speed-dribble 110 .. 120: eleven rows, class 0 (the end node's number).
    ASSERT_EQ(data->GetGrid()->RowCount(), 4 + 11);
    ASSERT_EQ(data->GetGrid()->ColCount(), 4);
    EXPECT_EQ(Cell(data, 1, 0), "Next\r\nNode\r\nId");
    EXPECT_EQ(Cell(data, 1, 3), "short");
    std::string stacked = record.File().posXChannel[0]->GetFullName();
    for (std::size_t at = stacked.find('.'); at != std::string::npos; at = stacked.find('.', at))
        stacked.replace(at, 1, "\r\n");
    EXPECT_EQ(Cell(data, 2, 0), stacked);
    EXPECT_EQ(Cell(data, 2, 3), "double");
    EXPECT_EQ(Cell(data, 3, 3), "char");
    for (int r = 0; r < 11; ++r) {
        EXPECT_EQ(Cell(data, 0, 4 + r), std::to_string(r));
        EXPECT_EQ(Cell(data, 1, 4 + r), "0");
    }
    EXPECT_EQ(Cell(data, 2, 4), "27.5000");  // cycle 110 x 0.25
    EXPECT_EQ(Cell(data, 2, 14), "30.0000");
    EXPECT_EQ(Cell(data, 3, 9), "1");  // cycle 115
    EXPECT_EQ(Cell(data, 2, 1), "27.5000");
    EXPECT_EQ(Cell(data, 2, 2), "30.0000");
    EXPECT_EQ(Cell(data, 3, 2), "1");
    EXPECT_EQ(data->GetGrid()->FixedRows(), 4);
    EXPECT_EQ(data->GetGrid()->FixedCols(), 1);
    // The time push selects the row of the cycle; a cycle without a row leaves it.
    for (const auto& [cycle, row] : {std::pair{120, 14}, std::pair{5, 14}, std::pair{110, 4}}) {
        data->SetTimeRange(cycle, 0, 299);
        EXPECT_EQ(data->GetGrid()->Row(), row) << cycle;
    }
    // Marks as the class of a save: the row of the marked cycle 115 alone is true.
    TimeMarks marks;
    marks.Add(115);
    const TimeMarksLink kept = g_timeMarks;
    g_timeMarks.marks = &marks;
    data->rgUseMarks->SetItemIndex(1);
    const std::string raw = MakeTempDir("strip-marks") + "/d.raw";
    EXPECT_TRUE(data->SaveData(QString::fromStdString(raw)));
    const std::string saved = ReadBytes(raw), before = saved.substr(0, saved.find("true"));
    EXPECT_EQ(std::count(before.begin(), before.end(), '\n'), 5);
    EXPECT_EQ(saved.find("true"), saved.rfind("true"));
    // A double click marks the row's cycle (row 4: cycle 110), not the number in its column 0.
    data->SetTimeRange(110, 0, 299);
    data->dataGridDblClick();
    EXPECT_EQ(marks.Cycles(), (std::vector<int>{110, 115}));
    g_timeMarks = kept;

    // A right click on the end node's band: its rows carry the next class.
    Press(Qt::RightButton, 250, 38);
    data = DataWindow();
    EXPECT_EQ(Cell(data, 1, 4), "1");
    EXPECT_EQ(Cell(data, 1, 14), "1");
}

TEST_F(ActionChildStrip, DataWindowOfTheWholeGraphByNodeIndex)
{
    TMDIDataChild* data = DataWindow();
    EXPECT_TRUE(data->windowTitle().endsWith("Graph Data ball 7"));
    EXPECT_EQ(Cell(data, 1, 0), "Graph\r\nNode\r\nId");
    // To-player at 100, Attack-support 100 .. 109, Speed-dribble 110 .. 120.
    ASSERT_EQ(data->GetGrid()->RowCount(), 4 + 1 + 10 + 11);
    std::vector<std::string> classes;
    for (int r = 4; r < data->GetGrid()->RowCount(); ++r)
        classes.push_back(Cell(data, 1, r));
    std::vector<std::string> expected(1, "0");
    expected.insert(expected.end(), 10, "1");
    expected.insert(expected.end(), 11, "2");
    EXPECT_EQ(classes, expected);
    EXPECT_EQ(Cell(data, 2, 4), "25.0000");
    EXPECT_EQ(Cell(data, 2, 5), "25.0000");
    EXPECT_EQ(Cell(data, 2, 15), "27.5000");
    EXPECT_EQ(Cell(data, 1, 1), "0");
    EXPECT_EQ(Cell(data, 1, 2), "2");
}

// A field computed again refills its column, min and max over the numbers.
TEST_F(ActionChildStrip, DataWindowFollowsAFieldComputedAgain)
{
    RoboCupFileT& log = record.File();
    ASSERT_EQ(CreateUserChannels(log, {{"f", "Ball.pos.x"}}).computed, 1);
    services.fields = {log.stream->FindChannel("user.f")};
    TMDIDataChild* data = DataWindow();
    // Cycle 100, the first two rows, divides by zero; 101 and 120 are the extremes.
    ASSERT_EQ(CreateUserChannels(log, {{"f", "1/(Ball.pos.x - 25)"}}).computed, 1);
    data->FollowChannels();
    EXPECT_EQ(Cell(data, 2, 4) + " " + Cell(data, 2, 6), "NAN 4.0000");
    EXPECT_EQ(Cell(data, 2, 1) + " " + Cell(data, 2, 2), "0.2000 4.0000");
    ASSERT_EQ(CreateUserChannels(log, {{"f", "1/(Ball.pos.x - Ball.pos.x)"}}).computed, 1);
    data->FollowChannels();
    EXPECT_EQ(Cell(data, 2, 1) + " " + Cell(data, 2, 2), "NAN NAN");  // no number: none for min and max either
}

TEST_F(ActionChildStrip, NoFieldChosenWarnsAndOpensNoWindow)
{
    services.chosen = false;
    platform::DialogScript script;
    TMDIDataChild* data = DataWindow();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "No data parameter selected");
    EXPECT_EQ(script.messages[0].caption, "Warning");
    EXPECT_EQ(data, nullptr);
}

TEST_F(ActionChildStrip, TimelineOfTheChosenNodeAndThePositions)
{
    EXPECT_FALSE(window->PageControl1->isTabEnabled(2));
    window->pbTimeline->resize(500, 60);
    window->cbActionNodes->setCurrentIndex(1);  // Attack-support, 100 .. 109
    window->btnDrawTimelineClick();
    const QImage& t = window->TimelineImage;
    ASSERT_EQ(t.size(), QSize(500, 60));
    // 300 cycles over 300 pixels from x = 200: cycle c covers 200 + c.
    EXPECT_EQ(t.pixelColor(299, 10), QColor(192, 192, 192));
    EXPECT_EQ(t.pixelColor(300, 10), QColor(Qt::red));
    EXPECT_EQ(t.pixelColor(309, 10), QColor(Qt::red));
    EXPECT_EQ(t.pixelColor(310, 10), QColor(192, 192, 192));
    EXPECT_EQ(t.pixelColor(300, 19), QColor(192, 192, 192));  // row 1 starts at 19
    EXPECT_EQ(t.pixelColor(300, 18), QColor(Qt::red));
    EXPECT_EQ(t.pixelColor(300, 0), QColor(192, 192, 192));  // one pixel in from the top
    // Row 1: the ball in the field (x = 0.25 t up to 52.5, the goal line included).
    EXPECT_EQ(t.pixelColor(200, 30), QColor(Qt::blue));
    EXPECT_EQ(t.pixelColor(410, 30), QColor(Qt::blue));
    EXPECT_EQ(t.pixelColor(411, 30), QColor(192, 192, 192));
    int label = 0;
    for (int x = 5; x < 195; ++x)
        label += t.pixelColor(x, 12).lightness() < 128 ? 1 : 0;
    EXPECT_GT(label, 5);  // the node's name

    // The box shows the picture whenever it is painted.
    EXPECT_EQ(window->pbTimeline->grab().toImage().pixelColor(305, 10), QColor(Qt::red));

    // A node gone from the graph behind the list's back draws nothing.
    window->Graph->RemoveNode(Node(1));
    window->btnDrawTimelineClick();
    EXPECT_EQ(window->TimelineImage.pixelColor(305, 10), QColor(Qt::white));
}

TEST(StripPictures, TimelineOfALogWithoutCyclesIsBlank)
{
    EnsureGuiApp();
    FilledRecord empty(0);
    TNode node("n");
    QImage image(300, 40, QImage::Format_RGB32);
    PaintTimeline(image, &empty.File(), &node, {"ball"}, nullptr, QFont());
    EXPECT_EQ(image.pixelColor(250, 10), QColor(Qt::white));
    QImage row(100, 20, QImage::Format_RGB32);
    row.fill(Qt::white);
    QPainter p(&row);
    PaintTimelineRow(p, 0, 0, QRect(0, 0, 100, 20), Qt::red, {0, 1});
    p.end();
    EXPECT_EQ(row.pixelColor(0, 10), QColor(192, 192, 192));
}

TEST(ActionChildStripRealMatch, DataWindowRowsFollowTheOccurrencesOfTheShortMatch)
{
    EnsureGuiApp();
    {
        InTempDir dir("action-child-strip-real");
        CreateConceptHierarchies();
    }
    std::unique_ptr<RoboCupFileT> log = LoadLog(GunzippedTestFile("match-short-HELIOS_A_0-vs-HELIOS_B_1.rcg"), true);
    ChosenFields services;
    services.fields = {log->posYChannel[0]};
    IMainWindowServices* previous = SetMainServices(&services);
    {
        TMDIActionChild window(nullptr, log.get());
        TMDIChild::SelectAllPlayers(window.lbPlayers);
        window.BuildActionGraph(window.Graph);
        window.ImageGraph->resize(600, 76);
        // A node with neighbours on both sides shows them in the strip.
        TNode* middle = nullptr;
        for (int i = 0; i < window.Graph->NodeCount() && !middle; ++i) {
            TNode* n = window.Graph->GetNode(i);
            if (!n->InList().empty() && !n->OutList().empty())
                middle = n;
        }
        ASSERT_NE(middle, nullptr);
        window.SelectNode(middle);
        const QImage strip = window.ImageGraph->pixmap().toImage();
        EXPECT_EQ(strip.pixelColor(0, 1), ActionColourOf(middle->InList()[0]->From()));
        EXPECT_EQ(strip.pixelColor(599, 1), ActionColourOf(middle->OutList()[0]->To()));

        // The whole graph: node after node, each row the field's value at its cycle.
        window.SelectNode(nullptr);
        std::unique_ptr<TMDIDataChild> data(window.BtnDataWinClick());
        const CellTable& grid = data->GetGrid()->Table();
        int row = 4;
        for (int i = 0; i < window.Graph->NodeCount(); ++i)
            for (const TConnection* c : window.Graph->GetNode(i)->OutList())
                for (const auto& o : c->Data()) {
                    ASSERT_TRUE(o);
                    for (int t = o->start; t < o->start + o->duration; ++t, ++row) {
                        ASSERT_EQ(grid.Cell(1, row), std::to_string(i));
                        ASSERT_EQ(grid.Cell(2, row),
                                  CellNumberFormat::FixedDigits(8, 4).Format(log->posYChannel[0]->Get(t)));
                    }
                }
        EXPECT_GT(row, 100);
        EXPECT_EQ(grid.RowCount(), row);
    }
    SetMainServices(previous);
    FreeConceptHierarchies();
}
