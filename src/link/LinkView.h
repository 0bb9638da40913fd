#pragma once

#include <QString>
#include <QtGlobal>

// What a station's battery gauge shows after a battery reading. The gauge is made visible and
// brought to the front (the field list stays above it), and its animations are stopped.
struct BatteryDisplay {
    float volts = 0.0f;
    int notches = 1;        // 1..12
    quint32 colorBegin = 0; // gradient start, 0x00BBGGRR
    quint32 colorEnd = 0;   // gradient end, 0x00BBGGRR
    QString caption;        // e.g. "3.91 V "
    bool low = false;       // at or below the low-battery threshold (red colours)
};

// What the probe link paints in the window that shows the stations. The main window
// and the console runner implement it; tests use a recording fake. Slots are 0..15.
class LinkView {
public:
    virtual ~LinkView() = default;
    // Paints the station's grid row, check picture, battery gauge and progress indicator with
    // colour (LinkOkColour when the link works, LinkFailColour when it failed).
    virtual void markStationLink(int slot, bool failed, quint32 colour) = 0;
    // Sets the station's battery gauge.
    virtual void showBatteryLevel(int slot, const BatteryDisplay& display) = 0;
    // Writes "hh:mm:ss dd/mm/yyyy" into the "Last link time" column of the station's row;
    // gridRow is the row the cycle set as the current one.
    virtual void stampLinkTime(int slot, int gridRow, const QString& text) = 0;
};
