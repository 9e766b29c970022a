#include "ui/FormSaveData.h"

#include "core/io/AssocData.h"
#include "core/learning/DatasetScores.h"
#include "core/learning/Features.h"
#include "core/model/Format.h"
#include "platform/qt/Dialogs.h"
#include "ui/FormControls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace {

struct FileTypeItem {
    const char* filter;
    const char* ext;
};
// In the order of the "File type" items; the filters are in Qt's form.
constexpr FileTypeItem kFileTypes[] = {
    {"Apriori format (*.dat)", "dat"}, {"Weka format (*.arff)", "arff"}, {"CN2 (*.cn2)", "cn2"},
    {"Orange (*.tab)", "tab"},         {"Slipper (*.data)", "data"},
};

QPlainTextEdit* Memo(QWidget* parent, const char* name)
{
    auto* memo = new QPlainTextEdit(QString::fromLatin1(name), parent);
    memo->setObjectName(name);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption)
{
    auto* button = new QPushButton(QString::fromLatin1(caption), parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLabel* Label(QWidget* parent, const char* name, const char* caption)
{
    auto* label = new QLabel(QString::fromLatin1(caption), parent);
    label->setObjectName(name);
    return label;
}

}  // namespace

TFormSaveData::TFormSaveData(QWidget* parent) : QDialog(parent)
{
    setObjectName("FormSaveData");
    setWindowTitle("Save feature data");

    EditTFIDF = new QLineEdit("0", this);
    EditTFIDF->setObjectName("EditTFIDF");
    EditDistance = new QLineEdit("0", this);
    EditDistance->setObjectName("EditDistance");
    tbJitter = new QSlider(Qt::Horizontal, this);
    tbJitter->setObjectName("tbJitter");
    tbJitter->setRange(0, 10);
    tbJitter->setValue(0);
    btnUpdate = Button(this, "btnUpdate", "Update info");
    BtnSave = Button(this, "BtnSave", "Save");
    BtnSave->setDefault(true);
    BtnCancel = Button(this, "BtnCancel", "Cancel");
    rgData = new TRadioGroup(" Data / Class ",
                             {"All nodes / node name", "All nodes + selected node / SELECTED, OTHER",
                              "All nodes + path / PATH, OTHER", "Selected node only / next node ",
                              "Selected node only / selected node", "Path only / nodes in path", "Path / PATH, OTHER",
                              "Path / nodes in path, OTHER", "Path only + selected node / selected node, OTHER",
                              "Path + selected node / selected node"},
                             1, this);
    rgData->setObjectName("rgData");
    rgData->SetItemIndex(0);
    rgFileType = new TRadioGroup(" File type ", {"Apriori", "Weka", "CN2", "Orange", "Slipper"}, 5, this);
    rgFileType->setObjectName("rgFileType");
    rgFileType->SetItemIndex(1);
    lNumInstances = Label(this, "lNumInstances", "");
    lNumClasses = Label(this, "lNumClasses", "");
    lNumAttr = Label(this, "lNumAttr", "");
    lAvgDepth = Label(this, "lAvgDepth", "");
    ShowNoCounts();
    ButtonEvalDepth = Button(this, "ButtonEvalDepth", "Eval Depth");
    BtnEvalRules = Button(this, "BtnEvalRules", "Eval Rules");
    Memo1 = Memo(this, "Memo1");
    MemoRules = Memo(this, "MemoRules");

    auto* edits = new QGridLayout;
    edits->addWidget(new QLabel("TF*IDF threshold", this), 0, 0);
    edits->addWidget(EditTFIDF, 0, 1);
    edits->addWidget(new QLabel("Epsilon distance", this), 1, 0);
    edits->addWidget(EditDistance, 1, 1);
    // The distance is used as typed, not as a percentage; the label stays as users know it.
    edits->addWidget(new QLabel("%", this), 1, 2);
    edits->addWidget(new QLabel("Jitter", this), 2, 0);
    edits->addWidget(tbJitter, 2, 1);
    auto* info = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(lNumInstances), static_cast<QWidget*>(lNumClasses),
                       static_cast<QWidget*>(lNumAttr), static_cast<QWidget*>(lAvgDepth)})
        info->addWidget(w);
    auto* top = new QHBoxLayout;
    top->addLayout(edits);
    top->addLayout(info);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {btnUpdate, ButtonEvalDepth, BtnEvalRules, BtnSave, BtnCancel})
        buttons->addWidget(b);
    auto* memos = new QHBoxLayout;
    memos->addWidget(MemoRules);
    memos->addWidget(Memo1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(rgData);
    layout->addWidget(rgFileType);
    layout->addLayout(memos);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(rgFileType, &TRadioGroup::itemIndexChanged, this, [this] { rgFileTypeClick(); });
    connect(rgData, &TRadioGroup::itemIndexChanged, this, [this] { rgDataClick(); });
    connect(btnUpdate, &QPushButton::clicked, this, [this] { btnUpdateClick(); });
    connect(BtnSave, &QPushButton::clicked, this, [this] { BtnSaveClick(); });
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ButtonEvalDepth, &QPushButton::clicked, this, [this] { ButtonEvalDepthClick(); });
    connect(BtnEvalRules, &QPushButton::clicked, this, [this] { BtnEvalRulesClick(); });

    fileName_.clear();
    fileType_ = 1;
    dataMode_ = 0;
    rgFileTypeClick();
}

