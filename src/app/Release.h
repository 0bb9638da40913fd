#pragma once

#include <QString>

// "1.00 (January 2020)": major, two-digit minor, the revision only when it is not 0.
QString releaseText(int major, int minor, int revision);
// The release text of this build.
QString ReleaseText();
