#pragma once

#include <QColor>
#include <QWidget>

class QPainter;

// The check picture of a station row (`PictChk`): picture 2 is the ticked box, picture 1
// the empty one. It lies over the "Enabled" cell and takes the row's link colour as its
// background.
class PictChk : public QWidget {
    Q_OBJECT
public:
    explicit PictChk(int index, QWidget* parent = nullptr);

    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }
    int picture() const { return picture_; }
    void setPicture(int picture);
    QColor backColor() const { return back_; }
    void setBackColor(const QColor& colour);

    QSize sizeHint() const override { return QSize(40, 22); }

signals:
    void pressed(int index, Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;

public:
    // Paints a picture centred in area, over what is already there: the grid's delegate and
    // the control draw it the same way.
    static void paintPicture(QPainter& p, const QRectF& area, int picture);

private:
    int index_;
    int picture_ = 1;
    QColor back_{255, 255, 255};
};
