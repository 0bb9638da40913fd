#include "spectrum/SweepStream.h"

#include "spectrum/SpectrumData.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace {
const QByteArray kNotice = "#00@%*";
// The read front is dropped once it is at least this long and half the buffer.
constexpr qsizetype kCompactBytes = 4096;

float toSingle(double value) {
    if (!std::isfinite(value) || value < 0.0) return 0.0f;
    return float(std::min(value, double(FLT_MAX)));
}
} // namespace

SweepPoint SweepPoint::read(const char* bytes) {
    const auto b = [bytes](int i) { return quint16(quint8(bytes[i])); };
    SweepPoint p;
    p.sequence = quint8(bytes[0]);
    p.exponent = quint16(b(1) << 8 | b(2));
    p.mantissa = quint16(b(3) << 8 | b(4));
    return p;
}

float SweepPoint::level(double factor) const {
    const double value = mantissa * std::sqrt(std::pow(2.0, double(exponent))) / 8.0 * factor;
    const float single = float(value);
    return std::isfinite(value) && std::isfinite(single) && value >= 0.0 ? single : 0.0f;
}

void SweepBuffer::clear() {
    data_.clear();
    offset_ = 0;
}

void SweepBuffer::append(const QByteArray& bytes) {
    if (bytes.isEmpty()) return;
    const qsizetype before = data_.size();
    data_.append(bytes);
    // Only the new bytes and the few before them can hold a notice not seen yet.
    qsizetype from = std::max(offset_, before - (kNotice.size() - 1));
    for (;;) {
        const qsizetype at = data_.indexOf(kNotice, from);
        if (at < 0) break;
        data_.remove(at, kNotice.size());
        from = std::max(offset_, at - (kNotice.size() - 1));
    }
}

qsizetype SweepBuffer::settled() const {
    const qsizetype left = available();
    for (qsizetype n = std::min<qsizetype>(kNotice.size() - 1, left); n > 0; --n)
        if (QByteArrayView(data_).last(n) == QByteArrayView(kNotice).first(n)) return left - n;
    return left;
}

void SweepBuffer::consume(qsizetype count) {
    offset_ = std::min(data_.size(), offset_ + std::max<qsizetype>(0, count));
    if (offset_ >= kCompactBytes && offset_ * 2 >= data_.size()) {
        data_.remove(0, offset_);
        offset_ = 0;
    }
}

bool SweepBuffer::contains(const QByteArray& text) const {
    return data_.indexOf(text, offset_) >= 0;
}

void SweepDecoder::startPass(int axis, double factor) {
    axis_ = std::clamp(axis, 1, 3);
    factor_ = factor;
    sum_ = 0.0;
    replaced_ = 0.0f;
    data_.PointIndex = 0;
    data_.PeakLevel = 0.0f;
    data_.PeakFreq = -1.0f;
    data_.SumSquares = 0.0f;
}

void SweepDecoder::updateTotal(int i) {
    const double x = data_.Level[1][size_t(i)];
    const double y = data_.Level[2][size_t(i)];
    const double z = data_.Level[3][size_t(i)];
    data_.Level[0][size_t(i)] = toSingle(std::sqrt(x * x + y * y + z * z));
}

SweepDecoder::Result SweepDecoder::decode(SweepBuffer& buffer, bool* boxesChanged) {
    if (boxesChanged) *boxesChanged = false;
    const int i = data_.PointIndex;
    if (i < 0 || i >= SpectrumPoints || buffer.available() < SweepPoint::Bytes)
        return Result::WrongSequence;
    const SweepPoint point = SweepPoint::read(buffer.front());
    if (point.sequence != SweepPoint::sequenceOf(i)) {
        // The point before was probably cut too: put back what it replaced. The first point
        // of a pass has none before it.
        if (i > 0) {
            data_.Level[size_t(axis_)][size_t(i - 1)] = replaced_;
            updateTotal(i - 1);
        }
        return Result::WrongSequence;
    }
    float& level = data_.Level[size_t(axis_)][size_t(i)];
    replaced_ = level;
    level = point.level(factor_);
    updateTotal(i);

    const double x = data_.Level[1][size_t(i)];
    const double y = data_.Level[2][size_t(i)];
    const double z = data_.Level[3][size_t(i)];
    sum_ += x * x + y * y + z * z;
    data_.SumSquares = toSingle(sum_);

    const float total = data_.Level[0][size_t(i)];
    if (total > data_.PeakLevel) {
        data_.PeakLevel = total;
        data_.PeakFreq = data_.Freq[size_t(i)];
        data_.PeakIndex = i;
    }
    if (data_.Freq[size_t(i)] >= data_.LatchedPeakFreq) {
        data_.latch();
        if (boxesChanged) *boxesChanged = true;
    }
    buffer.consume(SweepPoint::Bytes);
    ++data_.PointIndex;
    return Result::Decoded;
}
