#pragma once
// Every table of an installation by its rows and checksum, for the tests
// that move or copy an installation and compare it with itself.
#include "InstallationCopy.h"

#include <ostream>

namespace folha {
// A table's check as a failing test prints it.
inline void PrintTo(const TableCheck& c, std::ostream* os) {
    *os << c.database.toStdString() << '/' << c.table.toStdString() << ": " << c.rows << " " << c.checksum.left(12).toStdString();
}
} // namespace folha

namespace folha::testing {

// The checks of the installation at `root`, read as the program opens it.
inline QList<TableCheck> InstallationChecks(const QString& root) {
    Session session{Installation(root)};
    return CheckInstallation(session);
}

// The checks without the monthly audit logs, which gain an entry from the
// very job being tested.
inline QList<TableCheck> WithoutAuditLogs(QList<TableCheck> checks) {
    checks.removeIf([](const TableCheck& c) { return c.table.startsWith(QLatin1String("LogSys_"), Qt::CaseInsensitive); });
    return checks;
}

} // namespace folha::testing
