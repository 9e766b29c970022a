#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/GraphPrimitives.h"
#include "actiongraph/GraphRenderer.h"
#include "actiongraph/GraphView.h"
#include "core/concepts/ConceptHierarchies.h"
#include "support/GuiApp.h"
#include "support/HandFilledLog.h"
#include "support/TestData.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>

namespace {

struct Rgb {
    int r, g, b;
};

constexpr Rgb kGrass{20, 110, 20};

// The colour c blended over the background with opacity a.
Rgb Over(Rgb background, Rgb c, int a)
{
    const auto lerp = [a](int p, int q) { return p + (q - p) * a / 255; };
    return {lerp(background.r, c.r), lerp(background.g, c.g), lerp(background.b, c.b)};
}

void ExpectRgb(const QImage& image, int x, int y, Rgb c, const char* what, int tolerance = 2)
{
    const QRgb p = image.pixel(x, y);
    EXPECT_NEAR(qRed(p), c.r, tolerance) << what;
    EXPECT_NEAR(qGreen(p), c.g, tolerance) << what;
    EXPECT_NEAR(qBlue(p), c.b, tolerance) << what;
}

// The action hierarchy for the colours, its GML file in a temporary folder.
class ActionConcepts : public ::testing::Test {
protected:
    void SetUp() override
    {
        InTempDir dir("graph-renderer");
        root_ = CreateActionConcepts();
    }
    void TearDown() override
    {
        delete root_;
        ClearActionConceptPointers();
    }
    ConceptObject* root_ = nullptr;
};

// A 250 x 176 picture: 2 pixels a metre, pitch x at 2x + 125, y at 2y + 88.
// Node A at pitch (-19.75, 0.25) is pixel (85.5, 88.5), node B at (20.25,
// 0.25) is (165.5, 88.5); player 7 stands on A up to cycle 9 and on B from
// cycle 10, and a pass A -> B carries 50 occurrences of player 7 from cycle 5
// to 10, so that both nodes have weight 50 (radius 11).
class WorkedExample : public ActionConcepts {
protected:
    void SetUp() override
    {
        ActionConcepts::SetUp();
        EnsureGuiApp();
        for (int t = 0; t < 30; ++t) {
            log_.X(7)[std::size_t(t)] = t < 10 ? -19.75 : 20.25;
            log_.Y(7)[std::size_t(t)] = 0.25;
        }
        a_ = graph_.GetNode(graph_.AddNode("L-FW:Pass"));
        b_ = graph_.GetNode(graph_.AddNode("L-FW:Pass-END"));
        a_->SetData(std::make_unique<TNodeConcepts>(TNodeConcepts{coPass, nullptr}));
        TConnection* c = graph_.AddConnection("Pass", a_, b_);
        for (int i = 0; i < 50; ++i)
            c->AddData(TConnectionData{5, 6, 7, 7, 6, -1});
        view_.Resize(250, 176);
        view_.DrawPitch(false);
        scene_.tracks = TObjectTracks(*log_.log);
        options_.thinEdges = true;
    }
    QImage Draw(bool hideEdges = false) { return DrawGraph(view_, graph_, scene_, options_, hideEdges, false); }

    HandFilledLog log_{30};
    TGraph graph_;
    TNode* a_ = nullptr;
    TNode* b_ = nullptr;
    TGraphView view_;
    TGraphScene scene_;
    TGraphDrawOptions options_;
};

}  // namespace

