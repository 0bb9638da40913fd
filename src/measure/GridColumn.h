#pragma once

// The columns of the station grid, in their order on screen. The panel grid shows Number,
// Comm, SerialNumber, Comment and Enabled; a run lays out its columns (LastLinkTime to
// SpectrumInhibit) between Comment and Enabled.
enum class Column {
    Number,
    Comm,
    SerialNumber,
    Comment,
    LastLinkTime,
    Battery,
    FieldE,
    FieldH,
    Exposure, // the station's total exposure in % of the chosen limit table
    SpectrumInhibit,
    Enabled,
};
constexpr int kColumnCount = int(Column::Enabled) + 1;

constexpr bool isRunColumn(Column c) {
    return c >= Column::LastLinkTime && c <= Column::SpectrumInhibit;
}
