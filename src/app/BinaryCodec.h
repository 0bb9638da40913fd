#pragma once

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>

// Field-by-field little-endian reading and writing of the binary records. A record's layout
// is written once, as a function that hands each field to a codec in file order; the same
// function reads the record from a reading codec and writes it to a writing one.
//
// A reading codec keeps its own (shared) copy of the data, so it cannot outlive the bytes it
// reads. Reading past the end leaves a field as it was (a fresh record's default), a fixed
// text reads its missing bytes as zeros, and a counted text never takes more than the bytes
// left, so a truncated or hostile file cannot make the reader run off or allocate without
// bound.
class BinaryCodec {
public:
    static BinaryCodec reader(QByteArray data) { return BinaryCodec(std::move(data), true); }
    static BinaryCodec writer() { return BinaryCodec(QByteArray(), false); }

    bool reading() const { return reading_; }
    qsizetype left() const { return reading_ ? data_.size() - pos_ : 0; }
    // What a writing codec has written.
    const QByteArray& bytes() const { return data_; }

    template <typename T> void integer(T& v) {
        if (!reading_) {
            char buf[sizeof(T)];
            qToLittleEndian<T>(v, buf);
            data_.append(buf, sizeof(T));
        } else if (left() < qsizetype(sizeof(T))) {
            pos_ = data_.size();
        } else {
            v = qFromLittleEndian<T>(data_.constData() + pos_);
            pos_ += sizeof(T);
        }
    }
    template <typename T, size_t N> void integers(std::array<T, N>& a) {
        for (T& v : a)
            integer(v);
    }
    template <typename F> void floating(F& v) {
        using Bits = std::conditional_t<sizeof(F) == 4, quint32, quint64>;
        Bits b = std::bit_cast<Bits>(v);
        integer(b); // a read past the end leaves b, and so v, as it was
        if (reading_) v = std::bit_cast<F>(b);
    }
    template <typename F, size_t N> void floatings(std::array<F, N>& a) {
        for (F& v : a)
            floating(v);
    }

    // Exactly n bytes. Written cut or padded with zero bytes; read with the missing end as
    // zero bytes.
    void fixed(QByteArray& bytes, qsizetype n) {
        if (!reading_) {
            data_.append(bytes.left(n));
            if (bytes.size() < n) data_.append(QByteArray(n - bytes.size(), '\0'));
            return;
        }
        bytes = data_.mid(pos_, std::min(n, left()));
        pos_ += bytes.size();
        if (bytes.size() < n) bytes.append(QByteArray(n - bytes.size(), '\0'));
    }
    // A 16-bit length, then that many bytes. A text longer than 65535 bytes is cut when
    // written, so the length stays true; a length beyond the data reads what is there.
    void counted(QByteArray& bytes) {
        if (!reading_) {
            const QByteArray b = bytes.left(0xFFFF);
            quint16 n = quint16(b.size());
            integer(n);
            data_.append(b);
            return;
        }
        quint16 n = 0;
        integer(n);
        const qsizetype take = std::min(qsizetype(n), left());
        bytes = data_.mid(pos_, take);
        pos_ += take;
    }
    template <size_t N> void counteds(std::array<QByteArray, N>& a) {
        for (QByteArray& t : a)
            counted(t);
    }

private:
    BinaryCodec(QByteArray data, bool reading) : data_(std::move(data)), reading_(reading) {}

    QByteArray data_;
    qsizetype pos_ = 0;
    bool reading_;
};

// Runs a layout over a copy of a record to write it: the layout takes the record by
// reference so that one function serves both directions.
template <typename Record, typename Layout>
QByteArray writeRecord(const Record& record, Layout layout) {
    Record copy = record;
    BinaryCodec codec = BinaryCodec::writer();
    layout(codec, copy);
    return codec.bytes();
}

template <typename Record, typename Layout>
Record readRecord(const QByteArray& data, Layout layout, Record record = Record{}) {
    BinaryCodec codec = BinaryCodec::reader(data);
    layout(codec, record);
    return record;
}