TEST_F(ActionConcepts, ActionColoursFollowTheTableInOrder)
{
    const Rgb purple{200, 66, 245}, blue{100, 102, 217}, deepBlue{12, 77, 247}, pink{247, 120, 203},
        orange{243, 104, 32}, yellow{245, 225, 76}, red{217, 13, 12}, grey{217, 213, 212};
    const struct {
        const ConceptObject* action;
        Rgb colour;
        int bw;
        double pattern;
    } cases[] = {
        {coDefensiveMovement, purple, 200, 0},  {coIntercept, purple, 200, 0},     {coLongDribble, blue, 100, -10},
        {coHold, blue, 100, -10},               {coAttackSupport, blue, 100, 0},   {coMovement, deepBlue, 100, 0},
        {coToOpponent, pink, 150, 10},          {coInterceptedPass, pink, 150, 10}, {coCrossPass, orange, 75, 10},
        {coPassK2, orange, 75, 10},             {coPassK2K3, orange, 75, 10},      {coSuccessfulShoot, yellow, 50, 0},
        {coKick, red, 100, 0},                  {root_, grey, 150, 0},             {nullptr, grey, 150, 0},
    };
    for (const auto& c : cases) {
        const std::string name = c.action != nullptr ? c.action->GetName() : "none";
        agg::rgba8 colour;
        double pattern = 99;
        ActionColor(c.action, false, 123, colour, pattern);
        EXPECT_EQ(colour.r, c.colour.r) << name;
        EXPECT_EQ(colour.g, c.colour.g) << name;
        EXPECT_EQ(colour.b, c.colour.b) << name;
        EXPECT_EQ(colour.a, 123) << name;
        EXPECT_EQ(pattern, c.pattern) << name;
        ActionColor(c.action, true, 7, colour, pattern);
        EXPECT_EQ(colour.r, c.bw) << name;
        EXPECT_EQ(colour.b, c.bw) << name;
        EXPECT_EQ(colour.a, 7) << name;
        EXPECT_EQ(ActionCanvasColor(c.action, false), PackRGB(c.colour.r, c.colour.g, c.colour.b)) << name;
    }
}

TEST(GraphRendererTest, PlaceNodesTakesTheMeansOfTheOtherPlayer)
{
    HandFilledLog log(30);
    for (int t = 0; t < 30; ++t) {
        log.X(3)[std::size_t(t)] = t;
        log.Y(3)[std::size_t(t)] = -t;
    }
    TGraph graph;
    TNode* a = graph.GetNode(graph.AddNode("A"));
    TNode* b = graph.GetNode(graph.AddNode("B"));
    TNode* c = graph.GetNode(graph.AddNode("C"));
    TNode* loose = graph.GetNode(graph.AddNode("D"));
    loose->SetX(1.5);
    loose->SetY(2.5);
    TConnection* ab = graph.AddConnection("ab", a, b);
    ab->AddData(TConnectionData{2, 1, 9, 3, 4, -1});    // A at cycle 2, B at cycle 5
    ab->AddData(TConnectionData{6, 1, 9, 3, 2, -1});    // A at 6, B at 7
    ab->AddData(TConnectionData{9, 1, 9, 3, 0, -1});    // no length: not counted
    ab->AddData(TConnectionData{100, 1, 9, 3, 5, -1});  // beyond the log: not counted
    ab->AddData(nullptr);
    TConnection* bc = graph.AddConnection("bc", b, c);
    bc->AddData(TConnectionData{20, 1, 9, 3, 1, -1});  // B at 20, C at 20

    const TObjectTracks tracks(*log.log);
    PlaceNodes(graph, tracks, nullptr, nullptr);
    EXPECT_DOUBLE_EQ(a->GetX(), 4.0);
    EXPECT_DOUBLE_EQ(a->GetY(), -4.0);
    EXPECT_DOUBLE_EQ(b->GetX(), (5.0 + 7.0 + 20.0) / 3);
    EXPECT_DOUBLE_EQ(c->GetX(), 20.0);
    EXPECT_DOUBLE_EQ(loose->GetX(), 1.5);
    EXPECT_DOUBLE_EQ(loose->GetY(), 2.5);

    // Along a path only its connections count; C, off the path, stays put.
    c->SetX(-1.0);
    const std::vector<TConnection*> path = {ab};
    PlaceNodes(graph, tracks, &path, nullptr);
    EXPECT_DOUBLE_EQ(b->GetX(), 6.0);
    EXPECT_DOUBLE_EQ(b->GetY(), -6.0);
    EXPECT_DOUBLE_EQ(c->GetX(), -1.0);

    // One node alone.
    a->SetX(50.0);
    b->SetX(50.0);
    PlaceNodes(graph, tracks, nullptr, a);
    EXPECT_DOUBLE_EQ(a->GetX(), 4.0);
    EXPECT_DOUBLE_EQ(b->GetX(), 50.0);
}

