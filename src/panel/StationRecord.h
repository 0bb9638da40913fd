#pragma once

#include "app/CountedTexts.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <array>

// A fixed-length text field as stored: exactly n single-byte characters, left-aligned and
// padded with spaces. A fresh record holds zero bytes instead.
QByteArray fixedText(const QString& text, int n);
// The text as shown: Latin-1, blanks (and the zero bytes of a never-set field) removed at
// both ends.
QString shownText(const QByteArray& fixed);

// One station slot of a panel. A slot is in use when Comm is not 0.
struct StationRecord {
    static constexpr int SerialNumberSize = 20;
    static constexpr int CommentSize = 200;
    static constexpr int ReservedCount = 101;

    qint16 Comm = 0; // serial port number, 1..99; 0 = empty slot
    QByteArray SerialNumber = QByteArray(SerialNumberSize, '\0');
    QByteArray Comment = QByteArray(CommentSize, '\0');
    qint16 Enabled = 0; // 0 or -1
    // Carried unchanged through load and save; nothing interprets them.
    std::array<qint16, ReservedCount> Reserved16{};
    std::array<quint32, ReservedCount> Reserved32{};
    CountedTexts<ReservedCount> ReservedTexts;

    bool inUse() const { return Comm != 0; }
    bool isEnabled() const { return Enabled == -1; }
    QString serialNumberText() const { return shownText(SerialNumber); }
    QString commentText() const { return shownText(Comment); }
    void setSerialNumber(const QString& s) { SerialNumber = fixedText(s, SerialNumberSize); }
    void setComment(const QString& s) { Comment = fixedText(s, CommentSize); }
    // Empties the slot as removal does: port 0, texts of zero bytes, disabled. The reserved
    // arrays stay with the slot.
    void clear();
    // Copies port, texts and enabled mark (what moves when stations move up a slot).
    void takeStationFrom(const StationRecord& other);

    friend bool operator==(const StationRecord&, const StationRecord&) = default;
};
