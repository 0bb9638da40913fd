#include "panel/PanelValidation.h"

#include "app/AppContext.h"
#include "app/ValueLists.h"
#include "freqtable/FreqTableFile.h"
#include "panel/FileNames.h"
#include "panel/PanelFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double LowestSpanFrequency = 0.009;
constexpr double MinimumSpan = 0.005;

// Absolute value, or `failed` when it cannot be represented in 16 bits.
qint16 nonNegative(int v, qint16 failed) {
    const int a = std::abs(v);
    return a > std::numeric_limits<qint16>::max() ? failed : qint16(a);
}
qint16 clamp16(int v, int lo, int hi) {
    return qint16(std::clamp(v, lo, hi));
}
bool isCheck(qint16 v) {
    return v == 0 || v == 1;
}
bool isBoolean(qint16 v) {
    return v == 0 || v == -1;
}

// A threshold outside its box's range (or not a number) comes back in range.
float checkedThreshold(float v, float lo, float hi, float fallback) {
    if (!std::isfinite(v)) return fallback;
    return std::clamp(v, lo, hi);
}

void chooseFreqTable(PanelRecord& p, const PanelValidationFiles& files) {
    const QString name = p.freqTableNameText();
    p.setFreqTableName(name);
    if (files.tableExists(name)) return;
    const QStringList tables = files.sortedTables(p.SortByDate == -1);
    if (!tables.isEmpty()) p.setFreqTableName(tables.first());
}
} // namespace

double spanUpperLimit(const std::array<qint16, 3>& f) {
    const bool e = f[FieldE] == 1, a = f[FieldHModeA] == 1, b = f[FieldHModeB] == 1;
    if ((e && !a && !b) || (!e && !a && b) || (e && !a && b)) return 30.0;
    if ((!e && a && !b) || (e && a && !b)) return 3.0;
    return 0.0;
}

void adjustSpan(float& start, float& stop, double upper) {
    // Single precision throughout, as the fields are stored.
    const float lo = float(LowestSpanFrequency);
    const float hi = float(upper);
    const float span = float(MinimumSpan);
    auto clampInto = [&](float v) { return std::min(std::max(v, lo), hi); };
    if (std::isnan(start)) start = lo;
    if (std::isnan(stop)) stop = hi;
    start = clampInto(start);
    stop = clampInto(stop);
    if (start == stop) {
        start = lo;
        stop = hi;
    }
    if (!(start < stop) && start < hi) stop = hi;
    // Widening must not carry stop past the limit either (start at the limit, stop below).
    if (stop - start < span && stop + span <= hi && start + span <= hi) stop = start + span;
    if (!(start < stop)) start = lo;
    // Start at the limit and stop at the bottom ends here as 0.009..0.009; a zero span
    // would leave the sweep nothing to divide by, so the pair becomes the whole range.
    if (!(start < stop)) stop = hi;
}

int rbwIndexForSpan(double start, double stop) {
    const auto& table = RbwTable();
    int index = int(table.size()) - 1;
    const float hundredth = float((stop - start) / 100.0);
    while (index > 0 && hundredth > table[size_t(index)].Rbw)
        --index;
    return index;
}

void applyNewPanelDefaults(PanelRecord& p, const Switches& switches) {
    p.ListModeOn = 1;
    p.SpectrumModeOn = 1;
    p.ListModeRate = 1;
    p.SpectrumModeRateIndex = 3;
    p.ListModeFields = {1, 0, 1};
    p.SpectrumModeFields = {1, 1};
    p.SpectrumModeThresholds = {20.0f, 0.053f};
    p.SpectrumRateOn = 1;
    p.SeparatorIndex = 0;
    p.PreamplifierOn = 0;
    p.SaveImage = {0, 1};
    p.ImageQuality = 100;
    p.Colors.fill(0);
    p.Colors[0] = qint32(paletteColour(9));
    p.Colors[1] = qint32(paletteColour(10));
    p.Colors[2] = qint32(paletteColour(11));
    p.Colors[3] = qint32(paletteColour(13));
    p.Colors[10] = qint32(paletteColour(12));
    p.SpectrumStartFrequency = float(LowestSpanFrequency);
    p.SpectrumStopFrequency = float(spanUpperLimit(p.ListModeFields));
    p.SpectrumRBWIndex =
        switches.noLimitRbw()
            ? 0
            : qint16(rbwIndexForSpan(p.SpectrumStartFrequency, p.SpectrumStopFrequency));
    p.ScanExtensionIndex = 0;
    p.ShowThreshold = 1;
    p.DetectorIndex = 0;
}

void ValidatePanel(PanelRecord& p, const AppContext& ctx) {
    PanelValidationFiles files;
    files.tableExists = [&ctx](const QString& name) {
        return !FreqTableFile::find(ctx.appDir, name).isEmpty();
    };
    files.sortedTables = [&ctx](bool newestFirst) {
        QStringList tables = FreqTableFile::list(ctx.appDir);
        FileNames::sortFileNamesIn(tables, newestFirst, ctx.path(QStringLiteral("Table/")),
                                   QStringLiteral("FTR"));
        return tables;
    };
    files.upgradeCopy = [&ctx](const PanelRecord& upgraded) {
        PanelFile::write(ctx.path(QStringLiteral("Panels/TMP.TMP")), upgraded);
    };
    ValidatePanel(p, files);
}

