#include "panel/PanelChecks.h"

#include "freqtable/FreqTable.h"
#include "freqtable/FreqTableFile.h"
#include "panel/RangeCheck.h"

#include <QDir>

#include <map>

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

namespace {

// "1", "1 and 3", "1, 3 and 4".
QString joinedNumbers(const QList<int>& numbers) {
    QStringList texts;
    for (int n : numbers)
        texts << QString::number(n);
    if (texts.size() < 2) return texts.join(QString());
    const QString last = texts.takeLast();
    return texts.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last;
}

QString commInUseText(const PanelRecord& panel) {
    std::map<int, QList<int>> stationsOfPort;
    for (int i = 0; i < PanelRecord::StationCount; ++i)
        if (slotSharesPort(panel, i)) stationsOfPort[panel.Stations[size_t(i)].Comm] << i + 1;
    QStringList parts;
    for (const auto& [port, stations] : stationsOfPort)
        parts << QStringLiteral("port %1 %2 stations %3")
                     .arg(port)
                     .arg(parts.isEmpty() ? QStringLiteral("is set for") : QStringLiteral("for"))
                     .arg(joinedNumbers(stations));
    return QStringLiteral("COMM IN USE: ") + parts.join(QStringLiteral(", ")) +
           QStringLiteral("; each enabled station needs a port of its own.");
}

QString tableNotFoundText(const QString& appDir, const QString& name, const QString& found) {
    const QString prefix = QStringLiteral("FREQUENCY TABLE NOT FOUND: ");
    if (name.isEmpty()) return prefix + QStringLiteral("the panel names no frequency table.");
    const QString quoted = QLatin1Char('"') + name + QLatin1Char('"');
    if (!found.isEmpty())
        return prefix + QStringLiteral("the panel's table %1 cannot be read from %2.")
                            .arg(quoted, QDir::toNativeSeparators(found));
    const QString path = FreqTableFile::pathFor(appDir, name);
    if (path.isEmpty())
        return prefix +
               QStringLiteral("the panel's table name %1 is not a plain file name.").arg(quoted);
    return prefix + QStringLiteral("the panel's table %1 was looked for as %2 and is not there.")
                        .arg(quoted, QDir::toNativeSeparators(path));
}

QString noStationText(const PanelRecord& panel) {
    const int used = panel.usedStationCount();
    const QString prefix = QStringLiteral("NO STATION SELECTED: ");
    if (used == 0) return prefix + QStringLiteral("the panel has no station.");
    return prefix + QStringLiteral("no station is enabled (the panel has %1 %2).")
                        .arg(used)
                        .arg(used == 1 ? QStringLiteral("station") : QStringLiteral("stations"));
}

QString tableNotSuitableText(const PanelRecord& panel, const FreqTable& table,
                             const Switches& switches) {
    const QString prefix = QStringLiteral("FREQUENCY TABLE NOT SUITABLE: ");
    const QString quoted = QLatin1Char('"') + panel.freqTableNameText() + QLatin1Char('"');
    if (table.usedRowCount() == 0)
        return prefix + QStringLiteral("the table %1 has no frequency.").arg(quoted);
    const QList<RangeCheck::OutOfRange> rows =
        RangeCheck::outOfRangeRows(table, panel.ListModeFields, switches);
    auto rowText = [](const RangeCheck::OutOfRange& r) {
        return QStringLiteral("row %1: ").arg(r.row + 1) +
               RangeCheck::message(r).trimmed().replace(QLatin1Char('\r'), QLatin1Char(' ')) +
               QLatin1Char('.');
    };
    if (rows.size() == 1)
        return prefix + QStringLiteral("in table %1, ").arg(quoted) + rowText(rows.first());
    // A table of 100 bad rows must not make a tooltip taller than the screen.
    constexpr int kShown = 8;
    QString text =
        prefix +
        QStringLiteral("in table %1, %2 rows are out of range:").arg(quoted).arg(rows.size());
    for (int i = 0; i < rows.size() && i < kShown; ++i)
        text += QLatin1Char('\n') + rowText(rows[i]);
    if (rows.size() > kShown)
        text += QStringLiteral("\n... and %1 more.").arg(rows.size() - kShown);
    return text;
}

} // namespace

QStringList explainPanelChecks(const PanelRecord& panel, const QString& appDir,
                               const Switches& switches) {
    const QString name = panel.freqTableNameText();
    const QString found = FreqTableFile::find(appDir, name);
    FreqTable table;
    const bool loaded =
        !found.isEmpty() && FreqTableFile::read(found, table) == FreqTableFile::ReadResult::Loaded;
    const PanelChecks checks = evaluatePanelChecks(panel, loaded ? &table : nullptr, switches);
    QStringList out;
    if (checks.CommInUse) out << commInUseText(panel);
    if (checks.FrequencyTableNotFound) out << tableNotFoundText(appDir, name, found);
    if (checks.NoStationSelected) out << noStationText(panel);
    if (checks.FrequencyTableNotSuitable) out << tableNotSuitableText(panel, table, switches);
    return out;
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
