// Feeds arbitrary bytes to the panel, settings and frequency-table readers and checks that
// what comes out is in range and survives a write/read round trip.
#include "app/AppContext.h"
#include "app/Switches.h"
#include "freqtable/FreqTable.h"
#include "freqtable/FreqTableText.h"
#include "freqtable/RbwCoupling.h"
#include "panel/PanelChecks.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"
#include "panel/RangeCheck.h"
#include "panel/SettingsFile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void check(bool ok) {
    if (!ok) abort();
}

// The application directory of the checks is a plain file, so nothing they try to write
// (the upgrade copy) reaches the disk and the run stays fast.
AppContext& context() {
    static VirtualClock clock;
    static VirtualPump pump(clock);
    static const QString blocked = [] {
        const QString path = QDir::tempPath() + QStringLiteral("/halvex-fuzz-blocked");
        QFile f(path);
        if (f.open(QIODevice::WriteOnly)) f.write("x");
        return path + QStringLiteral("/");
    }();
    static AppContext ctx(blocked, QString(), clock, pump);
    return ctx;
}

void panel(const QByteArray& data) {
    PanelRecord p = PanelFile::fromBytes(data);
    const QByteArray again = PanelFile::toBytes(p);
    check(PanelFile::fromBytes(again) == p || std::isnan(p.SpectrumModeThresholds[0]) ||
          std::isnan(p.SpectrumModeThresholds[1]) || std::isnan(p.SpectrumStartFrequency) ||
          std::isnan(p.SpectrumStopFrequency));
    check(again.size() >= PanelFile::EmptyFileBytes);
    ValidatePanel(p, context());
    for (const StationRecord& s : p.Stations)
        check(s.Comm >= 0 && s.Comm <= 99 && (s.Enabled == 0 || s.Enabled == -1));
    check(p.ListModeRate >= 1 && p.ListModeRate <= 1440);
    check(p.SpectrumModeRateIndex >= 0 && p.SpectrumModeRateIndex <= 10);
    check(p.SpectrumRBWIndex >= 0 && p.SpectrumRBWIndex <= 5);
    check(p.ImageQuality >= 10 && p.ImageQuality <= 100);
    check(p.SeparatorIndex >= 0 && p.SeparatorIndex <= 2);
    check(p.SpectrumStartFrequency < p.SpectrumStopFrequency);
    check(p.SpectrumStopFrequency <= float(spanUpperLimit(p.ListModeFields)));
    check(std::isfinite(p.SpectrumModeThresholds[0]) && std::isfinite(p.SpectrumModeThresholds[1]));
    const PanelChecks c = evaluatePanelChecks(p, nullptr, context().switches);
    check(c.FrequencyTableNotFound);
}

void settings(const QByteArray& data) {
    SettingsRecord r = settingsFromBytes(data);
    ValidateSettings(r);
    check(r.ButtonStyle >= 0 && r.ButtonStyle <= 1);
    check(r.LabelStyle >= 0 && r.LabelStyle <= 8);
    check(r.CurrentPanelName.size() <= 200);
    check(settingsToBytes(r).size() == kSettingsRecordSize);
}

void table(const QByteArray& data) {
    FreqTable t = FreqTable::fromBytes(data);
    for (const FreqTableRow& row : t.rows)
        check(std::isfinite(row.Freq) && row.RbwIndex >= 0 && row.RbwIndex <= 5);
    check(FreqTable::fromBytes(t.toBytes()) == t);
    const Switches plain;
    for (FreqTableRow& row : t.rows) {
        coupleRbw(row, plain);
        check(row.RbwIndex >= minimumRbwIndex(row.Freq) && row.RbwIndex <= 5);
    }
    sortFreqTable(t);
    (void)frequencyTableSuitable(t, true, {1, 0, 1}, plain);
    for (const RangeCheck::OutOfRange& bad : RangeCheck::outOfRangeRows(t, {0, 1, 0}, plain))
        check(!RangeCheck::message(bad).isEmpty());
    (void)freqTableText(QStringLiteral("f"), QDateTime(), t.usedFrequencies(), 1);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes), qsizetype(size));
    panel(data);
    settings(data);
    table(data);
    return 0;
}
