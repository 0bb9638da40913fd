#include "spectrum/SpcFile.h"

#include "app/BinaryCodec.h"
#include "app/SaveWholeFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {
// No field type sweeps above 30 MHz, even with "/NOLIMIT".
constexpr double kHighestFrequencyHz = 30e6;

float storedLevel(float level) {
    return std::isfinite(level) && level > 0.0f ? level : 0.0f;
}

using Levels = std::array<std::array<float, SpectrumPoints>, SpectrumTraces>;

// Every level of every trace as stored: a level that is not a positive number is 0.
void storeLevels(const Levels& from, Levels& to) {
    for (int t = 0; t < SpectrumTraces; ++t)
        std::transform(from[t].begin(), from[t].end(), to[t].begin(),
                       [](float level) { return storedLevel(level); });
}

QByteArray headerField(const QString& line) {
    QByteArray bytes = line.toLatin1().left(SpcFile::HeaderLineBytes);
    return bytes.leftJustified(SpcFile::HeaderLineBytes, ' ');
}

// A stored span or centre is kept when it agrees with the stored limits (so a file read and
// written again is the same), and rebuilt from them when it does not.
float consistent(float stored, float computed, float span) {
    return std::isfinite(stored) && std::fabs(stored - computed) <= 1e-3f * span ? stored
                                                                                 : computed;
}

// The record as it lies in the file, field by field. The levels (most of its bytes) are
// read or written in place; without them the layout covers the header alone.
struct SpcRecord {
    std::array<float, 2> thresholds{};
    qint16 sweepField = 0;
    QByteArray headerLine1, headerLine2;
    float fStart = 0, fStop = 0, step = 0, span = 0, fCenter = 0;
    Levels* level = nullptr;
};

void spcLayout(BinaryCodec& c, SpcRecord& r) {
    c.floatings(r.thresholds);
    c.integer(r.sweepField);
    c.fixed(r.headerLine1, SpcFile::HeaderLineBytes);
    c.fixed(r.headerLine2, SpcFile::HeaderLineBytes);
    for (float* f : {&r.fStart, &r.fStop, &r.step, &r.span, &r.fCenter})
        c.floating(*f);
    if (r.level)
        for (auto& trace : *r.level)
            c.floatings(trace);
}
} // namespace

int rebuildFrequencyAxis(float fStart, float step, float fStop,
                         std::array<float, SpectrumPoints>& freq) {
    const double startHz = std::nearbyint(double(fStart) * 1e6);
    const double stopHz = std::nearbyint(double(fStop) * 1e6);
    const double stepHz = std::nearbyint(double(step) * 1e6);
    // Written as negations so that a NaN anywhere refuses the axis. The limits are checked as
    // stored too: -1e-19 MHz rounds to 0 Hz, and would be kept as a start below zero.
    if (!(fStart >= 0.0f && double(fStop) * 1e6 <= kHighestFrequencyHz && startHz >= 0.0 &&
          stopHz > startHz && stopHz <= kHighestFrequencyHz && stepHz >= 1.0))
        return 0;
    const double points = std::floor((stopHz - startHz) / stepHz) + 1.0;
    if (points > SpectrumPoints) return 0;
    freq.fill(0.0f);
    const int n = int(points);
    for (int i = 0; i < n; ++i)
        freq[i] = float((startHz + i * stepHz) / 1e6);
    return n;
}

namespace SpcFile {

QByteArray toBytes(const SpcHeader& header, const SweepSettings& settings,
                   const SpectrumData& data) {
    auto levels = std::make_unique_for_overwrite<Levels>(); // every level is written below
    storeLevels(data.Level, *levels);
    SpcRecord r{header.thresholds,
                settings.SweepField,
                headerField(header.HeaderLine1),
                headerField(header.HeaderLine2),
                settings.FStart,
                settings.FStop,
                settings.Step,
                settings.Span,
                settings.FCenter,
                levels.get()};
    BinaryCodec codec = BinaryCodec::writer(Size);
    spcLayout(codec, r);
    return codec.bytes();
}

bool fromBytes(const QByteArray& bytes, SpcHeader& header, SweepSettings& settings,
               SpectrumData& data) {
    if (bytes.size() != Size) return false;
    // The header first: a refused file changes nothing.
    SpcRecord r;
    BinaryCodec head = BinaryCodec::reader(bytes);
    spcLayout(head, r);
    SpcHeader h;
    h.thresholds = r.thresholds;
    const qint16 sweepField = r.sweepField;
    h.HeaderLine1 = QString::fromLatin1(r.headerLine1);
    h.HeaderLine2 = QString::fromLatin1(r.headerLine2);
    const float fStart = r.fStart;
    const float fStop = r.fStop;
    const float step = r.step;
    const float span = r.span;
    const float fCenter = r.fCenter;
    // Only the E (0) and H (1) fields are ever swept; anything else is not a spectrum file
    // (a text file under this name starts with two printable bytes here).
    if (sweepField != 0 && sweepField != 1) return false;
    // The axis is only written when it can be rebuilt.
    const int points = rebuildFrequencyAxis(fStart, step, fStop, data.Freq);
    if (points == 0) return false;

    // Accepted: the levels go straight into the spectrum.
    r.level = &data.Level;
    BinaryCodec whole = BinaryCodec::reader(bytes);
    spcLayout(whole, r);
    storeLevels(data.Level, data.Level);

    // Thresholds are only drawn and printed; one that is not a usable number falls back to
    // the settings' default rather than refusing the spectrum.
    const SpcHeader defaults;
    for (int k = 0; k < 2; ++k)
        if (!(std::isfinite(h.thresholds[k]) && h.thresholds[k] >= 0.0f))
            h.thresholds[k] = defaults.thresholds[k];

    SpectrumData& d = data;
    d.NPoints = points;
    d.PointIndex = points;
    d.PeakLevel = 0.0f;
    d.PeakFreq = -1.0f;
    d.PeakIndex = 0;
    d.SumSquares = 0.0f;
    for (int i = 0; i < points; ++i) {
        const float total = d.Level[0][i];
        d.SumSquares += total * total;
        if (total > d.PeakLevel) {
            d.PeakLevel = total;
            d.PeakFreq = d.Freq[i];
            d.PeakIndex = i;
        }
    }
    d.latch();

    const float fullSpan = fStop - fStart;
    settings.SweepField = sweepField;
    settings.FStart = fStart;
    settings.FStop = fStop;
    settings.Step = step;
    settings.Span = consistent(span, fullSpan, fullSpan);
    settings.FCenter = consistent(fCenter, (fStart + fStop) / 2.0f, fullSpan);
    header = h;
    return true;
}

} // namespace SpcFile

bool SalvaStrSpettro(const QString& fileName, const SpcHeader& header,
                     const SweepSettings& settings, const SpectrumData& data) {
    return saveWholeFile(fileName, SpcFile::toBytes(header, settings, data));
}

SpcLoad CaricaStrSpettro(const QString& fileName, SpcHeader& header, SweepSettings& settings,
                         SpectrumData& data) {
    const QFileInfo info(fileName);
    if (!info.exists()) return SpcLoad::Missing;
    if (!info.isFile() || info.size() != SpcFile::Size) return SpcLoad::Failed;
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return SpcLoad::Failed;
    const QByteArray bytes = f.read(SpcFile::Size + 1);
    return SpcFile::fromBytes(bytes, header, settings, data) ? SpcLoad::Loaded : SpcLoad::Failed;
}
