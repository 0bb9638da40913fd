#include "measure/FieldData.h"
#include "measure/FieldLogSelection.h"
#include "measure/NumberFormat.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
RunSettings eOnly(int detector) {
    RunSettings s;
    s.listModeFields = {true, false, false};
    s.detectorIndex = detector;
    return s;
}

// One reading of every component in the order the selection lists them.
void read(LetturaFreq& r, const RunSettings& s, std::vector<float> values, bool accumulate) {
    const FieldSelection f = FieldSelection::from(s);
    for (int i = 0; i < int(values.size()); ++i)
        storeComponent(r, f, i, values[size_t(i)]);
    updateAccumulators(r, f, s.detectorIndex == 1, accumulate);
}

struct FieldTexts {
    QString e, h;
};
// The record's fields as the grid shows them.
FieldTexts texts(const LetturaFreq& r, qint32 count, bool instantaneous, const RunSettings& s) {
    const FieldSelection f = FieldSelection::from(s);
    const EvaluatedFields v = evaluateFields(r, count, instantaneous, s);
    return {f.e ? fieldText(v.e) : QString(), f.h() ? fieldText(v.h) : QString()};
}

} // namespace

TEST(FieldEvaluation, SumsRestartAtPeriodStartAndCountPerRow) {
    const RunSettings s = eOnly(0);
    LetturaFreq r;
    read(r, s, {3, 4, 0}, false);
    read(r, s, {3, 4, 0}, true);
    // A new period: the accumulate flag is false, the old sums are dropped.
    read(r, s, {0, 0, 2}, false);
    EXPECT_EQ(r.NumSomme, 1);
    EXPECT_FLOAT_EQ(r.SomCampoE, 2.0f);
    // The instantaneous value is the last magnitude read.
    read(r, s, {0, 0, 1}, true);
    EXPECT_EQ(texts(r, 2, true, s).e, QStringLiteral("1.0000  "));
    // A row never read has no readings and never divides by zero.
    LetturaFreq empty;
    EXPECT_EQ(texts(empty, empty.NumSomme, false, s).e, QStringLiteral("0.0000  "));
}

TEST(FieldEvaluation, HOnlyUsesHComponentsAndBothFieldsKeepTheirOwn) {
    RunSettings s;
    s.listModeFields = {false, false, true};
    LetturaFreq r;
    read(r, s, {0.03f, 0.04f, 0.0f}, false);
    EXPECT_FLOAT_EQ(r.Ex, 0.0f);
    EXPECT_EQ(texts(r, 1, false, s).h, QStringLiteral("0.0500  "));

    s.listModeFields = {true, true, false};
    LetturaFreq r2;
    read(r2, s, {1, 0, 0, 0, 0.2f, 0, 99.0f}, false); // the seventh is outside the list: nowhere
    const FieldTexts t = texts(r2, 1, false, s);
    EXPECT_EQ(t.e, QStringLiteral("1.0000  "));
    EXPECT_EQ(t.h, QStringLiteral("0.2000  "));
    EXPECT_FLOAT_EQ(r2.HyQ, 0.04f);
}

TEST(FieldEvaluation, ThresholdMarkOnlyWhenSpectrumModeFollowsTheThreshold) {
    RunSettings s = eOnly(0);
    s.spectrumModeOn = true;
    s.spectrumRateOn = false;
    s.thresholdE = 3.0f;
    LetturaFreq r;
    read(r, s, {3, 0, 0}, false);
    EXPECT_EQ(texts(r, 1, false, s).e, QStringLiteral("3.0000* ")); // equal is reached
    EXPECT_EQ(ImpostaColorCell(evaluateFields(r, 1, false, s).e), kMarkedCellColour);
    EXPECT_FALSE(reachesThreshold(2.9999f, 3.0f, s));

    s.spectrumRateOn = true; // fixed-rate sweeps: nothing is ever marked
    EXPECT_FALSE(reachesThreshold(1e9f, 3.0f, s));
    s.spectrumRateOn = false;
    s.spectrumModeOn = false;
    EXPECT_FALSE(reachesThreshold(1e9f, 3.0f, s));
    EXPECT_EQ(ImpostaColorCell(EvaluatedField{1.0f, false}), kPlainCellColour);
}

