#pragma once

#include <QString>

class SimNetwork;

// The simulator's control lines, typed on its standard input while it serves:
//   list                              stations, presence and faults switched on
//   fault <port|all> <name> on|off|N [point=P] [duration=S]
//                                     switch a fault (N: for the next N replies; P: the sweep
//                                     point a sweep fault strikes after; S: a stall's length)
//   vanish <port> [seconds]           remove the port, for good or for a while
//   back <port>                       bring a vanished port back
//   help
// Returns the text to show (an error message for a bad line).
QString executeSimControl(SimNetwork& network, const QString& line);
