#include "views/widgets/StyledControls.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionButton>

namespace {

QString displayText(QString t) {
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

void drawBevel(QPainter& p, const QRectF& r, bool raised) {
    const QColor light(255, 255, 255, 200), dark(0, 0, 0, 90);
    p.setPen(QPen(raised ? light : dark, 1));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(QPen(raised ? dark : light, 1));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

} // namespace

// ---- LB_OCX ---------------------------------------------------------------------------

LB_OCX::LB_OCX(QWidget* parent) : QWidget(parent) {}

LB_OCX::LB_OCX(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {}

void LB_OCX::setCaption(const QString& text) {
    if (caption_ == text) return;
    caption_ = text;
    updateGeometry();
    update();
}

void LB_OCX::setStyle(int style) {
    style_ = (style >= 0 && style <= 8) ? style : 1;
    update();
}

void LB_OCX::setScheme(int scheme) {
    scheme_ = scheme;
    update();
}

void LB_OCX::setColors(const QColor& begin, const QColor& end) {
    begin_ = begin;
    end_ = end;
    update();
}

void LB_OCX::setTextColor(const QColor& colour) {
    text_ = colour;
    update();
}

void LB_OCX::setAlignment(Qt::Alignment a) {
    align_ = a;
    update();
}

QSize LB_OCX::sizeHint() const {
    const QFontMetrics fm(font());
    const QRect br = fm.boundingRect(QRect(0, 0, 2000, 2000), Qt::AlignLeft, displayText(caption_));
    return QSize(br.width() + 24, std::max(br.height() + 12, fm.height() + 12));
}

QSize LB_OCX::minimumSizeHint() const {
    return QSize(24, QFontMetrics(font()).height() + 8);
}

void LB_OCX::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool round = style_ == 0 || style_ == 1 || style_ == 4;
    const bool concentric = style_ >= 4 && style_ <= 6;
    const bool shaded = style_ >= 1 && style_ <= 3;
    const bool oneColour = style_ == 0 || style_ == 7 || style_ == 8;

    QPainterPath path;
    if (round)
        path.addRoundedRect(r, std::min(8.0, r.height() / 2), std::min(8.0, r.height() / 2));
    else
        path.addRect(r);

    QBrush brush;
    if (oneColour) {
        brush = QBrush(begin_);
    } else if (concentric) {
        QRadialGradient g(r.center(), std::max(r.width(), r.height()) / 2);
        g.setColorAt(0, end_);
        g.setColorAt(1, begin_);
        brush = QBrush(g);
    } else if (shaded) {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, begin_);
        g.setColorAt(1, end_);
        brush = QBrush(g);
    }
    p.fillPath(path, brush);
    if (round) {
        p.setPen(QPen(begin_.darker(130), 1));
        p.drawPath(path);
    } else {
        p.setRenderHint(QPainter::Antialiasing, false);
        const bool raised = style_ == 2 || style_ == 5 || style_ == 7;
        drawBevel(p, QRectF(rect()).adjusted(0, 0, -1, -1), raised);
        p.setRenderHint(QPainter::Antialiasing);
    }

    // Scheme 1 writes light text for dark faces.
    p.setPen(scheme_ == 1 ? QColor(Qt::white) : text_);
    p.setFont(font());
    p.drawText(rect().adjusted(6, 2, -6, -2), int(align_) | Qt::TextWordWrap,
               displayText(caption_));
}

void LB_OCX::mouseReleaseEvent(QMouseEvent* e) {
    if (clickable_ && e->button() == Qt::LeftButton && rect().contains(e->pos())) emit clicked();
    QWidget::mouseReleaseEvent(e);
}

// ---- XPButton -------------------------------------------------------------------------

XPButton::XPButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

void XPButton::setButtonStyle(int style) {
    style_ = style == 1 ? 1 : 0;
    update();
}

void XPButton::setColors(const QColor& begin, const QColor& end) {
    begin_ = begin;
    end_ = end;
    update();
}

void XPButton::setAccent(const QColor& accent) {
    accent_ = accent;
    update();
}

QSize XPButton::sizeHint() const {
    QSize s = QPushButton::sizeHint();
    return QSize(std::max(s.width() + 16, 96), std::max(s.height() + 6, 32));
}

void XPButton::enterEvent(QEnterEvent* e) {
    hover_ = true;
    update();
    QPushButton::enterEvent(e);
}

void XPButton::leaveEvent(QEvent* e) {
    hover_ = false;
    update();
    QPushButton::leaveEvent(e);
}

void XPButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const bool down = isDown() || isChecked();
    const QRectF r = QRectF(rect()).adjusted(1, 1, -1, -1);

