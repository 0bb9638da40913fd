#pragma once

#include <QByteArray>
#include <QString>

// The probe operations a List Mode run uses, one station at a time. The program's
// implementation (LinkProbeIo) forwards to the probe link; failures show only through
// linkFailed() and commError(), as on the link itself.
class ProbeIo {
public:
    virtual ~ProbeIo() = default;

    // The station the next operations address (slot 0-15), and its serial number from the
    // run state (used to label event-log lines; empty while unknown).
    virtual void setCurrentStation(int slot, const QString& serial) = 0;
    virtual void setLinkTimeEnabled(bool on) = 0;

    virtual void OpenStationPort(int port) = 0;
    virtual void CloseStationPort() = 0;

    virtual bool linkFailed(int slot) const = 0;
    virtual void clearAllLinkFailed() = 0;
    virtual bool commError() const = 0;
    virtual void setCommError(bool on) = 0;

    // The reply text of the serial-number command (valid or not; the caller checks it).
    virtual QString ReadSerialNumber() = 0;
    // The firmware release ("1.07"), empty when it could not be read.
    virtual QString ReadFirmwareRelease() = 0;
    virtual void ReadBattery(int slot) = 0;

    virtual void SetPreamplifier(bool on) = 0;
    virtual void SetRbw(int index) = 0;
    virtual void SetFrequency(double mhz) = 0;
    virtual void SelectComponent(const QByteArray& command, const QString& name) = 0;
    // logged: the exchange goes to the event log even without "/SEGNATUTTO".
    virtual float ReadField(const QString& label, bool logged) = 0;

    // Drains pending input and flushes the output of the open port.
    virtual void drainAndFlush() = 0;

    virtual bool isValidSerialNumber(const QString& text) const = 0;
};
