#pragma once
// What the benchmarks share: an interface that says nothing (a benchmark
// has nobody to answer) and the process's resident memory.
#include "UserInterface.h"

#include <QByteArray>
#include <QFile>
#include <cstring>

namespace folha::benchmarks {

class SilentUi : public UserInterface {
public:
    void message(MessageKind, const QString&, const QString&) override { ++messages; }
    bool question(const QString&, QuestionKind, const QString&) override { return true; }
    void log(const QString&) override { ++lines; }
    int messages = 0;
    int lines = 0;
};

// Resident memory now ("VmRSS:") and at its peak since the last reset
// ("VmHWM:"), in KiB.
inline long statusKb(const char* key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key)) return line.mid(int(strlen(key))).trimmed().split(' ').first().toLong();
    return -1;
}
inline void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

} // namespace folha::benchmarks
