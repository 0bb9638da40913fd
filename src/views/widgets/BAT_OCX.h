#pragma once

#include <QColor>
#include <QTimer>
#include <QWidget>

class QPainter;

// The battery gauge of a station (`BAT_OCX`): 1 to 12 notches in a two-colour gradient,
// a caption, a background colour (the station's link colour) and two animations, scrolling
// (the notches fill up one after the other) and blinking, run by one timer whose interval
// is `TimerBatteria` (0 stops it).
class BAT_OCX : public QWidget {
    Q_OBJECT
public:
    static constexpr int kNotches = 12;

    explicit BAT_OCX(QWidget* parent = nullptr);

    int LivelloBatteria() const { return level_; }
    // Clamped to 1..12.
    void setLivelloBatteria(int level);
    QColor ColorBegin() const { return begin_; }
    QColor ColorEnd() const { return end_; }
    void setColors(const QColor& begin, const QColor& end);
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    QColor backColor() const { return back_; }
    void setBackColor(const QColor& colour);

    int TimerBatteria() const { return timer_.isActive() ? timer_.interval() : 0; }
    void setTimerBatteria(int intervalMs);
    bool ScorrimentoBatteria() const { return scrolling_; }
    void setScorrimentoBatteria(bool on);
    bool LampeggioBatteria() const { return blinking_; }
    void setLampeggioBatteria(bool on);
    // Turns every animation off at once (what a new reading does).
    void stopAnimations();

    // Notches painted right now (differs from the level while an animation runs).
    int shownNotches() const;

    QSize sizeHint() const override { return QSize(56, 22); }
    QSize minimumSizeHint() const override { return QSize(30, 12); }

    // Paints a gauge of `shown` notches and its caption into area, over what is already there:
    // the grid's delegate and the control draw it the same way.
    static void paintGauge(QPainter& p, const QRectF& area, const QFont& font, int shown,
                           const QColor& begin, const QColor& end, const QString& caption);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void tick();

    int level_ = kNotches;
    QColor begin_{128, 255, 128};
    QColor end_{0, 255, 0};
    QColor back_;
    QString caption_;
    QTimer timer_;
    bool scrolling_ = false;
    bool blinking_ = false;
    int phase_ = 0;
};
