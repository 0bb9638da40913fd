#include "app/AppContext.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"
#include "support/TestSupport.h"

#include <QFile>

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {
struct Context {
    explicit Context(const QString& commandLine = QString())
        : ctx(app.path(), commandLine, clock, pump) {}
    TempAppDir app;
    VirtualClock clock;
    VirtualPump pump{clock};
    AppContext ctx;
};

// A panel as the program writes it for a fresh start, already upgraded.
PanelRecord freshPanel() {
    PanelRecord p;
    applyNewPanelDefaults(p, Switches());
    p.LayoutVersionFlag = 1;
    return p;
}

PanelRecord validated(PanelRecord p, const AppContext& ctx) {
    ValidatePanel(p, ctx);
    return p;
}

std::pair<float, float> span(float start, float stop, std::array<qint16, 3> fields = {1, 0, 0}) {
    adjustSpan(start, stop, spanUpperLimit(fields));
    return {start, stop};
}
} // namespace

TEST(PanelDefaults, NewPanelFromAZeroRecordEndsUpgradedWithTheWidestRbw) {
    Context c;
    PanelRecord p;
    applyNewPanelDefaults(p, c.ctx.switches);
    EXPECT_EQ(p.SpectrumRBWIndex, 0);  // 30 MHz span: a hundredth is wider than every RBW
    EXPECT_EQ(p.Colors[0], 0xFF0000);  // light blue as 0x00BBGGRR
    EXPECT_EQ(p.Colors[10], 0x0000FF); // light red
    ValidatePanel(p, c.ctx);
    EXPECT_EQ(p.SpectrumModeRateIndex, 6); // "4 hours" after the upgrade
    EXPECT_EQ(p.LayoutVersionFlag, 1);

    // The RBW follows the span: 1 MHz span -> hundredth 0.01 -> 10 kHz (index 3).
    EXPECT_EQ(rbwIndexForSpan(1.0, 2.0), 3);
    EXPECT_EQ(rbwIndexForSpan(1.0, 1.05), 5);
    EXPECT_EQ(rbwIndexForSpan(0.0, 1000.0), 0);
    PanelRecord noLimit;
    applyNewPanelDefaults(noLimit, Switches(QStringLiteral("/NOLIMITRBW")));
    EXPECT_EQ(noLimit.SpectrumRBWIndex, 0);
}

TEST(PanelValidation, OldLayoutIsUpgradedOnceAndCopiedToTmp) {
    Context c;
    PanelRecord p = freshPanel();
    p.LayoutVersionFlag = 0;
    p.SpectrumModeRateIndex = 0;
    ValidatePanel(p, c.ctx);
    EXPECT_EQ(p.SpectrumModeRateIndex, 3);
    EXPECT_EQ(p.LayoutVersionFlag, 1);
    const QByteArray tmp = readAll(c.app.file("Panels/TMP.TMP"));
    ASSERT_EQ(tmp.size(), PanelFile::EmptyFileBytes);
    EXPECT_EQ(PanelFile::fromBytes(tmp).SpectrumModeRateIndex, 3);
    QFile::remove(c.app.file("Panels/TMP.TMP"));
    ValidatePanel(p, c.ctx);
    EXPECT_EQ(p.SpectrumModeRateIndex, 3);
    EXPECT_FALSE(QFile::exists(c.app.file("Panels/TMP.TMP")));
    // An upgraded index past the list is clamped.
    PanelRecord high = freshPanel();
    high.LayoutVersionFlag = 0;
    high.SpectrumModeRateIndex = 9;
    EXPECT_EQ(validated(high, c.ctx).SpectrumModeRateIndex, 10);
}

