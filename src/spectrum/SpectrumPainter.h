#pragma once

#include "spectrum/SpectrumDisplay.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

// Colours of the plot. Trace colours come from the measurement settings (Colors 0..3, stored
// as 0x00BBGGRR); the grid is palette colour 1 on a dark plot.
struct SpectrumStyle {
    std::array<QColor, 4> traces{QColor(0, 0, 255), QColor(0, 255, 0), QColor(0, 255, 255),
                                 QColor(255, 0, 255)}; // Total, X, Y, Z
    QColor background{24, 28, 36};
    QColor plotBackground{10, 12, 18};
    QColor grid{0, 0, 128};
    QColor frame{90, 100, 120};
    QColor text{220, 226, 236};
    QColor dimText{150, 160, 178};
    QColor threshold{230, 40, 40};
    QColor cursor{255, 160, 0};
    // The peak, wide-band and marker readout above the plot (a window with boxes of its own
    // leaves it out).
    bool readout = true;

    // Colours 0..3 of the measurement settings; an entry that is not a plain colour keeps the
    // default.
    static SpectrumStyle fromColors(const qint32* colors, int count);
};

// Paints a SpectrumDisplay into an image in three layers: the grid with its axes and labels
// (drawn again only when the shown range, the unit, the scale, the printed lines or the size
// change), the traces over it, and on top the threshold line, the sweep cursor, the marker and
// the readout of the peak, wide-band and marker boxes above the plot. During a pass only the
// segments of the new point and what moved on top are drawn again, and the readout follows
// once per pixel column of the cursor; the result is the image a full redraw gives.
//
// While a pass runs, for each decoded point i:
//     display.pointDecoded(i);
//     display.setSweepCursor(i);
//     const QRect changed = painter.pointChanged(display, i); // repaint that part on screen
// After anything else changed in the display (marker, zoom, unit, threshold): overlayChanged(),
// which draws everything again itself when the grid must change; after levels changed other
// than point by point (a review loaded, a new sweep): redraw().
class SpectrumPainter {
public:
    explicit SpectrumPainter(QSize size = QSize(1000, 600), const SpectrumStyle& style = {});

    void setSize(QSize size);
    QSize size() const { return image_.size(); }
    void setStyle(const SpectrumStyle& style);
    const SpectrumStyle& style() const { return style_; }
    // The picture as drawn. Show it from this reference: a copy kept across an update would
    // make every point copy the whole image.
    const QImage& image() const { return image_; }

    // Draws everything again from the display (the grid layer only when it changed).
    QRect redraw(const SpectrumDisplay& display);
    // The acquisition decoded point index: redraws the segments on both sides of it and what
    // changed on top (cursor, boxes, marker). Returns the changed rectangle. Levels are read
    // again only for that point: a change elsewhere needs redraw().
    QRect pointChanged(const SpectrumDisplay& display, int index);
    // The marker, threshold, cursor or box texts changed; the traces did not.
    QRect overlayChanged(const SpectrumDisplay& display);

    // Geometry of the last drawing: the plot area and its coordinates.
    QRect plotRect() const { return plot_; }
    double xOf(double frequency) const { return xMap_.toPixel(frequency); }
    double frequencyAt(double x) const { return xMap_.toValue(x); }
    double yOfDb(double db) const { return yMap_.toPixel(db); }
    double dbAt(double y) const { return yMap_.toValue(y); }
    // Where the threshold line (with its text) and the marker are, for the pointer: the
    // threshold's tooltip, dragging the marker. Empty when not shown.
    QRect thresholdRect() const { return overlay_.thresholdRect; }
    QRect markerRect() const { return overlay_.markerRect; }
    // Times the grid layer was drawn (it is cached).
    int gridDraws() const { return gridDraws_; }

private:
    struct GridKey {
        double start = 0, stop = 0, refLevel = 0, dynamicRange = 0;
        int unitCode = -1;
        bool auxInDbm = false;
        QString unitText;
        QStringList printed;
        int traces = 0; // shown traces, one bit each (the legend)
        QSize size;
        bool operator==(const GridKey&) const = default;
    };
    struct Overlay {
        bool threshold = false;
        QRect thresholdLine;
        QRect thresholdLabel;
        QRect thresholdRect;
        QRect cursorRect;
        QRect markerRect;
        QRect readoutRect;
        QStringList readout;
        QString thresholdText;
        bool operator==(const Overlay&) const = default;
    };

    void layout(const SpectrumDisplay& display);
    GridKey gridKeyOf(const SpectrumDisplay& display) const;
    bool gridChanged(const SpectrumDisplay& display) const;
    void drawGrid(const SpectrumDisplay& display);
    void drawTraces(const SpectrumDisplay& display, const QRect& clip);
    // What is on top; with readoutDue false the boxes keep their last texts.
    Overlay overlayOf(const SpectrumDisplay& display, bool readoutDue) const;
    void setOverlay(const Overlay& now, bool all);
    void renderReadout(const Overlay& o, const Overlay& was);
    int textWidth(const QString& text) const;
    QImage textPicture(const QString& text, const QColor& colour) const;
    void drawOverlay(const QRect& clip, const SpectrumDisplay& display, const Overlay& o);
    QRegion changedOverlay(const Overlay& now) const;
    static QImage markerPicture(const QColor& colour);
    void compose(const SpectrumDisplay& display, const QRect& rect);
    QPointF pointAt(const SpectrumDisplay& display, int trace, int index) const;
    // Pixel position of a point on every trace, kept from the last redraw or point change.
    void cachePoint(const SpectrumDisplay& display, int index);
    // The rows a trace covers in the pixel columns from..to, into spanTop_/spanBottom_.
    void columnSpans(const SpectrumDisplay& display, int trace, int from, int to, int first,
                     int last);

    SpectrumStyle style_;
    // The trace colours as drawn: the style's, made to stand out from the plot.
    std::array<QColor, 4> ink_;
    QImage grid_;  // background, grid, axes and labels
    QImage layer_; // grid + traces
    QImage image_; // traces + threshold, cursor, marker, readout
    QRect plot_;
    AxisMap xMap_, yMap_;
    GridKey gridKey_;
    bool gridValid_ = false;
    Overlay overlay_;
    int gridDraws_ = 0;
    QImage readout_; // the boxes' panel as shown
    int readoutColumn_ = -1;
    QImage thresholdLabel_;
    QString thresholdLabelText_;
    mutable QHash<QString, int> widths_;
    QImage markerPicture_;
    QColor markerColour_;
    QFont font_;
    QFontMetrics metrics_;
    std::vector<double> spanTop_, spanBottom_;
    std::vector<char> spanHas_;
    std::array<float, SpectrumPoints> xCache_{};
    std::array<std::array<float, SpectrumPoints>, SpectrumTraces> yCache_{};
};

// The whole plot of a display at a given size, as a saved picture shows it, with the lines
// the display prints over the plot.
QImage paintSpectrum(QSize size, const SpectrumDisplay& display, const SpectrumStyle& style = {});
// The same with other printed lines: the header lines of a saved spectrum, or the marker and
// threshold texts of "Save Spectrum As".
QImage paintSpectrum(QSize size, const SpectrumDisplay& display, const QStringList& printedLines,
                     const SpectrumStyle& style = {});