void ValidatePanel(PanelRecord& p, const PanelValidationFiles& files) {
    // 1. Stations.
    for (StationRecord& s : p.Stations) {
        if (!isBoolean(s.Enabled)) s.Enabled = 0;
        s.Comm = clamp16(s.Comm, 0, 99);
    }
    p.compactStations();

    // 2. File order and table editor RBW.
    if (!isBoolean(p.SortByDate)) p.SortByDate = 0;
    p.TableEditorRBWIndex = clamp16(nonNegative(p.TableEditorRBWIndex, 0), 0, 5);

    // 3. Modes.
    if (!isCheck(p.ListModeOn)) p.ListModeOn = 0;
    if (!isCheck(p.SpectrumModeOn)) p.SpectrumModeOn = 0;
    if (p.ListModeOn == 0 && p.SpectrumModeOn == 0) p.ListModeOn = p.SpectrumModeOn = 1;
    if (p.ListModeOn == 0) p.SpectrumRateOn = 1;

    // 4. List Mode rate in minutes.
    p.ListModeRate = clamp16(nonNegative(p.ListModeRate, 0), 1, 1440);

    // 5. Older panels indexed a rate list that began at "1 hour".
    if (p.LayoutVersionFlag == 0) {
        p.LayoutVersionFlag = 1;
        p.SpectrumModeRateIndex = clamp16(p.SpectrumModeRateIndex + 3, -32768, 32767);
        files.upgradeCopy(p);
    }
    p.SpectrumModeRateIndex = clamp16(nonNegative(p.SpectrumModeRateIndex, 0), 0, 10);

    // 6. List Mode fields: at least one, never both H modes.
    for (qint16& f : p.ListModeFields)
        if (!isCheck(f)) f = 0;
    if (p.ListModeFields == std::array<qint16, 3>{0, 0, 0})
        p.ListModeFields[FieldE] = p.ListModeFields[FieldHModeA] = 1;
    if (p.ListModeFields[FieldHModeA] == 1 && p.ListModeFields[FieldHModeB] == 1)
        p.ListModeFields[FieldHModeB] = 0;

    // 7. Spectrum Mode fields follow the List Mode fields.
    auto atLeastOne = [&p] {
        if (p.SpectrumModeFields[0] == 0 && p.SpectrumModeFields[1] == 0)
            p.SpectrumModeFields = {1, 1};
    };
    for (qint16& f : p.SpectrumModeFields)
        if (!isCheck(f)) f = 0;
    atLeastOne();
    if (!isCheck(p.SpectrumRateOn)) p.SpectrumRateOn = 0;
    if (p.SpectrumRateOn == 0) atLeastOne();
    if (p.ListModeFields[FieldE] == 0) p.SpectrumModeFields[0] = 0;
    const bool listH = p.ListModeFields[FieldHModeA] > 0 || p.ListModeFields[FieldHModeB] > 0;
    if (!listH) p.SpectrumModeFields[1] = 0;
    // Following the List Mode fields can clear both (Spectrum E alone with List Mode H alone),
    // leaving a sweep with nothing to measure; the next load would then pick both again. The
    // fields List Mode measures are taken instead.
    if (p.SpectrumModeFields[0] == 0 && p.SpectrumModeFields[1] == 0)
        p.SpectrumModeFields = {qint16(p.ListModeFields[FieldE] == 1 ? 1 : 0),
                                qint16(listH ? 1 : 0)};

    // 8. The frequency table must exist; else the first one listed.
    chooseFreqTable(p, files);

    // 9. Reports and images.
    p.SeparatorIndex = clamp16(nonNegative(p.SeparatorIndex, 0), 0, 2);
    if (!isCheck(p.PreamplifierOn)) p.PreamplifierOn = 0;
    if (!isCheck(p.SaveImage[0])) p.SaveImage[0] = 0;
    if (!isCheck(p.SaveImage[1])) p.SaveImage[1] = 1;
    if (p.SaveImage[0] == 1 && p.SaveImage[1] == 1) p.SaveImage[0] = 0;
    {
        const qint64 a = std::abs(qint64(p.ImageQuality));
        const qint64 quality = a > std::numeric_limits<qint16>::max() ? 100 : a;
        p.ImageQuality = qint32(std::clamp<qint64>(quality, 10, 100));
    }

    // 10. Spectrum span.
    adjustSpan(p.SpectrumStartFrequency, p.SpectrumStopFrequency, spanUpperLimit(p.ListModeFields));

    // 11. Spectrum RBW, scan browser type, threshold display, detector. The RBW index is
    // kept in the list even with "/NOLIMITRBW": every user indexes the six RBWs with it.
    p.SpectrumRBWIndex = clamp16(p.SpectrumRBWIndex, 0, 5);
    p.ScanExtensionIndex = clamp16(nonNegative(p.ScanExtensionIndex, 0), 0, 3);
    if (!isCheck(p.ShowThreshold)) p.ShowThreshold = 1;
    p.DetectorIndex = clamp16(nonNegative(p.DetectorIndex, 0), 0, 1);

    // Thresholds are not checked by the layout, but a value that is not a number, or far
    // outside what the settings dialog accepts, would make every reading (or none) trigger.
    p.SpectrumModeThresholds[0] =
        checkedThreshold(p.SpectrumModeThresholds[0], 0.02f, 1000.0f, 20.0f);
    p.SpectrumModeThresholds[1] =
        checkedThreshold(p.SpectrumModeThresholds[1], 0.006f, 300.0f, 0.053f);
}
