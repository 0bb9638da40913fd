#include "app/TerminationSignals.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}
} // namespace

int terminationSignalDescriptor() {
    if (signalPipe[0] >= 0) return signalPipe[0];
    if (::pipe(signalPipe) != 0) return -1;
    ::fcntl(signalPipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    return signalPipe[0];
}

void watchTerminationSignals(QObject* parent, std::function<void()> handler) {
    const int fd = terminationSignalDescriptor();
    if (fd < 0) return;
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, [fd, handler = std::move(handler)] {
        char buf[16];
        while (::read(fd, buf, sizeof buf) > 0) {
        }
        handler();
    });
}

#else

int terminationSignalDescriptor() {
    return -1;
}

namespace {
volatile std::sig_atomic_t signalled = 0;

void onSignal(int) {
    signalled = 1;
}
} // namespace

// Without a self-pipe the flag is looked at ten times a second from the event loop.
void watchTerminationSignals(QObject* parent, std::function<void()> handler) {
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    auto* timer = new QTimer(parent);
    QObject::connect(timer, &QTimer::timeout, [handler = std::move(handler)] {
        if (signalled) {
            signalled = 0;
            handler();
        }
    });
    timer->start(100);
}

#endif
