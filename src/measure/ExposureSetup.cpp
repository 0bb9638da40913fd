#include "measure/ExposureSetup.h"

#include "app/SaveWholeFile.h"
#include "app/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace ExposureChoiceFile {

namespace {
const QLatin1String kTableKey("limitTable");
const QLatin1String kAlarmKey("alarmPercent");
} // namespace

QString sideFilePath(const QString& panelPath) {
    const QFileInfo fi(panelPath);
    return fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".json");
}

ExposureChoice load(const QString& path, QString* why) {
    ExposureChoice c;
    QFile f(path);
    if (!f.exists()) return c;
    auto refuse = [&](const QString& what) {
        if (why) *why = QFileInfo(path).fileName() + QStringLiteral(": ") + what;
        return ExposureChoice{};
    };
    if (!f.open(QIODevice::ReadOnly)) return refuse(QStringLiteral("cannot be read"));
    if (f.size() > kMaxFileBytes) return refuse(QStringLiteral("too large"));
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(f.read(kMaxFileBytes), &err);
    if (err.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(QStringLiteral("not a JSON object"));
    const QJsonObject o = doc.object();
    if (o.contains(kTableKey)) {
        if (!o.value(kTableKey).isString())
            return refuse(QStringLiteral("limitTable is not a text"));
        c.table = o.value(kTableKey).toString().left(200);
    }
    if (o.contains(kAlarmKey)) {
        const double a = o.value(kAlarmKey).toDouble(-1);
        if (!std::isfinite(a) || a <= 0 || a > kMaxAlarmPercent)
            return refuse(QStringLiteral("alarmPercent is not a number above 0"));
        c.alarmPercent = a;
    }
    return c;
}

bool save(const QString& path, const ExposureChoice& choice) {
    QJsonObject o;
    o.insert(kTableKey, choice.table);
    o.insert(kAlarmKey, choice.alarmPercent);
    return saveWholeFile(path, QJsonDocument(o).toJson());
}

QStringList choices(const QString& appDir) {
    QStringList out = LimitTables::builtInNames();
    const QDir dir(QDir(appDir).filePath(QLatin1String(kLimitsFolder)));
    const QStringList files = dir.entryList(QDir::Files | QDir::Readable, QDir::Name);
    for (const QString& name : files) {
        if (TestDirs::isSafeName(name) && !out.contains(name)) out << name;
    }
    return out;
}

ExposureSetup resolve(const QString& appDir, const ExposureChoice& choice) {
    ExposureSetup s;
    s.choice = choice;
    if (choice.table.isEmpty()) return s;
    if (LimitTables::builtInNames().contains(choice.table)) {
        s.table = LimitTables::builtIn(choice.table);
        return s;
    }
    if (!TestDirs::isSafeName(choice.table)) {
        s.problem = QStringLiteral("\"%1\" is not a file name inside \"%2/\"")
                        .arg(choice.table, QLatin1String(kLimitsFolder));
        return s;
    }
    const QString path =
        QDir(appDir).filePath(QLatin1String(kLimitsFolder) + QLatin1Char('/') + choice.table);
    s.table = LimitTables::read(path, &s.problem);
    return s;
}

ExposureSetup forPanel(const QString& appDir, const QString& panelPath) {
    QString why;
    const ExposureChoice c = load(sideFilePath(panelPath), &why);
    ExposureSetup s = resolve(appDir, c);
    if (!why.isEmpty()) s.problem = why;
    return s;
}

} // namespace ExposureChoiceFile
