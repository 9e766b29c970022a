// Where the datasets a command keeps for the user are: its last line says so
// whichever command it is, also one that runs others.
#include "LearnNodeWindow.h"

#include "actiongraph/StrategyLink.h"

#include <QScrollBar>

#include <filesystem>

// "Test all" with "Home rules" and the data file in the private folder: the
// datasets of every sweep go into one folder of the series' own, and the
// series names it once, with all its files.
TEST_F(GenerateRules, ATestAllSeriesNamesTheFolderOfTheDatasetsItKept)
{
    StoreTestStrategyOfFirstJoin();
    if (HasFatalFailure())
        return;
    form->SetTestGraph(child);
    form->cbVerbose->setCheckState(Qt::Unchecked);
    form->cbHomeRules->setChecked(true);
    form->EditFName->setText(QString::fromStdString(own + "/test.data"));
    SetStrategyLink(form.get());
    const struct Unlink { ~Unlink() { SetStrategyLink(nullptr); } } unlink;
    child->cbTestAll->setChecked(true);
    child->sbMinConnected->setValue(1);
    platform::DialogScript script;
    child->btnRevalidateAll->click();
    const QStringList said = Lines(form->MemoRules).filter("// Datasets written to ");
    ASSERT_EQ(said.size(), 1) << Lines(form->MemoRules).join('\n').toStdString();
    const std::string line = said[0].toStdString(), kept = line.substr(23, line.find(": ") - 23);
    EXPECT_EQ(std::filesystem::path(kept).parent_path().string(), own);
    const auto files = std::distance(std::filesystem::directory_iterator(kept), std::filesystem::directory_iterator());
    EXPECT_GT(files, 0);
    EXPECT_EQ(line.substr(line.find(": ")), ": " + std::to_string(files) + " files");
}
