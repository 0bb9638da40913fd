#include "spectrum/SpectrumData.h"

#include "app/Switches.h"
#include "app/ValueLists.h"

#include <cmath>

FieldTypeSetup fieldTypeSetup(int fieldType, const Switches& switches, const QString& auxUnit) {
    FieldTypeSetup s;
    switch (fieldType) {
    case 1:
        s = {QStringLiteral("A/m"), 1.0f / 40.0f, 300.0f, 0.009f, 3.0f,
             QStringLiteral("H Field (Mode A)"), QStringLiteral("H(a)"), QStringLiteral("H_")};
        break;
    case 2:
        s = {QStringLiteral("A/m"), 1.0f / 400.0f, 30.0f, 0.3f, 30.0f,
             QStringLiteral("H Field (Mode B)"), QStringLiteral("H(b)"), QStringLiteral("H_")};
        break;
    case 3:
        // The auxiliary input is swept on the H axes and keeps the H file prefix.
        s = {auxUnit, 0.0138f, 200.0f, 0.009f, 30.0f, QStringLiteral("Auxiliary IN"),
             QStringLiteral("Aux"), QStringLiteral("H_")};
        break;
    default:
        s = {QStringLiteral("V/m"), 1.0f / 8.0f, 1000.0f, 0.009f, 30.0f,
             QStringLiteral("E Field"), QStringLiteral("E"), QStringLiteral("E_")};
        break;
    }
    if (switches.noLimit()) {
        s.minUsableFreq = 0.0f;
        s.upperLimit = 30.0f;
    }
    return s;
}

float SpectrumData::wideBand(int rbwIndex) const {
    const int row = rbwIndex < 0 || rbwIndex > 5 ? 0 : rbwIndex;
    const float value = std::sqrt(std::max(0.0f, LatchedSumSquares)) * RbwTable()[row].WideBandFactor;
    return std::max(value, LatchedPeakLevel);
}

bool buildFrequencyAxis(SweepSettings& settings, SpectrumData& data) {
    data.NPoints = 0;
    data.Freq.fill(0.0f);
    for (auto& trace : data.Level)
        trace.fill(0.0f);
    const double startHz = std::nearbyint(double(settings.FStart) * 1e6);
    const double stopHz = std::nearbyint(double(settings.FStop) * 1e6);
    if (!std::isfinite(startHz) || !std::isfinite(stopHz) || stopHz <= startHz || startHz < 0)
        return false;
    const int row = settings.RbwIndex < 0 || settings.RbwIndex > 5 ? 0 : settings.RbwIndex;
    double stepHz = std::nearbyint(std::max(double(RbwTable()[row].Step) * 1e6,
                                            (stopHz - startHz) / (SpectrumPoints - 1)));
    stepHz = std::max(stepHz, 1.0);
    while (std::floor((stopHz - startHz) / stepHz) + 1 > SpectrumPoints)
        stepHz += 1.0;
    const int points = int(std::floor((stopHz - startHz) / stepHz)) + 1;
    for (int i = 0; i < points; ++i)
        data.Freq[i] = float((startHz + i * stepHz) / 1e6);
    data.NPoints = points;
    settings.Step = float(stepHz / 1e6);
    return true;
}
