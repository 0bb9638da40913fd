#include "spectrum/SpectrumPainter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Traces drawn first to last: the components under the Total.
constexpr int DrawOrder[] = {3, 2, 1, 0};

const QSize MarkerSize(13, 12);
constexpr int FillAlpha = 56; // of 256

// A coordinate as a whole pixel, kept far from overflowing (a damaged record may give any).
int toPixel(double v) {
    return std::isfinite(v) ? int(std::lround(std::clamp(v, -1e6, 1e6))) : -1000000;
}

// Pixels of a trace's brush: the Total is drawn two pixels wide.
int traceBrush(int trace) {
    return trace == 0 ? 2 : 1;
}

QFont plotFont(int pixelSize, bool bold = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

int labelPixels(QSize size) {
    return std::clamp(size.height() / 46, 10, 16);
}

// The largest font up to pixelSize at which text fits in width.
QFont fittingFont(const QString& text, int pixelSize, int width) {
    QFont f = plotFont(pixelSize);
    while (pixelSize > 7 && QFontMetrics(f).horizontalAdvance(text) > width)
        f.setPixelSize(--pixelSize);
    return f;
}

// Paints a rectangle of a colour with an opacity of alpha / 256 into an RGB32 image.
void blendPixels(QImage& image, const QRect& rect, const QColor& colour, int alpha) {
    const QRect r = rect & image.rect();
    if (r.isEmpty()) return;
    const int cr = colour.red() * alpha, cg = colour.green() * alpha, cb = colour.blue() * alpha;
    const int keep = 256 - alpha;
    uchar* bits = image.bits();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(bits + y * image.bytesPerLine());
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb px = line[x];
            line[x] = qRgb((qRed(px) * keep + cr) >> 8, (qGreen(px) * keep + cg) >> 8,
                           (qBlue(px) * keep + cb) >> 8);
        }
    }
}

// Copies a rectangle between two RGB32 images of one size.
void copyPixels(const QImage& from, QImage& to, const QRect& rect) {
    const QRect r = rect & to.rect();
    if (r.isEmpty()) return;
    const uchar* src = from.constBits();
    uchar* dst = to.bits();
    const qsizetype stride = to.bytesPerLine();
    const size_t bytes = size_t(r.width()) * sizeof(QRgb);
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::memcpy(dst + y * stride + r.left() * sizeof(QRgb),
                    src + y * stride + r.left() * sizeof(QRgb), bytes);
}

// Lays a premultiplied ARGB picture over an RGB32 image at a position, inside a clip.
void blendImage(QImage& image, const QImage& picture, QPoint at, const QRect& clip) {
    const QRect r = QRect(at, picture.size()) & clip & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(picture.constScanLine(y - at.y()));
        QRgb* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb s = src[x - at.x()];
            const int keep = 255 - qAlpha(s);
            if (keep == 255) continue;
            const QRgb d = dst[x];
            dst[x] = qRgb(qRed(s) + (qRed(d) * keep + 127) / 255,
                          qGreen(s) + (qGreen(d) * keep + 127) / 255,
                          qBlue(s) + (qBlue(d) * keep + 127) / 255);
        }
    }
}

int shownTraces(const SpectrumDisplay& display) {
    int mask = 0;
    for (int t = 0; t < 4; ++t)
        if (display.traceShown(t)) mask |= 1 << t;
    return mask;
}

