#include "link/ByteSequence.h"

int ByteCount(const QByteArray& seq) {
    return int(seq.size()) - 1;
}

QString BytesToText(const QByteArray& seq) {
    return QString::fromLatin1(seq);
}

QByteArray AppendBytes(const QByteArray& a, const QByteArray& b) {
    return a + b;
}

QByteArray LeftBytes(const QByteArray& seq, int n) {
    if (n <= 0) return {};
    return seq.left(n);
}

QByteArray MidBytes(const QByteArray& seq, int start, int n) {
    if (seq.isEmpty()) return seq;
    if (start < 1) start = 1;
    if (start > seq.size() || n <= 0) return {};
    return seq.mid(start - 1, n);
}

int FindBytes(int start, const QByteArray& seq, const QByteArray& pattern) {
    if (seq.isEmpty() || pattern.isEmpty()) return 0;
    if (start < 1) start = 1;
    if (start > seq.size()) return 0;
    const qsizetype at = seq.indexOf(pattern, start - 1);
    return at < 0 ? 0 : int(at) + 1;
}

void RemoveAllBytes(QByteArray& seq, const QByteArray& pattern) {
    if (pattern.isEmpty()) return;
    qsizetype from = 0;
    while ((from = seq.indexOf(pattern, from)) >= 0)
        seq.remove(from, pattern.size());
}
