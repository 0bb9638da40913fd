#pragma once

#include <functional>

class QObject;

// Turns SIGINT, SIGTERM and SIGHUP into a call of onSignal from the event loop (and so from
// inside any wait, since waits let events run). The handler itself only writes one byte.
// Call once per process.
void watchTerminationSignals(QObject* parent, std::function<void()> onSignal);

// The same for a program that waits in a poll loop of its own: installs the handlers and
// returns the descriptor that turns readable when a signal arrives (-1 where there is none).
// Read what is in it before acting on it.
int terminationSignalDescriptor();
