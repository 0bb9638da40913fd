#include "app/Release.h"

QString releaseText(int major, int minor, int revision) {
    QString t = QString::number(major) + QLatin1Char('.') +
                QStringLiteral("%1").arg(minor, 2, 10, QLatin1Char('0'));
    if (revision != 0)
        t += QLatin1Char('.') + QString::number(revision);
    return t + QStringLiteral(" (January 2020)");
}

QString ReleaseText() {
    return releaseText(HALVEX_VERSION_MAJOR, HALVEX_VERSION_MINOR, HALVEX_VERSION_PATCH);
}
