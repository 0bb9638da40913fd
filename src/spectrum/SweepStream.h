#pragma once

#include <QByteArray>
#include <QtGlobal>

struct SpectrumData;

// One point of the probe's sweep stream: sequence byte (index + 1) mod 256, then exponent and
// mantissa, each 16-bit big-endian.
struct SweepPoint {
    static constexpr int Bytes = 5;

    quint8 sequence = 0;
    quint16 exponent = 0;
    quint16 mantissa = 0;

    // The point in the first Bytes bytes of `bytes`.
    static SweepPoint read(const char* bytes);
    static quint8 sequenceOf(int index) { return quint8((index + 1) % 256); }
    // M x sqrt(2^E) / sqrt(64) x factor; 0 when that is no finite single (an exponent the
    // probe cannot mean).
    float level(double factor) const;
};

// The receive buffer of an acquisition. Bytes are appended as they arrive and read through an
// offset, so taking a point off the front moves nothing; the read front is dropped only once
// it outweighs what is left. The probe's notice "#00@%*" is dropped wherever it lands.
class SweepBuffer {
public:
    static constexpr int HeaderBytes = 11;

    void clear();
    void append(const QByteArray& bytes);
    qsizetype available() const { return data_.size() - offset_; }
    // available() less a tail that may be the first bytes of a notice whose rest is still on
    // the line: those bytes must not be taken for a point yet.
    qsizetype settled() const;
    const char* front() const { return data_.constData() + offset_; }
    void consume(qsizetype count);
    // Whether text occurs in the bytes not read yet.
    bool contains(const QByteArray& text) const;
    // Everything received since the last clear that is still held (for the failure log).
    const QByteArray& received() const { return data_; }

private:
    QByteArray data_;
    qsizetype offset_ = 0;
};

// Decodes the points of one pass into the spectrum: the level into the current axis's trace,
// the Total, the running peak and the sum of squares.
class SweepDecoder {
public:
    explicit SweepDecoder(SpectrumData& data) : data_(data) {}

    // A new pass over `axis` (1..3); factor is the field's level factor, x 0.2 with the
    // preamplifier on in the probe. Resets PointIndex, the running peak and the sum.
    void startPass(int axis, double factor);

    enum class Result { Decoded, WrongSequence };
    // Decodes the point at PointIndex from the front of buffer (at least SweepPoint::Bytes
    // bytes there) and moves PointIndex on. On a wrong sequence byte nothing is consumed and
    // the previous point of the pass gets back the level it replaced. boxesChanged is set when
    // the latch moved.
    Result decode(SweepBuffer& buffer, bool* boxesChanged = nullptr);

private:
    void updateTotal(int index);

    SpectrumData& data_;
    int axis_ = 1;
    double factor_ = 0.125;
    double sum_ = 0.0;
    float replaced_ = 0.0f; // what the last decoded point overwrote in its trace
};
