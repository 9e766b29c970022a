#include "ui/childFieldWin.h"

#include "ui/FormControls.h"
#include "ui/TimeSource.h"
#include "core/model/RoboCupFile.h"
#include "platform/qt/Dialogs.h"
#include "platform/qt/SavePicture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QBoxLayout>

#include <cmath>

TFieldImage::TFieldImage(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TFieldImage::Show(const QImage* picture, int scrollX, int scrollY)
{
    picture_ = picture;
    scrollX_ = scrollX;
    scrollY_ = scrollY;
    update();
}

void TFieldImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (picture_ == nullptr || picture_->isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(QPoint(0, 0), *picture_, QRect(scrollX_, scrollY_, width(), height()));
}

void TFieldImage::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit mouseMoved(p.x(), p.y());
}

void TFieldImage::mousePressEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    emit mousePressed(p.x(), p.y());
}

void TFieldImage::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

TMDIFieldChild::TMDIFieldChild(QMdiArea* area, RoboCupFileT* log) : TMDIChild(area, log)
{
    Kind = ChildKind::Field;
    Stream = log != nullptr ? log->stream.get() : nullptr;
    setWindowTitle("Field");
    BuildForm();
    ConnectHandlers();
    resize(946, 648);
    FormResize();
}

void TMDIFieldChild::SetTimeRange(int cycle, int from, int to)
{
    Cycle = cycle;
    RangeFrom = from;
    RangeTo = to;
    Redraw();
}

void TMDIFieldChild::TimeWindowChanged() { Redraw(); }

FieldOptions TMDIFieldChild::Options() const
{
    auto state = [](const QCheckBox* box) {
        switch (box->checkState()) {
        case Qt::Checked: return TriState::Checked;
        case Qt::PartiallyChecked: return TriState::Grayed;
        default: return TriState::Unchecked;
        }
    };
    FieldOptions o;
    o.showPlayers = cbShowPlayers->isChecked();
    o.timeReduction = cbTimeReduction->isChecked();
    o.showNumbers = state(cbShowNumbers);
    o.nearestOpponent = cbNearestOpponent->isChecked();
    o.centroid = cbCentroid->isChecked();
    o.showPath = cbShowPath->isChecked();
    o.fadePath = cbFadePath->isChecked();
    o.bodyAngle = cbBodyAngle->isChecked();
    o.headAngle = cbHeadAngle->isChecked();
    o.eventDesc = cbEventDesc->isChecked();
    o.eventPass = cbEventPass->isChecked();
    o.eventDribble = cbEventDribble->isChecked();
    o.eventIntercept = cbEventIntercept->isChecked();
    o.eventShoot = cbEventShoot->isChecked();
    o.eventShootIntercept = cbEventShootIntercept->isChecked();
    o.eventOutside = cbEventOutside->isChecked();
    o.clearField = cbClearField->isChecked();
    o.mark = cbMark->isChecked();
    o.bw = cbBW->isChecked();
    o.big = state(cbBig);
    o.customEvent = cbCustomEvent->isChecked();
    o.eventText = EditEvent->text().toStdString();
    o.fieldText = EditField->text().toStdString();
    o.focusObject = FocusObject;
    for (int k = 0; k < lbPlayers->count() && k < FieldOptions::kObjects; ++k)
        o.selected[static_cast<std::size_t>(k)] = lbPlayers->item(k)->isSelected();
    return o;
}

void TMDIFieldChild::FormResize()
{
    const int zoom = cbZoom->isChecked() ? 2 : 1;
    const int w = Image->width() * zoom;
    const int h = Image->height() * zoom;
    View.Set(20, 20, w - 20, h - 20);
    PitchBitmap = QImage(w, h, QImage::Format_RGB32);
    FieldBitmap = QImage(w, h, QImage::Format_RGB32);
    DrawPitch();
    Redraw();
}

void TMDIFieldChild::DrawPitch() { ::DrawPitch(PitchBitmap, View, cbBW->isChecked()); }

void TMDIFieldChild::Redraw()
{
    FocusObject = cbZoomFocus->currentIndex();
    FocusX = View.FieldToViewX(0.0);
    FocusY = View.FieldToViewY(0.0);
    if (File != nullptr) {
        const FieldPaintResult result =
            PaintFieldPicture(FieldBitmap, PitchBitmap, View, Options(), *File, {Cycle, RangeFrom, RangeTo}, &events_);
        FocusX = result.focusX;
        FocusY = result.focusY;
        PanelPlayMode->setText(PlayModeCaption(*File, Cycle));
        if (result.labelMatch.has_value()) {
            QPalette pal = EditEvent->palette();
            pal.setColor(QPalette::Base,
                         *result.labelMatch ? QColor(0, 128, 0) : QPalette().color(QPalette::Base));
            EditEvent->setPalette(pal);
        }
    }
    const ScrollPos shown = ShownPart(FocusX, FocusY, {ScrollX, ScrollY}, cbSlowFocus->isChecked(), Image->width(),
                                      Image->height(), FieldBitmap.width(), FieldBitmap.height());
    ScrollX = shown.x;
    ScrollY = shown.y;
    Image->Show(&FieldBitmap, ScrollX, ScrollY);
}

void TMDIFieldChild::PitchClick()
{
    DrawPitch();
    Redraw();
}

void TMDIFieldChild::cbDynamicTimeRangeClick(bool checked)
{
    if (checked)
        TimeSource().RequestCycle(Cycle);
}

void TMDIFieldChild::PanelShowHideClick()
{
    const bool unfolded = TogglePanelFold(outer_, ChartPanel, 110);
    PanelOptions->setVisible(unfolded);
    lbPlayers->setVisible(unfolded);
    // The picture takes the freed space now, not only at the next layout pass.
    outer_->activate();
    FormResize();
}

void TMDIFieldChild::ImageMouseMove(int x, int y)
{
    const double fx = View.ViewToFieldX(x + ScrollX);
    const double fy = View.ViewToFieldY(y + ScrollY);
    const QString at = "x=" + QString::number(fx, 'f', 2) + " y=" + QString::number(fy, 'f', 2);
    Image->setToolTip("Field: " + at);
    LabelXY->setText(at);
    LabelLastDist->setText("Distance=" + QString::number(std::hypot(fx - ClickX, fy - ClickY), 'f', 2));
}

void TMDIFieldChild::ImageMouseDown(int x, int y)
{
    ClickX = View.ViewToFieldX(x + ScrollX);
    ClickY = View.ViewToFieldY(y + ScrollY);
}

void TMDIFieldChild::btnSaveClick()
{
    const platform::FileDialogResult chosen = platform::SaveFileDialog(
        this, "Save field", "Windows bitmap files (*.bmp)", "bmp", ".", platform::FileOfKinds({".bmp"}));
    if (!chosen.accepted || chosen.files.isEmpty())
        return;
    // The picture is a bitmap only: under another kind's name it would be a
    // file that no reader of that kind opens.
    const QString name = chosen.files.first();
    if (platform::KindOfName(name) != ".bmp") {
        platform::MessageBox(this, "Unknown file type! Nothing was saved. ", "Warning !");
        return;
    }
    Redraw();
    platform::SaveError error;
    if (!platform::SaveImage(FieldBitmap, name, "BMP", &error))
        platform::MessageBox(this, platform::SaveFailureText(error, name), "Error");
}
