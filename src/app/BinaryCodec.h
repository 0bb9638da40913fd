#pragma once

#include "app/CountedTexts.h"

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

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
    // A floating-point value is stored as the integer of its bits.
    template <typename F> using Bits = std::conditional_t<sizeof(F) == 4, quint32, quint64>;

public:
    static BinaryCodec reader(QByteArray data) { return BinaryCodec(std::move(data), true); }
    // A writer sized for the record it will write grows its buffer only once.
    static BinaryCodec writer(qsizetype expectedBytes = 0) {
        BinaryCodec c(QByteArray(), false);
        c.data_.reserve(expectedBytes);
        return c;
    }

    bool reading() const { return reading_; }
    qsizetype left() const { return reading_ ? data_.size() - pos_ : 0; }
    // What a writing codec has written.
    const QByteArray& bytes() const { return data_; }

    template <typename T> void integer(T& v) {
        if (!reading_) {
            qToLittleEndian<T>(v, room(sizeof(T)));
        } else if (left() < qsizetype(sizeof(T))) {
            pos_ = data_.size();
        } else {
            v = qFromLittleEndian<T>(data_.constData() + pos_);
            pos_ += sizeof(T);
        }
    }
    template <typename T, size_t N> void integers(std::array<T, N>& a) {
        array<T>(a, [this](T& v) { integer(v); });
    }
    template <typename F> void floating(F& v) {
        Bits<F> b = std::bit_cast<Bits<F>>(v);
        integer(b); // a read past the end leaves b, and so v, as it was
        if (reading_) v = std::bit_cast<F>(b);
    }
    template <typename F, size_t N> void floatings(std::array<F, N>& a) {
        array<Bits<F>>(a, [this](F& v) { floating(v); });
    }

    // Exactly n bytes. Written cut or padded with zero bytes; read with the missing end as
    // zero bytes.
    void fixed(QByteArray& bytes, qsizetype n) {
        if (!reading_) {
            char* out = room(n);
            const qsizetype k = std::min(n, bytes.size());
            std::memcpy(out, bytes.constData(), size_t(k));
            std::memset(out + k, 0, size_t(n - k));
            return;
        }
        bytes = data_.mid(pos_, std::min(n, left()));
        pos_ += bytes.size();
        if (bytes.size() < n) bytes.append(QByteArray(n - bytes.size(), '\0'));
    }
    // N counted texts (a 16-bit length, then that many bytes), taken whole. Read, a length
    // beyond the data takes what is there, and a run cut short is completed with empty texts,
    // so it always holds N whole texts; N empty texts are kept as no bytes.
    template <size_t N> void counteds(CountedTexts<N>& texts) {
        QByteArray& run = texts.run();
        if (!reading_) {
            if (run.isEmpty())
                std::memset(room(2 * qsizetype(N)), 0, 2 * N);
            else
                std::memcpy(room(run.size()), run.constData(), size_t(run.size()));
            return;
        }
        const qsizetype end = data_.size();
        qsizetype at = pos_;
        qsizetype cutWord = -1;
        size_t whole = 0;
        for (; whole < N && end - at >= 2; ++whole) {
            const quint16 word = qFromLittleEndian<quint16>(data_.constData() + at);
            const qsizetype n = std::min<qsizetype>(word, end - at - 2);
            if (n < word) cutWord = at;
            at += 2 + n;
        }
        run = data_.mid(pos_, at - pos_);
        if (cutWord >= 0)
            qToLittleEndian<quint16>(quint16(at - cutWord - 2), run.data() + (cutWord - pos_));
        if (std::all_of(run.cbegin(), run.cend(), [](char b) { return b == 0; }))
            run.clear(); // every text empty
        else
            run.append(QByteArray(2 * qsizetype(N - whole), '\0'));
        // A run cut short has used up the data, down to an odd last byte.
        pos_ = whole < N ? end : at;
    }

private:
    // Long arrays (the reserved blocks, the spectrum levels) convert in one step as words of
    // their size where the bytes are there; an array cut short reads value by value.
    template <typename Word, typename T, size_t N, typename One>
    void array(std::array<T, N>& a, One one) {
        static_assert(sizeof(Word) == sizeof(T));
        constexpr qsizetype n = qsizetype(sizeof(T) * N);
        if (!reading_) {
            qToLittleEndian<Word>(a.data(), qsizetype(N), room(n));
        } else if (left() >= n) {
            qFromLittleEndian<Word>(data_.constData() + pos_, qsizetype(N), a.data());
            pos_ += n;
        } else {
            for (T& v : a)
                one(v);
        }
    }

    // n more bytes at the end of what a writer has written.
    char* room(qsizetype n) {
        const qsizetype at = data_.size();
        data_.resize(at + n);
        return data_.data() + at;
    }

    BinaryCodec(QByteArray data, bool reading) : data_(std::move(data)), reading_(reading) {}

    QByteArray data_;
    qsizetype pos_ = 0;
    bool reading_;
};

// Runs a layout over a copy of a record to write it: the layout takes the record by
// reference so that one function serves both directions.
template <typename Record, typename Layout>
QByteArray writeRecord(const Record& record, Layout layout, qsizetype expectedBytes = 0) {
    Record copy = record;
    BinaryCodec codec = BinaryCodec::writer(expectedBytes);
    layout(codec, copy);
    return codec.bytes();
}

template <typename Record, typename Layout>
Record readRecord(const QByteArray& data, Layout layout, Record record = Record{}) {
    BinaryCodec codec = BinaryCodec::reader(data);
    layout(codec, record);
    return record;
}
