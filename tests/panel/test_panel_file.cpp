#include "app/AppContext.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"
#include "panel/SettingsFile.h"
#include "support/TestSupport.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <limits>

namespace {
constexpr int SettingsBlock = 16512;

// A panel with something in every kind of field, reserved regions included.
PanelRecord busyPanel() {
    PanelRecord p;
    for (int i = 0; i < 16; ++i) {
        StationRecord& s = p.Stations[size_t(i)];
        s.Comm = qint16(i + 1);
        s.setSerialNumber(QStringLiteral("SN%1").arg(i));
        s.setComment(QStringLiteral("comment %1").arg(i));
        s.Enabled = i % 2 ? -1 : 0;
        s.Reserved16[size_t(i)] = qint16(-i - 1);
        s.Reserved32[100] = 0xDEADBEEF - quint32(i);
        s.ReservedTexts.setText(size_t(i * 6), QByteArray("carried ") + QByteArray::number(i));
    }
    p.SortByDate = -1;
    p.ListModeOn = 1;
    p.ListModeRate = 15;
    p.SpectrumModeRateIndex = 7;
    p.ListModeFields = {1, 1, 0};
    p.SpectrumModeThresholds = {12.5f, 0.25f};
    p.setFreqTableName("Table One");
    p.SeparatorIndex = 2;
    p.SaveImage = {1, 0};
    p.ImageQuality = 55;
    for (int i = 0; i < 21; ++i)
        p.Colors[size_t(i)] = 0x010203 * i;
    p.SpectrumStartFrequency = 0.5f;
    p.SpectrumStopFrequency = 2.5f;
    p.SpectrumRBWIndex = 3;
    p.LayoutVersionFlag = 1;
    p.Reserved16[98] = 77;
    p.Reserved32[0] = 0xFFFFFFFF;
    p.ReservedTexts.setText(100, QByteArray(300, 'r'));
    return p;
}

qint16 int16At(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<qint16>(b.constData() + at);
}

// Every field that the load checks look after is back in its range.
void expectInRange(const PanelRecord& p) {
    const auto in = [](double v, double lo, double hi) { return v >= lo && v <= hi; };
    for (const StationRecord& s : p.Stations)
        EXPECT_TRUE(in(s.Comm, 0, 99) && (s.Enabled == 0 || s.Enabled == -1));
    for (const int flag :
         {p.ListModeOn, p.SpectrumModeOn, p.SpectrumRateOn, p.ShowThreshold, p.DetectorIndex,
          p.ListModeFields[0], p.ListModeFields[1], p.ListModeFields[2], p.SpectrumModeFields[0],
          p.SpectrumModeFields[1], qint16(-p.SortByDate)})
        EXPECT_TRUE(flag == 0 || flag == 1);
    EXPECT_TRUE(p.ListModeOn || p.SpectrumModeOn);
    EXPECT_TRUE(in(p.TableEditorRBWIndex, 0, 5) && in(p.SpectrumRBWIndex, 0, 5));
    EXPECT_TRUE(in(p.ListModeRate, 1, 1440) && in(p.SpectrumModeRateIndex, 0, 10));
    EXPECT_TRUE(in(p.SpectrumModeThresholds[0], 0.02f, 1000.0f));
    EXPECT_TRUE(in(p.SpectrumModeThresholds[1], 0.006f, 300.0f));
    EXPECT_TRUE(in(p.SeparatorIndex, 0, 2) && in(p.ImageQuality, 10, 100));
    EXPECT_TRUE(in(p.ScanExtensionIndex, 0, 3));
    const float u = float(spanUpperLimit(p.ListModeFields));
    EXPECT_TRUE(in(p.SpectrumStartFrequency, 0.009f, u) && in(p.SpectrumStopFrequency, 0.009f, u));
    EXPECT_LT(p.SpectrumStartFrequency, p.SpectrumStopFrequency);
}

// An application directory that is a plain file: every write the checks make (the upgrade
// copy) fails at once, which must not matter to them.
struct Context {
    Context() { writeAll(app.file("blocked"), "x"); }
    TempAppDir app;
    VirtualClock clock;
    VirtualPump pump{clock};
    AppContext ctx{app.file("blocked/"), QString(), clock, pump};
};
} // namespace

