#include "ui/About.h"
#include "UiTestMain.h"

#include <QDate>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTime>
#include <gtest/gtest.h>

TEST(About, MemoStartsWithVersionAndBuildTime)
{
    EnsureApp();
    TFormAbout about;
    EXPECT_EQ(about.windowTitle(), "About Velotrask");
    EXPECT_EQ(about.size(), QSize(513, 357));
    EXPECT_TRUE(about.Memo1->isReadOnly());

    const QStringList lines = about.Memo1->toPlainText().split('\n');
    ASSERT_GE(lines.size(), 5);
    EXPECT_EQ(lines[0], "Velotrask 0.9 Beta pre-release version.");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "");  // the build text starts with a line feed
    EXPECT_EQ(lines[4], "");
    const QRegularExpression build(R"(^\*\*\* Build time ([A-Z][a-z]{2} [ \d]\d \d{4}) at (\d\d:\d\d:\d\d) \*\*\*$)");
    const auto match = build.match(lines[3]);
    ASSERT_TRUE(match.hasMatch()) << lines[3].toStdString();
    // The compiler's date pads a one-digit day with a blank: "Aug  8 2006".
    const QDate date = QLocale::c().toDate(match.captured(1).simplified(), "MMM d yyyy");
    ASSERT_TRUE(date.isValid()) << match.captured(1).toStdString();
    EXPECT_LE(date, QDate::currentDate().addDays(1));
    EXPECT_GE(date, QDate(2024, 1, 1));
    EXPECT_TRUE(QTime::fromString(match.captured(2), "hh:mm:ss").isValid());
    EXPECT_EQ(lines[3], BuildTimeLine());
}

TEST(About, OkClosesTheBoxWithResultOk)
{
    EnsureApp();
    TFormAbout about;
    EXPECT_EQ(about.Button1->text(), "OK");
    EXPECT_TRUE(about.Button1->isDefault());
    EXPECT_EQ(about.Button1->geometry(), QRect(208, 324, 87, 29));
    about.show();
    about.Button1->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
    EXPECT_FALSE(about.isVisible());
}
