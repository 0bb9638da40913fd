#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// The text export of a frequency table ("Save As Text"): a title line with the file name,
// date and time, the column title and one numbered line per frequency in use. Lines end
// with CR LF; separatorIndex is 0 (TAB), 1 (",") or 2 (";").
QByteArray freqTableText(const QString& fileNamePart, const QDateTime& when,
                         const QList<double>& frequencies, int separatorIndex);

// A frequency as the export shows it: its shortest decimal text, the integer part padded
// on the left to integerDigits.
QString alignedFrequencyText(double freq, int integerDigits);
// Integer digits the export pads to for a largest frequency: 1 below 10, 2 below 100,
// 3 below 1000, else 4.
int integerDigitsFor(double largest);

// Writes the export to path, replacing an existing file. False when it could not be written.
bool saveFreqTableText(const QString& path, const QDateTime& when, const QList<double>& frequencies,
                       int separatorIndex);
