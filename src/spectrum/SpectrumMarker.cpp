#include "spectrum/SpectrumMarker.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr float PeakRatio = 1.41f;
}

int nearestPoint(std::span<const float> freq, double frequency) {
    if (freq.empty()) return -1;
    const auto it = std::lower_bound(freq.begin(), freq.end(), frequency,
                                     [](float f, double v) { return double(f) < v; });
    if (it == freq.begin()) return 0;
    if (it == freq.end()) return int(freq.size()) - 1;
    const int right = int(it - freq.begin());
    return frequency - double(freq[right - 1]) <= double(freq[right]) - frequency ? right - 1
                                                                                  : right;
}

int findPeak(std::span<const float> level, int marker, int direction) {
    const int n = int(level.size());
    if (marker < 0 || marker >= n || (direction != 1 && direction != -1)) return -1;
    const float start = level[marker];
    float valley = start;
    float candidate = 0;
    for (int i = marker + direction; i >= 0 && i < n; i += direction) {
        const float l = level[i];
        // After a rise of 3 dB the peak is the last point before the level stops rising,
        // however far it then falls.
        if (candidate > 0 && candidate >= l) return i - direction;
        if (start >= PeakRatio * l && l < valley) valley = l;
        // A strict rise as well, so that two zero levels never make a peak.
        if (l >= PeakRatio * valley && l > valley) candidate = l;
    }
    return -1;
}

ZoomRange zoomRange(std::span<const float> freq, double factor, double centre) {
    const int n = int(freq.size());
    if (n == 0) return {};
    const ZoomRange whole{0, n - 1};
    if (!(factor > 1) || !std::isfinite(centre)) return whole;
    const double lo = freq.front();
    const double hi = freq.back();
    const double span = (hi - lo) / factor;
    double start = centre - span / 2;
    double stop = centre + span / 2;
    if (start < lo) {
        stop += lo - start;
        start = lo;
    }
    if (stop > hi) {
        start -= stop - hi;
        stop = hi;
    }
    start = std::max(start, lo);
    ZoomRange r{nearestPoint(freq, start), nearestPoint(freq, stop)};
    if (r.last <= r.first) r.last = std::min(n - 1, r.first + 1);
    if (r.last <= r.first) r.first = std::max(0, r.last - 1);
    return r;
}
