#include "views/widgets/BAT_OCX.h"

#include <QPainter>
#include <QPainterPath>

BAT_OCX::BAT_OCX(QWidget* parent) : QWidget(parent) {
    connect(&timer_, &QTimer::timeout, this, &BAT_OCX::tick);
}

void BAT_OCX::setLivelloBatteria(int level) {
    level_ = std::clamp(level, 1, kNotches);
    update();
}

void BAT_OCX::setColors(const QColor& begin, const QColor& end) {
    begin_ = begin;
    end_ = end;
    update();
}

void BAT_OCX::setCaption(const QString& caption) {
    caption_ = caption;
    setToolTip(caption.trimmed());
    update();
}

void BAT_OCX::setBackColor(const QColor& colour) {
    back_ = colour;
    update();
}

void BAT_OCX::setTimerBatteria(int intervalMs) {
    if (intervalMs <= 0) {
        timer_.stop();
    } else {
        timer_.start(intervalMs);
    }
    phase_ = 0;
    update();
}

void BAT_OCX::setScorrimentoBatteria(bool on) {
    scrolling_ = on;
    phase_ = 0;
    update();
}

void BAT_OCX::setLampeggioBatteria(bool on) {
    blinking_ = on;
    phase_ = 0;
    update();
}

void BAT_OCX::stopAnimations() {
    setTimerBatteria(0);
    scrolling_ = false;
    blinking_ = false;
    update();
}

void BAT_OCX::tick() {
    ++phase_;
    update();
}

int BAT_OCX::shownNotches() const {
    if (!timer_.isActive()) return level_;
    if (scrolling_) return phase_ % (level_ + 1);
    if (blinking_) return (phase_ % 2) ? 0 : level_;
    return level_;
}

void BAT_OCX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (back_.isValid()) p.fillRect(rect(), back_);
    p.setRenderHint(QPainter::Antialiasing);

    const int nub = 3;
    const QRectF body = QRectF(rect()).adjusted(3.5, 3.5, -3.5 - nub, -3.5);
    if (body.width() < 8 || body.height() < 4) return;
    QPainterPath shell;
    shell.addRoundedRect(body, 3, 3);
    p.fillPath(shell, QColor(250, 251, 252));
    p.setPen(QPen(QColor(70, 76, 86), 1.2));
    p.drawPath(shell);
    p.fillRect(
        QRectF(body.right() + 0.5, body.center().y() - body.height() / 4, nub, body.height() / 2),
        QColor(70, 76, 86));

    const QRectF inner = body.adjusted(2, 2, -2, -2);
    const double gap = 1.0;
    const double w = (inner.width() - gap * (kNotches - 1)) / kNotches;
    const int shown = shownNotches();
    QLinearGradient g(inner.topLeft(), inner.bottomLeft());
    g.setColorAt(0, begin_);
    g.setColorAt(1, end_);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kNotches; ++i) {
        const QRectF n(inner.left() + i * (w + gap), inner.top(), w, inner.height());
        if (i < shown)
            p.fillRect(n, g);
        else
            p.fillRect(n, QColor(226, 229, 234));
    }

    if (!caption_.trimmed().isEmpty()) {
        QFont f = font();
        f.setPixelSize(std::max(8, int(body.height() * 0.62)));
        f.setBold(true);
        p.setFont(f);
        QPainterPath text;
        const QString c = caption_.trimmed();
        const QFontMetricsF fm(f);
        const QPointF at(body.center().x() - fm.horizontalAdvance(c) / 2,
                         body.center().y() + (fm.ascent() - fm.descent()) / 2);
        text.addText(at, f, c);
        p.setPen(QPen(QColor(255, 255, 255, 220), 2.4));
        p.setBrush(Qt::NoBrush);
        p.drawPath(text);
        p.fillPath(text, QColor(25, 30, 38));
    }
}
