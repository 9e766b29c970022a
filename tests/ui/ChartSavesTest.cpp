// The chart window's saves on a real log, offscreen: the series as text
// and the pictures, against what the window holds and shows.
#include "ChartWindowFixture.h"

// On a full disk the series text and both pictures leave the old file byte
// for byte, and no temporary file.
TEST_F(ChartWindowTest, AFullDiskLeavesTheOldFile)
{
    const std::string dir = MakeTempDir("chart-full");
    TChartSeriesSink sink(chart->Chart);
    sink.AddXYSeries(kSeriesLines, "A", QVector<double>(50), QVector<double>(50, 12.5));
    chart->Chart->resize(300, 200);
    const std::string old = "an older file of the same name\n";
    const char* const names[] = {"s.txt", "p.bmp", "p.svg"};
    for (const char* name : names)
        std::ofstream(dir + "/" + name, std::ios::binary) << old;
    const std::vector<std::string> before = FolderEntries(dir);
    for (const char* name : names) {
        const QString file = QString::fromStdString(dir + "/" + name);
        FileSizeLimit disk(16);
        EXPECT_FALSE(file.endsWith(".txt") ? chart->SaveSeriesText(file) : chart->SavePicture(file)) << name;
    }
    for (const char* name : names)
        EXPECT_EQ(ReadBytes(dir + "/" + name), old) << name;
    EXPECT_EQ(FolderEntries(dir), before);
    ASSERT_EQ(script.messages.size(), 3u);
    for (std::size_t i = 0; i < std::size(names); ++i)
        EXPECT_EQ(script.messages[i].text,
                  "Cannot write the file " + QString::fromStdString(dir + "/" + names[i]) + ": File too large");
}

TEST_F(ChartWindowTest, SeriesTextAndPicturesByTheirExactEnding)
{
    const std::string dir = MakeTempDir("chart-export");
    const QString d = QString::fromStdString(dir) + "/";
    TChartSeriesSink sink(chart->Chart);
    // No series: told, nothing written, not even asked for a name.
    std::ofstream(dir + "/none.txt") << "own";
    EXPECT_FALSE(chart->SaveSeriesText(d + "none.txt"));
    chart->BtnSave->click();
    ASSERT_EQ(script.messages.size(), 2u);
    for (const platform::ShownMessage& m : script.messages)
        EXPECT_EQ(m.text + " / " + m.caption, "The chart holds no series to save: add a series first / Warning");
    script.messages.clear();
    EXPECT_TRUE(script.fileDialogs.empty());
    EXPECT_EQ(ReadBytes(dir + "/none.txt"), "own");
    sink.AddXYSeries(kSeriesLines, "A", {0, 1}, {12.5, 1e6});
    sink.AddXYSeries(kSeriesDots, "B", {0, 1}, {1.0 / 3, -1});
    platform::FileDialogResult r;
    r.accepted = true;
    r.files = {d + "ab.txt"};
    script.files.push_back(r);
    chart->BtnSave->click();
    EXPECT_EQ(ReadBytes(dir + "/ab.txt"), "A, B\r\n12.5, 0.333333\r\n1e+06, -1\r\n");

    chart->Chart->resize(300, 200);
    EXPECT_FALSE(chart->SavePicture(d + "x.BMP"));
    ExpectOneMessage("Unknown file type! Nothing was saved. ", "Warning !");
    EXPECT_FALSE(QFile::exists(d + "x.BMP"));
    EXPECT_FALSE(chart->SavePicture(d + "x.wmf"));
    ExpectOneMessage("Unknown file type! Nothing was saved. ", "Warning !");

    r.files = {d + "x.bmp"};
    script.files.push_back(r);
    chart->btnSaveBitmap->click();
    QImage bmp;
    ASSERT_TRUE(bmp.load(d + "x.bmp", "BMP"));
    EXPECT_EQ(bmp.size(), QSize(300, 200));
    EXPECT_EQ(bmp.pixelColor(0, 0), QColor(Qt::white));

    ASSERT_TRUE(chart->SavePicture(d + "x.svg"));
    const std::string svg = ReadBytes(dir + "/x.svg");
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find("<polyline"), std::string::npos);
    EXPECT_TRUE(script.messages.empty());
}


