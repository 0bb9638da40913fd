#pragma once

#include "sim/SimNetwork.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

// Serves every station of a network on a pseudo-terminal of its own, linked as
// <AppDir>/ports/COMn so that the program opens it like a serial port. Replies leave at the
// line rate on the network's clock. When the program closes the port the station keeps
// serving; what it says meanwhile is lost, as on a real line. A station whose port vanishes
// loses its terminal and link, and gets new ones when it comes back.
//
// It serves from a poll loop of its own rather than from an event loop: every exchange costs
// the simulator three wake-ups (command in, reply due, reply out), and each one should cost
// no more than the system call that ends it, so that the program under test sees the line's
// timing and not the simulator's.
//
// Pseudo-terminals exist on POSIX systems only; elsewhere start() fails with a message.
class PtyServer {
public:
    PtyServer(SimNetwork& network, QString appDir);
    ~PtyServer();
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Receives the lines to show: one per station at start and, with verbose, every command
    // and reply.
    void setOutput(std::function<void(const QString&)> out) { out_ = std::move(out); }
    void setVerbose(bool verbose) { verbose_ = verbose; }
    // Calls onReadable from the loop whenever fd has input (control lines, a signal pipe),
    // until it returns false: the descriptor has reached its end.
    void watch(int fd, std::function<bool()> onReadable);

    // Creates <AppDir>/ports and one terminal and link per station.
    bool start(QString* error);
    // Serves until quit() is called from one of the watched descriptors' handlers.
    void serve();
    void quit() { quit_ = true; }
    // Closes the terminals and removes the links this server made.
    void stop();

    // The terminal device of a station ("/dev/pts/7"), empty while it has none.
    QString devicePath(int port) const;
    // <AppDir>/ports/COMn.
    QString linkPath(int port) const;

private:
    struct Station;
    struct Watched {
        int fd;
        std::function<bool()> onReadable;
    };

    bool openTerminal(Station& st, QString* error);
    void closeTerminal(Station& st);
    void onReadable(Station& st);
    void markHungUp(Station& st);
    // True when no program has the terminal open (noticed now or before).
    bool checkHungUp(Station& st);
    void sendDue(Station& st);
    void scheduleSend(Station& st);
    void onTick();
    void say(const QString& line) const;

    SimNetwork& network_;
    QString appDir_;
    bool verbose_ = false;
    bool quit_ = false;
    std::function<void(const QString&)> out_;
    std::map<int, std::unique_ptr<Station>> stations_;
    std::vector<Watched> watched_;
};