    QColor top = begin_, bottom = style_ == 0 ? end_ : begin_;
    if (accent_.isValid() && enabled) {
        top = accent_.lighter(125);
        bottom = accent_;
    }
    if (!enabled) {
        top = QColor(238, 239, 241);
        bottom = QColor(228, 229, 232);
    } else if (down) {
        std::swap(top, bottom);
        top = top.darker(108);
        bottom = bottom.darker(108);
    } else if (hover_) {
        top = top.lighter(104);
        bottom = bottom.lighter(106);
    }

    QPainterPath path;
    if (style_ == 0)
        path.addRoundedRect(r, 5, 5);
    else
        path.addRect(r);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.fillPath(path, g);

    QColor border = enabled ? (accent_.isValid() ? accent_.darker(130) : QColor(150, 156, 168))
                            : QColor(200, 202, 206);
    if (enabled && hasFocus()) border = QColor(40, 110, 200);
    if (style_ == 0) {
        p.setPen(QPen(border, 1));
        p.drawPath(path);
    } else {
        p.setRenderHint(QPainter::Antialiasing, false);
        drawBevel(p, QRectF(rect()).adjusted(0, 0, -1, -1), !down);
        p.setRenderHint(QPainter::Antialiasing);
    }

    QColor textColour = enabled ? QColor(25, 28, 33) : QColor(160, 163, 168);
    if (accent_.isValid() && enabled) textColour = Qt::white;
    QRect content = rect().adjusted(8, 2, -8, -2);
    if (down) content.translate(0, 1);
    if (!icon().isNull()) {
        const QSize is = iconSize();
        const QPixmap pm = icon().pixmap(is, enabled ? QIcon::Normal : QIcon::Disabled);
        const int textW = fontMetrics().horizontalAdvance(text());
        const int total = is.width() + (text().isEmpty() ? 0 : 6 + textW);
        const int x = content.left() + (content.width() - total) / 2;
        p.drawPixmap(x, content.top() + (content.height() - is.height()) / 2, pm);
        content.setLeft(x + is.width() + 6);
        p.setPen(textColour);
        p.drawText(content, Qt::AlignVCenter | Qt::AlignLeft, text());
        return;
    }
    p.setPen(textColour);
    QFont f = font();
    p.setFont(f);
    p.drawText(content, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

// ---- XPFrame --------------------------------------------------------------------------

XPFrame::XPFrame(const QString& caption, QWidget* parent) : QWidget(parent), caption_(caption) {
    updateMargins();
}

void XPFrame::setCaption(const QString& text) {
    if (caption_ == text) return;
    caption_ = text;
    updateMargins();
    update();
}

void XPFrame::setFrameStyleIndex(int style) {
    style_ = style == 1 ? 1 : 0;
    update();
}

void XPFrame::setKeepTitleSpace(bool on) {
    keepTitle_ = on;
    updateMargins();
    update();
}

int XPFrame::titleHeight() const {
    return (caption_.isEmpty() && !keepTitle_) ? 0 : fontMetrics().height() + 8;
}

void XPFrame::updateMargins() {
    const int title = titleHeight();
    setContentsMargins(10, title ? title + 4 : 8, 10, 10);
}

void XPFrame::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const int titleH = titleHeight();
    if (style_ == 0) {
        QPainterPath path;
        path.addRoundedRect(r, 6, 6);
        p.fillPath(path, QColor(255, 255, 255));
        if (titleH) {
            QPainterPath head;
            head.addRoundedRect(QRectF(r.left(), r.top(), r.width(), titleH + 6), 6, 6);
            QLinearGradient g(r.topLeft(), QPointF(r.left(), r.top() + titleH));
            g.setColorAt(0, QColor(244, 246, 250));
            g.setColorAt(1, QColor(232, 236, 243));
            p.save();
            p.setClipRect(QRectF(r.left(), r.top(), r.width(), titleH));
            p.fillPath(head, g);
            p.restore();
            p.setPen(QColor(214, 219, 227));
            p.drawLine(QPointF(r.left(), r.top() + titleH), QPointF(r.right(), r.top() + titleH));
        }
        p.setPen(QPen(QColor(196, 202, 212), 1));
        p.drawPath(path);
    } else {
        p.setRenderHint(QPainter::Antialiasing, false);
        const QRect fr = rect().adjusted(0, titleH / 2, -1, -1);
        p.setPen(QColor(160, 160, 160));
        p.drawRect(fr.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.drawRect(fr.adjusted(1, 1, 0, 0));
    }
    if (titleH) {
        QFont f = font();
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(45, 55, 72));
        const QRect tr(10, 0, width() - 20, titleH);
        if (style_ == 1) {
            const int w = QFontMetrics(f).horizontalAdvance(caption_) + 8;
            p.fillRect(QRect(6, 0, w, titleH), palette().window());
        }
        p.drawText(tr, Qt::AlignVCenter | Qt::AlignLeft, caption_);
    }
}
