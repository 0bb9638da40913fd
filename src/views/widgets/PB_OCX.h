#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

// The progress bar (`PB_OCX`): a range, a value and five colours — 0 bar start, 1 bar end,
// 2 trough, 3 trough edge, 4 text. The run saves and restores the whole state around the
// inter-station delay, so State holds everything that can be changed.
class PB_OCX : public QWidget {
    Q_OBJECT
public:
    struct State {
        int min = 0;
        int max = 100;
        int value = 0;
        QList<QColor> colours;
        bool visible = true;
    };

    explicit PB_OCX(QWidget* parent = nullptr);

    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int value() const { return value_; }
    void setRange(int min, int max);
    // Clamped into the range.
    void setValue(int value);
    QList<QColor> colours() const { return colours_; }
    void setColours(const QList<QColor>& colours);
    void setColour(int index, const QColor& colour);
    void setShowText(bool on);

    State state() const;
    void restore(const State& s);

    QSize sizeHint() const override { return QSize(200, 16); }
    QSize minimumSizeHint() const override { return QSize(40, 10); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int min_ = 0, max_ = 100, value_ = 0;
    bool showText_ = false;
    QList<QColor> colours_;
};
