#include "spectrum/SpectrumData.h"
#include "spectrum/SweepStream.h"

#include <QtEndian>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

QByteArray point(int index, quint16 exponent, quint16 mantissa, int sequence = -1) {
    QByteArray p(SweepPoint::Bytes, '\0');
    p[0] = char(sequence >= 0 ? sequence : (index + 1) % 256);
    qToBigEndian(exponent, p.data() + 1);
    qToBigEndian(mantissa, p.data() + 3);
    return p;
}

struct Pass {
    Pass() {
        data->NPoints = 10;
        for (int i = 0; i < 10; ++i)
            data->Freq[size_t(i)] = 1.0f + 0.1f * float(i);
    }
    // Decodes while a byte of the next point is there, as the acquisition does.
    int decodeAll() {
        int n = 0;
        while (buffer.available() > SweepPoint::Bytes &&
               decoder.decode(buffer) == SweepDecoder::Result::Decoded)
            ++n;
        return n;
    }
    std::unique_ptr<SpectrumData> data = std::make_unique<SpectrumData>();
    SweepBuffer buffer;
    SweepDecoder decoder{*data};
};

TEST(SweepStream, LevelsTotalsAndPeakOfAPass) {
    Pass p;
    p.data->Level[2][3] = 3.0f; // Y from an earlier pass
    p.decoder.startPass(1, 0.125);
    p.buffer.append(QByteArray(SweepBuffer::HeaderBytes, 'h'));
    p.buffer.consume(SweepBuffer::HeaderBytes);
    for (int i = 0; i < 6; ++i)
        p.buffer.append(point(i, i == 3 ? 2 : 0, quint16(64 * (i + 1))));
    EXPECT_EQ(p.decodeAll(), 5); // the sixth waits for a byte of the next point
    EXPECT_EQ(p.data->Level[1][0], 1.0f);
    EXPECT_EQ(p.data->Level[1][3], 8.0f); // 256 x sqrt(2^2) / 8 / 8
    EXPECT_EQ(p.data->Level[0][3], std::sqrt(64.0f + 9.0f));
    EXPECT_EQ(p.data->PeakIndex, 3);
    EXPECT_EQ(p.data->PeakFreq, p.data->Freq[3]);
    EXPECT_FLOAT_EQ(p.data->SumSquares, 1 + 4 + 9 + 73 + 25);
}

TEST(SweepStream, AWrongSequenceByteUndoesThePointBeforeButNothingAtPointZero) {
    Pass p;
    p.data->Level[1].fill(0.5f); // the previous pass over X
    p.decoder.startPass(1, 0.125);
    p.buffer.append(point(0, 0, 64) + point(1, 0, 128) + point(2, 0, 192, 9) + "x");
    EXPECT_EQ(p.decodeAll(), 2);
    EXPECT_EQ(p.decoder.decode(p.buffer), SweepDecoder::Result::WrongSequence);
    EXPECT_EQ(p.data->PointIndex, 2);
    EXPECT_EQ(p.data->Level[1][0], 1.0f);
    EXPECT_EQ(p.data->Level[1][1], 0.5f); // put back, Total with it
    EXPECT_EQ(p.data->Level[0][1], 0.5f);
    EXPECT_EQ(p.buffer.available(), SweepPoint::Bytes + 1); // nothing consumed

    Pass first;
    first.data->Level[1].fill(0.5f);
    first.decoder.startPass(1, 0.125);
    first.buffer.append(point(0, 0, 64, 7) + "x");
    EXPECT_EQ(first.decodeAll(), 0);
    for (int t = 0; t < SpectrumTraces; ++t)
        EXPECT_EQ(first.data->Level[size_t(t)][0], t == 1 ? 0.5f : 0.0f);
}

TEST(SweepStream, ExponentsBeyondASingleGiveZeroNeverInfinityOrNaN) {
    Pass p;
    p.decoder.startPass(2, 0.125);
    // 2^65535, 0 x 2^1024 and a finite double beyond the largest single, then a sane point.
    p.buffer.append(point(0, 0xFFFF, 1) + point(1, 1024, 0) + point(2, 300, 0xFFFF) +
                    point(3, 0, 64) + "x");
    EXPECT_EQ(p.decodeAll(), 4);
    for (const auto& trace : p.data->Level)
        for (float v : trace)
            ASSERT_TRUE(std::isfinite(v));
    EXPECT_EQ(p.data->Level[2][0], 0.0f);
    EXPECT_EQ(p.data->Level[2][2], 0.0f);
    EXPECT_EQ(p.data->Level[2][3], 1.0f);
    p.data->latch();
    EXPECT_TRUE(std::isfinite(p.data->wideBand(0)));
    EXPECT_EQ(p.data->PeakLevel, 1.0f);
}

TEST(SweepStream, TheNoticeIsDroppedWhereverItLandsAndTheFrontIsReleased) {
    SweepBuffer b;
    const QByteArray stream = QByteArray(11, 'h') + point(0, 0, 64) + point(1, 0, 64);
    // The notice split over three arrivals, in the middle of a point.
    b.append(stream.left(13) + "#0");
    b.append("0@");
    b.append("%*" + stream.mid(13));
    EXPECT_EQ(b.available(), stream.size());
    EXPECT_EQ(QByteArray(b.front(), b.available()), stream);

    // A long stream read point by point: memory stays bounded by what is unread.
    SweepBuffer big;
    for (int i = 0; i < 4001; ++i) {
        big.append(point(i, 0, 1));
        big.consume(SweepPoint::Bytes);
    }
    EXPECT_EQ(big.available(), 0);
    EXPECT_LT(big.received().size(), 8192);
}

} // namespace
