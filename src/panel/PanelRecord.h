#pragma once

#include "app/Limits.h"
#include "panel/StationRecord.h"

#include <array>

// The List Mode fields, in the order of ListModeFields.
enum ListModeField { FieldE = 0, FieldHModeA = 1, FieldHModeB = 2 };

// The one document the program edits: sixteen station slots, the measurement settings of
// the panel and the name of its frequency table. Every field starts at zero, as a panel
// does before anything is loaded.
struct PanelRecord {
    static constexpr int StationCount = kStationCount;
    static constexpr int FreqTableNameSize = 200;
    static constexpr int ColorCount = 21;

    std::array<StationRecord, StationCount> Stations{};

    qint16 SortByDate = 0;          // boolean: list files newest first
    qint16 TableEditorRBWIndex = 0; // RBW list index of the table editor
    qint16 ListModeOn = 0;          // check boxes: 0 or 1
    qint16 SpectrumModeOn = 0;
    qint16 ListModeRate = 0; // minutes, 1..1440
    qint16 SpectrumModeRateIndex = 0;
    std::array<qint16, 3> ListModeFields{};        // E, H Mode A, H Mode B
    std::array<qint16, 2> SpectrumModeFields{};    // E, H
    std::array<float, 2> SpectrumModeThresholds{}; // V/m, A/m
    qint16 SpectrumRateOn = 0;
    QByteArray FreqTableName = QByteArray(FreqTableNameSize, '\0');
    qint16 SeparatorIndex = 0; // 0 TAB, 1 ",", 2 ";"
    qint16 PreamplifierOn = 0;
    std::array<qint16, 2> SaveImage{}; // BMP, JPG
    qint32 ImageQuality = 0;
    std::array<qint32, ColorCount> Colors{}; // 0x00BBGGRR
    float SpectrumStartFrequency = 0;        // MHz
    float SpectrumStopFrequency = 0;
    qint16 SpectrumRBWIndex = 0;
    qint16 ScanExtensionIndex = 0; // 0 SPC, 1 JPG, 2 BMP, 3 TXT
    qint16 ShowThreshold = 0;
    qint16 DetectorIndex = 0; // 0 AVG, 1 RMS
    qint16 LayoutVersionFlag = 0;
    std::array<qint16, 99> Reserved16{};
    std::array<quint32, 101> Reserved32{};
    CountedTexts<101> ReservedTexts;

    QString freqTableNameText() const { return shownText(FreqTableName); }
    void setFreqTableName(const QString& name) {
        FreqTableName = fixedText(name, FreqTableNameSize);
    }
    int usedStationCount() const;
    // First slot not in use after the last one in use; -1 when all sixteen are taken.
    int firstFreeSlot() const;
    // Removes the station of a slot: later stations move up one slot, slot 15 is cleared.
    void removeStation(int slot);
    // Closes gaps between stations in use, so grid row r always shows slot r - 1.
    void compactStations();

    friend bool operator==(const PanelRecord&, const PanelRecord&) = default;
};