TEST(PanelFileLayout, EmptyPanelIs17662BytesWithSlotsAndSettingsAtFixedOffsets) {
    PanelRecord p;
    p.Stations[2].Comm = 7;
    p.Stations[15].Enabled = -1;
    p.ListModeRate = 1234;
    p.SpectrumStopFrequency = 30.0f;
    p.LayoutVersionFlag = 1;
    const QByteArray b = PanelFile::toBytes(p);
    ASSERT_EQ(b.size(), PanelFile::EmptyFileBytes);
    EXPECT_EQ(int16At(b, 2 * 1032), 7);
    EXPECT_EQ(int16At(b, 15 * 1032 + 222), -1);
    EXPECT_EQ(int16At(b, SettingsBlock + 8), 1234);
    EXPECT_EQ(qFromLittleEndian<quint32>(b.constData() + SettingsBlock + 332), 0x41F00000u);
    EXPECT_EQ(int16At(b, SettingsBlock + 344), 1);
}

TEST(PanelFileLayout, SavedAndReadBackIsIdenticalByteForByte) {
    const PanelRecord p = busyPanel();
    const QByteArray b = PanelFile::toBytes(p);
    const PanelRecord back = PanelFile::fromBytes(b);
    EXPECT_EQ(back, p);
    EXPECT_EQ(PanelFile::toBytes(back), b);

    TempAppDir app;
    ASSERT_TRUE(PanelFile::write(app.file("Panels/busy.EST"), p));
    EXPECT_EQ(readAll(app.file("Panels/busy.EST")), b);
    PanelRecord read;
    ASSERT_TRUE(PanelFile::read(app.file("Panels/busy.EST"), read));
    EXPECT_EQ(read, p);
    EXPECT_FALSE(PanelFile::read(app.file("Panels/none.EST"), read));
}

TEST(PanelFileLayout, CountedTextInTheFirstSlotMovesEveryLaterField) {
    PanelRecord p;
    p.Stations[0].ReservedTexts.setText(0, "hello");
    p.Stations[1].Comm = 42;
    p.ListModeRate = 99;
    p.ReservedTexts.setText(100, "end");
    const QByteArray b = PanelFile::toBytes(p);
    ASSERT_EQ(b.size(), 17662 + 5 + 3);
    EXPECT_EQ(int16At(b, 830), 5);
    EXPECT_EQ(b.mid(832, 5), "hello");
    EXPECT_EQ(int16At(b, 1032 + 5), 42);
    EXPECT_EQ(int16At(b, SettingsBlock + 5 + 8), 99);
    EXPECT_EQ(b.right(3), "end");
    EXPECT_EQ(PanelFile::fromBytes(b), p);
}

TEST(PanelFileHostile, CountedLengthsRunningPastTheEndAreBoundedByTheData) {
    QByteArray b = PanelFile::toBytes(PanelRecord{});
    qToLittleEndian<quint16>(0xFFFF, b.data() + 830); // first counted text claims 65535 bytes
    const PanelRecord p = PanelFile::fromBytes(b);
    EXPECT_EQ(p.Stations[0].ReservedTexts.text(0).size(), b.size() - 832);
    for (size_t i = 1; i < 101; ++i)
        EXPECT_TRUE(p.Stations[0].ReservedTexts.text(i).isEmpty());
}

TEST(PanelFileHostile, TruncatedAndNonFiniteFilesComeBackInRange) {
    Context c;
    const QByteArray full = PanelFile::toBytes(busyPanel());
    // Every truncation, then validation.
    for (int n = 0; n <= full.size(); ++n) {
        PanelRecord p = PanelFile::fromBytes(full.left(n));
        ValidatePanel(p, c.ctx);
        expectInRange(p);
        if (HasFailure()) {
            ADD_FAILURE() << "truncated at " << n;
            return;
        }
    }
    const float specials[] = {std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              -std::numeric_limits<float>::infinity(), -5.0f, 1e30f};
    for (float v : specials) {
        PanelRecord p = busyPanel();
        p.SpectrumModeThresholds = {v, v};
        p.SpectrumStartFrequency = v;
        p.SpectrumStopFrequency = v;
        ValidatePanel(p, c.ctx);
        expectInRange(p);
    }
}

TEST(PanelFileHostile, SettingsRecordsCutAtEveryLengthComeBackValid) {
    SettingsRecord r = SettingsDefaults();
    r.ButtonStyle = 1;
    r.LabelStyle = -3;
    r.CurrentPanelName = QStringLiteral("../../outside.EST");
    const QByteArray full = settingsToBytes(r);
    for (int n = 0; n <= full.size(); ++n) {
        SettingsRecord s = settingsFromBytes(full.left(n));
        ValidateSettings(s);
        ASSERT_TRUE(s.ButtonStyle >= 0 && s.ButtonStyle <= 1) << n;
        ASSERT_TRUE(s.LabelStyle >= 0 && s.LabelStyle <= 8) << n;
        ASSERT_LE(s.CurrentPanelName.size(), 200) << n;
    }
}
