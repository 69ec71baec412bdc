#pragma once
// A register save that changes what an eSocial event reports marks the
// latest version of the events concerned, so that the next generation
// rebuilds them. It lives here, below the registers and the events alike:
// the register service marks, the event register (esocial) reads the mark.

#include "Database.h"

#include <QString>

namespace folha {

// Sets ALTERADO = 'S' on the ESOCIAL rows whose subject matches the LIKE
// pattern ("S-22__|000012%"); nothing when the company never generated an
// event (no table ESOCIAL).
void MarkEsocialSubjects(Database& db, const QString& subjectPattern);

// The pattern of a worker's non-periodic events (S-2200, S-2205, S-2206,
// S-2230, S-2299).
QString WorkerEventsPattern(const QString& worker);

} // namespace folha
