#pragma once

#include <QByteArray>
#include <QString>

// Writes data as the whole new content of path in one replace-on-commit step, so a crash or a
// full disk leaves either the old file or the new one, never half of each. Temporary files
// left beside it by a save that was killed are removed once a save commits. Creates the folder
// when it is missing. False when the file could not be written.
bool saveWholeFile(const QString& path, const QByteArray& data);