TEST(ComponentLists, OrderAndRangeBytesBySelection) {
    RunSettings s;
    s.listModeFields = {true, true, true}; // both H modes: Mode A is read
    const auto list = componentsFor(FieldSelection::from(s));
    ASSERT_EQ(list.size(), 6u);
    const char* names[] = {"Ex", "Ey", "Ez", "Hx", "Hy", "Hz"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(list[i].name, QLatin1String(names[i]));
        EXPECT_EQ(list[i].command, QByteArray("#00~C") + char(i + 1) + char(i < 3 ? 0 : 128) + '*');
    }
    s.listModeFields = {false, false, true};
    const auto modeB = componentsFor(FieldSelection::from(s));
    ASSERT_EQ(modeB.size(), 3u);
    EXPECT_EQ(modeB[0].command, QByteArray("#00~C\x04\x00*", 8));
    s.listModeFields = {false, false, false};
    EXPECT_TRUE(componentsFor(FieldSelection::from(s)).empty());
}

TEST(NumberColumns, AlignOnDecimalPoint) {
    EXPECT_EQ(FormattaSTConSpazi(QStringLiteral("12.5"), 3, 4), QStringLiteral(" 12.5     "));
    NumberColumns c;
    c.TrovaCMaxIntDec(0.1, false);
    c.TrovaCMaxIntDec(1.5, true);
    c.TrovaCMaxIntDec(27.12, true);
    EXPECT_EQ(c.maxIntDigits(), 2);
    EXPECT_EQ(c.maxDecDigits(), 2);
    c.TrovaCMaxIntDec(3, false); // a fresh column
    EXPECT_EQ(c.maxIntDigits(), 1);
    EXPECT_EQ(c.maxDecDigits(), 0);
    EXPECT_EQ(ForSTPerReport(QStringLiteral("0.1"), true, 2, 2, QStringLiteral(";")),
              QStringLiteral(" 0.1           ;"));
    EXPECT_EQ(ForSTPerReport(QStringLiteral("27.12"), true, 2, 2, QStringLiteral(";")),
              QStringLiteral("27.12          ;"));
    // A value wider than its column is never cut.
    EXPECT_EQ(FormattaSTConSpazi(QStringLiteral("12345.6789"), 3, 4),
              QStringLiteral("12345.6789  "));
    EXPECT_EQ(shortestText(0.009), QStringLiteral("0.009"));
    EXPECT_EQ(shortestText(30.0), QStringLiteral("30"));
    EXPECT_EQ(fourDecimals(3.60555), QStringLiteral("3.6056"));
}

TEST(CompleteData, CountsValidRowsInUseOnly) {
    TableRows table{};
    table[0].frequency = 1.0;
    table[5].frequency = 2.0;
    DatiCentralina d;
    d.rows[0].DatoValido = true;
    d.rows[3].DatoValido = true; // row not in use
    EXPECT_EQ(countRowsInUse(table), 2);
    EXPECT_EQ(ControllaDatiCompleti(d, table), 1);
    d.rows[5].DatoValido = true;
    EXPECT_EQ(ControllaDatiCompleti(d, table), 2);
}

TEST(FieldLogSelection, SegnaFieldRules) {
    const struct {
        const char* commandLine;
        const char* name;
        double frequency;
        int mark;
    } cases[] = {
        {"/CIST", "EX", 1.0, 0},
        {"/SEGNAFIELD\\", "HZ", 1.0, 1},
        {"/SEGNAFIELDEX,EY\\", "EX", 1.0, 1},
        {"/SEGNAFIELDEX,EY\\", "EZ", 1.0, 0},
        {"/SEGNAFIELDEX=27.12\\", "EX", 27.12, 2},
        {"/SEGNAFIELDEX=27.12\\", "EX", 1.5, 0},
        // A "\" earlier on the line (a path) does not end the selection before it starts.
        {"C:\\x /SEGNAFIELDHX", "HX", 1.0, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldLogSelection(QString::fromLatin1(c.commandLine))
                      .DeterminaFieldDaSegnare(QString::fromLatin1(c.name), c.frequency),
                  c.mark)
            << c.commandLine << " " << c.name << " " << c.frequency;
}