double luminance(const QColor& c) {
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A trace colour that reads on the plot: the chosen hue, mixed towards white (on a dark
// plot) or black (on a light one) just enough to stand out. The default dark blue of the
// Total would otherwise all but vanish on the dark plot.
QColor readableOn(const QColor& colour, const QColor& background) {
    constexpr double Wanted = 4.5;
    if (contrast(colour, background) >= Wanted) return colour;
    const QColor towards = luminance(background) < 0.2 ? QColor(Qt::white) : QColor(Qt::black);
    QColor mixed = colour;
    for (int step = 1; step <= 20 && contrast(mixed, background) < Wanted; ++step) {
        const double t = step / 20.0;
        mixed = QColor(int(colour.red() + (towards.red() - colour.red()) * t),
                       int(colour.green() + (towards.green() - colour.green()) * t),
                       int(colour.blue() + (towards.blue() - colour.blue()) * t));
    }
    return mixed;
}

QColor fromBgr(qint32 value, const QColor& fallback) {
    if (value < 0 || value > 0xFFFFFF) return fallback;
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace

SpectrumStyle SpectrumStyle::fromColors(const qint32* colors, int count) {
    SpectrumStyle s;
    for (int i = 0; i < 4 && i < count; ++i)
        s.traces[i] = fromBgr(colors[i], s.traces[i]);
    return s;
}

SpectrumPainter::SpectrumPainter(QSize size, const SpectrumStyle& style) : metrics_(font_) {
    setStyle(style);
    setSize(size);
}

void SpectrumPainter::setSize(QSize size) {
    size = size.expandedTo(QSize(200, 120));
    if (size == image_.size()) return;
    grid_ = QImage(size, QImage::Format_RGB32);
    layer_ = QImage(size, QImage::Format_RGB32);
    image_ = QImage(size, QImage::Format_RGB32);
    grid_.fill(style_.background);
    layer_.fill(style_.background);
    image_.fill(style_.background);
    font_ = plotFont(labelPixels(size));
    metrics_ = QFontMetrics(font_);
    gridValid_ = false;
}

void SpectrumPainter::setStyle(const SpectrumStyle& style) {
    style_ = style;
    for (size_t i = 0; i < ink_.size(); ++i)
        ink_[i] = readableOn(style_.traces[i], style_.plotBackground);
    thresholdLabel_ = QImage();
    markerPicture_ = QImage();
    gridValid_ = false;
}

void SpectrumPainter::layout(const SpectrumDisplay& display) {
    const QSize size = image_.size();
    const QFontMetrics fm(plotFont(labelPixels(size)));
    const int line = fm.height();
    // Two rows above the plot for the boxes' readout (the unit caption beside them), or one
    // for the unit caption alone.
    const int top = style_.readout ? 6 + 2 * (line + 2) + 4 : 6 + line + 6;
    const int left = fm.horizontalAdvance(QStringLiteral("00000")) + 16;
    const int bottom = 2 * line + 16;
    const int right = 18;
    plot_ = QRect(left, top, std::max(10, size.width() - left - right),
                  std::max(10, size.height() - top - bottom));
    // A range that cannot be drawn (from a damaged record) still gives a usable scale.
    double start = display.shownStart(), stop = display.shownStop();
    if (!std::isfinite(start) || !std::isfinite(stop) || !(stop > start)) {
        start = 0;
        stop = 1;
    }
    xMap_ = {start, stop, double(plot_.left()), double(plot_.left() + plot_.width() - 1)};
    yMap_ = {display.topDb(), display.bottomDb(), double(plot_.top()),
             double(plot_.top() + plot_.height() - 1)};
}

SpectrumPainter::GridKey SpectrumPainter::gridKeyOf(const SpectrumDisplay& display) const {
    return {display.shownStart(),   display.shownStop(),    display.data().RefLevel,
            display.dynamicRange(), display.unitCode(),     display.auxInDbm(),
            display.unitText(),     display.printedLines(), shownTraces(display),
            image_.size()};
}

bool SpectrumPainter::gridChanged(const SpectrumDisplay& display) const {
    return !gridValid_ || !(gridKeyOf(display) == gridKey_);
}

void SpectrumPainter::drawGrid(const SpectrumDisplay& display) {
    gridKey_ = gridKeyOf(display);
    gridValid_ = true;
    ++gridDraws_;
    layout(display);

    QPainter p(&grid_);
    p.fillRect(grid_.rect(), style_.background);
    p.fillRect(plot_, style_.plotBackground);
    const int px = labelPixels(grid_.size());
    const QFont font = plotFont(px);
    const QFontMetrics fm(font);
    const int line = fm.height();

    // Grid: every 20 dB and every tenth of the shown band, crisp single pixels.
    p.setPen(QPen(style_.grid, 1));
    for (double db = display.topDb(); db >= display.bottomDb() - 1e-9; db -= PlotDbStep) {
        const int y = toPixel(yOfDb(db));
        p.drawLine(plot_.left(), y, plot_.right(), y);
    }
    for (double f : divisionFrequencies(display.shownStart(), display.shownStop())) {
        const int x = toPixel(xOf(f));
        p.drawLine(x, plot_.top(), x, plot_.bottom());
    }
    p.setPen(QPen(style_.frame, 1));
    p.drawRect(plot_.adjusted(-1, -1, 0, 0));

    // Level labels at the left end of their lines, and the unit above them.
    p.setFont(font);
    p.setPen(style_.text);
    const int labelRight = plot_.left() - 6;
    for (const LevelGridLine& g : display.levelGrid()) {
        const int y = toPixel(yOfDb(g.db));
        p.drawText(QRect(0, y - line / 2, labelRight, line), Qt::AlignRight | Qt::AlignVCenter,
                   g.label.trimmed());
    }
    p.setFont(plotFont(px, true));
    p.drawText(QRect(6, plot_.top() - line - 4, grid_.width() / 2, line),
               Qt::AlignLeft | Qt::AlignVCenter, display.unitText());

    // Frequencies under the plot: the band edges and centre, then span and division.
    p.setFont(font);
    const int row1 = plot_.bottom() + 6;
    const int row2 = row1 + line + 2;
    const int w = plot_.width();
    p.drawText(QRect(plot_.left(), row1, w, line), Qt::AlignLeft | Qt::AlignVCenter,
               display.startText());
    p.drawText(QRect(plot_.left(), row1, w, line), Qt::AlignHCenter | Qt::AlignVCenter,
               display.centerText());
    p.drawText(QRect(plot_.left(), row1, w, line), Qt::AlignRight | Qt::AlignVCenter,
               display.stopText());
    p.setPen(style_.dimText);
    p.drawText(QRect(plot_.left(), row2, w, line), Qt::AlignLeft | Qt::AlignVCenter,
               display.spanText());
    p.drawText(QRect(plot_.left(), row2, w, line), Qt::AlignHCenter | Qt::AlignVCenter,
               display.divisionText());

    // Legend of the shown traces at the right under the plot.
    int lx = plot_.right();
    for (int trace = 3; trace >= 0; --trace) {
        if (!display.traceShown(trace)) continue;
        const QString caption = SpectrumDisplay::traceCaption(trace);
        lx -= fm.horizontalAdvance(caption);
        p.setPen(style_.text);
        p.drawText(QRect(lx, row2, fm.horizontalAdvance(caption), line),
                   Qt::AlignLeft | Qt::AlignVCenter, caption);
        lx -= 20;
        p.fillRect(QRect(lx, row2 + line / 2 - 1, 14, traceBrush(trace) + 1), ink_[size_t(trace)]);
        lx -= 14;
    }

    // Printed lines (the spectrum's header lines) in the band above full scale, from a tenth
    // into the band at 17 dB, shrunk to fit.
    const double start = xMap_.v0, stop = xMap_.v1;
    const int x0 = toPixel(xOf(start + 0.1 * (stop - start)));
    int y = toPixel(yOfDb(17.0));
    p.setPen(style_.text);
    for (const QString& text : display.printedLines()) {
        const QFont f = fittingFont(text, px, plot_.right() - x0 - 4);
        p.setFont(f);
        const QFontMetrics lm(f);
        p.drawText(x0, y + lm.ascent(), text);
        y += lm.height();
    }
}

QPointF SpectrumPainter::pointAt(const SpectrumDisplay& display, int trace, int index) const {
    const double x = xOf(display.data().Freq[index]);
    return {std::isfinite(x) ? std::clamp(x, -1e6, 1e6) : -1e6,
            yOfDb(display.pointDb(trace, index))};
}

void SpectrumPainter::cachePoint(const SpectrumDisplay& display, int index) {
    if (index < 0 || index >= SpectrumPoints) return;
    // Pixels stay within reach of the plot so that no conversion to a column overflows.
    const double x = xOf(display.data().Freq[index]);
    xCache_[index] = float(std::isfinite(x) ? std::clamp(x, -1e6, 1e6) : -1e6);
    for (int t = 0; t < SpectrumTraces; ++t)
        yCache_[t][index] = float(yOfDb(display.pointDb(t, index)));
}

void SpectrumPainter::columnSpans(const SpectrumDisplay& display, int trace, int from, int to,
                                  int first, int last) {
    // For each pixel column c in [from, to], the rows covered by the segments k..k+1 over
    // [c, c + 1]. The segments come from a search with one to spare on each side; the pixel
    // test decides, so a strip finds the spans a full redraw finds.
    const int n = to - from + 1;
    spanTop_.assign(size_t(std::max(n, 0)), 0.0);
    spanBottom_.assign(size_t(std::max(n, 0)), 0.0);
    spanHas_.assign(size_t(std::max(n, 0)), 0);
    if (n <= 0) return;
    const auto& freq = display.data().Freq;
    const auto begin = freq.begin() + first;
    const auto end = freq.begin() + last + 1;
    const int k0 = std::max(
        first, int(std::upper_bound(begin, end, float(frequencyAt(from))) - freq.begin()) - 2);
    const int k1 = std::min(
        last, int(std::lower_bound(begin, end, float(frequencyAt(to + 1))) - freq.begin()) + 1);
    const auto& ys = yCache_[trace];
    for (int k = k0; k < k1; ++k) {
        const double ax = xCache_[k], ay = ys[k], bx = xCache_[k + 1], by = ys[k + 1];
        if (bx < ax) continue;
        const int c0 = std::max(from, int(std::ceil(ax)) - 1);
        const int c1 = std::min(to, int(std::floor(bx)));
        const double dx = bx - ax;
        for (int c = c0; c <= c1; ++c) {
            const double s = std::max(ax, double(c));
            const double e = std::min(bx, double(c + 1));
            if (s > e) continue;
            const double y0 = dx > 0 ? ay + (by - ay) * (s - ax) / dx : ay;
            const double y1 = dx > 0 ? ay + (by - ay) * (e - ax) / dx : by;
            const size_t i = size_t(c - from);
            const double lo = std::min(y0, y1), hi = std::max(y0, y1);
            if (!spanHas_[i]) {
                spanTop_[i] = lo;
                spanBottom_[i] = hi;
                spanHas_[i] = 1;
            } else {
                spanTop_[i] = std::min(spanTop_[i], lo);
                spanBottom_[i] = std::max(spanBottom_[i], hi);
            }
        }
    }
}

void SpectrumPainter::drawTraces(const SpectrumDisplay& display, const QRect& clip) {
    // The grid first, then each trace as the rows it covers in each pixel column. Each column
    // depends only on the levels, so a strip drawn again gives the pixels a full redraw gives.
    copyPixels(grid_, layer_, clip);
    const QRect area = clip & plot_;
    if (area.isEmpty()) return;
    const ZoomRange shown = display.shownPoints();
    const int last = std::min(shown.last, display.drawnPoints() - 1);
    if (last <= shown.first) return;
    uchar* bits = layer_.bits();
    const qsizetype stride = layer_.bytesPerLine();
    auto row = [&](int y) { return reinterpret_cast<QRgb*>(bits + y * stride); };

    // A light fill under the Total, down to the floor, makes it the trace that stands out.
    const int floorRow =
        std::min(area.bottom(), toPixel(yOfDb(plotFloorDb(display.dynamicRange()))));
    const QColor fill = ink_[0];
    const int fr = fill.red() * FillAlpha, fg = fill.green() * FillAlpha,
              fb = fill.blue() * FillAlpha;
    columnSpans(display, 0, area.left(), area.right(), shown.first, last);
    for (int x = area.left(); x <= area.right(); ++x) {
        const size_t i = size_t(x - area.left());
        if (!spanHas_[i]) continue;
        for (int y = std::max(area.top(), toPixel(spanBottom_[i]) + 2); y <= floorRow; ++y) {
            QRgb& px = row(y)[x];
            px = qRgb((qRed(px) * (256 - FillAlpha) + fr) >> 8,
                      (qGreen(px) * (256 - FillAlpha) + fg) >> 8,
                      (qBlue(px) * (256 - FillAlpha) + fb) >> 8);
        }
    }
    for (int trace : DrawOrder) {
        if (!display.traceShown(trace)) continue;
        const QRgb colour = ink_[size_t(trace)].rgb();
        const int brush = traceBrush(trace);
        const int from = area.left() - (brush - 1);
        columnSpans(display, trace, from, area.right(), shown.first, last);
        for (int x = from; x <= area.right(); ++x) {
            const size_t i = size_t(x - from);
            if (!spanHas_[i]) continue;
            const int r0 = std::max(area.top(), toPixel(spanTop_[i]));
            const int r1 = std::min(area.bottom(), toPixel(spanBottom_[i]) + brush - 1);
            const int c0 = std::max(area.left(), x);
            const int c1 = std::min(area.right(), x + brush - 1);
            for (int r = r0; r <= r1; ++r) {
                QRgb* line = row(r);
                for (int c = c0; c <= c1; ++c)
                    line[c] = colour;
            }
        }
    }
}

SpectrumPainter::Overlay SpectrumPainter::overlayOf(const SpectrumDisplay& display,
                                                    bool readoutDue) const {
    Overlay o;
    const QFontMetrics& fm = metrics_;
    const auto& data = display.data();
    if (display.thresholdShown()) {
        const SweepSettings& s = display.settings();
        const int x0 = toPixel(xOf(std::max<double>(s.FStart, display.shownStart())));
        const int x1 = toPixel(xOf(std::min<double>(s.FStop, display.shownStop())));
        const int width = display.thresholdWide() ? 3 : 2;
        const int y = toPixel(yOfDb(display.thresholdDb())) - width / 2;
        o.threshold = true;
        // The text changes only with the settings, which come with a full update.
        o.thresholdText = readoutDue || !overlay_.threshold ? display.DeterminaStTTTThreshold()
                                                            : overlay_.thresholdText;
        o.thresholdLine = QRect(x0, y, std::max(1, x1 - x0 + 1), width) & plot_;
        // The text above the line at its left end, or below it near the top of the plot.
        const int th = fm.height();
        const int ty = y - th - 1 >= plot_.top() ? y - th - 1 : y + width + 1;
        const int tw = o.thresholdText == overlay_.thresholdText && overlay_.threshold
                           ? overlay_.thresholdLabel.width()
                           : fm.horizontalAdvance(o.thresholdText) + 2;
        o.thresholdLabel = QRect(x0 + 8, ty, tw, th);
        o.thresholdRect = (o.thresholdLine | o.thresholdLabel) & plot_;
    }
    if (display.sweepCursorVisible()) {
        const int x = toPixel(xOf(data.Freq[display.sweepCursorIndex()]));
        if (x >= plot_.left() && x <= plot_.right())
            o.cursorRect = QRect(x, plot_.top(), 1, plot_.height());
    }
    if (display.markerVisible()) {
        const QPointF at = pointAt(display, display.markerTrace(), display.markerIndex());
        if (at.x() >= plot_.left() - 1 && at.x() <= plot_.right() + 1)
            o.markerRect = QRect(QPoint(toPixel(at.x()) - MarkerSize.width() / 2,
                                        toPixel(at.y()) - 2 - MarkerSize.height()),
                                 MarkerSize);
    }
    if (!style_.readout) return o;
    if (!readoutDue) {
        o.readout = overlay_.readout;
        o.readoutRect = overlay_.readoutRect;
        return o;
    }
    // The boxes: peak and wide band on the first row, the marker on the second, right-aligned
    // above the plot.
    const QString wide = display.wideBandText().trimmed();
    o.readout << QStringLiteral("Peak  ") + display.peakLevelText().trimmed() +
                     QStringLiteral("  @ ") + display.peakFreqText() +
                     QStringLiteral("        WideBand  ") + wide +
                     (wide == QStringLiteral("----") ? QString()
                                                     : QLatin1Char(' ') + display.unitText());
    o.readout << (display.markerVisible() ? display.DeterminaStTTTMKR() : QString());
    o.readoutRect = QRect(plot_.left() + 80, 6, plot_.width() - 80, 2 * (fm.height() + 2));
    return o;
}

int SpectrumPainter::textWidth(const QString& text) const {
    auto it = widths_.constFind(text);
    if (it != widths_.constEnd()) return *it;
    if (widths_.size() > 256) widths_.clear();
    const int w = metrics_.horizontalAdvance(text);
    widths_.insert(text, w);
    return w;
}

void SpectrumPainter::renderReadout(const Overlay& o, const Overlay& was) {
    // Lines are drawn again only when their text changed.
    const QRect r = o.readoutRect;
    const bool fresh = readout_.size() != r.size() || was.readout.size() != o.readout.size();
    if (fresh) {
        readout_ = QImage(r.size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        readout_.fill(style_.background);
    }
    QPainter p(&readout_);
    p.setFont(font_);
    const QFontMetrics& fm = metrics_;
    for (int k = 0; k < o.readout.size(); ++k) {
        if (!fresh && k < was.readout.size() && was.readout[k] == o.readout[k]) continue;
        const QRect line(0, k * (fm.height() + 2), readout_.width(), fm.height() + 2);
        p.fillRect(line, style_.background);
        p.setPen(k == 0 ? style_.text : ink_[0].lighter(150));
        p.drawText(readout_.width() - textWidth(o.readout[k]) - 2, line.top() + fm.ascent(),
                   o.readout[k]);
    }
}

void SpectrumPainter::drawOverlay(const QRect& clip, const SpectrumDisplay& display,
                                  const Overlay& o) {
    // Straight into the pixels, whole pixels only, so that a part drawn again matches the
    // whole drawn at once and no painter is needed while a pass runs.
    if (o.threshold) {
        blendPixels(image_, o.thresholdLine & clip, style_.threshold, 256);
        if (thresholdLabel_.isNull() || thresholdLabelText_ != o.thresholdText) {
            thresholdLabel_ = textPicture(o.thresholdText, style_.threshold);
            thresholdLabelText_ = o.thresholdText;
        }
        blendImage(image_, thresholdLabel_, o.thresholdLabel.topLeft(), clip & plot_);
    }
    if (!o.cursorRect.isEmpty())
        blendPixels(image_, o.cursorRect & clip & plot_, style_.cursor, 210);
    if (!o.markerRect.isEmpty()) {
        const QColor colour = ink_[size_t(std::clamp(display.markerTrace(), 0, 3))];
        if (markerPicture_.isNull() || markerColour_ != colour) {
            markerPicture_ = markerPicture(colour);
            markerColour_ = colour;
        }
        blendImage(image_, markerPicture_, o.markerRect.topLeft(), clip & plot_);
    }
    const QRect r = o.readoutRect & clip;
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::copy_n(reinterpret_cast<const QRgb*>(readout_.constScanLine(y - o.readoutRect.top())) +
                        (r.left() - o.readoutRect.left()),
                    r.width(), reinterpret_cast<QRgb*>(image_.scanLine(y)) + r.left());
}

QImage SpectrumPainter::textPicture(const QString& text, const QColor& colour) const {
    QImage picture(QSize(metrics_.horizontalAdvance(text) + 2, metrics_.height()),
                   QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setFont(font_);
    p.setPen(colour);
    p.drawText(0, metrics_.ascent(), text);
    return picture;
}

QImage SpectrumPainter::markerPicture(const QColor& colour) {
    // A downward triangle whose tip marks the point, outlined to stand out on any trace.
    QImage picture(MarkerSize, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, true);
    const double mid = MarkerSize.width() / 2.0;
    QPolygonF triangle;
    triangle << QPointF(mid, MarkerSize.height() - 1.0) << QPointF(1.0, 1.0)
             << QPointF(MarkerSize.width() - 1.0, 1.0);
    p.setPen(QPen(Qt::white, 1.3));
    p.setBrush(colour);
    p.drawPolygon(triangle);
    return picture;
}

QRegion SpectrumPainter::changedOverlay(const Overlay& now) const {
    QRegion r;
    const Overlay& was = overlay_;
    if (was.threshold != now.threshold || was.thresholdRect != now.thresholdRect ||
        was.thresholdText != now.thresholdText)
        r += QRegion(was.thresholdRect) + QRegion(now.thresholdRect);
    if (was.cursorRect != now.cursorRect) r += QRegion(was.cursorRect) + QRegion(now.cursorRect);
    if (was.markerRect != now.markerRect) r += QRegion(was.markerRect) + QRegion(now.markerRect);
    if (was.readout != now.readout || was.readoutRect != now.readoutRect)
        r += QRegion(was.readoutRect) + QRegion(now.readoutRect);
    return r;
}

void SpectrumPainter::setOverlay(const Overlay& now, bool all) {
    if (style_.readout &&
        (all || now.readout != overlay_.readout || now.readoutRect != overlay_.readoutRect))
        renderReadout(now, all ? Overlay() : overlay_);
    overlay_ = now;
}

void SpectrumPainter::compose(const SpectrumDisplay& display, const QRect& rect) {
    const QRect r = rect & image_.rect();
    copyPixels(layer_, image_, r);
    drawOverlay(r, display, overlay_);
}

QRect SpectrumPainter::redraw(const SpectrumDisplay& display) {
    if (gridChanged(display)) drawGrid(display);
    const ZoomRange shown = display.shownPoints();
    for (int i = shown.first; i <= std::min(shown.last, display.drawnPoints() - 1); ++i)
        cachePoint(display, i);
    drawTraces(display, image_.rect());
    setOverlay(overlayOf(display, true), true);
    readoutColumn_ = overlay_.cursorRect.left();
    compose(display, image_.rect());
    return image_.rect();
}

QRect SpectrumPainter::pointChanged(const SpectrumDisplay& display, int index) {
    if (gridChanged(display)) return redraw(display);
    const ZoomRange shown = display.shownPoints();
    QRegion dirty;
    if (index >= shown.first && index <= shown.last) {
        cachePoint(display, index);
        const int a = std::max(shown.first, index - 1);
        const int b = std::min(shown.last, index + 1);
        const double x0 = pointAt(display, 0, a).x();
        const double x1 = pointAt(display, 0, b).x();
        // The columns of the two segments at the point, and one more each side for segments
        // that touch a column edge and for the wider brush.
        const QRect strip = QRect(QPoint(int(std::floor(x0)) - 1, plot_.top()),
                                  QPoint(int(std::floor(x1)) + 2, plot_.bottom())) &
                            plot_;
        if (!strip.isEmpty()) {
            drawTraces(display, strip);
            dirty += strip;
        }
    }
    // The boxes follow the sweep once per pixel column of the cursor, and at the last point.
    const Overlay probe = overlayOf(display, false);
    const bool due = probe.cursorRect.left() != readoutColumn_ ||
                     index >= display.data().NPoints - 1 || !display.sweepCursorVisible();
    const Overlay now = due ? overlayOf(display, true) : probe;
    if (due) readoutColumn_ = now.cursorRect.left();
    dirty += changedOverlay(now);
    setOverlay(now, false);
    for (const QRect& r : dirty)
        compose(display, r);
    return dirty.boundingRect();
}

QRect SpectrumPainter::overlayChanged(const SpectrumDisplay& display) {
    if (gridChanged(display)) return redraw(display);
    const Overlay now = overlayOf(display, true);
    const QRegion dirty = changedOverlay(now);
    setOverlay(now, false);
    for (const QRect& r : dirty)
        compose(display, r);
    return dirty.boundingRect();
}

QImage paintSpectrum(QSize size, const SpectrumDisplay& display, const SpectrumStyle& style) {
    SpectrumPainter painter(size, style);
    painter.redraw(display);
    return painter.image();
}

QImage paintSpectrum(QSize size, const SpectrumDisplay& display, const QStringList& printedLines,
                     const SpectrumStyle& style) {
    SpectrumDisplay printed = display;
    printed.setPrintedLines(printedLines);
    return paintSpectrum(size, printed, style);
}
