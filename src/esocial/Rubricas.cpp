#include "Rubricas.h"

#include "DbError.h"
#include "Registry.h"

#include <QSqlQuery>

namespace folha::esocial {

bool Rubrica::complete() const {
    return nature.size() == 4 && type >= 1 && type <= 4 && !incCP.isEmpty() && !incIRRF.isEmpty() && !incFGTS.isEmpty();
}

RubricaMap::RubricaMap(Database& db) {
    auto q = db.exec(QStringLiteral(
        "SELECT HCODIGO, HNOME, ESNATRUB, ESTPRUB, ESINCCP, ESINCIRRF, ESINCFGTS FROM HISTFP ORDER BY HCODIGO"));
    while (q.next()) {
        Rubrica r;
        r.code = q.value(0).toString().trimmed();
        r.name = q.value(1).toString().trimmed();
        r.nature = q.value(2).toString().trimmed();
        r.type = q.value(3).toInt();
        r.incCP = q.value(4).toString().trimmed();
        r.incIRRF = q.value(5).toString().trimmed();
        r.incFGTS = q.value(6).toString().trimmed();
        rows_.insert(r.code, r);
    }
}

const Rubrica* RubricaMap::find(const QString& code) const {
    auto it = rows_.find(code.trimmed());
    return it == rows_.end() ? nullptr : &*it;
}

void RubricaMap::requireAll(const QStringList& codes) const {
    QStringList missing;
    for (const QString& c : codes) {
        const Rubrica* r = find(c);
        QString named = r ? QStringLiteral("%1 - %2").arg(r->code, r->name) : c.trimmed();
        if ((!r || !r->complete()) && !missing.contains(named)) missing << named;
    }
    if (missing.isEmpty()) return;
    throw UserError(QStringLiteral("Históricos sem o mapeamento do eSocial (natureza, tipo e incidências): %1. "
                                   "Complete-os na página \"eSocial\" do cadastro de Históricos.")
                        .arg(missing.join(QStringLiteral(", "))));
}

const Rubrica& RubricaMap::require(const QString& code) const {
    requireAll({code});
    return *find(code);
}

} // namespace folha::esocial
