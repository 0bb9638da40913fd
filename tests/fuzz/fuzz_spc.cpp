// Feeds arbitrary bytes to the spectrum-file reader and checks that it either refuses them
// and changes nothing, or loads a spectrum the window can draw and list, which survives a
// write/read round trip.
// libFuzzer flags: -max_len=2048
#include "fuzz/FuzzCheck.h"
#include "spectrum/SpcFile.h"
#include "spectrum/SpectrumHeaders.h"

#include <cmath>
#include <memory>

namespace {
// An input shorter than a spectrum file stands for one: its bytes repeated up to the file's
// size. Short inputs reach the header and every kind of level at a speed that 64 kB inputs,
// copied by the fuzzer for every run, never do. Other lengths are taken as they are.
QByteArray spectrumFile(const uint8_t* raw, size_t size) {
    const QByteArray bytes = fuzzBytes(raw, size);
    if (bytes.isEmpty() || bytes.size() >= SpcFile::Size) return bytes;
    return bytes.repeated(SpcFile::Size / bytes.size() + 1).left(SpcFile::Size);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* raw, size_t size) {
    const QByteArray bytes = spectrumFile(raw, size);
    SpcHeader header;
    header.HeaderLine1 = QStringLiteral("before");
    SweepSettings settings;
    auto data = std::make_unique<SpectrumData>();
    data->NPoints = 17;
    if (!SpcFile::fromBytes(bytes, header, settings, *data)) {
        FUZZ_CHECK(header.HeaderLine1 == QStringLiteral("before") && data->NPoints == 17 &&
                   settings.FStart == SweepSettings{}.FStart);
        return 0;
    }
    FUZZ_CHECK(bytes.size() == SpcFile::Size);
    FUZZ_CHECK(settings.SweepField == 0 || settings.SweepField == 1);
    FUZZ_CHECK(settings.FStart >= 0.0f && settings.FStart < settings.FStop &&
               settings.FStop <= 30.0f);
    FUZZ_CHECK(std::isfinite(settings.Span) && std::isfinite(settings.FCenter));
    FUZZ_CHECK(data->NPoints >= 1 && data->NPoints <= SpectrumPoints);
    for (int i = 0; i < SpectrumPoints; ++i) {
        const float f = data->Freq[i];
        FUZZ_CHECK(i < data->NPoints ? f >= 0.0f && f <= settings.FStop + 1e-6f : f == 0.0f);
        for (int t = 0; t < SpectrumTraces; ++t)
            FUZZ_CHECK(std::isfinite(data->Level[t][i]) && data->Level[t][i] >= 0.0f);
    }
    for (const float threshold : header.thresholds)
        FUZZ_CHECK(std::isfinite(threshold) && threshold >= 0.0f);
    FUZZ_CHECK(!std::isnan(data->LatchedSumSquares));
    FUZZ_CHECK(data->LatchedPeakIndex >= 0 && data->LatchedPeakIndex < data->NPoints);

    const QByteArray again = SpcFile::toBytes(header, settings, *data);
    FUZZ_CHECK(again.size() == SpcFile::Size);
    SpcHeader header2;
    SweepSettings settings2;
    auto data2 = std::make_unique<SpectrumData>();
    FUZZ_CHECK(SpcFile::fromBytes(again, header2, settings2, *data2));
    // Read back, it is the same spectrum (every value is finite here, so == is exact).
    FUZZ_CHECK(header2.thresholds == header.thresholds &&
               header2.HeaderLine1 == header.HeaderLine1 &&
               header2.HeaderLine2 == header.HeaderLine2);
    FUZZ_CHECK(settings2.SweepField == settings.SweepField && settings2.FStart == settings.FStart &&
               settings2.FStop == settings.FStop && settings2.Step == settings.Step &&
               settings2.Span == settings.Span && settings2.FCenter == settings.FCenter);
    FUZZ_CHECK(data2->Freq == data->Freq && data2->Level == data->Level &&
               data2->NPoints == data->NPoints);

    // The listing of a reviewed spectrum: one 60-character line per point after its header.
    // Its first 64 points are enough to meet every kind of level; all 4001 would make each
    // run ten times slower.
    AcquisitionRecord record;
    data->Freq[64] = 0.0f;
    const QStringList lines =
        QString::fromLatin1(
            spectrumListing(StampaIntFileTXTRivis(header.HeaderLine1, header.HeaderLine2), *data,
                            record))
            .split(QStringLiteral("\r\n"));
    FUZZ_CHECK(lines.size() <= 3 + 2 + 64 + 1);
    for (qsizetype i = 3; i + 1 < lines.size(); ++i)
        FUZZ_CHECK(lines[i].size() == 60);
    return 0;
}
