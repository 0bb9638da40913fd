// Writes in a loop until it is killed, so the tests can kill it at random moments:
//   crash_writer rewrite DIR   rewrites the panel, settings record and table, alternating
//                              versions 1 and 0
//   crash_writer report DIR    appends List Mode report blocks
//   crash_writer log DIR       appends event-log lines
// Prints "go" once the loop starts.
#include "app/EventLog.h"
#include "reliability/CrashFiles.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: crash_writer rewrite|report|log DIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[2]) + QLatin1Char('/');
    const auto go = [] {
        std::printf("go\n");
        std::fflush(stdout);
    };
    if (std::strcmp(argv[1], "rewrite") == 0) {
        go();
        for (int version = 1;; version ^= 1)
            if (!CrashFiles::writeAll(dir, version)) return 1;
    }
    if (std::strcmp(argv[1], "report") == 0) {
        CrashFiles::Report report(dir);
        go();
        for (;;)
            if (!report.appendBlock()) return 1;
    }
    if (std::strcmp(argv[1], "log") == 0) {
        VirtualClock clock(CrashFiles::kDay, 43200.0);
        EventLog log(dir, clock);
        go();
        for (int i = 0;; ++i)
            log.write(i % 7 == 0, QStringLiteral("Line %1 ").arg(i) + QString(i % 300, 'y'));
    }
    return 2;
}
