#pragma once
// The office server of an installation. An installation whose data lives on
// a PostgreSQL server keeps where the server is in "Servidor.ini" in the
// program folder (section "Servidor": HOST, PORT, DATABASE, USER and the TLS
// settings SSLMODE, SSLROOTCERT, SSLCERT, SSLKEY). The password is never
// written there: it goes into "Servidor.pgpass" beside it, in libpq's
// password-file format and readable only by its owner; the server's own peer
// or certificate authentication needs none.
//
// On the server one database holds the whole installation: the sign-in
// tables in schema "folha_login", the company list in "folha_empresas", and
// each data directory (the shared "Zorvan" tables, every company) in a
// schema made from its directory ("c:\folha\emp1\" -> "folha_emp1").
// Temporary tables stay on the workstation.

#include "Database.h"
#include "Installation.h"

#include <QString>

namespace folha {

struct ServerSettings {
    QString host;     // a name, an address or a Unix-socket folder
    int port = 5432;
    QString database;
    QString user;
    QString sslMode;  // disable, allow, prefer, require, verify-ca, verify-full
    QString sslRootCert;
    QString sslCert;
    QString sslKey;
    QString passwordFile; // set when the installation keeps a password

    bool configured() const { return !database.isEmpty(); }
    // The libpq settings beyond host, port, database and user.
    QString connectOptions() const;
    // A location on the server: the schema of a data directory.
    DatabaseLocation location(const QString& directory, const QString& schema = {}) const;
};

// The settings of an installation; not configured when it keeps its data in
// SQLite files.
ServerSettings ReadServerSettings(const Installation& installation);

// Reads a libpq connection text ("host=srv port=5432 dbname=folha user=rh
// password=... sslmode=verify-full") into settings and the password. Throws
// DbError for a malformed text, an unknown setting or a missing database.
ServerSettings ParseConnectionText(const QString& text, QString* password);

// Points the installation at the server: writes "Servidor.ini" and, when the
// text carries a password, "Servidor.pgpass" (mode 0600). Connects first and
// throws DbError with the server's reason when it cannot.
ServerSettings ConfigureServer(const Installation& installation, const QString& connectionText);
// The two halves of it: the password file and a first connection, then
// "Servidor.ini" (which moves the installation to the server).
ServerSettings ConnectServer(const Installation& installation, const QString& connectionText);
void SaveServerSettings(const Installation& installation, const ServerSettings& settings);

// Schemas of the installation's own databases on the server.
inline QString SignInSchema() { return QStringLiteral("folha_login"); }
inline QString CompanyListSchema() { return QStringLiteral("folha_empresas"); }

} // namespace folha