TEST(PanelValidation, FieldSelectionsModesAndChecks) {
    Context c;
    // List Mode's fields and Spectrum Mode's, before and after. No List Mode field becomes E
    // and H Mode A; with both H modes B is dropped, so Spectrum E goes too; garbage Spectrum
    // fields become both 0, then both 1, then H follows List Mode; E alone, which List Mode
    // does not measure, becomes H, not none. Each result is left alone by a second pass.
    struct Fields {
        std::array<qint16, 3> listIn;
        std::array<qint16, 2> spectrumIn;
        std::array<qint16, 3> listOut;
        std::array<qint16, 2> spectrumOut;
    };
    const Fields fields[] = {{{0, 0, 0}, {1, 1}, {1, 1, 0}, {1, 1}},
                             {{0, 1, 1}, {1, 1}, {0, 1, 0}, {0, 1}},
                             {{1, 0, 0}, {7, -1}, {1, 0, 0}, {1, 0}},
                             {{0, 1, 0}, {1, 0}, {0, 1, 0}, {0, 1}}};
    for (const Fields& f : fields) {
        PanelRecord p = freshPanel();
        p.ListModeFields = f.listIn;
        p.SpectrumModeFields = f.spectrumIn;
        p = validated(p, c.ctx);
        EXPECT_EQ(p.ListModeFields, f.listOut) << f.listIn[0] << f.listIn[1] << f.listIn[2];
        EXPECT_EQ(p.SpectrumModeFields, f.spectrumOut) << f.listIn[0] << f.listIn[1] << f.listIn[2];
        EXPECT_EQ(validated(p, c.ctx), p);
    }

    PanelRecord p = freshPanel();
    p.ListModeOn = 5;
    p.SpectrumModeOn = 0;
    p.SpectrumRateOn = 0;
    p = validated(p, c.ctx);
    EXPECT_EQ(p.ListModeOn, 1);
    EXPECT_EQ(p.SpectrumModeOn, 1);
    EXPECT_EQ(p.SpectrumRateOn, 0);

    p = freshPanel();
    p.ListModeOn = 0;
    p.SpectrumRateOn = 0;
    p = validated(p, c.ctx);
    EXPECT_EQ(p.SpectrumRateOn, 1); // no List Mode, no threshold trigger

    p = freshPanel();
    p.Stations[0].Comm = 150;
    p.Stations[1].Comm = -4;
    p.Stations[2].Comm = 3;
    p.Stations[2].Enabled = 1;
    p.ListModeRate = -32768;
    p.TableEditorRBWIndex = -3;
    p.SortByDate = 2;
    p.SaveImage = {1, 1};
    p.ImageQuality = -40000;
    p.ScanExtensionIndex = -2;
    p.ShowThreshold = 9;
    p.DetectorIndex = -1;
    p.SeparatorIndex = -7;
    p = validated(p, c.ctx);
    EXPECT_EQ(p.Stations[0].Comm, 99);
    EXPECT_EQ(p.Stations[1].Comm, 3); // the empty slot (from -4) was closed up
    EXPECT_EQ(p.Stations[1].Enabled, 0);
    EXPECT_EQ(p.Stations[2].Comm, 0);
    EXPECT_EQ(p.ListModeRate, 1);
    EXPECT_EQ(p.TableEditorRBWIndex, 3);
    EXPECT_EQ(p.SortByDate, 0);
    EXPECT_EQ(p.SaveImage, (std::array<qint16, 2>{0, 1}));
    EXPECT_EQ(p.ImageQuality, 100);
    EXPECT_EQ(p.ScanExtensionIndex, 2);
    EXPECT_EQ(p.ShowThreshold, 1);
    EXPECT_EQ(p.DetectorIndex, 1);
    EXPECT_EQ(p.SeparatorIndex, 2);
}

TEST(PanelValidation, StartAndStopPairs) {
    EXPECT_EQ(span(5.0f, 5.0f), std::make_pair(0.009f, 30.0f));
    EXPECT_EQ(span(29.999f, 30.0f), std::make_pair(29.999f, 30.0f));
    EXPECT_EQ(span(10.0f, 10.002f), std::make_pair(10.0f, 10.0f + 0.005f));
    EXPECT_EQ(span(20.0f, 10.0f), std::make_pair(20.0f, 30.0f));
    EXPECT_EQ(span(0.001f, 50.0f), std::make_pair(0.009f, 30.0f));
    // H Mode A alone limits the span to 3 MHz.
    EXPECT_EQ(span(1.0f, 10.0f, {0, 1, 0}), std::make_pair(1.0f, 3.0f));
    // Start at the limit and stop below it: stop is not pushed past the limit.
    EXPECT_EQ(span(30.0f, 10.0f), std::make_pair(0.009f, 10.0f));
    EXPECT_EQ(spanUpperLimit({1, 0, 1}), 30.0);
    EXPECT_EQ(spanUpperLimit({1, 1, 0}), 3.0);
    EXPECT_EQ(spanUpperLimit({0, 1, 1}), 0.0);
}

