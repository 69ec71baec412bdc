// The legal tables: validity, checks, the CSV and the shared database.
#include "LegalTables.h"

#include "Database.h"
#include "Table.h"
#include "TypedInput.h"

#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <mutex>

namespace folha::law {

extern const char* const ShippedLegalCsv; // the shipped tables, data/legal/tabelas-legais.csv

const std::vector<LegalKind>& LegalKinds() {
    static const std::vector<LegalKind> kinds = {
        {"INSS", "INSS do empregado (faixas progressivas)"},
        {"IRRF", "IRRF mensal (faixas)"},
        {"IRRFDEP", "IRRF: dedução por dependente"},
        {"IRRFSIMPL", "IRRF: desconto simplificado mensal"},
        {"IRRFREDUCAO", "IRRF: redução da Lei 15.270/2025"},
        {"SALFAM", "Salário-família: cota e limite"},
        {"SALMIN", "Salário mínimo"},
        {"FGTS", "FGTS: alíquota"},
        {"FGTSAPREND", "FGTS: alíquota do aprendiz"},
        {"FGTSMULTA", "FGTS: multa rescisória"},
    };
    return kinds;
}

bool IsLegalKind(const QString& code) {
    for (const auto& k : LegalKinds())
        if (code == QLatin1String(k.code)) return true;
    return false;
}

QString CompetenceText(const QString& yyyymm) {
    if (yyyymm.size() != 6) return {};
    return yyyymm.mid(4, 2) + QLatin1Char('/') + yyyymm.left(4);
}

QString CompetenceFromText(const QString& text) {
    try {
        const TypedPeriod p = TypedCompetence(text);
        return p.year + p.month;
    } catch (const UserError&) {
        return {};
    }
}

LegalTables::LegalTables(std::vector<LegalRow> rows) : rows_(std::move(rows)) { sort(); }

void LegalTables::sort() {
    std::sort(rows_.begin(), rows_.end(), [](const LegalRow& a, const LegalRow& b) {
        return std::tie(a.kind, a.start, a.bracket) < std::tie(b.kind, b.start, b.bracket);
    });
}

namespace {

bool covers(const LegalRow& r, const QString& competence) {
    return r.start <= competence && (r.end.isEmpty() || competence <= r.end);
}

// The groups of a kind: first competence -> rows.
std::map<QString, std::map<QString, std::vector<LegalRow>>> groups(const std::vector<LegalRow>& rows) {
    std::map<QString, std::map<QString, std::vector<LegalRow>>> g;
    for (const LegalRow& r : rows) g[r.kind][r.start].push_back(r);
    return g;
}

QString groupName(const QString& kind, const QString& start) {
    return QStringLiteral("Tabela %1 de %2").arg(kind, CompetenceText(start));
}

void checkBrackets(const QString& kind, const QString& start, const std::vector<LegalRow>& rows, QStringList& faults) {
    const QString name = groupName(kind, start);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].bracket != int(i) + 1) {
            faults << QStringLiteral("%1: faixas incompletas (falta a faixa %2).").arg(name).arg(i + 1);
            return;
        }
    auto one = [&](const char* what) {
        if (rows.size() != 1) faults << QStringLiteral("%1: deve ter uma única linha (%2).").arg(name, QString::fromUtf8(what));
    };
    if (kind == QLatin1String("INSS")) {
        if (rows.size() < 2) faults << QStringLiteral("%1: faixas incompletas.").arg(name);
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].limit <= Fixed() || (i > 0 && rows[i].limit <= rows[i - 1].limit))
                faults << QStringLiteral("%1: o limite da faixa %2 deve ser maior que o da anterior.").arg(name).arg(i + 1);
            if (rows[i].rate <= Fixed() || rows[i].rate > Fixed::fromInt(100))
                faults << QStringLiteral("%1: alíquota da faixa %2 fora de 0 a 100 %.").arg(name).arg(i + 1);
        }
    } else if (kind == QLatin1String("IRRF")) {
        if (rows.size() < 2) faults << QStringLiteral("%1: faixas incompletas.").arg(name);
        if (!rows.empty() && !rows.front().rate.isZero())
            faults << QStringLiteral("%1: a primeira faixa é a de isenção (alíquota 0).").arg(name);
        for (size_t i = 0; i < rows.size(); ++i) {
            const bool last = i + 1 == rows.size();
            if (last && !rows[i].limit.isZero())
                faults << QStringLiteral("%1: a última faixa não tem limite (deixe o limite vazio).").arg(name);
            if (!last && (rows[i].limit <= Fixed() || (i > 0 && rows[i].limit <= rows[i - 1].limit)))
                faults << QStringLiteral("%1: o limite da faixa %2 deve ser maior que o da anterior.").arg(name).arg(i + 1);
            if (i > 0 && (rows[i].rate <= rows[i - 1].rate || rows[i].rate > Fixed::fromInt(100)))
                faults << QStringLiteral("%1: a alíquota da faixa %2 deve ser maior que a da anterior.").arg(name).arg(i + 1);
            if (rows[i].deduct < Fixed())
                faults << QStringLiteral("%1: parcela a deduzir negativa na faixa %2.").arg(name).arg(i + 1);
        }
    } else if (kind == QLatin1String("IRRFREDUCAO")) {
        if (rows.size() != 2 || rows[0].limit <= Fixed() || rows[1].limit <= rows[0].limit || rows[1].value <= Fixed() ||
            rows[1].rate <= Fixed())
            faults << QStringLiteral("%1: são duas linhas: o limite da isenção e o limite, o valor e o percentual da redução.")
                          .arg(name);
    } else if (kind == QLatin1String("SALFAM")) {
        one("cota e limite");
        if (!rows.empty() && (rows[0].limit <= Fixed() || rows[0].value <= Fixed()))
            faults << QStringLiteral("%1: informe o limite de remuneração e a cota.").arg(name);
    } else if (kind.startsWith(QLatin1String("FGTS"))) {
        one("alíquota");
        if (!rows.empty() && (rows[0].rate <= Fixed() || rows[0].rate > Fixed::fromInt(100)))
            faults << QStringLiteral("%1: alíquota fora de 0 a 100 %.").arg(name);
    } else {
        one("valor");
        if (!rows.empty() && rows[0].value <= Fixed()) faults << QStringLiteral("%1: informe o valor.").arg(name);
    }
}

} // namespace

