#pragma once

#include <QColor>
#include <QPushButton>
#include <QWidget>

// A styled label (`LB_OCX`): a text on a gradient face. The style index follows the label
// styles of the appearance dialog: 0 Round Flat, 1 Round Shaded, 2 Rect Raised Shaded,
// 3 Rect Embedded Shaded, 4 Round Concentric, 5 Rect Raised Concentric, 6 Rect Embedded
// Concentric, 7 Rect Raised, 8 Rect Embedded. A CR or LF in the caption breaks the line.
class LB_OCX : public QWidget {
    Q_OBJECT
public:
    explicit LB_OCX(QWidget* parent = nullptr);
    LB_OCX(const QString& caption, QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& text);
    int style() const { return style_; }
    void setStyle(int style);
    int scheme() const { return scheme_; }
    void setScheme(int scheme);
    QColor colorBegin() const { return begin_; }
    QColor colorEnd() const { return end_; }
    void setColors(const QColor& begin, const QColor& end);
    void setTextColor(const QColor& colour);
    void setAlignment(Qt::Alignment a);
    void setClickable(bool on) { clickable_ = on; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QString caption_;
    int style_ = 1;
    int scheme_ = 0;
    QColor begin_{192, 192, 192};
    QColor end_{255, 255, 255};
    QColor text_{20, 20, 20};
    Qt::Alignment align_ = Qt::AlignCenter;
    bool clickable_ = false;
};

// A styled command button (the XP button of the window toolkit): style 0 "XP" paints a
// rounded gradient from the start to the end colour, style 1 "Classic" a flat raised face in
// the start colour.
class XPButton : public QPushButton {
    Q_OBJECT
public:
    explicit XPButton(const QString& text = QString(), QWidget* parent = nullptr);

    int buttonStyle() const { return style_; }
    void setButtonStyle(int style);
    void setColorScheme(int scheme) { scheme_ = scheme; }
    QColor colorBegin() const { return begin_; }
    QColor colorEnd() const { return end_; }
    void setColors(const QColor& begin, const QColor& end);
    // An accent colour for the command the operator is most likely to want next (Start).
    void setAccent(const QColor& accent);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    int style_ = 0;
    int scheme_ = 1;
    QColor begin_{255, 255, 255};
    QColor end_{225, 228, 234};
    QColor accent_;
    bool hover_ = false;
};

// A frame with a caption that groups controls. Style 0 is a rounded card, style 1 an etched
// classic group box. Child layouts go inside the contents margins.
class XPFrame : public QWidget {
    Q_OBJECT
public:
    explicit XPFrame(const QString& caption = QString(), QWidget* parent = nullptr);

    QString caption() const { return caption_; }
    void setCaption(const QString& text);
    void setFrameStyleIndex(int style);
    int frameStyleIndex() const { return style_; }
    // Keeps the title band when the caption is empty, so changing captions never move the
    // contents (the wait frames' captions come and go).
    void setKeepTitleSpace(bool on);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void updateMargins();
    int titleHeight() const;
    QString caption_;
    int style_ = 0;
    bool keepTitle_ = false;
};
