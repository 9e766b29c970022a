// The field window's form: its controls with their captions, hints and initial
// states, laid out as a panel of options over the object list and the picture,
// and each control bound to its handler.
#include "ui/childFieldWin.h"

#include "ui/FormBuild.h"
#include "ui/FlowLayout.h"
#include "ui/FormControls.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

QCheckBox* Check(QWidget* parent, const char* name, const QString& caption, bool checked = false)
{
    QCheckBox* box = form::CheckBox(parent, name, caption);
    box->setChecked(checked);
    // Six options a column fit the panel's 110 pixels.
    box->setFixedHeight(17);
    return box;
}

QVBoxLayout* Column(TFlowLayout* row)
{
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    row->addLayout(column);
    return column;
}

}  // namespace

void TMDIFieldChild::BuildForm()
{
    auto* content = new QWidget;
    QFont font("MS Sans Serif");
    font.setPixelSize(11);
    content->setFont(font);
    outer_ = new QBoxLayout(QBoxLayout::TopToBottom, content);
    outer_->setContentsMargins(0, 0, 0, 0);
    outer_->setSpacing(0);

    // The panel comes with "Dynamic time range"; the box moves into the left column.
    ChartPanel = NewTimeRangePanel(content, 110);
    auto* panelRow = static_cast<QBoxLayout*>(ChartPanel->layout());
    panelRow->removeWidget(cbDynamicTimeRange);
    while (QLayoutItem* item = panelRow->takeAt(0))
        delete item;
    panelRow->setContentsMargins(0, 0, 0, 0);
    panelRow->setSpacing(0);
    PanelShowHide = new TClickStrip(ChartPanel);
    PanelShowHide->setObjectName("PanelShowHide");
    PanelShowHide->setFixedWidth(5);
    PanelShowHide->setToolTip("Show/hide panel");
    panelRow->addWidget(PanelShowHide);
    PanelOptions = new QWidget(ChartPanel);
    {
        // The classic face is narrower than the faces that stand in for it:
        // the options take a narrower cut, so that all of them fit the panel.
        QFont narrow = PanelOptions->font();
        narrow.setStretch(QFont::Condensed);
        PanelOptions->setFont(narrow);
    }
    panelRow->addWidget(PanelOptions, 1);
    // The groups of options go in further rows when the window is too narrow for one.
    auto* row = new TFlowLayout(PanelOptions, 4, 2);
    row->setContentsMargins(4, 2, 4, 2);

    QVBoxLayout* left = Column(row);
    cbDynamicTimeRange->setParent(PanelOptions);
    left->addWidget(cbDynamicTimeRange);
    left->addWidget(cbTimeReduction = Check(PanelOptions, "cbTimeReduction", "20x range reduction"));
    left->addWidget(cbShowPlayers = Check(PanelOptions, "cbShowPlayers", "Show players", true));
    cbShowNumbers = Check(PanelOptions, "cbShowNumbers", "Show numbers/roles", true);
    cbShowNumbers->setTristate(true);
    left->addWidget(cbShowNumbers);
    left->addWidget(cbNearestOpponent = Check(PanelOptions, "cbNearestOpponent", "Nearest opponent"));
    left->addWidget(cbCentroid = Check(PanelOptions, "cbCentroid", "Draw centroids"));

    QVBoxLayout* second = Column(row);
    second->addWidget(cbShowPath = Check(PanelOptions, "cbShowPath", "Show path"));
    second->addWidget(cbFadePath = Check(PanelOptions, "cbFadePath", "Fade path", true));
    second->addWidget(cbBodyAngle = Check(PanelOptions, "cbBodyAngle", "Show body angle", true));
    second->addWidget(cbHeadAngle = Check(PanelOptions, "cbHeadAngle", "Show head angle"));
    second->addWidget(cbEventDesc = Check(PanelOptions, "cbEventDesc", "Draw action concept"));
    second->addWidget(cbClearField = Check(PanelOptions, "cbClearField", "Clear field", true));

    GroupActionVector = new QGroupBox("  Draw action vector:  ", PanelOptions);
    auto* vectors = new QGridLayout(GroupActionVector);
    vectors->setContentsMargins(4, 2, 4, 2);
    vectors->setSpacing(0);
    vectors->addWidget(cbEventDribble = Check(GroupActionVector, "cbEventDribble", "Dribble"), 0, 0);
    vectors->addWidget(cbEventPass = Check(GroupActionVector, "cbEventPass", "Pass"), 1, 0);
    vectors->addWidget(cbEventIntercept = Check(GroupActionVector, "cbEventIntercept", "Intercepted Pass"), 2, 0);
    vectors->addWidget(cbEventShoot = Check(GroupActionVector, "cbEventShoot", "Shoot"), 0, 1);
    vectors->addWidget(cbEventShootIntercept = Check(GroupActionVector, "cbEventShootIntercept", "Intercepted shoot"),
                       1, 1);
    vectors->addWidget(cbEventOutside = Check(GroupActionVector, "cbEventOutside", "Kick outside"), 2, 1);
    GroupActionVector->setMinimumWidth(GroupActionVector->sizeHint().width());
    row->addWidget(GroupActionVector);

    QVBoxLayout* view = Column(row);
    PanelPlayMode = new QLabel(PanelOptions);
    PanelPlayMode->setObjectName("PanelPlayMode");
    PanelPlayMode->setAlignment(Qt::AlignCenter);
    PanelPlayMode->setWordWrap(true);
    PanelPlayMode->setAutoFillBackground(true);
    PanelPlayMode->setStyleSheet("QLabel { background-color: navy; color: white; font-weight: bold; }");
    view->addWidget(PanelPlayMode, 1);
    auto* zoom = new QHBoxLayout;
    zoom->addWidget(cbZoom = Check(PanelOptions, "cbZoom", "Zoom 2x     Focus:"));
    cbZoomFocus = new QComboBox(PanelOptions);
    cbZoomFocus->setObjectName("cbZoomFocus");
    cbZoomFocus->addItem("ball");
    for (const char* side : {"Lplayer", "Rplayer"})
        for (int i = 1; i <= 11; ++i)
            cbZoomFocus->addItem(QString(side) + QString::number(i));
    cbZoomFocus->addItem("Center");
    cbZoomFocus->setCurrentIndex(FieldOptions::kCenterFocus);
    cbZoomFocus->setMaxVisibleItems(23);
    zoom->addWidget(cbZoomFocus, 1);
    view->addLayout(zoom);
    auto* smooth = new QHBoxLayout;
    smooth->addWidget(cbSlowFocus = Check(PanelOptions, "cbSlowFocus", "Smooth zoom focus"));
    btnSave = form::Button(PanelOptions, "btnSave", "Save field", "Save an image of the field ");
    smooth->addWidget(btnSave);
    view->addLayout(smooth);
    auto* look = new QHBoxLayout;
    look->addWidget(cbMark = Check(PanelOptions, "cbMark", "Mark"));
    look->addWidget(cbBW = Check(PanelOptions, "cbBW", "BW"));
    cbBig = Check(PanelOptions, "cbBig", "Big");
    cbBig->setTristate(true);
    look->addWidget(cbBig);
    look->addStretch(1);
    view->addLayout(look);

    auto* custom = new QGroupBox(PanelOptions);
    custom->setMinimumWidth(170);
    auto* customRows = new QVBoxLayout(custom);
    customRows->setContentsMargins(4, 2, 4, 2);
    customRows->setSpacing(0);
    cbCustomEvent = form::CheckBox(custom, "cbCustomEvent", "Use custom exspression event:",
                                   "Evaluate the following expression and if true, display the provided data field");
    customRows->addWidget(cbCustomEvent);
    EditEvent = new QLineEdit(custom);
    EditEvent->setObjectName("EditEvent");
    customRows->addWidget(EditEvent);
    customRows->addWidget(new QLabel("Display data field:", custom));
    EditField = new QLineEdit(custom);
    EditField->setObjectName("EditField");
    customRows->addWidget(EditField);
    row->addWidget(custom);

    QVBoxLayout* readOut = Column(row);
    LabelXY = new QLabel("LabelXY", PanelOptions);
    LabelXY->setObjectName("LabelXY");
    LabelLastDist = new QLabel("LabelLastDist", PanelOptions);
    LabelLastDist->setObjectName("LabelLastDist");
    LabelXY->setFixedWidth(100);
    readOut->addWidget(LabelXY);
    readOut->addWidget(LabelLastDist);
    readOut->addStretch(1);
    outer_->addWidget(ChartPanel);
    FitPanelToRows(ChartPanel, 110);

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    lbPlayers = NewPlayersList(content, 65);
    body->addWidget(lbPlayers);
    Image = new TFieldImage(content);
    Image->setObjectName("Image");
    body->addWidget(Image, 1);
    outer_->addLayout(body, 1);
    setWidget(content);
}

