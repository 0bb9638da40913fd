#include "views/widgets/PictChk.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

PictChk::PictChk(int index, QWidget* parent) : QWidget(parent), index_(index) {
    setCursor(Qt::PointingHandCursor);
}

void PictChk::setPicture(int picture) {
    picture_ = picture == 2 ? 2 : 1;
    update();
}

void PictChk::setBackColor(const QColor& colour) {
    back_ = colour;
    update();
}

void PictChk::mousePressEvent(QMouseEvent* e) {
    emit pressed(index_, e->button());
    e->accept();
}

void PictChk::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), back_);
    paintPicture(p, QRectF(rect()), picture_);
}

void PictChk::paintPicture(QPainter& p, const QRectF& area, int picture) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const double s = std::min(16.0, std::min(area.width(), area.height()) - 4);
    const QRectF box(area.center().x() - s / 2, area.center().y() - s / 2, s, s);
    QPainterPath path;
    path.addRoundedRect(box, 3, 3);
    if (picture == 2) {
        p.fillPath(path, QColor(34, 139, 84));
        QPen pen(Qt::white, std::max(1.6, s / 8));
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        p.setPen(pen);
        QPainterPath tick;
        tick.moveTo(box.left() + s * 0.24, box.top() + s * 0.52);
        tick.lineTo(box.left() + s * 0.43, box.top() + s * 0.70);
        tick.lineTo(box.left() + s * 0.77, box.top() + s * 0.30);
        p.drawPath(tick);
    } else {
        p.fillPath(path, Qt::white);
        p.setPen(QPen(QColor(140, 146, 156), 1.2));
        p.drawPath(path);
    }
    p.restore();
}
