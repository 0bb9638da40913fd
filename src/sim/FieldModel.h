#pragma once

#include "sim/Scenario.h"

#include <QRandomGenerator>

#include <vector>

// What a simulated probe measures: the emitters its resolution filter passes, power-summed
// with the noise. Readings and sweeps both come from here, so they agree with each other and
// change with the RBW as a real receiver's would.
class FieldModel {
public:
    enum class Field { E, H };

    explicit FieldModel(const StationConfig& config);

    // Level in V/m (E) or A/m (H) on axis 0..2 at freqHz with a resolution bandwidth of
    // rbwHz, at `seconds` on the simulator's clock. `noiseDraw` in [-1, 1] moves the noise
    // within its jitter; 0 gives the mean noise.
    double level(Field field, int axis, double freqHz, double rbwHz, double seconds,
                 double noiseDraw) const;
    // The same with the next value of the station's repeatable random sequence.
    double reading(Field field, int axis, double freqHz, double rbwHz, double seconds);

    // The share of an emitter's power that a resolution filter of rbwHz tuned offsetHz away
    // lets through (1 for a carrier at the tuned frequency). The filter is Gaussian with rbwHz
    // as its -3 dB width, the emitter's spectrum Gaussian with its bandwidth.
    static double filterGain(double offsetHz, double rbwHz, double bandwidthHz);

private:
    const StationConfig& config_;
    std::vector<double> phases_;
    QRandomGenerator random_;
};
