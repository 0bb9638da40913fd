#include "app/Keypad.h"

#include "app/Switches.h"

#include <Qt>

namespace {
// Enough for any number a box of this program accepts, short enough for the display.
constexpr int kMaxDisplay = 16;
const QString kEmpty = QStringLiteral("0.");

bool hasDigit(const QString& s) {
    for (QChar c : s)
        if (c.isDigit()) return true;
    return false;
}
} // namespace

Keypad::Keypad(int mode) : mode_(mode >= 0 && mode <= 6 ? mode : 4) {}

QString Keypad::unitCaption(int mode, int i) {
    static const char* const first[] = {"KHz", "ms", "dB(\u00B5V)", "dB", "OK", "V/m", "A/m"};
    if (mode < 0 || mode > 6) return {};
    if (i == 0) return QString::fromUtf8(first[mode]);
    if (i == 1 && mode == 0) return QStringLiteral("MHz");
    if (i == 1 && mode == 1) return QStringLiteral("s");
    return {};
}

void Keypad::digit(int d) {
    if (finished_ || d < 0 || d > 9) return;
    if (display_ == kEmpty && !decimal_) display_.clear();
    if (display_.size() >= kMaxDisplay) return;
    const QChar c = QChar(u'0' + d);
    if (decimal_)
        display_.append(c);
    else if (display_.isEmpty())
        display_ = QString(c) + QLatin1Char('.');
    else
        display_.insert(display_.size() - 1, c);
}

void Keypad::point() {
    if (!finished_) decimal_ = true;
}

void Keypad::sign() {
    if (finished_) return;
    // The sign goes in front of the text as it stands, so its digits and "." stay as typed.
    if (display_.startsWith(QLatin1Char('-')))
        display_.remove(0, 1);
    else if (leadingNumber(display_) > 0)
        display_.prepend(QLatin1Char('-'));
}

void Keypad::back() {
    if (finished_) return;
    const int dot = int(display_.indexOf(QLatin1Char('.')));
    if (dot < 0) {
        clear();
        return;
    }
    if (dot < display_.size() - 1) {
        display_.chop(1);
        if (display_.endsWith(QLatin1Char('.'))) decimal_ = false;
    } else {
        decimal_ = false;
        if (dot > 0) display_.remove(dot - 1, 1);
    }
    if (!hasDigit(display_)) display_ = kEmpty;
}

void Keypad::clear() {
    if (finished_) return;
    display_ = kEmpty;
    decimal_ = false;
}

void Keypad::unit(int i) {
    if (finished_ || unitCaption(mode_, i).isEmpty()) return;
    double divisor = 1.0;
    if (mode_ == 0 && i == 0) divisor = 1000.0;
    if (mode_ == 1 && i == 1) divisor = 0.001;
    bool ok = false;
    const double v = leadingNumber(display_, &ok);
    result_ = ok ? v / divisor : Cancelled;
    cancel_ = false;
    finished_ = true;
}

void Keypad::cancel() {
    if (finished_) return;
    result_ = Cancelled;
    finished_ = true;
}

void Keypad::apply(const KeypadAction& a) {
    switch (a.key) {
    case KeypadKey::Digit:
        digit(a.digit);
        break;
    case KeypadKey::Point:
        point();
        break;
    case KeypadKey::Sign:
        sign();
        break;
    case KeypadKey::Back:
        back();
        break;
    case KeypadKey::Clear:
        clear();
        break;
    case KeypadKey::Unit0:
        unit(0);
        break;
    case KeypadKey::Unit1:
        unit(1);
        break;
    case KeypadKey::Cancel:
        cancel();
        break;
    case KeypadKey::None:
        break;
    }
}

KeypadAction keypadKeyAction(int mode, int key, bool onKeypad) {
    using K = KeypadKey;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return {K::Digit, key - Qt::Key_0};
    if (key == Qt::Key_Period || (onKeypad && key == Qt::Key_Comma)) return {K::Point};
    switch (key) {
    case Qt::Key_Delete:
        return {K::Clear};
    case Qt::Key_Backspace:
        return {K::Back};
    case Qt::Key_Escape:
        return {K::Cancel};
    default:
        break;
    }
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    switch (mode) {
    case 0:
        if (key == Qt::Key_K) return {K::Unit0};
        if (enter || key == Qt::Key_M) return {K::Unit1};
        break;
    case 1:
        if (key == Qt::Key_S) return {K::Unit1};
        if (enter || key == Qt::Key_M) return {K::Unit0};
        break;
    case 2:
    case 3:
        if (enter || key == Qt::Key_D) return {K::Unit0};
        break;
    case 4:
    case 5:
    case 6:
        if (enter || key == Qt::Key_O || key == Qt::Key_W) return {K::Unit0};
        break;
    default:
        break;
    }
    return {};
}
