#pragma once

#include <QByteArray>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cstddef>

// N counted texts (each a 16-bit length, then that many bytes) that a record carries without
// reading them, kept as the bytes the file holds. A panel has seventeen runs of 101 such
// reserved texts; read, compared and written as one piece each, they cost seventeen steps
// instead of seventeen hundred. No bytes stand for N empty texts.
template <size_t N> class CountedTexts {
public:
    static constexpr size_t Count = N;

    QByteArray text(size_t index) const {
        qsizetype at = 0;
        for (size_t i = 0; at + 2 <= run_.size(); ++i) {
            const qsizetype n = qFromLittleEndian<quint16>(run_.constData() + at);
            if (i == index) return run_.mid(at + 2, n);
            at += 2 + n;
        }
        return {};
    }
    // A text longer than 65535 bytes is cut, so its length stays true.
    void setText(size_t index, const QByteArray& text) {
        std::array<QByteArray, N> texts;
        for (size_t i = 0; i < N; ++i)
            texts[i] = i == index ? text.left(0xFFFF) : this->text(i);
        run_.clear();
        if (std::all_of(texts.begin(), texts.end(),
                        [](const QByteArray& t) { return t.isEmpty(); }))
            return;
        for (const QByteArray& t : texts) {
            char word[2];
            qToLittleEndian<quint16>(quint16(t.size()), word);
            run_.append(word, 2).append(t);
        }
    }

    // The file's bytes of all N texts; empty when every text is empty. Only the codec
    // writes it, always with N whole texts.
    QByteArray& run() { return run_; }
    const QByteArray& run() const { return run_; }

    friend bool operator==(const CountedTexts&, const CountedTexts&) = default;

private:
    QByteArray run_;
};
