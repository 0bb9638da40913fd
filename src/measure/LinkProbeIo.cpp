#include "measure/LinkProbeIo.h"

#include "link/ProbeLink.h"

LinkProbeIo::LinkProbeIo(ProbeLink& link) : link_(link), commands_(link) {}

void LinkProbeIo::setCurrentStation(int slot, const QString& serial) {
    link_.CurrentStation = slot;
    link_.CurrentGridRow = slot + 1;
    link_.setStationSerial(slot, serial);
}

void LinkProbeIo::setLinkTimeEnabled(bool on) {
    link_.LinkTimeEnabled = on;
}
void LinkProbeIo::OpenStationPort(int port) {
    link_.OpenStationPort(port);
}
void LinkProbeIo::CloseStationPort() {
    link_.CloseStationPort();
}
bool LinkProbeIo::linkFailed(int slot) const {
    return link_.linkFailed(slot);
}
void LinkProbeIo::clearAllLinkFailed() {
    link_.LinkFailed.fill(false);
}
bool LinkProbeIo::commError() const {
    return link_.CommError;
}
void LinkProbeIo::setCommError(bool on) {
    link_.CommError = on;
}
QString LinkProbeIo::ReadSerialNumber() {
    return commands_.ReadSerialNumber();
}

QString LinkProbeIo::ReadFirmwareRelease() {
    return ProbeCommands::FirmwareRelease(commands_.ReadFirmware());
}

void LinkProbeIo::ReadBattery(int slot) {
    commands_.ReadBattery(slot);
}
void LinkProbeIo::SetPreamplifier(bool on) {
    commands_.SetPreamplifier(on ? 1 : 0);
}
void LinkProbeIo::SetRbw(int index) {
    commands_.SetRbw(index);
}
void LinkProbeIo::SetFrequency(double mhz) {
    commands_.SetFrequency(mhz);
}

void LinkProbeIo::SelectComponent(const QByteArray& command, const QString& name) {
    commands_.SelectComponent(command, name);
}

float LinkProbeIo::ReadField(const QString& label, bool logged) {
    link_.LogReadingRequest = logged;
    const float v = commands_.ReadField(label);
    link_.LogReadingRequest = false;
    return v;
}

void LinkProbeIo::drainAndFlush() {
    link_.DrainInput();
    link_.FlushOutput();
}

bool LinkProbeIo::isValidSerialNumber(const QString& text) const {
    return ProbeCommands::IsValidSerialNumber(text);
}
