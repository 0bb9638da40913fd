#include "spectrum/SpectrumHeaders.h"

#include "app/Release.h"
#include "app/ValueLists.h"
#include "spectrum/SpectrumUnits.h"

#include <cmath>

namespace {
constexpr int kAuxiliaryInput = 3;
// Levels of the auxiliary input are shown as they are (mV), whatever unit option is set.
constexpr int kUnconvertedUnit = -1;
constexpr int kLineWidth = 60;
constexpr int kSlotEnds[5] = {9, 19, 29, 39, 49};

const QString kGap = QStringLiteral("     ");

const RbwRecord& rbwRow(const SweepSettings& settings) {
    const int row = settings.RbwIndex < 0 || settings.RbwIndex > 5 ? 0 : settings.RbwIndex;
    return RbwTable()[row];
}

// The base unit of the swept field, in which its thresholds are set.
QString baseUnit(const SweepSettings& settings) {
    return unitCaption(settings.SweepField == 1 ? 10 : 0);
}

float thresholdOf(const SweepSettings& settings, const AcquisitionRecord& record) {
    return record.thresholds[settings.SweepField == 1 ? 1 : 0];
}

float finiteLevel(float level) {
    return std::isfinite(level) && level > 0.0f ? level : 0.0f;
}

QString releaseShort() {
    return ReleaseText().left(4);
}

QString spectrumNumber(const AcquisitionRecord& record) {
    return QString::number(qint64(record.spectrumCount) + 1);
}
} // namespace

QString displayUnitText(const SpectrumData& data, const AcquisitionRecord& record) {
    if (data.FieldType == kAuxiliaryInput)
        return record.auxInDbm ? QStringLiteral("dBm") : QStringLiteral("mV");
    return unitCaption(record.unitCode);
}

QString boxLevelText(float level, const SpectrumData& data, const AcquisitionRecord& record) {
    const float l = finiteLevel(level);
    if (data.FieldType != kAuxiliaryInput) return levelText(l, record.unitCode);
    if (!record.auxInDbm) return levelText(l, kUnconvertedUnit);
    return dBmText(l);
}

QString peakLevelText(const SpectrumData& data, const AcquisitionRecord& record) {
    return boxLevelText(data.LatchedPeakLevel, data, record) + QLatin1Char(' ') +
           displayUnitText(data, record);
}

QString peakFrequencyText(const SpectrumData& data) {
    return fixedText(data.LatchedPeakFreq, 4) + QStringLiteral(" MHz");
}

QString wideBandText(const SpectrumData& data, const SweepSettings& settings,
                     const AcquisitionRecord& record) {
    const float wide = data.wideBand(settings.RbwIndex);
    if (!(std::isfinite(wide) && wide > 0.0f)) return QStringLiteral("----");
    return boxLevelText(wide, data, record);
}

QString DeterminaSTDatiSpettro(const SpectrumData& data, const SweepSettings& settings,
                               const AcquisitionRecord& record, int kind) {
    if (kind == 0) {
        QString line =
            QStringLiteral(" RBW ") + QString::fromLatin1(rbwRow(settings).Label).trimmed() + kGap +
            record.stationId + kGap + data.FieldNameLong + QStringLiteral(", Peak ") +
            peakLevelText(data, record) + QStringLiteral(" @ ") + peakFrequencyText(data) + kGap;
        if (settings.limitCheck)
            line += QStringLiteral("Threshold: ") + shortestText(thresholdOf(settings, record)) +
                    QLatin1Char(' ') + baseUnit(settings) + kGap;
        return line;
    }
    QString line = QStringLiteral(" Spectrum N\u00B0 ") + spectrumNumber(record) + QLatin1Char(' ');
    if (!record.rateText.isEmpty()) line += QStringLiteral("Rate: ") + record.rateText + kGap;
    return line + record.dateText + QLatin1Char(' ') + record.timeText + kGap +
           QStringLiteral("Rel. FW: ") + record.firmware + QStringLiteral(" Rel. SW: ") +
           releaseShort() + kGap + QStringLiteral("Sorvetta");
}

