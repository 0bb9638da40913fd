#pragma once

#include "link/LinkView.h"

#include <QByteArray>
#include <QString>
#include <array>

class ProbeLink;

// The probe's command set (everything but the spectrum sweep), on top of the transaction of
// ProbeLink. Stateless apart from the link, so callers may build one where they need it.
// Each command stamps the link time first and, after its exchange, drains the input and
// flushes the output whatever the outcome; failures show in the link's linkFailed() of the
// current station (and commError() where noted).
class ProbeCommands {
public:
    explicit ProbeCommands(ProbeLink& link) : link_(link) {}

    // RBW index 0..5 ("300 kHz" .. "1 kHz"); the digit goes on the wire.
    void SetRbw(int index);
    // Frequency in MHz, sent in whole Hz.
    void SetFrequency(double mhz);
    // One of ComponentSelectCommands(), with its component name for the log ("Ex", ...).
    void SelectComponent(const QByteArray& command, const QString& name);
    // 1 = on, 0 = off.
    void SetPreamplifier(int on);
    // Reads the selected component; 0 when the reading failed. logged: the reading goes to
    // the event log even without "/SEGNATUTTO".
    float ReadField(const QString& label, bool logged = false);
    // The first ten characters of the reply; when no valid number came after three
    // exchanges, the last text read with the station marked failed and commError() set.
    QString ReadSerialNumber();
    // Reads the battery and shows it in the station's gauge; on failure the station is
    // marked failed and commError() set.
    void ReadBattery(int station);
    // The firmware text (ending with "*"); empty on failure, station marked failed.
    QString ReadFirmware();
    // Sets the station's gauge from the raw battery value; returns the caption.
    QString ShowBatteryLevel(int raw, int station);

    // The nine component-select commands, rows 0..8: E X/Y/Z, H X/Y/Z Mode B, H X/Y/Z Mode A.
    static const std::array<QByteArray, 9>& ComponentSelectCommands();
    // The release inside a firmware text ("... Rel 1.07 ..." gives "1.07"); empty when the
    // text holds no "REL" in any letter case.
    static QString FirmwareRelease(const QString& text);
    // Ten characters: 3 digits, digit or letter, letter, digit, "0" or "1", 3 digits.
    static bool IsValidSerialNumber(const QString& text);
    // What the gauge shows for a raw battery value.
    static BatteryDisplay BatteryLevel(int raw);
    // A reply's number: read from the start up to the first character that cannot belong
    // to a number, "." as decimal point; 0 when there is none.
    static float ReplyNumber(const QString& text);
    // The frequency in whole Hz as decimal text (10.7 MHz gives "10700000").
    static QByteArray FrequencyHzText(double mhz);

private:
    void finishExchange();

    ProbeLink& link_;
};
