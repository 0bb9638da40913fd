#include "app/Switches.h"
#include "app/ValueLists.h"

#include <gtest/gtest.h>

TEST(Switches, EachSwitchIsACaseSensitiveSubstringOfTheWholeLine) {
    EXPECT_FALSE(Switches(QStringLiteral("halvex /segnatutto")).segnaTutto());
    EXPECT_FALSE(Switches(QStringLiteral("/SegnaTutto")).segnaTutto());
    EXPECT_TRUE(Switches(QStringLiteral("x /SEGNATUTTO y")).segnaTutto());

    const Switches glued(QStringLiteral("/ICONE/SEGNATUTTO"));
    EXPECT_TRUE(glued.has(QStringLiteral("/ICONE")));
    EXPECT_TRUE(glued.segnaTutto());

    const Switches rbw(QStringLiteral("/NOLIMITRBW"));
    EXPECT_TRUE(rbw.noLimitRbw());
    EXPECT_TRUE(rbw.noLimit()); // the longer switch holds the shorter one
    EXPECT_EQ(minUsableFrequency(2, rbw), 0.0);

    const Switches plain(QStringLiteral("/NOLIMIT"));
    EXPECT_TRUE(plain.noLimit());
    EXPECT_FALSE(plain.noLimitRbw());

    EXPECT_EQ(Switches(QStringLiteral("/CIST")).detCIst(), -1);
    EXPECT_EQ(Switches(QStringLiteral("/cist")).detCIst(), 0);
    EXPECT_TRUE(Switches(QStringLiteral("/LOGDLC")).logDlc());
    EXPECT_FALSE(Switches().segnaTutto());
}

TEST(Switches, ValueNeedsAClosingSlashAfterTheSwitch) {
    const Switches s(QStringLiteral("/RATEHOURS=2,5/DELAYSC=3"));
    EXPECT_EQ(s.value(QStringLiteral("/RATEHOURS=")), QStringLiteral("2.5"));
    // The "/" that closes the value must come after the switch, not before it.
    EXPECT_TRUE(s.value(QStringLiteral("/DELAYSC=")).isNull());
    EXPECT_TRUE(s.value(QStringLiteral("/CIST=")).isNull());
    EXPECT_EQ(Switches(QStringLiteral("/RATEHOURS=/")).value(QStringLiteral("/RATEHOURS=")),
              QString(""));
}

TEST(Switches, RateHours) {
    const std::pair<const char*, int> cases[] = {
        {"", -1},
        {"/RATEHOURS=5", -1}, // no closing slash: absent
        {"/RATEHOURS=5/", 5},
        {"/RATEHOURS=5000/", 1440}, // clamped
        {"/RATEHOURS=0/", 1},
        {"/RATEHOURS=-7/", 1},
        {"/RATEHOURS=2.5/", 2}, // halves to even
        {"/RATEHOURS=3,5/", 4},
        {"/RATEHOURS=2,6/", 3},
        {"/RATEHOURS=abc/", -1},
        {"/RATEHOURS=/", -1},
        {"/RATEHOURS=12abc/", -1}, // the whole value must be a number
        {"/RATEHOURS=32767/", 1440},
        {"/RATEHOURS=32768/", -1}, // does not fit 16 bits
        {"/RATEHOURS=-32769/", -1},
        {"/RATEHOURS=99999999999999999999/", -1},
        {"/RATEHOURS=32767.5/", -1}, // rounds to 32768
        {"/RATEHOURS=nan/", -1},
        {"/RATEHOURS=inf/", -1},
        {"/ratehours=5/", -1},
        {"/ICONE/RATEHOURS=24//SEGNATUTTO", 24},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(Switches(QString::fromLatin1(line)).rateHours(), expected) << line;
}

TEST(Switches, DelaySc) {
    const std::pair<const char*, int> cases[] = {
        {"", 0},
        {"/DELAYSC=5", 0},    // no closing slash: absent
        {"/DELAYSC=0,4/", 1}, // clamped up before rounding
        {"/DELAYSC=2,5/", 2},
        {"/DELAYSC=3,5/", 4},
        {"/DELAYSC=2,6/", 3},
        {"/DELAYSC=90/", 60},
        {"/DELAYSC=60,4/", 60},
        {"/DELAYSC=abc/", 1},
        {"/DELAYSC=/", 1},
        {"/DELAYSC=-4/", 1},
        {"/DELAYSC=7s/", 7}, // read up to the first character that is no number
        {"/DELAYSC=1e1/", 10},
        {"/DELAYSC=1e999/", 1},
        {"/DELAYSC=nan/", 1},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(Switches(QString::fromLatin1(line)).delaySc(), expected) << line;
}

TEST(Switches, LeadingNumberAndRounding) {
    bool ok = false;
    EXPECT_DOUBLE_EQ(leadingNumber(QStringLiteral("12,5abc"), &ok), 12.5);
    EXPECT_TRUE(ok);
    // Only the first comma is a decimal point.
    for (const auto& [text, value] :
         {std::pair{"1,5,3", 1.5}, {"  -3.25x", -3.25}, {".5", 0.5}, {"2e", 2.0}, {"2e-1", 0.2}})
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromLatin1(text)), value) << text;
    for (const char* bad : {"", "-", ".", "abc", "e5", "+."}) {
        EXPECT_EQ(leadingNumber(QString::fromLatin1(bad), &ok), 0.0) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    for (const auto& [x, rounded] :
         {std::pair{0.5, 0.0}, {1.5, 2.0}, {2.5, 2.0}, {-2.5, -2.0}, {2.51, 3.0}})
        EXPECT_EQ(roundHalfEven(x), rounded) << x;
}
