#pragma once

#include "measure/LimitTable.h"

#include <QString>
#include <optional>
#include <vector>

// One line of a station's period: its frequency and the evaluated E and H (empty when the
// field is not measured).
struct ExposureLine {
    double frequency = 0; // MHz
    std::optional<double> e;
    std::optional<double> h;
};

// A line as judged against a table: each field's quotient (value / reference level), empty
// when the field is not measured or the table gives no level there.
struct LineExposure {
    double frequency = 0;
    bool evaluated = false; // false: outside every band of the table, left out of the totals
    std::optional<double> e;
    std::optional<double> h;
};

// The totals of one field: the linear sum (stimulation) and the square rule in field terms
// (the square root of its sum of squares); each empty when no line falls in its range.
struct FieldExposure {
    std::optional<double> linear;
    std::optional<double> square;
};

struct PeriodExposure {
    std::vector<LineExposure> lines;
    FieldExposure e;
    FieldExposure h;
    // The worse of E and H and of the two rules; empty when nothing was evaluated.
    std::optional<double> total() const;
    // Frequencies left out because no band holds them.
    std::vector<double> notEvaluated() const;
};

PeriodExposure evaluateExposure(const LimitTable& table, const std::vector<ExposureLine>& lines);

// The grid cell of a station's total: "21.3 %" ("-" when nothing was evaluated), red above the
// alarm level, orange from 80 % of it, green below (colours 0x00BBGGRR).
QString exposureCellText(const std::optional<double>& total);
quint32 exposureCellColour(const std::optional<double>& total, double alarmPercent);
