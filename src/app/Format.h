#pragma once

#include <QString>

// The message padded with spaces to 80 characters (unchanged when already that long).
QString PadLogText(const QString& text);
// "hh:mm:ss" for a remaining time; empty for 0 or less.
QString FormatSeconds(double seconds);
