#include "measure/Exposure.h"

#include <QString>
#include <algorithm>
#include <cmath>

namespace {

void addLine(const LimitTable& t, LimitField field, double f, double value, FieldExposure& out,
             double& squares) {
    if (const auto l = t.summationLevel(field, false, f))
        out.linear = out.linear.value_or(0) + value / *l;
    if (const auto l = t.summationLevel(field, true, f)) {
        const double q = value / *l;
        squares += q * q;
        out.square = 0; // set below from the sum
    }
}

} // namespace

std::optional<double> PeriodExposure::total() const {
    std::optional<double> worst;
    for (const std::optional<double>& v : {e.linear, e.square, h.linear, h.square}) {
        if (v) worst = std::max(worst.value_or(*v), *v);
    }
    // A line with a quotient but outside both rules' ranges (e.g. below 1 Hz) still counts.
    for (const LineExposure& l : lines) {
        for (const std::optional<double>& q : {l.e, l.h}) {
            if (q) worst = std::max(worst.value_or(*q), *q);
        }
    }
    return worst;
}

std::vector<double> PeriodExposure::notEvaluated() const {
    std::vector<double> out;
    for (const LineExposure& l : lines) {
        if (!l.evaluated) out.push_back(l.frequency);
    }
    return out;
}

PeriodExposure evaluateExposure(const LimitTable& table, const std::vector<ExposureLine>& lines) {
    PeriodExposure p;
    double squaresE = 0, squaresH = 0;
    for (const ExposureLine& line : lines) {
        LineExposure le;
        le.frequency = line.frequency;
        le.evaluated = table.covers(line.frequency);
        if (le.evaluated) {
            if (line.e) {
                if (const auto l = table.referenceLevel(LimitField::E, line.frequency)) {
                    le.e = *line.e / *l;
                    addLine(table, LimitField::E, line.frequency, *line.e, p.e, squaresE);
                }
            }
            if (line.h) {
                if (const auto l = table.referenceLevel(LimitField::H, line.frequency)) {
                    le.h = *line.h / *l;
                    addLine(table, LimitField::H, line.frequency, *line.h, p.h, squaresH);
                }
            }
        }
        p.lines.push_back(le);
    }
    if (p.e.square) p.e.square = std::sqrt(squaresE);
    if (p.h.square) p.h.square = std::sqrt(squaresH);
    return p;
}

QString exposureCellText(const std::optional<double>& total) {
    return total ? QString::number(*total * 100.0, 'f', 1) + QStringLiteral(" %")
                 : QStringLiteral("-");
}

quint32 exposureCellColour(const std::optional<double>& total, double alarmPercent) {
    if (!total) return 0x00000000;
    const double pct = *total * 100.0;
    if (pct > alarmPercent) return 0x000000FF;        // red
    if (pct >= 0.8 * alarmPercent) return 0x000080FF; // orange
    return 0x00008000;                                // green
}
