#pragma once

#include <QByteArray>
#include <QString>

// Byte-sequence helpers that all reply parsing uses. Positions are 1-based, as the callers
// count them; every function is total, so a garbled or truncated reply never reads out of
// bounds.

// Highest index (length - 1); -1 for an empty sequence.
int ByteCount(const QByteArray& seq);
// One character per byte (Latin-1).
QString BytesToText(const QByteArray& seq);
QByteArray AppendBytes(const QByteArray& a, const QByteArray& b);
// The first n bytes; empty for n <= 0.
QByteArray LeftBytes(const QByteArray& seq, int n);
// n bytes from 1-based position start; empty when start lies beyond the end.
QByteArray MidBytes(const QByteArray& seq, int start, int n);
// 1-based position of the first occurrence of pattern at or after 1-based start, else 0.
int FindBytes(int start, const QByteArray& seq, const QByteArray& pattern);
// Removes every occurrence of pattern; after each removal the search goes on at the position
// where the removed occurrence began.
void RemoveAllBytes(QByteArray& seq, const QByteArray& pattern);
