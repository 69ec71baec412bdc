#include "EsocialMarks.h"

namespace folha {

void MarkEsocialSubjects(Database& db, const QString& pattern) {
    if (!db.hasTable(QStringLiteral("ESOCIAL"))) return;
    db.execWrite(QStringLiteral("UPDATE ESOCIAL SET ALTERADO = 'S' WHERE ASSUNTO LIKE ?"), {pattern});
}

QString WorkerEventsPattern(const QString& worker) {
    return QStringLiteral("S-22__|%1%").arg(worker.trimmed());
}

} // namespace folha
