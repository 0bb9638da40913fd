#include "app/TestDirs.h"

#include "app/Clock.h"

#include <QDir>

TestDirs::TestDirs(QString appDir, const Clock& clock) : appDir_(std::move(appDir)), clock_(clock) {
    SetTestDate();
}

void TestDirs::SetTestDate() {
    const QDate d = clock_.today();
    TestYearDir = d.toString(QStringLiteral("yyyy")) + QLatin1Char('/');
    TestMonthDir = d.toString(QStringLiteral("MM")) + QLatin1Char('/');
    TestDayDir = d.toString(QStringLiteral("dd")) + QLatin1Char('/');
}

bool TestDirs::isSafeName(const QString& name) {
    if (name.trimmed().isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    for (const QChar c : name) {
        // Names are kept as single-byte text in the panel and settings records: a character
        // beyond Latin-1 would come back as "?" and no longer name the file.
        if (c.unicode() < 32 || c.unicode() > 0xFF || QStringLiteral("/\\:*?\"<>|").contains(c))
            return false;
    }
    return !name.contains(QLatin1String(".."));
}

QString TestDirs::dayDir() const {
    return appDir_ + QStringLiteral("Test/") + TestName + QLatin1Char('/') + TestYearDir +
           TestMonthDir + TestDayDir;
}

QString TestDirs::MakeTestDirectories() {
    if (!isSafeName(TestName))
        return {};
    const QString dir = dayDir();
    return QDir().mkpath(dir) ? dir : QString();
}
