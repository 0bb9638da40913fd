#pragma once

#include <span>

// Marker and zoom arithmetic on a frequency axis (ascending, MHz) and one trace of linear
// levels; both spans cover the points of the sweep only.

// The point nearest to a frequency; -1 for an empty axis.
int nearestPoint(std::span<const float> freq, double frequency);

// The next peak from the marker in direction +1 (right) or -1 (left): a peak counts only when
// the level rises by at least 1.41 (3 dB) above the lowest level met since a level 1.41 below
// the marker's, and it is the last point before the level stops rising (also when it then
// drops straight back below the 3 dB rise). Stops at either end of
// the sweep; -1 when there is no such peak (the marker then stays). Compares by multiplying,
// so zero levels are met without a division.
int findPeak(std::span<const float> level, int marker, int direction);

// The shown part of a zoomed sweep, as point indexes first..last.
struct ZoomRange {
    int first = 0;
    int last = 0;
    int points() const { return last - first + 1; }
};

// The range shown at a zoom factor around a centre frequency: the initial span divided by the
// factor, moved to stay inside the sweep (what falls out at one end is added at the other) and
// aligned to the nearest frequency points. A factor of 1 or less shows the whole sweep.
ZoomRange zoomRange(std::span<const float> freq, double factor, double centre);
