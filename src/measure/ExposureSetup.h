#pragma once

#include "measure/LimitTable.h"

#include <QString>
#include <optional>

// The panel's exposure choice, kept in its own file beside the panel so the panel file's
// layout stays as it is: "Panels/<panel name>.json".
struct ExposureChoice {
    // "" = no evaluation; a built-in table's name; or a file name inside "Limits/".
    QString table = QLatin1String(LimitTables::kDefaultName);
    double alarmPercent = 100.0;
    bool operator==(const ExposureChoice&) const = default;
};

// What a run evaluates with: the choice and, when it names a readable table, the table.
// `problem` says why a chosen table is not used (refused file, missing file, bad side file).
struct ExposureSetup {
    ExposureChoice choice;
    std::optional<LimitTable> table;
    QString problem;
};

namespace ExposureChoiceFile {

inline const char* const kLimitsFolder = "Limits";
constexpr double kMaxAlarmPercent = 100000.0;
constexpr qint64 kMaxFileBytes = 4096;

// "Panels/<panel name>.json" for the panel file "Panels/<panel name>.EST".
QString sideFilePath(const QString& panelPath);
// The choice in a side file; a missing file gives the defaults, a bad one the defaults with
// *why set.
ExposureChoice load(const QString& path, QString* why = nullptr);
bool save(const QString& path, const ExposureChoice& choice);
// The tables an operator can choose: the built-in ones, then the files in "Limits/".
QStringList choices(const QString& appDir);
// The choice resolved into a table; never throws, never leaves the application directory.
ExposureSetup resolve(const QString& appDir, const ExposureChoice& choice);
// Both steps for a panel.
ExposureSetup forPanel(const QString& appDir, const QString& panelPath);

} // namespace ExposureChoiceFile
