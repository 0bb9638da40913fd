#pragma once

#include "link/ProbeCommands.h"
#include "measure/ProbeIo.h"

class ProbeLink;

// The run's probe operations on the program's probe link.
class LinkProbeIo : public ProbeIo {
public:
    explicit LinkProbeIo(ProbeLink& link);

    void setCurrentStation(int slot, const QString& serial) override;
    void setLinkTimeEnabled(bool on) override;
    void OpenStationPort(int port) override;
    void CloseStationPort() override;
    bool linkFailed(int slot) const override;
    void clearAllLinkFailed() override;
    bool commError() const override;
    void setCommError(bool on) override;
    QString ReadSerialNumber() override;
    QString ReadFirmwareRelease() override;
    void ReadBattery(int slot) override;
    void SetPreamplifier(bool on) override;
    void SetRbw(int index) override;
    void SetFrequency(double mhz) override;
    void SelectComponent(const QByteArray& command, const QString& name) override;
    float ReadField(const QString& label, bool logged) override;
    void drainAndFlush() override;
    bool isValidSerialNumber(const QString& text) const override;

private:
    ProbeLink& link_;
    ProbeCommands commands_;
};