void TMDIFieldChild::ConnectHandlers()
{
    for (QCheckBox* box : {cbShowPlayers, cbNearestOpponent, cbShowNumbers, cbShowPath, cbFadePath, cbBodyAngle,
                           cbHeadAngle, cbTimeReduction, cbCentroid, cbEventDesc, cbEventDribble, cbEventPass,
                           cbEventIntercept, cbEventShoot, cbEventShootIntercept, cbEventOutside})
        connect(box, &QCheckBox::clicked, this, &TMDIFieldChild::RedrawClick);
    for (QCheckBox* box : {cbBW, cbBig, cbMark})
        connect(box, &QCheckBox::clicked, this, &TMDIFieldChild::PitchClick);
    connect(cbZoom, &QCheckBox::clicked, this, &TMDIFieldChild::FormResize);
    connect(cbZoomFocus, &QComboBox::currentIndexChanged, this, &TMDIFieldChild::RedrawClick);
    // The custom marks show as the expression is typed, not at the next move of the time.
    connect(cbCustomEvent, &QCheckBox::clicked, this, &TMDIFieldChild::RedrawClick);
    for (QLineEdit* edit : {EditEvent, EditField})
        connect(edit, &QLineEdit::textChanged, this, &TMDIFieldChild::RedrawClick);
    connect(lbPlayers, &QListWidget::itemSelectionChanged, this, &TMDIFieldChild::RedrawClick);
    // Checked again, a field window does not catch up with the main time: the
    // main time comes to the window's cycle instead.
    disconnect(cbDynamicTimeRange, &QCheckBox::clicked, this, nullptr);
    connect(cbDynamicTimeRange, &QCheckBox::clicked, this, &TMDIFieldChild::cbDynamicTimeRangeClick);
    connect(PanelShowHide, &TClickStrip::clicked, this, &TMDIFieldChild::PanelShowHideClick);
    connect(btnSave, &QPushButton::clicked, this, &TMDIFieldChild::btnSaveClick);
    connect(Image, &TFieldImage::resized, this, &TMDIFieldChild::FormResize);
    connect(Image, &TFieldImage::mouseMoved, this, &TMDIFieldChild::ImageMouseMove);
    connect(Image, &TFieldImage::mousePressed, this, &TMDIFieldChild::ImageMouseDown);
}
