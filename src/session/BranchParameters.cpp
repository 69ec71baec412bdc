#include "BranchParameters.h"

#include "Table.h"

#include <QList>
#include <optional>

namespace folha {

namespace {
struct CachedParam {
    QString name;
    QString valorStr;
};
std::optional<QList<CachedParam>>& cache() {
    static std::optional<QList<CachedParam>> c;
    return c;
}
} // namespace

void ResetBranchParameterCache() { cache().reset(); }

QString GetBranchParameter(Database& db, const QString& branchCode, const QString& name) {
    if (!cache()) {
        QList<CachedParam> rows;
        Table t(db, QStringLiteral("ParametrosEmpresa"));
        if (db.hasTable(t.def().name)) {
            std::vector<Record> found;
            if (branchCode == QLatin1String("-ZERO-"))
                found = t.select();
            else
                found = t.select(QStringLiteral("filial = ?"), {branchCode.trimmed().toInt()});
            for (const auto& r : found) rows << CachedParam{r.text("NomeParametro"), r.text("ValorStr")};
        }
        cache() = rows;
    }
    for (const auto& p : *cache())
        if (p.name == name) return p.valorStr;
    return {};
}

} // namespace folha
