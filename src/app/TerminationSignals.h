#pragma once

#include <functional>

class QObject;

// Turns SIGINT, SIGTERM and SIGHUP into a call of onSignal from the event loop (and so from
// inside any wait, since waits let events run). The handler itself only writes one byte.
// Call once per process.
void watchTerminationSignals(QObject* parent, std::function<void()> onSignal);
