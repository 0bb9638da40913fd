#pragma once

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <bit>

// Field-by-field little-endian reading and writing of the binary records. Reading past the
// end of the data gives zeros, and a counted text never takes more than the bytes left, so
// a truncated or hostile file cannot make the reader run off or allocate without bound.
class ByteReader {
public:
    explicit ByteReader(const QByteArray& data) : data_(data) {}

    qsizetype position() const { return pos_; }
    qsizetype left() const { return data_.size() - pos_; }

    template <typename T> T integer() {
        if (left() < qsizetype(sizeof(T))) {
            pos_ = data_.size();
            return T(0);
        }
        const T v = qFromLittleEndian<T>(data_.constData() + pos_);
        pos_ += sizeof(T);
        return v;
    }
    float float32() { return std::bit_cast<float>(integer<quint32>()); }
    double float64() { return std::bit_cast<double>(integer<quint64>()); }

    // n bytes; what is missing at the end reads as zero bytes.
    QByteArray fixed(qsizetype n) {
        QByteArray out = data_.mid(pos_, std::min(n, left()));
        pos_ += out.size();
        if (out.size() < n) out.append(QByteArray(n - out.size(), '\0'));
        return out;
    }
    // A 16-bit length, then that many bytes (bounded by the bytes left).
    QByteArray counted() {
        const qsizetype n = integer<quint16>();
        const qsizetype take = std::min(n, left());
        QByteArray out = data_.mid(pos_, take);
        pos_ += take;
        return out;
    }

private:
    const QByteArray& data_;
    qsizetype pos_ = 0;
};

class ByteWriter {
public:
    template <typename T> void integer(T v) {
        char buf[sizeof(T)];
        qToLittleEndian<T>(v, buf);
        out_.append(buf, sizeof(T));
    }
    void float32(float v) { integer<quint32>(std::bit_cast<quint32>(v)); }
    void float64(double v) { integer<quint64>(std::bit_cast<quint64>(v)); }
    // Exactly n bytes: cut, or padded with zero bytes (fixed texts are kept padded already).
    void fixed(const QByteArray& bytes, qsizetype n) {
        out_.append(bytes.left(n));
        if (bytes.size() < n) out_.append(QByteArray(n - bytes.size(), '\0'));
    }
    // A counted text; longer than 65535 bytes is cut so the length stays true.
    void counted(const QByteArray& bytes) {
        const QByteArray b = bytes.left(0xFFFF);
        integer<quint16>(quint16(b.size()));
        out_.append(b);
    }
    const QByteArray& bytes() const { return out_; }

private:
    QByteArray out_;
};