std::vector<LegalRow> LegalTables::inForce(const QString& kind, const QString& competence) const {
    std::vector<LegalRow> out;
    for (const LegalRow& r : rows_)
        if (r.kind == kind && covers(r, competence)) out.push_back(r);
    return out;
}

std::optional<LegalRow> LegalTables::single(const QString& kind, const QString& competence) const {
    const auto rows = inForce(kind, competence);
    if (rows.empty()) return std::nullopt;
    return rows.front();
}

QStringList LegalTables::faults() const {
    QStringList faults;
    for (const auto& [kind, byStart] : groups(rows_)) {
        if (!IsLegalKind(kind)) {
            faults << QStringLiteral("Tipo de tabela desconhecido: %1.").arg(kind);
            continue;
        }
        const std::vector<LegalRow>* previous = nullptr;
        for (const auto& [start, rows] : byStart) {
            const QString name = groupName(kind, start);
            const QString end = rows.front().end;
            bool sameValidity = true, sourced = true;
            for (const LegalRow& r : rows) {
                sameValidity = sameValidity && r.end == end;
                sourced = sourced && !r.source.trimmed().isEmpty();
            }
            if (start.size() != 6 || CompetenceText(start).isEmpty())
                faults << QStringLiteral("%1: competência inicial inválida.").arg(name);
            if (!sameValidity) faults << QStringLiteral("%1: as linhas têm vigências diferentes.").arg(name);
            if (!end.isEmpty() && end < start) faults << QStringLiteral("%1: a vigência termina antes de começar.").arg(name);
            if (!sourced) faults << QStringLiteral("%1: informe a fonte (ato, número e data).").arg(name);
            if (previous) {
                const QString previousEnd = previous->front().end;
                if (previousEnd.isEmpty() || previousEnd >= start)
                    faults << QStringLiteral("%1: a vigência se sobrepõe à da tabela de %2.")
                                  .arg(name, CompetenceText(previous->front().start));
            }
            checkBrackets(kind, start, rows, faults);
            previous = &rows;
        }
    }
    return faults;
}

