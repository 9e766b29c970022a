// The field window: the pitch with the objects of one log over the current time
// range, with the options that say what is drawn, a read-out of the pitch
// position under the mouse and the distance from the last press, and saving the
// picture as a bitmap. The picture itself is painted by PaintFieldPicture into
// two images (the empty pitch and the working picture); the window holds them,
// shows the part around the zoom focus and maps the mouse back onto the pitch.
#pragma once

#include "ui/FieldPicture.h"
#include "ui/MDIChild.h"

#include "core/model/Common.h"

#include <QImage>
#include <QWidget>

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TClickStrip;
class TimeStream;

// The picture area: shows a part of the window's working picture and reports
// the mouse in its own pixels.
class TFieldImage : public QWidget {
    Q_OBJECT
public:
    explicit TFieldImage(QWidget* parent = nullptr);
    // The picture and the top-left pixel of the part shown; the image must
    // outlive its use here.
    void Show(const QImage* picture, int scrollX, int scrollY);

signals:
    void mouseMoved(int x, int y);
    void mousePressed(int x, int y);
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    const QImage* picture_ = nullptr;
    int scrollX_ = 0;
    int scrollY_ = 0;
};

class TMDIFieldChild : public TMDIChild {
    Q_OBJECT
public:
    TMDIFieldChild(QMdiArea* area, RoboCupFileT* log);

    // Stores the cycle and the range, then redraws.
    void SetTimeRange(int cycle, int from, int to) override;
    // The averaged values changed: redraws.
    void TimeWindowChanged() override;
    // Repaints the working picture for the current state and shows its part
    // around the focus.
    void Redraw();
    // The empty pitch in the current colours.
    void DrawPitch();
    // The options as the boxes stand.
    FieldOptions Options() const;

    // ---- Handlers ------------------------------------------------------------
    // Picture geometry from the picture area (doubled with zoom), then the pitch
    // and the picture.
    void FormResize();
    void RedrawClick() { Redraw(); }
    // "BW", "Big" and "Mark": the pitch again, then the picture.
    void PitchClick();
    // Checked again: the main window's time moves to this window's cycle.
    void cbDynamicTimeRangeClick(bool checked);
    // Folds the panel to a strip at the left (the object list hidden) or back.
    void PanelShowHideClick();
    void ImageMouseMove(int x, int y);
    void ImageMouseDown(int x, int y);
    // Asks for a file and writes the whole picture there as a Windows bitmap.
    void btnSaveClick();

    // ---- The form ----------------------------------------------------------------
    QWidget* ChartPanel = nullptr;
    TClickStrip* PanelShowHide = nullptr;
    QWidget* PanelOptions = nullptr;  // everything on the panel but the strip
    QCheckBox* cbTimeReduction = nullptr;
    QCheckBox* cbShowPlayers = nullptr;
    QCheckBox* cbShowNumbers = nullptr;  // three states
    QCheckBox* cbNearestOpponent = nullptr;
    QCheckBox* cbCentroid = nullptr;
    QCheckBox* cbShowPath = nullptr;
    QCheckBox* cbFadePath = nullptr;
    QCheckBox* cbBodyAngle = nullptr;
    QCheckBox* cbHeadAngle = nullptr;
    QCheckBox* cbEventDesc = nullptr;
    QCheckBox* cbClearField = nullptr;
    QGroupBox* GroupActionVector = nullptr;
    QCheckBox* cbEventDribble = nullptr;
    QCheckBox* cbEventPass = nullptr;
    QCheckBox* cbEventIntercept = nullptr;
    QCheckBox* cbEventShoot = nullptr;
    QCheckBox* cbEventShootIntercept = nullptr;
    QCheckBox* cbEventOutside = nullptr;
    QLabel* PanelPlayMode = nullptr;
    QCheckBox* cbZoom = nullptr;
    QComboBox* cbZoomFocus = nullptr;
    QCheckBox* cbSlowFocus = nullptr;
    QCheckBox* cbMark = nullptr;
    QCheckBox* cbBW = nullptr;
    QCheckBox* cbBig = nullptr;  // three states
    QPushButton* btnSave = nullptr;
    QCheckBox* cbCustomEvent = nullptr;
    QLineEdit* EditEvent = nullptr;
    QLineEdit* EditField = nullptr;
    QLabel* LabelXY = nullptr;
    QLabel* LabelLastDist = nullptr;
    // "ball", "Lplayer1".."Lplayer11", "Rplayer1".."Rplayer11": item i is object i.
    QListWidget* lbPlayers = nullptr;
    TFieldImage* Image = nullptr;

    // ---- State ---------------------------------------------------------------------
    TimeStream* Stream = nullptr;  // the log's stream; not owned
    int RangeFrom = 0;
    int RangeTo = 0;
    int Cycle = 0;
    ViewRect View;
    int ScrollX = 0;
    int ScrollY = 0;
    double FocusX = 0.0;
    double FocusY = 0.0;
    double ClickX = 0.0;  // pitch position of the last mouse press
    double ClickY = 0.0;
    int FocusObject = 0;
    QImage PitchBitmap;
    QImage FieldBitmap;

private:
    void BuildForm();
    void ConnectHandlers();

    QBoxLayout* outer_ = nullptr;  // the panel over the body, or left of it when folded
    CustomEventCache events_;
};