QStringList StampaIntFileTXTSpectrum(const SpectrumData& data, const SweepSettings& settings,
                                     const AcquisitionRecord& record) {
    QStringList lines;
    lines << record.stationId + QLatin1Char(' ') + record.dateText + QLatin1Char(' ') +
                 record.timeText + QStringLiteral(" Sorvetta");
    lines << QStringLiteral("Rel. FW: ") + record.firmware + QStringLiteral(" Rel. SW: ") +
                 releaseShort();
    lines << QStringLiteral("RBW:  ") + QString::fromLatin1(rbwRow(settings).Label) +
                 QStringLiteral("  Span: ") + shortestText(settings.Span) + QStringLiteral(" MHz");
    lines << data.FieldNameLong + QStringLiteral(" Peak ") + peakLevelText(data, record) +
                 QStringLiteral(" @ ") + peakFrequencyText(data);
    if (settings.limitCheck)
        lines << QStringLiteral("Threshold: ") + shortestText(thresholdOf(settings, record)) +
                     QLatin1Char(' ') + baseUnit(settings);
    lines << QStringLiteral("WideBand: ") + wideBandText(data, settings, record);
    lines << QStringLiteral("Spectrum N\u00B0 ") + spectrumNumber(record);
    if (!record.rateText.isEmpty()) lines << QStringLiteral("Rate: ") + record.rateText;
    lines << QStringLiteral("ssss") << QString();
    return lines;
}

QStringList StampaIntFileTXTRivis(const QString& headerLine1, const QString& headerLine2) {
    // A stored line holds no line breaks of its own; a damaged file's control bytes must not
    // break the listing into extra lines.
    auto oneLine = [](QString text) {
        for (QChar& c : text)
            if (c.unicode() < 32) c = QLatin1Char(' ');
        return text.trimmed();
    };
    return {oneLine(headerLine1), oneLine(headerLine2), QString()};
}

QString columnLine(const std::array<QString, 5>& fields, const QString& separator) {
    QString line(kLineWidth, QLatin1Char(' '));
    int slotStart = 0;
    for (int k = 0; k < 5; ++k) {
        const int width = kSlotEnds[k] - slotStart;
        slotStart = kSlotEnds[k];
        if (fields[k].isNull()) continue;
        const QString field = (fields[k] + separator).right(width);
        line.replace(kSlotEnds[k] - field.size(), field.size(), field);
    }
    return line;
}

QByteArray spectrumListing(const QStringList& header, const SpectrumData& data,
                           const AcquisitionRecord& record) {
    const QString separator = ValueLists::separatorText(record.separatorIndex);
    const QString unit = displayUnitText(data, record);
    const bool aux = data.FieldType == kAuxiliaryInput;
    std::array<bool, 3> listAxis{};
    for (int a = 0; a < 3; ++a)
        listAxis[a] = !aux && record.showXYZ && data.AxisEnabled[a];
    // Fills the X, Y and Z slots of the axes that are listed; the others stay blank.
    auto withAxes = [&](QString freq, QString total, const std::array<QString, 3>& axes) {
        std::array<QString, 5> fields{std::move(freq), std::move(total)};
        for (int a = 0; a < 3; ++a)
            if (listAxis[a]) fields[a + 2] = axes[a];
        return fields;
    };

    QStringList lines = header;
    const QString spacedUnit = QLatin1Char(' ') + unit;
    lines << columnLine(
        withAxes(QStringLiteral("Freq "), QStringLiteral("Total"),
                 {QStringLiteral("X "), QStringLiteral("Y "), QStringLiteral("Z ")}),
        separator);
    lines << columnLine(
        withAxes(QStringLiteral("MHz  "), unit, {spacedUnit, spacedUnit, spacedUnit}), separator);
    for (int i = 0; i < SpectrumPoints; ++i) {
        if (i > 0 && !(data.Freq[i] > 0.0f)) break;
        auto level = [&](int trace) {
            return boxLevelText(data.Level[trace][i], data, record).trimmed();
        };
        QString total = level(0);
        lines << columnLine(
            withAxes(fixedText(data.Freq[i], 4), total,
                     {listAxis[0] ? level(1) : QString(), listAxis[1] ? level(2) : QString(),
                      listAxis[2] ? level(3) : QString()}),
            separator);
    }
    QByteArray out;
    out.reserve(lines.size() * (kLineWidth + 2));
    for (const QString& line : lines) {
        out += line.toLatin1();
        out += "\r\n";
    }
    return out;
}
