// The dataset dialog "Save feature data": chooses the learner format, the data
// mode that turns graph occurrences into labelled examples, the TF*IDF threshold
// that selects the features and the file name; shows what the choice gives and
// studies it ("Eval Depth", "Eval Rules"). One dialog lives for the whole run, so
// its settings persist from one use to the next.
#pragma once

#include <QDialog>
#include <QString>
#include <string>
#include <vector>

class FeatureList;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class TRadioGroup;

// What the dialog needs from the action-graph window it works on.
class SaveDataWindow {
public:
    virtual ~SaveDataWindow() = default;
    // The log's features (null when the window has no log) and its number of cycles.
    virtual FeatureList* Features() = 0;
    virtual int NumCycles() const = 0;
    // Fills the four lists for the data mode (0..9) and epsilon; reports a
    // missing node or path itself while tellMissing holds (else the lists
    // stay empty unsaid).
    bool tellMissing = true;
    virtual void MarkCycles(int mode, std::vector<int>& cycles, std::vector<std::string>& classNames,
                            std::vector<int>& classes, std::vector<int>& marked, double epsilon) = 0;
    // Per class (counts has one entry per class) how many examples the rule
    // text covers, and the average depth of its conditions.
    virtual void RuleCoverage(const std::string& rule, int conditions, std::vector<int>& counts,
                              const std::vector<int>& cycles, const std::vector<int>& classes, double& depth) = 0;
    // Draws the examples on the window's picture of the graph.
    virtual void DrawExampleCycles(const std::vector<int>& cycles, const std::vector<int>& classes,
                                   const std::vector<int>& marked, int jitter) = 0;
};

class TFormSaveData : public QDialog {
    Q_OBJECT
public:
    explicit TFormSaveData(QWidget* parent = nullptr);

    // Shows the dialog modally for the window, which fills the caller's four
    // lists, with the counts of the window's examples ("Update info") from the
    // start; true when it closes with OK (the threshold is then read from its box).
    bool Execute(SaveDataWindow* window, std::vector<int>* cycles, std::vector<std::string>* classNames,
                 std::vector<int>* classes, std::vector<int>* marked);

    // Read by the caller after Execute returned true.
    int FileType() const { return fileType_; }  // 0 Apriori, 1 Weka, 2 CN2, 3 Orange, 4 Slipper
    int DataMode() const { return dataMode_; }
    double Threshold() const { return threshold_; }
    const QString& FileName() const { return fileName_; }
    double Epsilon() const { return epsilon_; }
    // The save dialog's filter and default extension for the file type.
    const QString& SaveFilter() const { return saveFilter_; }
    const QString& SaveDefaultExt() const { return saveDefaultExt_; }

    void rgFileTypeClick();
    void rgDataClick();
    void btnUpdateClick();
    void BtnSaveClick();
    void ButtonEvalDepthClick();
    void BtnEvalRulesClick();

    QLineEdit* EditTFIDF = nullptr;
    QLineEdit* EditDistance = nullptr;
    QSlider* tbJitter = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnCancel = nullptr;
    TRadioGroup* rgData = nullptr;
    TRadioGroup* rgFileType = nullptr;
    QLabel* lNumInstances = nullptr;
    QLabel* lNumClasses = nullptr;
    QLabel* lNumAttr = nullptr;
    QLabel* lAvgDepth = nullptr;
    QPushButton* ButtonEvalDepth = nullptr;
    QPushButton* BtnEvalRules = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPlainTextEdit* MemoRules = nullptr;

private:
    // The number in the box, or a message box and false when it is none.
    bool ReadNumber(QLineEdit* edit, double& value);
    bool HasLists() const;
    void SetLabels(int attributes, const std::string& avgDepth);
    // The four labels without counts.
    void ShowNoCounts();

    SaveDataWindow* window_ = nullptr;
    std::vector<int>* cycles_ = nullptr;
    std::vector<std::string>* classNames_ = nullptr;
    std::vector<int>* classes_ = nullptr;
    std::vector<int>* marked_ = nullptr;
    int fileType_ = 1;
    int dataMode_ = 0;
    QString fileName_;
    double threshold_ = 0.0;
    double epsilon_ = 0.0;
    QString saveFilter_;
    QString saveDefaultExt_;
    QString saveFileName_;
};
