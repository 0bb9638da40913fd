#include "panel/PanelChecks.h"

#include "freqtable/FreqTable.h"
#include "freqtable/FreqTableFile.h"
#include "panel/RangeCheck.h"

QString PanelChecks::statusText() const {
    QString text;
    if (CommInUse) text = QStringLiteral("COMM IN USE");
    if (FrequencyTableNotFound) text = QStringLiteral("FREQUENCY TABLE\rNOT FOUND");
    if (NoStationSelected) text = QStringLiteral("NO STATION SELECTED");
    if (FrequencyTableNotSuitable) text = QStringLiteral("FREQUENCY TABLE\rNOT SUITABLE");
    return text;
}

bool noStationSelected(const PanelRecord& panel) {
    for (const StationRecord& s : panel.Stations)
        if (s.inUse() && s.isEnabled()) return false;
    return true;
}

bool slotSharesPort(const PanelRecord& panel, int slot) {
    if (slot < 0 || slot >= PanelRecord::StationCount) return false;
    const StationRecord& a = panel.Stations[size_t(slot)];
    if (!a.inUse() || !a.isEnabled()) return false;
    for (int j = 0; j < PanelRecord::StationCount; ++j) {
        const StationRecord& b = panel.Stations[size_t(j)];
        if (j != slot && b.inUse() && b.isEnabled() && b.Comm == a.Comm) return true;
    }
    return false;
}

bool commInUse(const PanelRecord& panel) {
    for (int i = 0; i < PanelRecord::StationCount; ++i)
        if (slotSharesPort(panel, i)) return true;
    return false;
}

PanelChecks evaluatePanelChecks(const PanelRecord& panel, const FreqTable* table,
                                const Switches& switches) {
    PanelChecks c;
    c.NoStationSelected = noStationSelected(panel);
    c.CommInUse = commInUse(panel);
    c.FrequencyTableNotFound = table == nullptr;
    // A missing table is reported as missing only; whether it suits cannot be known.
    c.FrequencyTableNotSuitable =
        table != nullptr &&
        !frequencyTableSuitable(*table, panel.ListModeOn == 1, panel.ListModeFields, switches);
    return c;
}

PanelChecks evaluatePanelChecks(const PanelRecord& panel, const QString& appDir,
                                const Switches& switches) {
    const QString path = FreqTableFile::find(appDir, panel.freqTableNameText());
    FreqTable table;
    if (path.isEmpty() || FreqTableFile::read(path, table) != FreqTableFile::ReadResult::Loaded)
        return evaluatePanelChecks(panel, nullptr, switches);
    return evaluatePanelChecks(panel, &table, switches);
}

bool PanelModified(const PanelRecord& p, const PanelRecord& b, const QString& appDir) {
    for (int i = 0; i < PanelRecord::StationCount; ++i) {
        const StationRecord& s = p.Stations[size_t(i)];
        const StationRecord& t = b.Stations[size_t(i)];
        if (s.Comm != t.Comm || s.Enabled != t.Enabled) return true;
    }
    const bool settingsDiffer =
        p.SortByDate != b.SortByDate || p.TableEditorRBWIndex != b.TableEditorRBWIndex ||
        p.ListModeOn != b.ListModeOn || p.SpectrumModeOn != b.SpectrumModeOn ||
        p.ListModeRate != b.ListModeRate || p.SpectrumModeRateIndex != b.SpectrumModeRateIndex ||
        p.ListModeFields != b.ListModeFields || p.SpectrumModeFields != b.SpectrumModeFields ||
        p.SpectrumModeThresholds != b.SpectrumModeThresholds ||
        p.SpectrumRateOn != b.SpectrumRateOn || p.SeparatorIndex != b.SeparatorIndex ||
        p.PreamplifierOn != b.PreamplifierOn || p.SaveImage != b.SaveImage ||
        p.ImageQuality != b.ImageQuality || p.Colors != b.Colors ||
        p.SpectrumStartFrequency != b.SpectrumStartFrequency ||
        p.SpectrumStopFrequency != b.SpectrumStopFrequency ||
        p.SpectrumRBWIndex != b.SpectrumRBWIndex || p.ScanExtensionIndex != b.ScanExtensionIndex ||
        p.ShowThreshold != b.ShowThreshold;
    if (settingsDiffer) return true;
    if (p.freqTableNameText() != b.freqTableNameText() &&
        !FreqTableFile::find(appDir, b.freqTableNameText()).isEmpty())
        return true;
    return false;
}