TEST(GraphRendererTest, NodeRadiusGrowsWithTheRootOfTheWeight)
{
    TGraph graph;
    TNode* n = graph.GetNode(graph.AddNode("n"));
    TNode* other = graph.GetNode(graph.AddNode("o"));
    TConnection* c = graph.AddConnection("c", n, other);
    const struct {
        int weight, radius;
    } cases[] = {{0, 1}, {1, 2}, {2, 3}, {8, 5}, {50, 11}};
    int added = 0;
    TGraphDrawOptions options;
    for (const auto& k : cases) {
        for (; added < k.weight; ++added)
            c->AddData(nullptr);
        n->MarkWeightsStale();
        EXPECT_EQ(NodeRadius(*n, options), k.radius) << k.weight;
    }
    options.showNodes = false;
    EXPECT_EQ(NodeRadius(*n, options), 1);
    options.smallNodes = true;
    EXPECT_EQ(NodeRadius(*n, options), 2);
}

TEST(GraphRendererTest, ArrowOfTheWorkedExample)
{
    // One pixel a metre with pitch x = pixel x and y = pixel y.
    const ViewRect pixels(-52.5, -34, 52.5, 34);
    const agg::rgba8 white(255, 255, 255, 255);
    const auto draw = [&](double x1, double x2, int gap, double p) {
        auto s = std::make_unique<AntiGrain>(130, 40);
        s->Clear(agg::rgba8(0, 0, 0, 255));
        DrawEdge(*s, pixels, x1, 20, x2, 20, 1, gap, gap, p);
        s->Render(white);
        return s;
    };
    // (0, 0) to (100, 0) moved by (10, 20): shaft (15..96, +-0.9), head from 96 (+-4) to its tip at 105.
    const auto arrow = draw(10, 110, 5, 0);
    EXPECT_NEAR(arrow->Pixel(50, 19).r, 230, 2);
    EXPECT_NEAR(arrow->Pixel(50, 20).r, 230, 2);
    EXPECT_EQ(arrow->Pixel(50, 21).r, 0);
    EXPECT_EQ(arrow->Pixel(13, 20).r, 0);  // the start gap
    EXPECT_EQ(arrow->Pixel(97, 17).r, 255);
    EXPECT_EQ(arrow->Pixel(97, 22).r, 255);
    EXPECT_EQ(arrow->Pixel(97, 15).r, 0);
    EXPECT_EQ(arrow->Pixel(106, 20).r, 0);  // beyond the tip

    const auto dashed = draw(10, 110, 5, 10);
    int shaftGaps = 0;
    for (int x = 16; x < 95; ++x)
        shaftGaps += dashed->Pixel(x, 20).r == 0 ? 1 : 0;
    EXPECT_GT(shaftGaps, 25);
    EXPECT_EQ(dashed->Pixel(97, 17).r, 255);

    const auto gapsTooWide = draw(10, 45, 20, 0);  // 35 pixels with gaps of 20: centre to centre
    EXPECT_GT(gapsTooWide->Pixel(11, 20).r, 200);
    const auto shortEdge = draw(10, 35, 5, 0);  // below 30 pixels: a plain segment
    EXPECT_EQ(shortEdge->Pixel(10, 19).r, 255);
    EXPECT_EQ(shortEdge->Pixel(34, 20).r, 255);
    EXPECT_EQ(shortEdge->Pixel(30, 17).r, 0);
}

TEST(GraphRendererTest, LabelAngles)
{
    EXPECT_EQ(LabelAngle(0, 0, 10, 10), -450);
    EXPECT_EQ(LabelAngle(0, 0, 10, -10), 450);
    EXPECT_EQ(LabelAngle(3, 0, 3, 10), 900);
    EXPECT_EQ(LabelAngle(0, 5, -10, 5), 0);
}

TEST_F(WorkedExample, NodesArrowAndPitch)
{
    const QImage image = Draw();
    EXPECT_DOUBLE_EQ(view_.X(a_->GetX()), 85.5);
    EXPECT_DOUBLE_EQ(view_.X(b_->GetX()), 165.5);
    EXPECT_EQ(a_->GetWidth(), 11);
    ExpectRgb(image, 120, 150, kGrass, "grass");
    ExpectRgb(image, 77, 88, Over(kGrass, {255, 255, 255}, 200), "node A");
    ExpectRgb(image, 173, 88, Over(kGrass, {255, 255, 255}, 200), "node B");
    ExpectRgb(image, 151, 88, Over(kGrass, {243, 104, 32}, 200), "arrow head in the pass colour");
    ExpectRgb(image, 151, 83, kGrass, "beside the head");

    const QImage bare = Draw(true);
    ExpectRgb(bare, 151, 88, kGrass, "no connections");
}

