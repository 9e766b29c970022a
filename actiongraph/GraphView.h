// What the action-graph window shows, without the window: the picture surface
// the graph is drawn into, the pitch surface every picture starts from, the
// view transform with zoom and panning, and the pitch's colour scheme.
#pragma once

#include "actiongraph/AntiGrain.h"
#include "core/model/Common.h"

// The four colours of the drawn pitch.
struct TPitchScheme {
    agg::rgba8 pitch;
    agg::rgba8 line;
    agg::rgba8 node;
    agg::rgba8 timePoint;
};
// Green pitch with white lines, or (bw) white pitch with grey lines.
TPitchScheme PitchScheme(bool bw);

class TGraphView {
public:
    static constexpr int kMaxZoom = 5;
    static constexpr int kMargin = 20;  // pixels round the pitch at zoom 1

    // Both surfaces 100 x 100, zoom 1, no pan, the colour scheme.
    TGraphView();

    // The largest picture of the pitch's proportions (105 : 68) that fits an
    // area of the given size: as high as the area unless that is too wide.
    static void PictureSize(int areaWidth, int areaHeight, int& width, int& height);
    // Re-creates both surfaces at width x height (their pixels are lost) and
    // sets the view.
    void Resize(int width, int height);
    // A new zoom (limited to 1..5): the pan is scaled along, by whole pixels
    // of the old zoom; zoom 1 drops it. Sets the view.
    void SetZoom(int zoom);
    // Moves the pitch by dx, dy pixels to the left and up. Sets the view.
    void PanBy(int dx, int dy);
    int Zoom() const { return zoom_; }
    int PanX() const { return panX_; }
    int PanY() const { return panY_; }

    // The pitch at this zoom and pan: a margin of 20 pixels round it at zoom 1.
    const ViewRect& View() const { return view_; }
    double X(double pitchX) const { return view_.FieldToViewX(pitchX); }
    double Y(double pitchY) const { return view_.FieldToViewY(pitchY); }

    // Sets the scheme (colour or black and white) and draws the pitch with its
    // lines, circles, areas, goals and spots into the pitch surface.
    void DrawPitch(bool bw);
    // A filled spot of 0.5 m radius at the pitch point, in the line colour.
    void DrawPitchSpot(double x, double y);
    // The picture becomes the plain pitch again.
    void RestoreBase();

    const TPitchScheme& Scheme() const { return scheme_; }
    AntiGrain& Picture() { return picture_; }
    const AntiGrain& Picture() const { return picture_; }
    AntiGrain& Pitch() { return pitch_; }
    const AntiGrain& Pitch() const { return pitch_; }

private:
    void SetView();

    AntiGrain picture_;
    AntiGrain pitch_;
    ViewRect view_;
    TPitchScheme scheme_;
    int zoom_ = 1;
    int panX_ = 0;
    int panY_ = 0;
};
