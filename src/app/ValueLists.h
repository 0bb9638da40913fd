#pragma once

#include <QString>
#include <QStringList>
#include <array>

class Switches;

// Value lists that the rest of the program indexes by position.
namespace ValueLists {
QStringList separatorNames();     // "TAB", ",", ";"
QStringList rbwNames();           // index = RBW digit on the wire
QStringList freqTableHeaders();   // "", "Frequency MHz", "RBW"
QStringList freqTableWidths();    // twips, as texts
QStringList rateNames();          // 11 List and Spectrum Mode rates
QStringList averagingNames();     // "AVG", "RMS"
QStringList componentNames();     // "Ex" .. "Hz"
QStringList savedFileTypes();     // "SPC", "JPG", "BMP", "TXT"
QStringList savedFileTypeCaptions();
// The separator text of a separator index ("TAB" is a tab character).
QString separatorText(int index);
// Length in minutes of a rate index (0 = 10 min. .. 10 = 24 hours); 10 for an unknown index.
int rateMinutes(int index);
} // namespace ValueLists

struct RbwRecord {
    float Rbw;            // MHz
    float Step;           // MHz, a quarter of Rbw
    float WideBandFactor;
    std::array<float, 6> further;
    const char* Label;    // right-aligned to seven characters
};

// One record per RBW index.
const std::array<RbwRecord, 6>& RbwTable();

// Colours as stored values 0x00BBGGRR; the windows turn them into their own colour type.
constexpr quint32 rgbValue(int r, int g, int b) { return quint32(r) | quint32(g) << 8 | quint32(b) << 16; }
constexpr quint32 LinkOkColour = rgbValue(150, 250, 255);
constexpr quint32 LinkFailColour = rgbValue(255, 0, 0);

// Minimum usable frequency in MHz of a field (0 = E, 1 = H Mode A, 2 = H Mode B).
double minUsableFrequency(int field, const Switches& switches);

// Colour n of the classic 16-colour palette, as 0x00BBGGRR.
quint32 paletteColour(int n);
// A stored colour value 0x00BBGGRR, or a system colour 0x800000nn, as 0x00BBGGRR.
quint32 resolveStoredColour(quint32 value);
