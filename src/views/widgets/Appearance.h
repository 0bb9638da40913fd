#pragma once

#include <QColor>
#include <QtGlobal>

class QWidget;

// The seven appearance values of the settings record, as the windows use them. Colours are
// stored values: 0x00BBGGRR, or 0x800000nn for the platform's system colour nn.
struct AppearanceValues {
    quint32 ButtonColorStart = 0x80000014u; // 3-D highlight
    quint32 ButtonColorEnd = 0x8000000Fu;   // button face
    int ButtonStyle = 0;                    // 0 "XP", 1 "Classic"
    quint32 LabelColorStart = 0xC0C0C0u;
    quint32 LabelColorEnd = 0xFFFFFFu;
    int LabelStyle = 1; // 0..8, see LB_OCX::Style
    int LabelScheme = 0;

    bool operator==(const AppearanceValues&) const = default;
};

// A stored colour value as a QColor. System colours come from the application palette so
// that the defaults follow the desktop theme.
QColor storedColour(quint32 value);
// The inverse: QColor as 0x00BBGGRR.
quint32 colourValue(const QColor& colour);

// Walks every styled control below `window` (and the window itself) and gives it the
// appearance values. The labels "LbColor" and "LBSep" keep their own look; the status labels
// "LBError", "LbFtune" and "LBPolling" always take red on pale red.
void ApplyAppearance(QWidget* window, const AppearanceValues& values);
