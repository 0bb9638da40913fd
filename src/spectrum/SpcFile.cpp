#include "spectrum/SpcFile.h"

#include "app/SaveWholeFile.h"
#include "app/BinaryCodec.h"

#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <memory>

namespace {
// No field type sweeps above 30 MHz, even with "/NOLIMIT".
constexpr double kHighestFrequencyHz = 30e6;

float storedLevel(float level) {
    return std::isfinite(level) && level > 0.0f ? level : 0.0f;
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

// The record as it lies in the file, field by field.
struct SpcRecord {
    std::array<float, 2> thresholds{};
    qint16 sweepField = 0;
    QByteArray headerLine1, headerLine2;
    float fStart = 0, fStop = 0, step = 0, span = 0, fCenter = 0;
    std::array<std::array<float, SpectrumPoints>, SpectrumTraces> level{};
};

void spcLayout(BinaryCodec& c, SpcRecord& r) {
    c.floatings(r.thresholds);
    c.integer(r.sweepField);
    c.fixed(r.headerLine1, SpcFile::HeaderLineBytes);
    c.fixed(r.headerLine2, SpcFile::HeaderLineBytes);
    for (float* f : {&r.fStart, &r.fStop, &r.step, &r.span, &r.fCenter})
        c.floating(*f);
    for (auto& trace : r.level)
        c.floatings(trace);
}
} // namespace

int rebuildFrequencyAxis(float fStart, float step, float fStop,
                         std::array<float, SpectrumPoints>& freq) {
    const double startHz = std::nearbyint(double(fStart) * 1e6);
    const double stopHz = std::nearbyint(double(fStop) * 1e6);
    const double stepHz = std::nearbyint(double(step) * 1e6);
    // Written as negations so that a NaN anywhere refuses the axis.
    if (!(startHz >= 0.0 && stopHz > startHz && stopHz <= kHighestFrequencyHz && stepHz >= 1.0))
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
    auto r = std::make_unique<SpcRecord>();
    r->thresholds = header.thresholds;
    r->sweepField = settings.SweepField;
    r->headerLine1 = headerField(header.HeaderLine1);
    r->headerLine2 = headerField(header.HeaderLine2);
    r->fStart = settings.FStart;
    r->fStop = settings.FStop;
    r->step = settings.Step;
    r->span = settings.Span;
    r->fCenter = settings.FCenter;
    for (int t = 0; t < SpectrumTraces; ++t)
        for (int i = 0; i < SpectrumPoints; ++i)
            r->level[t][i] = storedLevel(data.Level[t][i]);
    BinaryCodec codec = BinaryCodec::writer(Size);
    spcLayout(codec, *r);
    return codec.bytes();
}

bool fromBytes(const QByteArray& bytes, SpcHeader& header, SweepSettings& settings,
               SpectrumData& data) {
    if (bytes.size() != Size) return false;
    auto r = std::make_unique<SpcRecord>();
    BinaryCodec codec = BinaryCodec::reader(bytes);
    spcLayout(codec, *r);
    SpcHeader h;
    h.thresholds = r->thresholds;
    const qint16 sweepField = r->sweepField;
    h.HeaderLine1 = QString::fromLatin1(r->headerLine1);
    h.HeaderLine2 = QString::fromLatin1(r->headerLine2);
    const float fStart = r->fStart;
    const float fStop = r->fStop;
    const float step = r->step;
    const float span = r->span;
    const float fCenter = r->fCenter;
    // Only the E (0) and H (1) fields are ever swept; anything else is not a spectrum file
    // (a text file under this name starts with two printable bytes here).
    if (sweepField != 0 && sweepField != 1) return false;

    // Built aside, so that a refused file changes nothing.
    auto loaded = std::make_unique<SpectrumData>(data);
    const int points = rebuildFrequencyAxis(fStart, step, fStop, loaded->Freq);
    if (points == 0) return false;
    for (int t = 0; t < SpectrumTraces; ++t)
        for (int i = 0; i < SpectrumPoints; ++i)
            loaded->Level[t][i] = storedLevel(r->level[t][i]);

    // Thresholds are only drawn and printed; one that is not a usable number falls back to
    // the settings' default rather than refusing the spectrum.
    const SpcHeader defaults;
    for (int k = 0; k < 2; ++k)
        if (!(std::isfinite(h.thresholds[k]) && h.thresholds[k] >= 0.0f))
            h.thresholds[k] = defaults.thresholds[k];

    SpectrumData& d = *loaded;
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
    data = d;
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
