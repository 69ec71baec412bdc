// The trail of the calculated rows.
#include "CalculationTrail.h"

#include "Database.h"
#include "Table.h"

#include <algorithm>
#include <iterator>

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

namespace {
// The records of a sheet's trails, in event order.
std::vector<Record> TrailRecords(Table& t, const TrailKey& k, const std::vector<TrailRow>& rows) {
    // Sorted by each event as read from its record once.
    std::vector<std::pair<QString, Record>> byEvent;
    byEvent.reserve(rows.size());
    for (const TrailRow& row : rows) {
        Record r = t.newRecord();
        r.set("OCORRANO", k.year).set("OCORRMES", k.month).set("TIPOFOLHA", k.sheet).set("HCODIGO", row.event);
        r.set("CODFUN", k.employee).set("REGRA", row.rule.left(60)).set("TEXTO", row.text);
        byEvent.emplace_back(r.text("HCODIGO"), std::move(r));
    }
    std::stable_sort(byEvent.begin(), byEvent.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Record> records;
    records.reserve(byEvent.size());
    for (auto& [event, r] : byEvent) records.push_back(std::move(r));
    return records;
}

bool SameTrails(const std::vector<Record>& stored, const std::vector<Record>& fresh) {
    return stored.size() == fresh.size() && std::equal(stored.begin(), stored.end(), fresh.begin());
}
} // namespace

void WriteTrails(Database& db, const TrailKey& k, const std::vector<TrailRow>& rows) {
    Transaction tx(db);
    Table t = trailTable(db);
    const std::vector<Record> sorted = TrailRecords(t, k, rows);
    // A calculation run again over rows that did not change leaves their
    // trails as they are: only a sheet whose trails differ is rewritten.
    const std::vector<Record> stored =
        t.select(QStringLiteral("CODFUN = ? AND OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?"),
                 {k.employee, k.year, k.month, k.sheet}, QStringLiteral("HCODIGO"));
    if (SameTrails(stored, sorted)) {
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
    for (const Record& row : sorted) {
        const QString event = row.text("HCODIGO");
        for (; i < stored.size() && stored[i].text("HCODIGO") < event; ++i) t.remove(stored[i].keyValues());
        if (i < stored.size() && stored[i].text("HCODIGO") == event) {
            if (!(stored[i] == row)) t.update(row);
            ++i;
        } else {
            fresh.push_back(&row);
        }
    }
    for (; i < stored.size(); ++i) t.remove(stored[i].keyValues());
    t.insertMany(fresh);
    tx.commit();
}

void WriteSheetsTrails(Database& db, const QString& year, const QString& month, const QString& sheet,
                       const std::vector<SheetTrails>& sheets) {
    if (sheets.empty()) return;
    Transaction tx(db);
    Table t = trailTable(db);
    // Employees to a statement. A shorter list is filled up with its last
    // code, so that every reading and removal is the same prepared statement.
    constexpr int perStatement = 64;
    const QString codes = QStringLiteral("CODFUN IN (") + BindMarks(perStatement) + QLatin1Char(')');
    const QString sheetCondition = QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND ");
    auto codeParams = [&](const QStringList& employees) {
        QVariantList params{year, month, sheet};
        for (int i = 0; i < perStatement; ++i) params << employees[std::min<qsizetype>(i, employees.size() - 1)];
        return params;
    };
    std::vector<Record> written;
    QStringList replaced;
    for (size_t start = 0; start < sheets.size(); start += perStatement) {
        const size_t n = std::min(sheets.size() - start, size_t(perStatement));
        QStringList employees;
        for (size_t i = 0; i < n; ++i) employees << sheets[start + i].employee;
        std::map<QString, std::vector<Record>> stored;
        for (Record& r : t.select(sheetCondition + codes, codeParams(employees), QStringLiteral("CODFUN, HCODIGO")))
            stored[r.text("CODFUN")].push_back(std::move(r));
        for (size_t i = 0; i < n; ++i) {
            const SheetTrails& s = sheets[start + i];
            std::vector<Record> fresh = TrailRecords(t, {s.employee, year, month, sheet}, s.rows);
            const auto it = stored.find(s.employee);
            const bool kept = it != stored.end();
            if (SameTrails(kept ? it->second : std::vector<Record>(), fresh)) continue;
            if (kept) replaced << s.employee;
            std::move(fresh.begin(), fresh.end(), std::back_inserter(written));
        }
    }
    for (qsizetype start = 0; start < replaced.size(); start += perStatement)
        db.execWrite(QStringLiteral("DELETE FROM MEMOCALC WHERE ") + sheetCondition + codes,
                     codeParams(replaced.mid(start, perStatement)));
    t.insertMany(written);
    tx.commit();
}

} // namespace folha::law
