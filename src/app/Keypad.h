#pragma once

#include <QString>
#include <QtGlobal>

// What a key press or an on-screen button asks the numeric keypad to do.
enum class KeypadKey { None, Digit, Point, Sign, Back, Clear, Unit0, Unit1, Cancel };

struct KeypadAction {
    KeypadKey key = KeypadKey::None;
    int digit = 0; // 0..9 for KeypadKey::Digit
    bool operator==(const KeypadAction&) const = default;
};

// The numeric keypad without its window: the number being entered, the decimal-entry and
// cancel flags, and the unit buttons of its mode that confirm the number in the caller's unit.
//
// Modes: 0 kHz/MHz (result in MHz), 1 ms/s (result in ms), 2 dB(µV), 3 dB, 4 a plain
// number, 5 V/m, 6 A/m.
class Keypad {
public:
    static constexpr double Cancelled = -1.0;

    explicit Keypad(int mode = 4);

    int KeypadMode() const { return mode_; }
    // The display ("LBValNum"): digits with a "." after the integer part; "0." when empty.
    const QString& display() const { return display_; }
    bool decimalEntry() const { return decimal_; }
    // Set from opening until a unit button confirms a number.
    bool cancelFlag() const { return cancel_; }
    // Closed by a unit button or by cancel.
    bool finished() const { return finished_; }
    // The value handed back; Cancelled (-1.0) after a cancel, and, as the callers cannot tell
    // them apart, also when -1 itself was confirmed.
    double KeypadResult() const { return result_; }

    // Caption of unit button i (0 or 1) in a mode; empty when the mode has no such button.
    static QString unitCaption(int mode, int i);

    void digit(int d);
    void point();
    void sign();
    void back();
    void clear();
    void unit(int i);
    void cancel();
    void apply(const KeypadAction& action);

private:
    int mode_;
    QString display_ = QStringLiteral("0.");
    bool decimal_ = false;
    bool cancel_ = true;
    bool finished_ = false;
    double result_ = Cancelled;
};

// The keyboard of the keypad window: which keypad action a key press stands for in a mode.
// `key` is a Qt::Key value; `onKeypad` tells the numeric keypad's keys (Qt::KeypadModifier)
// from the main keyboard's, so that its decimal key counts whether the layout sends "." or ",".
KeypadAction keypadKeyAction(int mode, int key, bool onKeypad);
