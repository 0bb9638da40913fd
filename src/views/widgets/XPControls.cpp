#include "views/widgets/XPControls.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace {
// The indicator box of the "XP" look; the "Classic" look is the toolkit's own (no style sheet).
QString indicatorSheet(const char* type, const char* radius) {
    return QStringLiteral("%1::indicator { width: 13px; height: 13px; border: 1px solid #1c5180;"
                          " border-radius: %2; background: qlineargradient(x1:0, y1:0, x2:1,"
                          " y2:1, stop:0 #dcdcd7, stop:1 #ffffff); }"
                          "%1::indicator:hover { border-color: #f8b636; }"
                          "%1::indicator:disabled { border-color: #cac8bb; background: #f4f4f0; }")
        .arg(QLatin1String(type), QLatin1String(radius));
}

// The option button's dot, green when enabled and grey when not.
QString dotSheet() {
    auto dot = [](const char* state, const char* colour) {
        return QStringLiteral("QRadioButton::indicator:checked%1 { background: qradialgradient("
                              "cx:0.5, cy:0.5, radius:0.6, fx:0.5, fy:0.5, stop:0 %2, stop:0.45 "
                              "%2, stop:0.5 #ffffff, stop:1 #f4f4f0); }")
            .arg(QLatin1String(state), QLatin1String(colour));
    };
    return dot("", "#21a121") + dot(":disabled", "#a8a89c");
}

int validStyle(int style) {
    return style == 1 ? 1 : 0;
}
} // namespace

XPCheck::XPCheck(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    setControlStyle(0);
}

void XPCheck::setControlStyle(int style) {
    style = validStyle(style);
    if (style == style_) return;
    style_ = style;
    setStyleSheet(style == 0 ? indicatorSheet("QCheckBox", "2px") : QString());
}

void XPCheck::paintEvent(QPaintEvent* e) {
    QCheckBox::paintEvent(e);
    if (style_ != 0 || checkState() == Qt::Unchecked) return;
    // The style sheet draws the box; the tick is drawn here, in grey when disabled.
    QStyleOptionButton opt;
    initStyleOption(&opt);
    const QRectF r = style()->subElementRect(QStyle::SE_CheckBoxIndicator, &opt, this);
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(isEnabled() ? QColor(33, 161, 33) : QColor(168, 168, 156), 2.0, Qt::SolidLine,
                  Qt::RoundCap, Qt::RoundJoin));
    if (checkState() == Qt::PartiallyChecked) {
        p.drawLine(QPointF(r.left() + 3.5, r.center().y()), QPointF(r.right() - 3, r.center().y()));
        return;
    }
    const QPointF pts[3] = {{r.left() + 3.5, r.center().y()},
                            {r.left() + r.width() * 0.42, r.bottom() - 3.5},
                            {r.right() - 3, r.top() + 3.5}};
    p.drawPolyline(pts, 3);
}

XPOption::XPOption(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setControlStyle(0);
}

void XPOption::setControlStyle(int style) {
    style = validStyle(style);
    if (style == style_) return;
    style_ = style;
    setStyleSheet(style == 0 ? indicatorSheet("QRadioButton", "7px") + dotSheet() : QString());
}

XPText::XPText(QWidget* parent) : QLineEdit(parent) {
    setControlStyle(0);
}

void XPText::setControlStyle(int style) {
    style = validStyle(style);
    if (style == style_) return;
    style_ = style;
    setStyleSheet(style == 0
                      ? QStringLiteral("QLineEdit { border: 1px solid #7f9db9; border-radius: 2px;"
                                       " padding: 2px 4px; background: #ffffff;"
                                       " selection-background-color: #316ac5; }"
                                       "QLineEdit:focus { border-color: #316ac5; }"
                                       "QLineEdit:disabled { background: #f0f0ea; color: #a0a0a0;"
                                       " border-color: #c9c7ba; }")
                      : QString());
}
