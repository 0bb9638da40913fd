#include "app/Keypad.h"

#include <Qt>
#include <gtest/gtest.h>

namespace {
Keypad typed(int mode, const QString& keys) {
    Keypad k(mode);
    for (QChar c : keys) {
        if (c.isDigit())
            k.digit(c.digitValue());
        else if (c == QLatin1Char('.'))
            k.point();
        else if (c == QLatin1Char('-'))
            k.sign();
    }
    return k;
}
} // namespace

TEST(Keypad, UnitButtonsConvertToTheCallersUnit) {
    Keypad mhz = typed(0, QStringLiteral("12.5"));
    EXPECT_EQ(mhz.display(), QStringLiteral("12.5"));
    mhz.unit(1);
    EXPECT_DOUBLE_EQ(mhz.KeypadResult(), 12.5);
    EXPECT_FALSE(mhz.cancelFlag());
    EXPECT_TRUE(mhz.finished());

    Keypad khz = typed(0, QStringLiteral("12.5"));
    khz.unit(0);
    EXPECT_DOUBLE_EQ(khz.KeypadResult(), 0.0125);

    Keypad seconds = typed(1, QStringLiteral("2"));
    EXPECT_EQ(seconds.display(), QStringLiteral("2."));
    seconds.unit(1);
    EXPECT_DOUBLE_EQ(seconds.KeypadResult(), 2000);

    // A mode without a second unit has no second button to press.
    Keypad plain = typed(4, QStringLiteral("7"));
    plain.unit(1);
    EXPECT_FALSE(plain.finished());
    plain.unit(0);
    EXPECT_DOUBLE_EQ(plain.KeypadResult(), 7);

    EXPECT_EQ(Keypad::unitCaption(2, 0), QString::fromUtf8("dB(\u00B5V)"));
    EXPECT_TRUE(Keypad::unitCaption(5, 1).isEmpty());
}

TEST(Keypad, DisplayEditing) {
    Keypad k = typed(4, QStringLiteral("12.5"));
    for (const char* shown : {"12.", "1.", "0.", "0."}) {
        k.back();
        EXPECT_EQ(k.display(), QLatin1String(shown));
        EXPECT_FALSE(k.decimalEntry());
    }

    // A digit on the empty display replaces "0."; after the point it follows it.
    EXPECT_EQ(typed(4, QStringLiteral("5")).display(), QStringLiteral("5."));
    EXPECT_EQ(typed(4, QStringLiteral(".5")).display(), QStringLiteral("0.5"));

    Keypad s = typed(4, QStringLiteral("3.25-"));
    EXPECT_EQ(s.display(), QStringLiteral("-3.25"));
    s.sign();
    EXPECT_EQ(s.display(), QStringLiteral("3.25"));
    s.clear();
    EXPECT_EQ(s.display(), QStringLiteral("0."));
    EXPECT_FALSE(s.decimalEntry());
    s.sign(); // zero has no sign
    EXPECT_EQ(s.display(), QStringLiteral("0."));

    Keypad longNumber = typed(4, QString(40, QLatin1Char('9')));
    EXPECT_LE(longNumber.display().size(), 16);
    longNumber.unit(0);
    EXPECT_GT(longNumber.KeypadResult(), 1e13);
}

TEST(Keypad, CancelAndMinusOneReturnTheCancelMark) {
    Keypad esc = typed(0, QStringLiteral("42"));
    esc.cancel();
    EXPECT_EQ(esc.KeypadResult(), Keypad::Cancelled);
    EXPECT_TRUE(esc.cancelFlag());
    esc.unit(1); // closed: nothing more is taken
    EXPECT_EQ(esc.KeypadResult(), Keypad::Cancelled);

    Keypad minusOne = typed(4, QStringLiteral("1-"));
    minusOne.unit(0);
    EXPECT_EQ(minusOne.KeypadResult(), Keypad::Cancelled);
}

TEST(Keypad, KeyMapModeByMode) {
    using K = KeypadKey;
    // The same in every mode (mode -1). A keypad decimal key that the layout sends as "," is
    // still the point; the main keyboard's comma is not.
    // Mode, key, from the keypad, action.
    const std::tuple<int, int, bool, KeypadKey> rows[] = {
        {-1, Qt::Key_Period, false, K::Point},  {-1, Qt::Key_Period, true, K::Point},
        {-1, Qt::Key_Comma, true, K::Point},    {-1, Qt::Key_Comma, false, K::None},
        {-1, Qt::Key_Delete, false, K::Clear},  {-1, Qt::Key_Backspace, false, K::Back},
        {-1, Qt::Key_Escape, false, K::Cancel}, {0, Qt::Key_K, false, K::Unit0},
        {0, Qt::Key_M, false, K::Unit1},        {0, Qt::Key_Return, false, K::Unit1},
        {0, Qt::Key_Enter, true, K::Unit1},     {0, Qt::Key_S, false, K::None},
        {1, Qt::Key_S, false, K::Unit1},        {1, Qt::Key_M, false, K::Unit0},
        {1, Qt::Key_Return, false, K::Unit0},   {2, Qt::Key_D, false, K::Unit0},
        {2, Qt::Key_Return, false, K::Unit0},   {2, Qt::Key_O, false, K::None},
        {2, Qt::Key_K, false, K::None},         {3, Qt::Key_D, false, K::Unit0},
        {3, Qt::Key_Return, false, K::Unit0},   {3, Qt::Key_O, false, K::None}};
    for (int mode = 0; mode <= 6; ++mode) {
        EXPECT_EQ(keypadKeyAction(mode, Qt::Key_7, false), (KeypadAction{K::Digit, 7}));
        EXPECT_EQ(keypadKeyAction(mode, Qt::Key_0, true), (KeypadAction{K::Digit, 0}));
        for (const auto& [rowMode, key, keypad, expected] : rows) {
            if (rowMode != -1 && rowMode != mode) continue;
            EXPECT_EQ(keypadKeyAction(mode, key, keypad).key, expected)
                << "mode " << mode << " key " << key;
        }
        if (mode < 4) continue;
        // Modes 4 to 6 have one unit, taken by O, W or Enter.
        for (int key : {Qt::Key_O, Qt::Key_W})
            EXPECT_EQ(keypadKeyAction(mode, key, false).key, K::Unit0) << mode;
        EXPECT_EQ(keypadKeyAction(mode, Qt::Key_Enter, true).key, K::Unit0) << mode;
        EXPECT_EQ(keypadKeyAction(mode, Qt::Key_K, false).key, K::None) << mode;
    }
}