LegalTables LegalTables::merged(const std::vector<LegalRow>& added) const {
    std::map<std::pair<QString, QString>, bool> replaced;
    for (const LegalRow& r : added) replaced[{r.kind, r.start}] = true;
    std::vector<LegalRow> rows;
    for (const LegalRow& r : rows_)
        if (!replaced.count({r.kind, r.start})) rows.push_back(r);
    for (const LegalRow& r : added) rows.push_back(r);
    // An open table is valid until the next one of its kind begins.
    for (LegalRow& r : rows) {
        if (!r.end.isEmpty()) continue;
        QString next;
        for (const auto& [key, _] : replaced)
            if (key.first == r.kind && key.second > r.start && (next.isEmpty() || key.second < next)) next = key.second;
        if (next.isEmpty()) continue;
        const QDate first(next.left(4).toInt(), next.mid(4, 2).toInt(), 1);
        r.end = first.addMonths(-1).toString(QStringLiteral("yyyyMM"));
    }
    LegalTables out(std::move(rows));
    if (const QStringList f = out.faults(); !f.isEmpty()) throw LegalTablesError(f);
    return out;
}

const LegalTables& LegalTables::shipped() {
    static const LegalTables tables(ReadLegalCsv(QString::fromUtf8(ShippedLegalCsv)));
    return tables;
}

namespace {

Fixed csvNumber(const QString& text, int line, const char* what, QStringList& faults) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return Fixed();
    try {
        return TypedMoney(t, QString::fromUtf8(what), 4);
    } catch (const std::exception&) {
        faults << QStringLiteral("Linha %1: %2 inválido: \"%3\".").arg(line).arg(QString::fromUtf8(what), t);
        return Fixed();
    }
}

QString csvNumberText(Fixed v, bool blankWhenZero) {
    if (blankWhenZero && v.isZero()) return {};
    return v.toString().replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

std::vector<LegalRow> ReadLegalCsv(const QString& text) {
    std::vector<LegalRow> rows;
    QStringList faults;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int n = i + 1;
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
        if (line.trimmed().isEmpty() || line.trimmed().startsWith(QLatin1Char('#'))) continue;
        QStringList f = line.split(QLatin1Char(';'));
        // The source, the last column, may hold ";" itself.
        if (f.size() > 9) f = f.mid(0, 8) << f.mid(8).join(QLatin1Char(';'));
        if (f.size() == 9 && f[0].trimmed().compare(QLatin1String("tipo"), Qt::CaseInsensitive) == 0) continue; // the header
        if (f.size() != 9) {
            faults << QStringLiteral("Linha %1: são 9 colunas separadas por \";\" (tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte).")
                          .arg(n);
            continue;
        }
        LegalRow r;
        r.kind = f[0].trimmed().toUpper();
        if (!IsLegalKind(r.kind)) faults << QStringLiteral("Linha %1: tipo de tabela desconhecido: \"%2\".").arg(n).arg(f[0].trimmed());
        r.start = CompetenceFromText(f[1]);
        if (r.start.isEmpty()) faults << QStringLiteral("Linha %1: competência inicial inválida: \"%2\" (MM/AAAA).").arg(n).arg(f[1].trimmed());
        if (!f[2].trimmed().isEmpty()) {
            r.end = CompetenceFromText(f[2]);
            if (r.end.isEmpty()) faults << QStringLiteral("Linha %1: competência final inválida: \"%2\" (MM/AAAA).").arg(n).arg(f[2].trimmed());
        }
        bool ok = false;
        r.bracket = f[3].trimmed().toInt(&ok);
        if (!ok || r.bracket < 1) faults << QStringLiteral("Linha %1: faixa inválida: \"%2\".").arg(n).arg(f[3].trimmed());
        r.limit = csvNumber(f[4], n, "limite", faults);
        r.rate = csvNumber(f[5], n, "alíquota", faults);
        r.deduct = csvNumber(f[6], n, "parcela a deduzir", faults);
        r.value = csvNumber(f[7], n, "valor", faults);
        r.source = f[8].trimmed();
        rows.push_back(r);
    }
    if (!faults.isEmpty()) throw LegalTablesError(faults);
    return rows;
}

