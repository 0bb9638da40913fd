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
    paintGauge(p, QRectF(rect()), font(), shownNotches(), begin_, end_, caption_);
}

void BAT_OCX::paintGauge(QPainter& p, const QRectF& area, const QFont& font, int shown,
                         const QColor& begin, const QColor& end, const QString& text) {
    p.save();
    p.translate(area.topLeft());
    p.setRenderHint(QPainter::Antialiasing);
    const double width = area.width(), height = area.height();

    // With room for it the caption goes under the gauge, else over it.
    const QString caption = text.trimmed();
    const bool below = !caption.isEmpty() && height >= 22;
    const int nub = 3;
    const double bodyH = below ? std::max(8.0, height * 0.42) : height - 7.0;
    const QRectF body(3.5, 3.0, width - 7.0 - nub, bodyH);
    if (body.width() < 8 || body.height() < 4) {
        p.restore();
        return;
    }
    QPainterPath shell;
    shell.addRoundedRect(body, 2.5, 2.5);
    p.fillPath(shell, QColor(250, 251, 252));
    p.setPen(QPen(QColor(70, 76, 86), 1.1));
    p.drawPath(shell);
    p.fillRect(QRectF(body.right() + 0.5, body.center().y() - body.height() / 4, nub - 0.5,
                      body.height() / 2),
               QColor(70, 76, 86));

    const QRectF inner = body.adjusted(1.8, 1.8, -1.8, -1.8);
    const double gap = 0.8;
    const double w = (inner.width() - gap * (kNotches - 1)) / kNotches;
    QLinearGradient g(inner.topLeft(), inner.bottomLeft());
    g.setColorAt(0, begin);
    g.setColorAt(1, end);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kNotches; ++i) {
        const QRectF n(inner.left() + i * (w + gap), inner.top(), w, inner.height());
        p.fillRect(n, i < shown ? QBrush(g) : QBrush(QColor(226, 229, 234)));
    }

    if (caption.isEmpty()) {
        p.restore();
        return;
    }
    QFont f = font;
    f.setBold(true);
    if (below) {
        const QRectF textArea(0, body.bottom() + 1, width, height - body.bottom() - 2);
        f.setPixelSize(std::max(8, int(textArea.height() * 0.85)));
        p.setFont(f);
        p.setPen(QColor(25, 30, 38));
        p.drawText(textArea, Qt::AlignCenter, caption);
        p.restore();
        return;
    }
    f.setPixelSize(std::max(8, int(body.height() * 0.62)));
    QPainterPath path;
    const QFontMetricsF fm(f);
    path.addText(QPointF(body.center().x() - fm.horizontalAdvance(caption) / 2,
                         body.center().y() + (fm.ascent() - fm.descent()) / 2),
                 f, caption);
    p.setPen(QPen(QColor(255, 255, 255, 220), 2.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.fillPath(path, QColor(25, 30, 38));
    p.restore();
}