// A series shorter than the next one, first in the chart (the blocks of a
// channel beside the channel): the text holds every value of both, each
// beside its own cycle.
TEST_F(ChartWindowTest, SeriesTextHoldsEveryValueOfEverySeries)
{
    form->pcDataView->setCurrentWidget(form->tsList);
    form->ListView->clearSelection();
    form->ListView->findItems("Ball.pos.y", Qt::MatchExactly).front()->setSelected(true);
    form->BtnAddTimeRange->click();
    form->TrackBar2->setMaximum(1000);
    form->TrackBar2->setValue(100);
    chart->btnAverage->click();
    form->BtnAddTimeRange->click();
    chart->cbSeries->setCurrentIndex(0);
    chart->btnDeleteSeries->click();
    ASSERT_EQ(Titles(), QStringList({"Average(Ball.pos.y)", "Ball.pos.y"}));
    const std::vector<double> ballY = Channel("Ball.pos.y");

    const std::string file = MakeTempDir("chart-short-first") + "/s.txt";
    script.files.push_back({true, {QString::fromStdString(file)}, 0});
    chart->BtnSave->click();
    std::istringstream text(ReadBytes(file));
    std::string line;
    std::getline(text, line);
    EXPECT_EQ(line, "x(Average(Ball.pos.y)), Average(Ball.pos.y), x(Ball.pos.y), Ball.pos.y\r");
    std::vector<double> blockX, blockY, cycles, values;
    while (std::getline(text, line)) {
        ASSERT_EQ(line.back(), '\r');
        line.pop_back();
        std::vector<std::string> cells;
        for (std::size_t from = 0, to; from <= line.size(); from = to + 2) {
            to = std::min(line.find(", ", from), line.size());
            cells.push_back(line.substr(from, to - from));
        }
        ASSERT_EQ(cells.size(), 4u) << line;
        if (!cells[0].empty()) {
            blockX.push_back(std::stod(cells[0]));
            blockY.push_back(std::stod(cells[1]));
        }
        cycles.push_back(std::stod(cells[2]));
        values.push_back(std::stod(cells[3]));
    }
    ASSERT_EQ(values.size(), ballY.size());
    for (std::size_t c = 0; c < ballY.size(); ++c) {
        EXPECT_EQ(cycles[c], c);
        EXPECT_NEAR(values[c], ballY[c], 5e-6 * std::max(1.0, std::abs(ballY[c]))) << c;
    }
    // Each block of 100 cycles averaged by hand, at its middle cycle.
    ASSERT_EQ(blockY.size(), (ballY.size() + 99) / 100);
    for (std::size_t b = 0; b < blockY.size(); ++b) {
        const std::size_t from = 100 * b, to = std::min(ballY.size(), from + 100);
        double sum = 0;
        for (std::size_t c = from; c < to; ++c)
            sum += ballY[c];
        EXPECT_NEAR(blockY[b], sum / static_cast<double>(to - from), 5e-6 * std::max(1.0, std::abs(blockY[b]))) << b;
        EXPECT_GE(blockX[b], from) << b;
        EXPECT_LT(blockX[b], to) << b;
    }
    EXPECT_TRUE(script.messages.empty());
}

namespace {

// Pixels in a series' colour (not white, black or grey) outside the rectangle
// and inside it.
std::pair<int, int> ColouredPixels(const QImage& image, const QRect& inside)
{
    std::pair<int, int> count{0, 0};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int spread = std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()});
            if (spread > 60)
                ++(inside.contains(x, y) ? count.second : count.first);
        }
    return count;
}

}  // namespace

// With typed limits narrower than the data, the vector picture read back
// shows what the bitmap shows: nothing of a series outside the axis rectangle.
TEST_F(ChartWindowTest, TheVectorPictureIsClippedAsTheBitmap)
{
    form->pcDataView->setCurrentWidget(form->tsList);
    form->ListView->clearSelection();
    form->ListView->findItems("Ball.pos.y", Qt::MatchExactly).front()->setSelected(true);
    form->BtnAddTimeRange->click();
    AddFunction("Ball.pos.x * 1e300");
    form->rgSeriesType->SetItemIndex(kSeriesBars);
    AddFunction("Ball.pos.x / 10");
    chart->cbLegend->click();
    TimeSource().Push(log, 300, 200, 400);
    chart->EditMinY->setText("-2");
    chart->EditMaxY->setText("2");
    chart->cbAutomaticYAxis->click();
    chart->Chart->resize(500, 300);
    chart->Chart->replot();
    const QRect axes = chart->Chart->axisRect()->rect().adjusted(-2, -2, 2, 2);

    const std::string dir = MakeTempDir("chart-clip");
    const QString d = QString::fromStdString(dir);
    ASSERT_TRUE(chart->SavePicture(d + "/c.bmp"));
    ASSERT_TRUE(chart->SavePicture(d + "/c.svg"));
    QImage bmp;
    ASSERT_TRUE(bmp.load(d + "/c.bmp", "BMP"));
    QSvgRenderer svg(d + "/c.svg");
    ASSERT_TRUE(svg.isValid());
    QImage drawn(bmp.size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    {
        QPainter painter(&drawn);
        svg.render(&painter, QRectF(0, 0, drawn.width(), drawn.height()));
    }
    const auto [bmpOutside, bmpInside] = ColouredPixels(bmp, axes);
    const auto [svgOutside, svgInside] = ColouredPixels(drawn, axes);
    EXPECT_EQ(bmpOutside, 0);
    EXPECT_EQ(svgOutside, 0);
    EXPECT_GT(bmpInside, 1000);
    EXPECT_NEAR(svgInside, bmpInside, bmpInside / 20);
    // No coordinate far off the picture (the series of 1e300 unclipped reaches 1e52).
    EXPECT_EQ(ReadBytes(dir + "/c.svg").find("e+"), std::string::npos);
    // The series keep their own points.
    EXPECT_EQ(Values(0), Channel("Ball.pos.y"));
    EXPECT_TRUE(script.messages.empty());
}
