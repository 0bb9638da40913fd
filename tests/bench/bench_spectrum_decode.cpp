// Decoding the sweep stream. Prints three ratios:
//  - the decode of one 4001-point pass, fed in 64-byte chunks, against the time the pass
//    takes on the line (20017 bytes at 3840 bytes a second); the aim is 0.001 or less;
//  - the last 1000 points against the first 1000 (a buffer that is shifted per point would
//    make the late points dearer); the aim is 1.3 or less;
//  - the resident-size growth over 200 acquisitions on the simulator against the size of one
//    spectrum; the aim is below 1.

#include "bench/BenchSupport.h"
#include "sim/ProbeModel.h"
#include "sim/SimChannel.h"
#include "spectrum/SpectrumFileSink.h"
#include "spectrum/SweepAcquisition.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kPoints = 4001;
constexpr int kChunk = 64;

QByteArray passStream() {
    QByteArray out(SweepBuffer::HeaderBytes, 'h');
    for (int i = 0; i < kPoints + 2; ++i) {
        const double level = 0.05 + 10.0 * std::exp(-std::pow((i - 1500) / 40.0, 2));
        out += ProbeModel::encodePoint(i, level, 0.125);
    }
    return out + '*';
}

// One pass decoded as the acquisition does: a chunk arrives, every point with a byte of the
// next one behind it is decoded. Adds the pass's time to `whole`, and the time of its last
// 1000 points against its first 1000 to `ratio`.
void decodePass(const QByteArray& stream, SpectrumData& data, std::vector<double>& whole,
                std::vector<double>& ratio) {
    SweepBuffer buffer;
    SweepDecoder decoder(data);
    decoder.startPass(1, 0.125);
    double all = 0, first = 0, last = 0; // seconds
    bool header = false;
    for (qsizetype at = 0; at < stream.size() && data.PointIndex < data.NPoints; at += kChunk) {
        const int before = data.PointIndex;
        const double start = bench::wallSeconds();
        buffer.append(stream.mid(at, kChunk));
        if (!header && buffer.available() >= SweepBuffer::HeaderBytes) {
            buffer.consume(SweepBuffer::HeaderBytes);
            header = true;
        }
        while (header && buffer.available() > SweepPoint::Bytes && data.PointIndex < data.NPoints)
            decoder.decode(buffer);
        const double spent = bench::wallSeconds() - start;
        all += spent;
        if (before < 1000) first += spent;
        if (data.PointIndex > kPoints - 1000) last += spent;
    }
    whole.push_back(all);
    ratio.push_back(last / first);
}

struct CountingSink : SpectrumFileSink {
    bool saveAcquisition(const SpectrumData&, const SweepSettings&,
                         const AcquisitionRecord&) override {
        ++saved;
        return true;
    }
    void removeTemporaryFiles() override {}
    int saved = 0;
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    const QByteArray stream = passStream();
    auto data = std::make_unique<SpectrumData>();
    data->NPoints = kPoints;
    std::vector<double> whole, ratio;
    for (int run = 0; run < 51; ++run)
        decodePass(stream, *data, whole, ratio);
    const double lineSeconds = double(stream.size()) / ProbeModel::kBytesPerSecond;
    std::printf("bench_spectrum_decode: 4001-point pass in %d-byte chunks: decode / line time = "
                "%.6f (aim <= 0.001)\n"
                "bench_spectrum_decode: last 1000 points / first 1000 points = %.3f (aim <= 1.3)\n",
                kChunk, median(whole) / lineSeconds, median(ratio));

    // 200 acquisitions of 399 points on the simulator and the virtual clock.
    TempAppDir dir;
    VirtualClock clock;
    VirtualPump pump(clock, 0.002);
    AppContext ctx(dir.path(), QString(), clock, pump);
    SimChannel channel(clock);
    channel.network().add(StationConfig{}); // on COM1
    ProbeLink link(ctx, channel);
    CountingSink sink;
    SweepAcquisition acquisition(link, sink, AcquisitionTexts{});
    link.OpenStationPort(1);
    // Reading the resident size costs memory itself the first time.
    long baseline = bench::residentKiB();
    for (int i = 0; i < 200; ++i) {
        SweepSettings settings;
        settings.setRange(0.1f, 30.0f);
        AcquisitionRecord record;
        acquisition.runAcquisition(0, settings, record, SweepChoice{});
        channel.probe(1)->clearCommands();
        // The first ones warm up the logs and Qt's own caches.
        if (i == 19) baseline = bench::residentKiB();
    }
    const long growth = bench::residentKiB() - baseline;
    std::printf("bench_spectrum_decode: %d acquisitions made; resident growth over the last 180 "
                "/ one spectrum = %.3f (aim < 1)\n",
                sink.saved, double(growth) * 1024.0 / double(sizeof(SpectrumData)));
    return sink.saved == 200 ? 0 : 1;
}
