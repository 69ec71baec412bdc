#pragma once
// A job that one workstation at a time may run on a company's data: the
// calculations. The second workstation is told at once who holds the job,
// instead of failing halfway with a busy database. The lock belongs to the
// process: a workstation that stops or is killed releases it with nothing
// left to clean (an operating-system file lock on SQLite, a session advisory
// lock on the database server). Taking it again in the same process (a
// calculation that drives the payroll run) joins the lock already held.

#include "Database.h"

#include <QString>

namespace folha {

class JobLock {
public:
    // Throws DbError naming the holder when another process holds the job.
    JobLock(Database& db, const QString& job, const QString& caption);
    ~JobLock();
    JobLock(const JobLock&) = delete;
    JobLock& operator=(const JobLock&) = delete;

private:
    Database& db_;
    QString job_;
};

} // namespace folha