TEST_F(WorkedExample, SelectedNodeWithRingsOccurrencesAndHighlightedArrow)
{
    a_->SetColour(255);  // red, as selecting makes it
    scene_.selected = a_;
    const QImage image = Draw();
    const Rgb rings = Over(Over(kGrass, {255, 255, 255}, 250), {0, 0, 0}, 250);
    ExpectRgb(image, 77, 88, Over(rings, {255, 0, 0}, 250), "own colour over the rings");
    EXPECT_LT(qRed(image.pixel(73, 88)), 30) << "black ring";
    EXPECT_GT(qGreen(image.pixel(71, 88)), 240) << "white ring";
    ExpectRgb(image, 68, 88, kGrass, "outside the rings");
    EXPECT_LT(qRed(image.pixel(85, 88)), 30) << "the outgoing occurrences' black dots";
    ExpectRgb(image, 151, 88, {238, 102, 31}, "head over the black highlight", 4);
    EXPECT_LT(qGreen(image.pixel(120, 90)), 60) << "the highlight beside the shaft";
}

TEST_F(WorkedExample, DisplayFilterAndEventSourcesHideConnections)
{
    options_.filter = "Pass-END";  // only the source's name counts
    ExpectRgb(Draw(), 151, 88, kGrass, "filtered out");
    options_.filter = "FW:P";
    ExpectRgb(Draw(), 151, 88, Over(kGrass, {243, 104, 32}, 200), "filter matches");
    a_->SetName("Event:Pass");
    options_.filter.clear();
    options_.showNames = true;
    const QImage image = Draw();
    ExpectRgb(image, 151, 88, kGrass, "event source");
    EXPECT_EQ(image, Draw(true)) << "no name either";
}

TEST_F(WorkedExample, NamesAreWrittenAtTheMidpointOnly)
{
    const QImage plain = Draw();
    options_.showNames = true;
    const QImage named = Draw();
    int nearMidpoint = 0;
    int elsewhere = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            if (plain.pixel(x, y) == named.pixel(x, y))
                continue;
            const bool near = x >= 120 && x < 160 && y >= 80 && y < 100;
            (near ? nearMidpoint : elsewhere)++;
        }
    EXPECT_GT(nearMidpoint, 10);
    EXPECT_EQ(elsewhere, 0);

    // As if written straight onto the picture: black at the midpoint (125.5,
    // 88.5) and white a pixel up and left, along the horizontal connection.
    QImage expected = plain;
    {
        QPainter painter(&expected);
        painter.setPen(Qt::black);
        TextOutRotated(painter, 125, 88, 0, "Pass");
        painter.setPen(Qt::white);
        TextOutRotated(painter, 124, 87, 0, "Pass");
    }
    int off = 0;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x) {
            const QRgb a = named.pixel(x, y), b = expected.pixel(x, y);
            off += std::abs(qRed(a) - qRed(b)) > 2 || std::abs(qGreen(a) - qGreen(b)) > 2 ? 1 : 0;
        }
    EXPECT_EQ(off, 0);
    EXPECT_EQ(Draw(), named) << "the same labels again";
}

TEST_F(WorkedExample, TimePointsAndMarkHullsSkipCyclesOutsideTheLog)
{
    graph_.GetConnection(0)->AddData(TConnectionData{25, 1, 7, 7, 1000, -1});
    log_.Place(12, 30.25, -20.25);  // pixel (185.5, 47.5)
    scene_.objects[12] = true;
    scene_.marks = {10, 500, -3};
    options_.showNodes = false;
    options_.timeSteps = true;
    options_.fancyEdges = true;
    const QImage image = Draw(true);
    ExpectRgb(image, 185, 47, Over(kGrass, {250, 100, 100}, 250), "mark of a right player");
    // Player 7's track from A to B, 51 times over: white dots at both ends
    // (one upon the other), black lines between.
    EXPECT_GT(qGreen(image.pixel(84, 88)), 245) << "time point";
    EXPECT_LT(qGreen(image.pixel(125, 88)), 20) << "time line";
}
