#pragma once
// The register of a company's eSocial events (table ESOCIAL): every version
// of every event, with its status, its receipt, the XML as signed and the
// messages of the schema or of the government.

#include "Database.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace folha::esocial {

// The statuses an event passes through, as the register stores and shows them.
namespace status {
inline const QString Generated = QStringLiteral("gerado");   // built; invalid or not yet validated
inline const QString Validated = QStringLiteral("validado"); // valid, not signed (no certificate)
inline const QString Signed = QStringLiteral("assinado");
inline const QString Sent = QStringLiteral("enviado");
inline const QString Accepted = QStringLiteral("aceito");
inline const QString Rejected = QStringLiteral("rejeitado");
inline const QString Removed = QStringLiteral("excluído");
} // namespace status
const QStringList& Statuses();

struct StoredEvent {
    QString id;          // ID1123456780000002026010812000000001
    QString type;        // S-1200
    QString subject;     // S-1200|000012|2026-01
    int version = 0;     // 1, 2, … per subject
    QString worker;      // CODFUN
    QString competence;  // AAAA-MM
    QString status;
    int indRetif = 1;
    QString receipt;     // the government's receipt once accepted
    QString rectifies;   // the receipt this version rectifies or removes
    QByteArray xml;      // as signed (or as built, when not signed)
    QString messages;    // schema errors or the government's messages, one per line
    QString fingerprint; // the content without its header, to see a change
    bool changed = false; // something it reports changed after it was built
    QDateTime created;
    int batch = 0;       // the batch it was exported in (0: none yet)
};

struct EventFilter {
    QString competence;   // AAAA-MM; empty: every competence
    QString status;       // empty: any
    QString type;         // empty: any
    QString worker;       // empty: any
    bool allVersions = false; // false: the latest version of each subject
};

class EventRegister {
public:
    explicit EventRegister(Database& db); // makes sure the table exists

    std::optional<StoredEvent> latest(const QString& subject);
    std::optional<StoredEvent> byId(const QString& id);
    // Ordered by competence, batch group, type, worker, version.
    std::vector<StoredEvent> list(const EventFilter& filter);
    // The latest version that was accepted (its receipt is what a
    // rectification or a removal points at).
    std::optional<StoredEvent> lastAccepted(const QString& subject);
    // True when a version of the subject was sent or accepted.
    bool wasSent(const QString& subject);

    // A new identifier: ID + inscription type + 14 digits + AAAAMMDDHHMMSS + 5-digit sequence.
    // The sequence counts the identifiers made in the same second; past
    // 99 999 of them the next identifiers take the following second (a
    // generation of more events than that lasts longer anyway).
    QString newId(const QString& tpInsc, const QString& fullInsc, const QDateTime& when);

    void insert(const StoredEvent& e);
    void setStatus(const QString& id, const QString& status, const QString& messages = {});
    void setReceipt(const QString& id, const QString& receipt);
    void setBatch(const QString& id, int batch);
    int nextBatch();

private:
    Database& db_;
    QString lastStamp_;
    QDateTime second_; // the second the identifiers are numbered in
    int sequence_ = 0;
};

// The calculations, the undo and the register saves mark the events they
// touch (ALTERADO) through EsocialMarks, below the engines.

// The content of an event without what only its header changes (the Id, the
// rectification and its receipt, the program's version, inclusão or alteração): two drafts with the same fingerprint
// report the same thing.
QString Fingerprint(const QByteArray& xml);

} // namespace folha::esocial
