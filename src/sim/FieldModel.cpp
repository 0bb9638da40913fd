#include "sim/FieldModel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double kFreeSpaceImpedance = 377.0;
constexpr double kNoiseRbwHz = 10000.0;
} // namespace

FieldModel::FieldModel(const StationConfig& config)
    : config_(config), random_(quint32(config.seed ^ (config.seed >> 32))) {
    // Each emitter drifts with its own phase, fixed by the seed so runs repeat.
    QRandomGenerator phaseSource(quint32(config.seed * 7919 + 17));
    for (size_t i = 0; i < config.emitters.size(); ++i)
        phases_.push_back(phaseSource.generateDouble() * 2.0 * std::numbers::pi);
}

double FieldModel::filterGain(double offsetHz, double rbwHz, double bandwidthHz) {
    const double width2 = rbwHz * rbwHz + bandwidthHz * bandwidthHz;
    if (width2 <= 0) return offsetHz == 0 ? 1.0 : 0.0;
    const double x = 4.0 * std::numbers::ln2 * offsetHz * offsetHz / width2;
    if (x > 200) return 0.0;
    return rbwHz / std::sqrt(width2) * std::exp(-x);
}

double FieldModel::level(Field field, int axis, double freqHz, double rbwHz, double seconds,
                         double noiseDraw) const {
    if (axis < 0 || axis > 2) return 0.0;
    double power = 0.0;
    for (size_t i = 0; i < config_.emitters.size(); ++i) {
        const Emitter& em = config_.emitters[i];
        const double gain =
            filterGain(freqHz - em.frequencyMHz * 1e6, rbwHz, em.bandwidthMHz * 1e6);
        if (gain <= 0) continue;
        double amplitude = field == Field::E ? em.e[size_t(axis)]
                           : em.hGiven       ? em.h[size_t(axis)]
                                             : em.e[size_t(axis)] / kFreeSpaceImpedance;
        if (em.driftDb > 0) {
            const double phase =
                2.0 * std::numbers::pi * seconds / em.driftPeriodSeconds + phases_[i];
            amplitude *= std::pow(10.0, em.driftDb / 20.0 * std::sin(phase));
        }
        power += amplitude * amplitude * gain;
    }
    const double floorE = config_.noiseE;
    const double floor = field == Field::E     ? floorE
                         : config_.noiseH >= 0 ? config_.noiseH
                                               : floorE / kFreeSpaceImpedance;
    const double noise = floor * std::sqrt(std::max(rbwHz, 0.0) / kNoiseRbwHz) *
                         (1.0 + config_.noiseJitter * std::clamp(noiseDraw, -1.0, 1.0));
    power += noise * noise;
    return std::sqrt(power);
}

double FieldModel::reading(Field field, int axis, double freqHz, double rbwHz, double seconds) {
    const double draw = random_.generateDouble() * 2.0 - 1.0;
    return level(field, axis, freqHz, rbwHz, seconds, draw);
}