bool TFormSaveData::Execute(SaveDataWindow* window, std::vector<int>* cycles, std::vector<std::string>* classNames,
                            std::vector<int>* classes, std::vector<int>* marked)
{
    saveFileName_.clear();
    window_ = window;
    cycles_ = cycles;
    classNames_ = classNames;
    classes_ = classes;
    marked_ = marked;
    // The counts shown are those of this window's graph from the start, never
    // what the dialog last counted for another graph. A mode that lacks its
    // node or path, or a box that holds no number, counts nothing here:
    // "Update info" and "Save" say why.
    ShowNoCounts();
    bool numbers[2] = {false, false};
    EditTFIDF->text().trimmed().toDouble(&numbers[0]);
    EditDistance->text().trimmed().toDouble(&numbers[1]);
    if (window && numbers[0] && numbers[1]) {
        window->tellMissing = false;
        btnUpdateClick();
        window->tellMissing = true;
    }
    if (exec() != QDialog::Accepted)
        return false;
    double threshold = 0.0;
    if (!ReadNumber(EditTFIDF, threshold))
        return false;
    threshold_ = threshold;
    return true;
}

void TFormSaveData::rgFileTypeClick()
{
    const int item = rgFileType->ItemIndex();
    if (item < 0 || item >= static_cast<int>(std::size(kFileTypes)))
        return;
    saveFilter_ = QString::fromLatin1(kFileTypes[item].filter);
    saveDefaultExt_ = QString::fromLatin1(kFileTypes[item].ext);
    fileType_ = item;
}

void TFormSaveData::rgDataClick()
{
    if (rgData->ItemIndex() >= 0)
        dataMode_ = rgData->ItemIndex();
}

bool TFormSaveData::ReadNumber(QLineEdit* edit, double& value)
{
    bool ok = false;
    const double v = edit->text().trimmed().toDouble(&ok);
    if (!ok) {
        platform::MessageBox(this, "'" + edit->text() + "' is not a valid floating point value", "Error");
        return false;
    }
    value = v;
    return true;
}

bool TFormSaveData::HasLists() const
{
    return window_ && cycles_ && classNames_ && classes_ && marked_;
}

void TFormSaveData::ShowNoCounts()
{
    lNumInstances->setText("Instances");
    lNumClasses->setText("Classes");
    lNumAttr->setText("Attributes");
    lAvgDepth->setText("Attribute Depth");
}

void TFormSaveData::SetLabels(int attributes, const std::string& avgDepth)
{
    lNumInstances->setText("Instances = " + QString::number(cycles_->size()));
    lNumClasses->setText("Classes = " + QString::number(classNames_->size()));
    lNumAttr->setText("Attributes = " + QString::number(attributes));
    lAvgDepth->setText("Avg attribute depth = " + QString::fromStdString(avgDepth));
}

