// The panel reader and the load validation: whatever the bytes, the record survives a
// write/read round trip and validation leaves every checked field in range, with a span the
// sweep can use.
// libFuzzer flags: -max_len=17800
#include "app/AppContext.h"
#include "fuzz/FuzzCheck.h"
#include "panel/PanelChecks.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"

#include <QDir>
#include <QFile>

#include <cmath>

namespace {
// The application directory is a plain file, so the upgrade copy and the table lookup fail
// at once and nothing reaches the disk.
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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    PanelRecord p = PanelFile::fromBytes(fuzzBytes(bytes, size));
    const QByteArray image = PanelFile::toBytes(p);
    FUZZ_CHECK(image.size() >= PanelFile::EmptyFileBytes);
    FUZZ_CHECK(PanelFile::fromBytes(image) == p || std::isnan(p.SpectrumModeThresholds[0]) ||
               std::isnan(p.SpectrumModeThresholds[1]) || std::isnan(p.SpectrumStartFrequency) ||
               std::isnan(p.SpectrumStopFrequency));

    ValidatePanel(p, context());
    for (const StationRecord& s : p.Stations)
        FUZZ_CHECK(s.Comm >= 0 && s.Comm <= 99 && (s.Enabled == 0 || s.Enabled == -1));
    FUZZ_CHECK(p.ListModeRate >= 1 && p.ListModeRate <= 1440);
    FUZZ_CHECK(p.SpectrumModeRateIndex >= 0 && p.SpectrumModeRateIndex <= 10);
    FUZZ_CHECK(p.SpectrumRBWIndex >= 0 && p.SpectrumRBWIndex <= 5);
    FUZZ_CHECK(p.ImageQuality >= 10 && p.ImageQuality <= 100);
    FUZZ_CHECK(p.SeparatorIndex >= 0 && p.SeparatorIndex <= 2);
    FUZZ_CHECK(p.SpectrumModeFields[0] == 1 || p.SpectrumModeFields[1] == 1);
    const float upper = float(spanUpperLimit(p.ListModeFields));
    FUZZ_CHECK(upper > 0.0f);
    FUZZ_CHECK(0.009f <= p.SpectrumStartFrequency);
    FUZZ_CHECK(p.SpectrumStartFrequency < p.SpectrumStopFrequency);
    FUZZ_CHECK(p.SpectrumStopFrequency <= upper);
    FUZZ_CHECK(std::isfinite(p.SpectrumModeThresholds[0]) &&
               std::isfinite(p.SpectrumModeThresholds[1]));
    // A validated panel is stable: validating it again changes nothing.
    PanelRecord twice = p;
    ValidatePanel(twice, context());
    FUZZ_CHECK(twice == p);
    const PanelChecks c = evaluatePanelChecks(p, nullptr, context().switches);
    FUZZ_CHECK(c.FrequencyTableNotFound);
    return 0;
}
