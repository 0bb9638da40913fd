#pragma once

#include <QString>

// The release text of the installation: the last line of "Orsk Halvex.DAT" in the
// application directory (the name is matched case-insensitively). Empty when the file is
// missing, unreadable or ends with an empty line.
QString ReadReleaseLine(const QString& appDir);