void TFormSaveData::btnUpdateClick()
{
    double threshold = 0.0;
    double epsilon = 0.0;
    if (!ReadNumber(EditTFIDF, threshold) || !ReadNumber(EditDistance, epsilon))
        return;
    threshold_ = threshold;
    epsilon_ = epsilon;
    if (!HasLists())
        return;
    window_->MarkCycles(dataMode_, *cycles_, *classNames_, *classes_, *marked_, epsilon_);
    FeatureList* features = window_->Features();
    dataset::AttributeCount attributes;
    if (features) {
        const std::vector<double> scores = dataset::ScoreFeatures(*features, *marked_, window_->NumCycles());
        if (threshold_ >= 0) {
            attributes = dataset::CountDeclared(*features, scores, threshold_);
        } else {
            // A negative threshold picks a rank; the box then shows the score
            // there, which the next update counts against.
            threshold_ = dataset::RankThreshold(scores, threshold_);
            EditTFIDF->setText(QString::fromStdString(FormatFixed(threshold_, 2)));
            attributes.count = -1;
        }
    }
    SetLabels(attributes.count, dataset::AverageDepthText(attributes));
    window_->DrawExampleCycles(*cycles_, *classes_, *marked_, tbJitter->value());
}

void TFormSaveData::BtnSaveClick()
{
    btnUpdateClick();
    // Apriori and Slipper write a second file beside the chosen one: it is
    // asked about too. None when it would be the chosen file itself (the
    // save refuses that).
    const auto kind = static_cast<assocdata::Format>(fileType_);
    const auto files = [kind](const QString& chosen) {
        QStringList written{chosen};
        if (const std::string ext = assocdata::SecondFileExt(kind); !ext.empty()) {
            const std::string second = assocdata::SecondFileName(chosen.toLocal8Bit().toStdString(), ext);
            if (second.empty())
                written.clear();
            else
                written << QString::fromLocal8Bit(second);
        }
        return written;
    };
    const platform::FileDialogResult chosen =
        platform::SaveFileDialog(this, "Save feature data", saveFilter_, saveDefaultExt_, {}, files);
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    fileName_ = chosen.files.front();
    accept();
}

void TFormSaveData::ButtonEvalDepthClick()
{
    if (!HasLists())
        return;
    window_->MarkCycles(dataMode_, *cycles_, *classNames_, *classes_, *marked_, epsilon_);
    Memo1->clear();
    FeatureList* features = window_->Features();
    std::vector<dataset::DepthRow> rows;
    if (features)
        rows = dataset::EvalDepth(*features, *marked_, window_->NumCycles());
    if (!rows.empty())
        SetLabels(rows.back().attributes.count, dataset::AverageDepthText(rows.back().attributes));
    // Every pass marks with epsilon 0 from now on, until the next update reads the box.
    epsilon_ = 0.0;
    QStringList lines;
    for (const std::string& line : dataset::DepthLines(rows))
        lines << QString::fromStdString(line);
    Memo1->setPlainText(lines.join('\n'));
}

void TFormSaveData::BtnEvalRulesClick()
{
    if (!HasLists())
        return;
    window_->MarkCycles(dataMode_, *cycles_, *classNames_, *classes_, *marked_, 0.0);
    Memo1->clear();
    std::vector<std::string> rules;
    const QString text = MemoRules->toPlainText();
    if (!text.isEmpty())
        for (const QString& line : text.split('\n'))
            rules.push_back(line.toStdString());
    const auto coverage = [this](const std::string& rule, int conditions, std::vector<int>& counts, double& depth) {
        window_->RuleCoverage(rule, conditions, counts, *cycles_, *classes_, depth);
    };
    QStringList lines;
    for (const std::string& line : dataset::EvalRules(rules, *classNames_, coverage))
        lines << QString::fromStdString(line);
    Memo1->setPlainText(lines.join('\n'));
}
