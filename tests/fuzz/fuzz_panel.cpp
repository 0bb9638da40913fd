// The panel reader and the load validation: whatever the bytes, the record survives a
// write/read round trip and validation leaves every checked field in range, with a span the
// sweep can use.
// libFuzzer flags: -max_len=17800
#include "app/Switches.h"
#include "fuzz/FuzzCheck.h"
#include "panel/PanelChecks.h"
#include "panel/PanelFile.h"
#include "panel/PanelValidation.h"

#include <cmath>

namespace {
// Two tables held in memory: the load rules look up and list tables, and write the upgrade
// copy, without a file system round trip for every input.
const PanelValidationFiles& files() {
    static const PanelValidationFiles f{
        [](const QString& name) {
            return name.compare(QLatin1String("T1"), Qt::CaseInsensitive) == 0 ||
                   name.compare(QLatin1String("T2"), Qt::CaseInsensitive) == 0;
        },
        [](bool newestFirst) {
            return newestFirst ? QStringList{QStringLiteral("T2"), QStringLiteral("T1")}
                               : QStringList{QStringLiteral("T1"), QStringLiteral("T2")};
        },
        [](const PanelRecord& upgraded) { FUZZ_CHECK(upgraded.LayoutVersionFlag == 1); }};
    return f;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    PanelRecord p = PanelFile::fromBytes(fuzzBytes(bytes, size));
    const QByteArray image = PanelFile::toBytes(p);
    FUZZ_CHECK(image.size() >= PanelFile::EmptyFileBytes);
    FUZZ_CHECK(PanelFile::fromBytes(image) == p || std::isnan(p.SpectrumModeThresholds[0]) ||
               std::isnan(p.SpectrumModeThresholds[1]) || std::isnan(p.SpectrumStartFrequency) ||
               std::isnan(p.SpectrumStopFrequency));

    ValidatePanel(p, files());
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
    ValidatePanel(twice, files());
    FUZZ_CHECK(twice == p);
    // With tables present the panel always ends up naming one of them.
    FUZZ_CHECK(files().tableExists(p.freqTableNameText()));
    static const Switches plain;
    FUZZ_CHECK(evaluatePanelChecks(p, nullptr, plain).FrequencyTableNotFound);
    return 0;
}
