// The trail of the calculated rows.
#include "CalculationTrail.h"

#include "Database.h"
#include "Table.h"

#include <algorithm>

namespace folha::law {

namespace {
const QString TrailTable = QStringLiteral("MEMOCALC");

Table trailTable(Database& db) {
    // Company databases made before the trail existed get the table now.
    const TableDef& def = Registry::instance().require(TrailTable);
    db.ensureTable(def);
    return Table(db, def);
}
} // namespace

std::vector<TrailRow> ReadTrails(Database& db, const TrailKey& k) {
    std::vector<TrailRow> out;
    Table t = trailTable(db);
    for (const Record& r : t.select(QStringLiteral("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?"),
                                    {k.employee, k.year, k.month, k.sheet}, QStringLiteral("HCODIGO")))
        out.push_back({r.text("HCODIGO"), r.text("REGRA").trimmed(), r.text("TEXTO")});
    return out;
}

std::optional<TrailRow> ReadRowTrail(Database& db, const TrailKey& k, const QString& event) {
    Table t = trailTable(db);
    const std::vector<Record> rows =
        t.select(QStringLiteral("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND HCODIGO = ?"),
                 {k.employee, k.year, k.month, k.sheet, event});
    if (rows.empty()) return std::nullopt;
    const Record& r = rows.front();
    return TrailRow{r.text("HCODIGO"), r.text("REGRA").trimmed(), r.text("TEXTO")};
}

QString TrailReading(const TrailRow& row) {
    QString out = QStringLiteral("Regra: ") + row.rule;
    if (!row.text.trimmed().isEmpty()) out += QLatin1Char('\n') + row.text.trimmed();
    return out;
}

int RemoveTrails(Database& db, const TrailKey& k) {
    trailTable(db);
    return db.execWrite(QStringLiteral("DELETE FROM MEMOCALC WHERE CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?"),
                        {k.employee, k.year, k.month, k.sheet});
}

void WriteTrails(Database& db, const TrailKey& k, const std::vector<TrailRow>& rows) {
    Transaction tx(db);
    Table t = trailTable(db);
    std::vector<Record> records;
    records.reserve(rows.size());
    for (const TrailRow& row : rows) {
        Record r = t.newRecord();
        r.set("OCORRANO", k.year).set("OCORRMES", k.month).set("TIPOFOLHA", k.sheet).set("HCODIGO", row.event);
        r.set("CODFUN", k.employee).set("REGRA", row.rule.left(60)).set("TEXTO", row.text);
        records.push_back(std::move(r));
    }
    // A calculation run again over rows that did not change leaves their
    // trails as they are: only a sheet whose trails differ is rewritten.
    const std::vector<Record> stored =
        t.select(QStringLiteral("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?"),
                 {k.employee, k.year, k.month, k.sheet}, QStringLiteral("HCODIGO"));
    // In event order, each event read from its record once.
    std::vector<std::pair<QString, const Record*>> byEvent;
    byEvent.reserve(records.size());
    for (const Record& r : records) byEvent.emplace_back(r.text("HCODIGO"), &r);
    std::sort(byEvent.begin(), byEvent.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Record*> sorted;
    sorted.reserve(byEvent.size());
    for (const auto& [event, r] : byEvent) sorted.push_back(r);
    bool same = stored.size() == sorted.size();
    for (size_t i = 0; same && i < stored.size(); ++i) same = stored[i] == *sorted[i];
    if (same) {
        tx.commit();
        return;
    }
    if (stored.empty() || db.backend() != Backend::SQLite) {
        // On the server, where a statement is a round trip, the sheet's
        // trails are replaced whole, with two statements.
        if (!stored.empty()) RemoveTrails(db, k);
        t.insertMany(sorted);
        tx.commit();
        return;
    }
    // On the embedded engine trail by trail, both lists in event order: one
    // that did not change stays, a changed one is updated in place (its key
    // stays where it is in the index), one that is gone is removed, a new
    // one inserted.
    std::vector<const Record*> fresh;
    size_t i = 0;
    for (const auto& [event, row] : byEvent) {
        for (; i < stored.size() && stored[i].text("HCODIGO") < event; ++i) t.remove(stored[i].keyValues());
        if (i < stored.size() && stored[i].text("HCODIGO") == event) {
            if (!(stored[i] == *row)) t.update(*row);
            ++i;
        } else {
            fresh.push_back(row);
        }
    }
    for (; i < stored.size(); ++i) t.remove(stored[i].keyValues());
    t.insertMany(fresh);
    tx.commit();
}

} // namespace folha::law
