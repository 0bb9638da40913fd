#include "measure/LinkProbeIo.h"

#include "link/ProbeLink.h"

LinkProbeIo::LinkProbeIo(ProbeLink& link) : link_(link), commands_(link) {}

void LinkProbeIo::setCurrentStation(int slot, const QString& serial) {
    link_.setCurrentStation(slot, serial);
    link_.setCurrentGridRow(slot + 1);
}

void LinkProbeIo::setLinkTimeEnabled(bool on) {
    link_.setLinkTimeEnabled(on);
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
    link_.clearAllLinkFailed();
}
bool LinkProbeIo::commError() const {
    return link_.commError();
}
void LinkProbeIo::setCommError(bool on) {
    link_.setCommError(on);
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
    return commands_.ReadField(label, logged);
}

void LinkProbeIo::drainAndFlush() {
    link_.DrainInput();
    link_.FlushOutput();
}

bool LinkProbeIo::isValidSerialNumber(const QString& text) const {
    return ProbeCommands::IsValidSerialNumber(text);
}
