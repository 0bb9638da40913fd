// Writes in a loop until it is killed, so the tests can kill it at random moments:
//   crash_writer rewrite DIR   rewrites the panel, settings record and table in turn, each
//                              with the version (0 or 1) it does not hold
//   crash_writer report DIR    appends List Mode report blocks
//   crash_writer log DIR       appends event-log lines
// Prints "go" once the loop starts.
#include "app/EventLog.h"
#include "reliability/CrashFiles.h"

#include <QFile>

#include <array>
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
        // Each file gets the version it does not hold, so every save changes it.
        std::array<int, 3> version{};
        for (int f = 0; f < 3; ++f) {
            QFile file(dir + QLatin1String(CrashFiles::kFiles[f]));
            const bool second =
                file.open(QIODevice::ReadOnly) && file.readAll() == CrashFiles::image(f, 1);
            version[size_t(f)] = second ? 0 : 1;
        }
        go();
        for (;;) {
            for (int f = 0; f < 3; ++f) {
                if (!CrashFiles::write(dir, f, version[size_t(f)])) return 1;
                version[size_t(f)] ^= 1;
            }
        }
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