QStringList LegalCsvCells(const LegalRow& r) {
    return {r.kind,
            CompetenceText(r.start),
            CompetenceText(r.end),
            QString::number(r.bracket),
            csvNumberText(r.limit, true),
            csvNumberText(r.rate, r.kind != QLatin1String("IRRF")),
            csvNumberText(r.deduct, r.kind != QLatin1String("IRRF")),
            csvNumberText(r.value, true),
            r.source};
}

QString WriteLegalCsv(const std::vector<LegalRow>& rows) {
    QString out = QStringLiteral("tipo;inicio;fim;faixa;limite;aliquota;deduzir;valor;fonte\n");
    for (const LegalRow& r : rows) out += LegalCsvCells(r).join(QLatin1Char(';')) + QLatin1Char('\n');
    return out;
}

namespace {

const QString StoredTable = QStringLiteral("TabelasLegais");

LegalRow fromRecord(const Record& r) {
    LegalRow row;
    row.kind = r.text("TIPO").trimmed();
    row.start = r.text("INICIO").trimmed();
    row.end = r.text("FIM").trimmed();
    row.bracket = r.integer("FAIXA");
    row.limit = r.number("LIMITE");
    row.rate = r.number("ALIQUOTA");
    row.deduct = r.number("DEDUZIR");
    row.value = r.number("VALOR");
    row.source = r.text("FONTE").trimmed();
    return row;
}

void toRecord(const LegalRow& row, Record& r) {
    r.set("TIPO", row.kind).set("INICIO", row.start).set("FIM", row.end).set("FAIXA", row.bracket);
    r.setNumber("LIMITE", row.limit).setNumber("ALIQUOTA", row.rate).setNumber("DEDUZIR", row.deduct);
    r.setNumber("VALOR", row.value).set("FONTE", row.source);
}

} // namespace

LegalTables LoadLegalTables(Database& shared) {
    shared.ensureTable(Registry::instance().require(StoredTable));
    Table t(shared, StoredTable);
    std::vector<LegalRow> stored;
    for (const Record& r : t.select()) stored.push_back(fromRecord(r));
    // Tables the program brings that the installation has not: a group of a
    // kind whose first competence is past every stored one of that kind (a
    // newer program's table), or every group when the kind has none.
    std::map<QString, QString> latest;
    for (const LegalRow& r : stored) latest[r.kind] = std::max(latest[r.kind], r.start);
    std::vector<LegalRow> missing;
    for (const LegalRow& r : LegalTables::shipped().rows())
        if (!latest.count(r.kind) || r.start > latest[r.kind]) missing.push_back(r);
    LegalTables tables(stored);
    if (missing.empty()) return tables;
    try {
        LegalTables whole = tables.merged(missing);
        StoreLegalTables(shared, whole);
        return whole;
    } catch (const LegalTablesError&) {
        // The installation's own rows stand; the shipped ones that clash are
        // left for the supervisor to look at.
        return tables;
    }
}

void StoreLegalTables(Database& shared, const LegalTables& tables) {
    shared.ensureTable(Registry::instance().require(StoredTable));
    Transaction tx(shared);
    Table t(shared, StoredTable);
    t.removeWhere(QStringLiteral("1 = 1"), {});
    for (const LegalRow& row : tables.rows()) {
        Record r = t.newRecord();
        toRecord(row, r);
        t.insert(r);
    }
    tx.commit();
}

namespace {
std::mutex lawMutex;
LawContext& law() {
    static LawContext c{std::make_shared<LegalTables>(LegalTables::shipped()), {}};
    return c;
}
} // namespace

const LawContext& CurrentLaw() {
    std::lock_guard lock(lawMutex);
    return law();
}

void SetCurrentLaw(LawContext c) {
    std::lock_guard lock(lawMutex);
    if (!c.tables) c.tables = std::make_shared<LegalTables>(LegalTables::shipped());
    law() = std::move(c);
}

} // namespace folha::law
