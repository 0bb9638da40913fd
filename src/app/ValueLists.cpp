#include "app/ValueLists.h"

#include "app/Switches.h"

namespace ValueLists {
QStringList separatorNames() { return {"TAB", ",", ";"}; }
QStringList rbwNames() { return {"300 kHz", "100 kHz", "30 kHz", "10 kHz", "3 kHz", "1 kHz"}; }
QStringList freqTableHeaders() { return {"", "Frequency MHz", "RBW"}; }
QStringList freqTableWidths() { return {"500", "1500", "1000"}; }
QStringList rateNames() {
    return {"10 min.", "15 min.", "30 min.", "1 hour",   "2 hours", "3 hours",
            "4 hours", "5 hours", "6 hours", "12 hours", "24 hours"};
}
QStringList averagingNames() { return {"AVG", "RMS"}; }
QStringList componentNames() { return {"Ex", "Ey", "Ez", "Hx", "Hy", "Hz"}; }
QStringList savedFileTypes() { return {"SPC", "JPG", "BMP", "TXT"}; }
QStringList savedFileTypeCaptions() {
    return {"SPC (Spectrum)", "JPG (Jpeg)", "BMP (Bitmap)", "TXT (Text)"};
}
QString separatorText(int index) {
    switch (index) {
    case 1: return QStringLiteral(",");
    case 2: return QStringLiteral(";");
    default: return QStringLiteral("\t");
    }
}
int rateMinutes(int index) {
    static const int minutes[] = {10, 15, 30, 60, 120, 180, 240, 300, 360, 720, 1440};
    if (index < 0 || index > 10)
        return 10;
    return minutes[index];
}
} // namespace ValueLists

const std::array<RbwRecord, 6>& RbwTable() {
    static const std::array<RbwRecord, 6> table{{
        {0.3f, 0.075f, 0.5f, {0.5f, 0.125f, 0.08f, 0.03f, 0.009f, 0.0025f}, "300 kHz"},
        {0.1f, 0.025f, 0.5f, {0.2f, 0.06f, 0.068f, 0.015f, 0.006f, 0.0013f}, "100 kHz"},
        {0.03f, 0.0075f, 0.5f, {0.15f, 0.04f, 0.038f, 0.009f, 0.003f, 0.0008f}, " 30 kHz"},
        {0.01f, 0.0025f, 0.485f, {0.08f, 0.025f, 0.022f, 0.005f, 0.002f, 0.0004f}, " 10 kHz"},
        {0.003f, 0.00075f, 0.485f, {0.25f, 0.05f, 0.048f, 0.009f, 0.005f, 0.0009f}, "  3 kHz"},
        {0.001f, 0.00025f, 0.495f, {0.25f, 0.05f, 0.048f, 0.009f, 0.005f, 0.0009f}, "  1 kHz"},
    }};
    return table;
}

double minUsableFrequency(int field, const Switches& switches) {
    if (switches.noLimit())
        return 0.0;
    return field == 2 ? 0.3 : 0.009;
}

quint32 paletteColour(int n) {
    static const int rgb[16][3] = {{0, 0, 0},       {0, 0, 128},     {0, 128, 0},
                                   {0, 128, 128},   {128, 0, 0},     {128, 0, 128},
                                   {128, 128, 0},   {192, 192, 192}, {128, 128, 128},
                                   {0, 0, 255},     {0, 255, 0},     {0, 255, 255},
                                   {255, 0, 0},     {255, 0, 255},   {255, 255, 0},
                                   {255, 255, 255}};
    const int i = (n >= 0 && n < 16) ? n : 0;
    return rgbValue(rgb[i][0], rgb[i][1], rgb[i][2]);
}

quint32 resolveStoredColour(quint32 value) {
    if (!(value & 0x80000000u))
        return value & 0x00FFFFFFu;
    // System colours: the common ones mapped to their classic values.
    switch (value & 0xFF) {
    case 5: return rgbValue(255, 255, 255);  // window
    case 8: return rgbValue(0, 0, 0);        // window text
    case 18: return rgbValue(0, 0, 0);       // button text
    default: return rgbValue(240, 240, 240); // button face and the rest
    }
}
