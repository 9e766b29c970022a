// The chart window's saves on a real log, offscreen: the series as text
// and the pictures, against what the window holds and shows.
#include "ChartWindowFixture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <fstream>

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
    ExpectOneMessage("The chart holds no series to save: add a series first", "Warning");
    chart->BtnSave->click();
    ExpectOneMessage("The chart holds no series to save: add a series first", "Warning");
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
    QStringList lines = QString::fromStdString(ReadBytes(file)).split("\r\n");
    ASSERT_EQ(lines.size(), ballY.size() + 2);  // the header, then a line per cycle, each ended
    EXPECT_EQ(lines.takeFirst(), "x(Average(Ball.pos.y)), Average(Ball.pos.y), x(Ball.pos.y), Ball.pos.y");
    EXPECT_EQ(lines.takeLast(), "");
    std::vector<double> blockX, blockY;
    for (qsizetype c = 0; c < lines.size(); ++c) {
        const QStringList cells = lines[c].split(", ");
        ASSERT_EQ(cells.size(), 4) << lines[c].toStdString();
        if (!cells[0].isEmpty()) {
            blockX.push_back(cells[0].toDouble());
            blockY.push_back(cells[1].toDouble());
        }
        EXPECT_EQ(cells[2].toDouble(), c);
        EXPECT_NEAR(cells[3].toDouble(), ballY[c], 1e-4) << c;  // six digits written
    }
    // Each block of 100 cycles averaged by hand, at a cycle of its own.
    ASSERT_EQ(blockY.size(), (ballY.size() + 99) / 100);
    for (std::size_t b = 0; b < blockY.size(); ++b) {
        const auto from = ballY.begin() + 100 * b, to = ballY.begin() + std::min(ballY.size(), 100 * b + 100);
        EXPECT_NEAR(blockY[b], std::accumulate(from, to, 0.0) / (to - from), 1e-4) << b;
        EXPECT_TRUE(blockX[b] >= 100 * b && blockX[b] < 100 * b + 100) << b << ": " << blockX[b];
    }
    EXPECT_TRUE(script.messages.empty());
}

// Pixels in a series' colour (not white, black or grey) outside the rectangle and inside it.
static std::pair<int, int> ColouredPixels(const QImage& image, const QRect& inside)
{
    std::pair<int, int> count{0, 0};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (std::max({c.red(), c.green(), c.blue()}) - std::min({c.red(), c.green(), c.blue()}) > 60)
                ++(inside.contains(x, y) ? count.second : count.first);
        }
    return count;
}

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

    const QString d = QString::fromStdString(MakeTempDir("chart-clip"));
    ASSERT_TRUE(chart->SavePicture(d + "/c.bmp") && chart->SavePicture(d + "/c.svg"));
    const QImage bmp(d + "/c.bmp", "BMP");
    QSvgRenderer svg(d + "/c.svg");
    ASSERT_TRUE(svg.isValid() && !bmp.isNull());
    QImage drawn(bmp.size(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    svg.render(&painter, QRectF(drawn.rect()));
    painter.end();
    const auto [bmpOutside, bmpInside] = ColouredPixels(bmp, axes);
    const auto [svgOutside, svgInside] = ColouredPixels(drawn, axes);
    EXPECT_EQ(bmpOutside + svgOutside, 0);
    EXPECT_GT(bmpInside, 1000);
    EXPECT_NEAR(svgInside, bmpInside, bmpInside / 20);
    // No coordinate far off the picture (the series of 1e300 unclipped reaches 1e52).
    EXPECT_EQ(ReadBytes(d.toStdString() + "/c.svg").find("e+"), std::string::npos);
    // The series keep their own points.
    EXPECT_EQ(Values(0), Channel("Ball.pos.y"));
    EXPECT_TRUE(script.messages.empty());
}