// Every pair of awkward values, in both orders and under both limits, ends as a span the
// sweep can use: the bottom, the limit, just beside each, far outside, and not a number.
TEST(PanelValidation, EveryStartAndStopEndsAsAUsableSpan) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const float upper : {3.0f, 30.0f}) {
        const float up = std::nextafter(0.009f, 1.0f), below = std::nextafter(upper, 0.0f),
                    beyond = std::nextafter(upper, 100.0f), near = upper - 0.005f,
                    past = upper + 0.004f;
        const float values[] = {nan,    -inf,  inf,    -1.0f,  0.0f,      1e-25f,
                                0.009f, up,    0.012f, 0.014f, 1.0f,      near,
                                below,  upper, beyond, past,   2.846e26f, 3.4e38f};
        for (const float a : values) {
            for (const float b : values) {
                float start = a, stop = b;
                adjustSpan(start, stop, upper);
                EXPECT_TRUE(0.009f <= start && start < stop && stop <= upper)
                    << a << ".." << b << " -> " << start << ".." << stop << " (limit " << upper
                    << ")";
            }
        }
    }
}

// A fuzzing finding: start far above and stop far below the range, no List Mode field.
// The fields become E + H Mode A (limit 3 MHz); start sat at the limit, so it was moved down
// onto stop, leaving start = stop = 0.009.
TEST(PanelValidation, FindingZeroSpanComesBackAsTheWholeRange) {
    Context c;
    const QByteArray bytes = readAll(qEnvironmentVariable("HALVEX_SOURCE_DIR") +
                                     "/tests/fuzz/corpus/panel/panel-zero-span.EST");
    ASSERT_EQ(bytes.size(), 17607);
    const PanelRecord read = PanelFile::fromBytes(bytes);
    ASSERT_GT(read.SpectrumStartFrequency, 1e26f);
    ASSERT_LT(read.SpectrumStopFrequency, 1e-24f);
    const PanelRecord p = validated(read, c.ctx);
    EXPECT_EQ(p.ListModeFields, (std::array<qint16, 3>{1, 1, 0}));
    EXPECT_EQ(p.SpectrumStartFrequency, 0.009f);
    EXPECT_EQ(p.SpectrumStopFrequency, 3.0f);
}

TEST(PanelValidation, MissingTableIsReplacedByTheFirstByNameOrNewest) {
    Context c;
    PanelRecord p = freshPanel();
    p.setFreqTableName("gone");
    EXPECT_EQ(validated(p, c.ctx).freqTableNameText(), "gone"); // no tables: kept

    ASSERT_TRUE(writeAll(c.app.file("Table/b.FTR"), QByteArray(1200, '\0')));
    ASSERT_TRUE(writeAll(c.app.file("Table/A.FTR"), QByteArray(1200, '\0')));
    EXPECT_EQ(validated(p, c.ctx).freqTableNameText(), "A");

    p.setFreqTableName("  B  "); // present under another case: kept, trimmed
    EXPECT_EQ(validated(p, c.ctx).freqTableNameText(), "B");

    QFile b(c.app.file("Table/b.FTR"));
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    b.setFileTime(QDateTime::currentDateTime().addDays(1), QFileDevice::FileModificationTime);
    b.close();
    p.setFreqTableName("gone");
    p.SortByDate = -1;
    EXPECT_EQ(validated(p, c.ctx).freqTableNameText(), "b");

    p.setFreqTableName("../Table/A"); // never a path
    p.SortByDate = 0;
    EXPECT_EQ(validated(p, c.ctx).freqTableNameText(), "A");
}
