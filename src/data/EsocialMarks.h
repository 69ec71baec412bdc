#pragma once
// The mark a calculation or a register save leaves on the eSocial events of what it changed:
// the latest version of each event about a worker's month is flagged
// ALTERADO = 'S' in table ESOCIAL, so the next generation rebuilds it and,
// when the earlier version was accepted, rectifies it. A company that never
// generated eSocial events has no such table and is left alone.
//
// It lives with the tables so that the calculations mark what they touch
// without depending on the eSocial library (which reads their results).

#include "Database.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace folha {

// The subjects of the month's events of a worker that a calculated sheet
// feeds: its S-1200 ("S-1200|000012|2026-01", or "S-1200|000012|2025" for
// the 13th salary, sheet "D") and the S-1210 of the payments of the month
// ("S-1210|000012|2026-01").
QStringList PayrollEventSubjects(const QString& worker, const QString& year, const QString& month, const QString& sheet);

// The types of a worker's non-periodic events, which a save of the
// worker's registers marks: S-2200, S-2205, S-2206, S-2230, S-2299.
const QStringList& WorkerEventTypes();

class EsocialMarks {
public:
    explicit EsocialMarks(Database& db) : db_(db) {}
    // Every version of the worker's non-periodic events. Each way of
    // marking looks for the table once per object and returns the versions
    // marked.
    int markWorker(const QString& worker);
    // The versions of exactly these subjects, found through the subject's
    // index (a LIKE pattern would read the whole table, events and all).
    int markSubjects(const QStringList& subjects);
    // The worker's events of one calculated sheet; held back while
    // deferred.
    int markSheet(const QString& worker, const QString& year, const QString& month, const QString& sheet);

    // A calculation that commits its employees in groups marks a group's
    // subjects together, in the group's transaction, just before it
    // commits: markSheet keeps them until flush(). Leaving the deferred
    // mode drops what was not flushed.
    void setDeferred(bool deferred);
    int flush();
    // The subjects waiting for flush(); an employee whose rows are taken
    // back (a savepoint rolled back) has his own dropped again, those from
    // `count` on.
    int pending() const { return int(pending_.size()); }
    void dropPending(int count);

private:
    // Whether the company has the events table, looked for once.
    bool hasTable();

    Database& db_;
    std::optional<bool> hasTable_;
    bool deferred_ = false;
    QStringList pending_;
};

// The marks deferred for the life of a calculation's commit groups; when
// it ends, what was not flushed is dropped (a group rolled back takes its
// marks with it).
class DeferredMarks {
public:
    explicit DeferredMarks(EsocialMarks& marks) : marks_(marks) { marks_.setDeferred(true); }
    ~DeferredMarks() { marks_.setDeferred(false); }
    DeferredMarks(const DeferredMarks&) = delete;
    DeferredMarks& operator=(const DeferredMarks&) = delete;

private:
    EsocialMarks& marks_;
};

} // namespace folha
