#include "freqtable/FreqTableText.h"

#include "app/SaveWholeFile.h"
#include "app/ValueLists.h"

#include <QFileInfo>
#include <QLocale>

#include <algorithm>

int integerDigitsFor(double largest) {
    if (largest < 10) return 1;
    if (largest < 100) return 2;
    if (largest < 1000) return 3;
    return 4;
}

QString alignedFrequencyText(double freq, int integerDigits) {
    QString text = QString::number(freq, 'f', QLocale::FloatingPointShortest);
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    const qsizetype intPart = dot < 0 ? text.size() : dot;
    if (intPart < integerDigits) text.prepend(QString(integerDigits - intPart, QLatin1Char(' ')));
    return text;
}

QByteArray freqTableText(const QString& fileNamePart, const QDateTime& when,
                         const QList<double>& frequencies, int separatorIndex) {
    const QString crlf = QStringLiteral("\r\n");
    const QString title = QStringLiteral("Frequency MHz");
    const QString sep = ValueLists::separatorText(separatorIndex);
    const int count = int(frequencies.size());
    const int numberWidth = int(QString::number(count).size());
    double largest = 0;
    for (double f : frequencies)
        largest = std::max(largest, f);
    const int digits = integerDigitsFor(largest);

    QString out = fileNamePart + QLatin1Char(' ') + when.toString(QStringLiteral("dd/MM/yyyy")) +
                  QLatin1Char(' ') + when.toString(QStringLiteral("hh:mm:ss")) + crlf;
    out += crlf;
    out += QString(numberWidth, QLatin1Char(' ')) +
           (sep == QLatin1String("\t") ? sep : QStringLiteral(" ")) + title + crlf;
    out += crlf;
    for (int i = 0; i < count; ++i)
        out += QString::number(i + 1).rightJustified(numberWidth) + sep +
               alignedFrequencyText(frequencies[i], digits).rightJustified(title.size()) + crlf;
    return out.toLatin1();
}

bool saveFreqTableText(const QString& path, const QDateTime& when, const QList<double>& frequencies,
                       int separatorIndex) {
    return saveWholeFile(
        path, freqTableText(QFileInfo(path).fileName(), when, frequencies, separatorIndex));
}
