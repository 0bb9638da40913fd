#include "spectrum/SpectrumData.h"
#include "spectrum/SpectrumUnits.h"

#include "app/Switches.h"

#include <cmath>
#include <gtest/gtest.h>

TEST(SpectrumUnits, ConversionsFullScaleAndLevelTexts) {
    // (A/m to µT and V/m to W/m2 are checked through the boxes and the grid labels.)
    EXPECT_NEAR(ConvUnit(1.0f, 12), 377.0f, 1e-3f);
    EXPECT_FLOAT_EQ(ConvUnit(3.0f, 99), 3.0f);
    EXPECT_FLOAT_EQ(fullScaleRefLevel(200.0f, 1), 194.0954f);
    EXPECT_FLOAT_EQ(fullScaleRefLevel(300.0f, 11), 282.19254f);
    EXPECT_FLOAT_EQ(fullScaleRefLevel(7.0f, 12), 0.0f);
    EXPECT_FLOAT_EQ(fullScaleRefLevel(300.0f, 13), 400.0f);
    EXPECT_TRUE(std::isnan(GetdBm(0.0)));
    EXPECT_EQ(Log10(-1.0), 0.0);
    EXPECT_EQ(unitCaption(13).toLatin1(), QByteArray("\xB5T"));

    const struct {
        float level;
        int unit;
        const char* text;
    } cases[] = {
        {12.34567f, 0, "12.345"}, {12345.6f, 0, " 12345"},     {10.0f, 13, "12.566"},
        {0.0f, 0, "0.0000"},      {123456.7f, 0, "123456"},    {999999.99f, 0, "1000000"},
        {2.5e7f, 10, "25000000"}, {1234567.75f, 0, "1234568"}, {NAN, 0, "0.0000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(levelText(c.level, c.unit), QString::fromLatin1(c.text)) << c.level;
    EXPECT_EQ(RemoveRightZero(QStringLiteral("3.000")), "3");
    EXPECT_EQ(RemoveRightZero(QStringLiteral("0.500")), "0.5");
    EXPECT_EQ(RemoveRightZero(QStringLiteral("100")), "100");
    EXPECT_EQ(shortestText(0.1f), "0.1");
    EXPECT_EQ(shortestText(29.95f), "29.95");
    EXPECT_EQ(shortestText(0.00005f), "0.00005");
    EXPECT_EQ(fixedText(-0.00001, 4), "0.0000");
}

// (The whole-Hz step and the 4001-point axis are checked through the acquisition.)
TEST(SpectrumAxis, EmptyRangeFieldTypesAndWideBand) {
    SpectrumData d;
    SweepSettings s;
    s.setRange(5.0f, 5.0f);
    EXPECT_FALSE(buildFrequencyAxis(s, d));
    EXPECT_EQ(d.NPoints, 0);

    const Switches plain(QString{}), noLimit(QStringLiteral("/NOLIMIT"));
    EXPECT_FLOAT_EQ(fieldTypeSetup(2, plain).minUsableFreq, 0.3f);
    EXPECT_FLOAT_EQ(fieldTypeSetup(1, plain).upperLimit, 3.0f);
    EXPECT_FLOAT_EQ(fieldTypeSetup(1, noLimit).upperLimit, 30.0f);
    EXPECT_EQ(fieldTypeSetup(1, plain).filePrefix, "H_");
    d.SumSquares = 16.0f;
    d.PeakLevel = 3.0f;
    d.latch();
    EXPECT_FLOAT_EQ(d.wideBand(3), 3.0f); // never below the latched peak
    d.PeakLevel = 1.0f;
    d.latch();
    EXPECT_FLOAT_EQ(d.wideBand(0), 2.0f);
}
