#include "views/widgets/PB_OCX.h"

#include <QPainter>
#include <QPainterPath>

namespace {
QList<QColor> defaultColours() {
    return {QColor(64, 140, 230), QColor(30, 100, 200), QColor(232, 236, 242),
            QColor(200, 206, 216), QColor(30, 30, 30)};
}
} // namespace

PB_OCX::PB_OCX(QWidget* parent) : QWidget(parent), colours_(defaultColours()) {}

void PB_OCX::setRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    setValue(value_);
    update();
}

void PB_OCX::setValue(int value) {
    value_ = std::clamp(value, min_, max_);
    update();
}

void PB_OCX::setColours(const QList<QColor>& colours) {
    colours_ = defaultColours();
    for (int i = 0; i < colours.size() && i < colours_.size(); ++i)
        if (colours[i].isValid()) colours_[i] = colours[i];
    update();
}

void PB_OCX::setColour(int index, const QColor& colour) {
    if (index >= 0 && index < colours_.size() && colour.isValid()) {
        colours_[index] = colour;
        update();
    }
}

void PB_OCX::setShowText(bool on) {
    showText_ = on;
    update();
}

PB_OCX::State PB_OCX::state() const {
    return State{min_, max_, value_, colours_, isVisible()};
}

void PB_OCX::restore(const State& s) {
    setColours(s.colours);
    setRange(s.min, s.max);
    setValue(s.value);
    setVisible(s.visible);
}

void PB_OCX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = std::min(4.0, r.height() / 2);
    QPainterPath trough;
    trough.addRoundedRect(r, radius, radius);
    p.fillPath(trough, colours_[2]);
    p.setPen(QPen(colours_[3], 1));
    p.drawPath(trough);

    const double span = double(max_ - min_);
    const double frac = span > 0 ? double(value_ - min_) / span : 0.0;
    if (frac > 0) {
        QRectF bar = r.adjusted(1.5, 1.5, -1.5, -1.5);
        bar.setWidth(bar.width() * frac);
        QPainterPath fill;
        fill.addRoundedRect(bar, radius - 1, radius - 1);
        QLinearGradient g(bar.topLeft(), bar.bottomLeft());
        g.setColorAt(0, colours_[0]);
        g.setColorAt(1, colours_[1]);
        p.fillPath(fill, g);
    }
    if (showText_) {
        p.setPen(colours_[4]);
        p.drawText(rect(), Qt::AlignCenter, QString::number(qRound(frac * 100)) + QLatin1Char('%'));
    }
}
