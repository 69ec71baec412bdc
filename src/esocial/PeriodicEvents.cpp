// S-1200, S-1210 and S-1299: the month's pay per worker, the payments and
// the closing of the month. Each table is read once per competence (the rows
// and registers of the workers a page of workers at a time).
#include "PeriodicEvents.h"

#include "DbError.h"
#include "EventRegister.h"
#include "Generator.h"
#include "TextRoutines.h"
#include "Registry.h"
#include "Rubricas.h"
#include "Table.h"

#include <QHash>
#include <QSet>

#include <map>

namespace folha::esocial {

namespace {

// Roles of FIXAOCOR whose rows are the statement's totals, not rubricas.
const char* const TotalRolesOfSheet[] = {"026", "027", "028", "055"};
const char* const NetRole = "028";
const char* const TerminationNetRole = "055";
// The monthly sheet's deduction of the vacation's net, paid before.
const char* const VacationNetRole = "057";

// The monthly sheets in the order their demonstratives are written.
const QChar MonthlySheets[] = {QLatin1Char('F'), QLatin1Char('I'), QLatin1Char('A')};

struct Row {
    QString code;
    Fixed refer;
    Fixed valor;
    bool calculated = false;
};

struct Sheet {
    std::vector<Row> rows;
    bool calculated = false; // at least one row the calculation wrote
    QDate vacationStart;     // the vacation sheet's DT_IGOZFER
};

struct Worker {
    QString code;
    QString name;
    QString cpf;
    int vinculo = 0;
    QDate leaving;
    QDate vacationStart;
    QString branch;
    std::map<QChar, Sheet> sheets;
};

struct Branch {
    QString code;
    QString cnpj; // 14 digits, or empty
    QDate payrollDate;
};

QString roleEvent(const QHash<QString, QString>& roles, const char* role) { return roles.value(QLatin1String(role)); }

bool hasRow(const Sheet& s, const QString& event) {
    if (event.isEmpty()) return false;
    for (const Row& r : s.rows)
        if (r.code == event && !r.valor.isZero()) return true;
    return false;
}

void ideEvento(EventWriter& w, const Header& h, const QString& indApuracao, const QString& perApur) {
    w.start(QStringLiteral("ideEvento"));
    w.text(QStringLiteral("indRetif"), QString::number(h.indRetif));
    if (h.indRetif == 2) w.text(QStringLiteral("nrRecibo"), h.nrRecibo);
    if (!indApuracao.isEmpty()) w.text(QStringLiteral("indApuracao"), indApuracao);
    w.text(QStringLiteral("perApur"), perApur);
    // indGuia (the DAE) is the domestic employer's; these employers are not.
    w.text(QStringLiteral("tpAmb"), QString::number(h.tpAmb));
    w.text(QStringLiteral("procEmi"), QStringLiteral("1"));
    w.text(QStringLiteral("verProc"), h.verProc);
    w.end();
}

QDate clampTo(const QDate& d, const QDate& first, const QDate& last) {
    if (!d.isValid()) return last;
    return d < first ? first : (d > last ? last : d);
}

} // namespace

QString DemonstrativeId(const QString& sheet, int year, int month) {
    if (sheet.startsWith(QLatin1Char('D'))) return QStringLiteral("D%1").arg(year, 4, 10, QChar('0'));
    return sheet.left(1) + QStringLiteral("%1%2").arg(year, 4, 10, QChar('0')).arg(month, 2, 10, QChar('0'));
}

QString TerminationDmDev(int year, int month) { return DemonstrativeId(QStringLiteral("R"), year, month); }

int CategoryOfVinculo(int vinculo) {
    // Tabela 01 - Categorias de Trabalhadores (Leiautes do eSocial S-1.3):
    // the register's employee vínculos. The others (avulso, diretor,
    // contribuinte individual, agentes públicos) are not employees: their
    // events (S-2300, S-1200 of category 7xx) are not written here.
    switch (vinculo) {
    case 1: return 101; // 01 - Empregado: Empregado - Geral
    case 4: return 105; // 04 - prazo determinado da Lei 9.601/1998
    case 6: return 104; // 06 - Empregado Doméstico
    case 7: return 103; // 07 - Menor Aprendiz (Lei 10.097/2000): Empregado - Aprendiz
    default: return 0;
    }
}

QDate PaymentDate(PaymentDateRule rule, QChar sheet, int year, int month, const QDate& branchPayrollDate,
                  const QDate& vacationStart, const QDate& leaving) {
    const QDate first(year, month, 1);
    const QDate last = first.addMonths(1).addDays(-1);
    switch (sheet.unicode()) {
    case 'I':
        // Paid up to two days before the vacation begins (CLT art. 145).
        return clampTo(vacationStart.isValid() ? vacationStart.addDays(-2) : last, first, last);
    case 'D':
        // The 13th salary by 20 December (Lei 4.749/1965, art. 1º).
        return month == 12 ? QDate(year, 12, 20) : last;
    case 'R':
        // Ten days from the end of the contract (CLT art. 477 §6º).
        return clampTo(leaving.isValid() ? leaving.addDays(10) : last, first, last);
    default:
        if (rule == PaymentDateRule::BranchPayrollDate && branchPayrollDate.isValid() && branchPayrollDate >= first &&
            branchPayrollDate <= last)
            return branchPayrollDate;
        return last;
    }
}

Builder PeriodicBuilder(PeriodicOptions options) {
    return [options](Context& ctx, std::vector<Draft>& out) { BuildPeriodicEventsWith(ctx, out, options); };
}

void BuildPeriodicEvents(Context& ctx, std::vector<Draft>& out) { BuildPeriodicEventsWith(ctx, out, PeriodicOptions{}); }

void BuildPeriodicEventsWith(Context& ctx, std::vector<Draft>& out, const PeriodicOptions& options) {
    Database& db = ctx.db();
    const int year = ctx.year();
    const int month = ctx.month();
    const QString yearText = QStringLiteral("%1").arg(year, 4, 10, QChar('0'));
    const QString monthText = QStringLiteral("%1").arg(month, 2, 10, QChar('0'));
    const QString competence = ctx.competence();

    // The roles of the totals and of the nets.
    QHash<QString, QString> roles;
    Table(db, QStringLiteral("FIXAOCOR")).forEach({}, {}, [&](const Record& r) {
        roles.insert(r.text("FCODIGO").trimmed(), r.text("FHISTORICO").trimmed());
        return true;
    });
    QSet<QString> totals;
    for (const char* role : TotalRolesOfSheet) {
        const QString e = roleEvent(roles, role);
        if (!e.isEmpty()) totals.insert(e);
    }
    const QString netEvent = roleEvent(roles, NetRole);
    const QString terminationNetEvent = roleEvent(roles, TerminationNetRole);

    // The branches, and the branch of each worker: the register's own when
    // it has one, else the branch asked for, else the head office.
    std::map<QString, Branch> branches;
    QString headOffice;
    Table(db, QStringLiteral("Filial")).forEach({}, {}, [&](const Record& r) {
        Branch b{r.text("CODIGO").trimmed(), OnlyDigits(r.text("CGC")), r.date("DATA_FOLHA")};
        if (b.cnpj.size() != 14) b.cnpj.clear();
        if (headOffice.isEmpty() && !b.cnpj.isEmpty() && b.cnpj == ctx.employer().fullInsc) headOffice = b.code;
        branches[b.code] = b;
        return true;
    });
    if (headOffice.isEmpty() && !branches.empty()) headOffice = branches.begin()->first;
    const bool registerBranch = Registry::instance().require(QStringLiteral("CADFUN")).fieldIndex(QStringLiteral("FILIAL")) >= 0;

    // The workers with rows of the competence in a sheet reported here, in
    // code order; their rows and registers are read a page of workers at a
    // time, so a large company never holds the whole month.
    const QString sheetsOfMonth = QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA IN ('F', 'I', 'A', 'D')");
    std::map<QString, QVariantList> stored; // the code, trimmed -> the values it is stored with
    {
        auto q = db.exec(QStringLiteral("SELECT DISTINCT CODFUN FROM OCORRENC WHERE ") + sheetsOfMonth, {yearText, monthText});
        while (q.next()) {
            const QString value = q.value(0).toString();
            if (!value.trimmed().isEmpty()) stored[value.trimmed()] << value;
        }
    }

    // A monthly sheet that holds a termination's net is the termination's.
    auto isTermination = [&](const Worker& w, QChar sheet) {
        if (sheet != QLatin1Char('F')) return false;
        auto s = w.sheets.find(sheet);
        return s != w.sheets.end() && hasRow(s->second, terminationNetEvent);
    };
    auto isRubrica = [&](const Row& r) { return !totals.contains(r.code) && r.valor > Fixed(); };
    const QString vacationNetEvent = roleEvent(roles, VacationNetRole);

    // One page of workers: their rows of the competence and their register.
    // A worker whose register is missing stops the generation there; the
    // sheets no calculation wrote, and the workers of another branch than
    // the one asked for, are left out.
    auto readPage = [&](std::map<QString, QVariantList>::const_iterator from,
                        std::map<QString, QVariantList>::const_iterator to) {
        std::map<QString, Worker> workers;
        QVariantList values;
        QStringList marks;
        for (auto it = from; it != to; ++it)
            for (const QVariant& v : it->second) {
                values << v;
                marks << QStringLiteral("?");
            }
        const QString inPage = QStringLiteral("CODFUN IN (%1)").arg(marks.join(QLatin1Char(',')));
        Table(db, QStringLiteral("OCORRENC"))
            .forEach(sheetsOfMonth + QStringLiteral(" AND ") + inPage, QVariantList{yearText, monthText} + values,
                     [&](const Record& r) {
                         const QString code = r.text("CODFUN").trimmed();
                         const QString sheetType = r.text("TIPOFOLHA").trimmed();
                         if (code.isEmpty() || sheetType.isEmpty()) return true;
                         Worker& w = workers[code];
                         w.code = code;
                         Sheet& s = w.sheets[sheetType.at(0)];
                         Row row{r.text("HCODIGO").trimmed(), r.number("REFER"), r.number("VALOR"),
                                 r.text("FLAG") == QLatin1String("*")};
                         s.calculated = s.calculated || row.calculated;
                         if (!s.vacationStart.isValid()) s.vacationStart = r.date("DT_IGOZFER");
                         s.rows.push_back(row);
                         return true;
                     },
                     // The order of the index that leads with the worker after the
                     // sheet: the engine seeks each worker of the page instead of
                     // walking the whole month for every page. A worker's rows of a
                     // sheet still come in event order.
                     QStringLiteral("OCORRANO, OCORRMES, TIPOFOLHA, CODFUN, HCODIGO"));
        QSet<QString> seen;
        Table(db, QStringLiteral("CADFUN")).forEach(inPage, values, [&](const Record& r) {
            auto it = workers.find(r.text("CODFUN").trimmed());
            if (it == workers.end()) return true;
            Worker& w = it->second;
            seen.insert(w.code);
            w.name = r.text("NOME").trimmed();
            const QString cpf = OnlyDigits(r.text("NR_CPF"));
            w.cpf = cpf.isEmpty() || cpf.size() > 11 ? cpf : cpf.rightJustified(11, QChar('0'));
            w.vinculo = r.integer("VINCULO");
            w.leaving = r.integer("CONDICAO") == 0 ? r.date("DT_AFAST") : QDate();
            w.vacationStart = r.date("DT_IGOZFER");
            if (registerBranch) w.branch = r.text("FILIAL").trimmed();
            return true;
        });
        for (auto it = workers.begin(); it != workers.end();) {
            Worker& w = it->second;
            if (!seen.contains(w.code)) {
                throw UserError(QStringLiteral("Ocorrências do funcionário %1 em %2 sem o cadastro do funcionário: "
                                               "o eSocial não pode identificá-lo.").arg(w.code, competence));
            }
            if (w.branch.isEmpty()) w.branch = ctx.branch().isEmpty() ? headOffice : ctx.branch();
            // Only the sheets a calculation wrote are reported.
            for (auto s = w.sheets.begin(); s != w.sheets.end();)
                s = s->second.calculated ? std::next(s) : w.sheets.erase(s);
            const bool otherBranch = !ctx.branch().isEmpty() && registerBranch && w.branch != ctx.branch();
            it = w.sheets.empty() || otherBranch ? workers.erase(it) : std::next(it);
        }

        // In a vacation month the monthly sheet holds the whole month: the
        // vacation's rows again, the INSS and the dues of the month, and the
        // deduction of the vacation's net paid before. The vacation has its
        // own demonstrative, so the monthly one reports what the month adds
        // to it: each rubrica less the vacation sheet's, without that
        // deduction. The two demonstratives then add up to the month, and
        // the monthly one's net is the net the monthly sheet paid.
        for (auto& [code, w] : workers) {
            auto f = w.sheets.find(QLatin1Char('F'));
            auto v = w.sheets.find(QLatin1Char('I'));
            if (f == w.sheets.end() || v == w.sheets.end() || isTermination(w, QLatin1Char('F'))) continue;
            std::map<QString, Row> vacation;
            for (const Row& r : v->second.rows)
                if (!totals.contains(r.code)) {
                    Row& sum = vacation[r.code];
                    sum.refer += r.refer;
                    sum.valor += r.valor;
                }
            std::vector<Row> rest;
            for (Row r : f->second.rows) {
                if (!vacationNetEvent.isEmpty() && r.code == vacationNetEvent) continue;
                if (!totals.contains(r.code)) {
                    if (auto it = vacation.find(r.code); it != vacation.end()) {
                        r.valor -= it->second.valor;
                        r.refer = r.refer > it->second.refer ? r.refer - it->second.refer : Fixed();
                        if (r.valor <= Fixed()) continue;
                    }
                }
                rest.push_back(r);
            }
            f->second.rows = std::move(rest);
        }
        return workers;
    };

    // Every event code reported must have its mapping: all of them named at
    // once, when every page was read. Before that message no other stops
    // the generation but a missing register; a worker's own missing data is
    // told after it. Either way nothing of the generation is kept.
    QStringList codes;
    QSet<QString> codeSet;
    auto collectCodes = [&](const Worker& w) {
        for (const auto& [sheet, s] : w.sheets) {
            if (isTermination(w, sheet)) continue;
            for (const Row& r : s.rows)
                if (isRubrica(r) && !codeSet.contains(r.code)) {
                    codeSet.insert(r.code);
                    codes << r.code;
                }
        }
    };
    const RubricaMap rubricas(db);

    // The worker's data the events cannot do without; empty when complete.
    auto missingData = [&](const Worker& w) -> QString {
        if (w.cpf.size() != 11)
            return QStringLiteral("Funcionário %1 - %2: o CPF (campo NR_CPF do cadastro de Funcionários) não está "
                                  "preenchido; o eSocial identifica o trabalhador por ele.").arg(w.code, w.name);
        if (CategoryOfVinculo(w.vinculo) == 0)
            return QStringLiteral("Funcionário %1 - %2: o vínculo %3 (campo VINCULO do cadastro de Funcionários) "
                                  "não tem categoria do eSocial (Tabela 01) definida.")
                .arg(w.code, w.name)
                .arg(w.vinculo);
        auto b = branches.find(w.branch);
        if (b == branches.end() || b->second.cnpj.isEmpty())
            return QStringLiteral("Filial %1: o CNPJ (campo CGC do cadastro de Filiais) não está preenchido; o "
                                  "eSocial identifica por ele o estabelecimento do funcionário %2.")
                .arg(w.branch, w.code);
        return {};
    };

    // The net of a sheet: its net row, else what the chart's types add up to.
    auto netOf = [&](const Sheet& s, bool termination) {
        const QString event = termination ? terminationNetEvent : netEvent;
        for (const Row& r : s.rows)
            if (!event.isEmpty() && r.code == event) return r.valor;
        Fixed net;
        for (const Row& r : s.rows) {
            if (!isRubrica(r)) continue;
            const Rubrica* rub = rubricas.find(r.code);
            if (rub && rub->type == 1) net += r.valor;
            else if (rub && rub->type == 2) net -= r.valor;
        }
        return net > Fixed() ? net : Fixed();
    };

    // One demonstrative: its rubricas at the worker's establishment.
    auto writeDemonstrative = [&](EventWriter& w, const Worker& worker, const QString& id, const Sheet& s, bool irApur) {
        w.start(QStringLiteral("dmDev"));
        w.text(QStringLiteral("ideDmDev"), id);
        w.text(QStringLiteral("codCateg"), QString::number(CategoryOfVinculo(worker.vinculo)));
        w.start(QStringLiteral("infoPerApur"));
        w.start(QStringLiteral("ideEstabLot"));
        w.text(QStringLiteral("tpInsc"), QStringLiteral("1"));
        w.text(QStringLiteral("nrInsc"), branches.at(worker.branch).cnpj);
        w.text(QStringLiteral("codLotacao"), worker.branch);
        w.start(QStringLiteral("remunPerApur"));
        w.text(QStringLiteral("matricula"), worker.code);
        for (const Row& r : s.rows) {
            if (!isRubrica(r)) continue;
            w.start(QStringLiteral("itensRemun"));
            w.text(QStringLiteral("codRubr"), r.code);
            w.text(QStringLiteral("ideTabRubr"), QLatin1String(kRubricaTable));
            // The reference quantity (hours, days, quotas), when there is one.
            const Fixed qtd = RoundValue(2, r.refer);
            if (qtd > Fixed()) w.text(QStringLiteral("qtdRubr"), qtd.toString(2));
            w.money(QStringLiteral("vrRubr"), r.valor);
            if (irApur) w.text(QStringLiteral("indApurIR"), QStringLiteral("0"));
            w.end();
        }
        // No register holds the exposure to harmful agents: not one that
        // gives special retirement (grauExp 1, Tabela 02).
        w.start(QStringLiteral("infoAgNocivo"));
        w.text(QStringLiteral("grauExp"), QStringLiteral("1"));
        w.end();
        w.end(); // remunPerApur
        w.end(); // ideEstabLot
        w.end(); // infoPerApur
        w.end(); // dmDev
    };

    // The header of each event: the register is asked only about subjects
    // of the year that were ever sent (one read); the others start as
    // originals with the environment's header.
    QSet<QString> sent;
    {
        // The year's: the 13th salary's subject is the year's.
        auto q = db.exec(QStringLiteral("SELECT DISTINCT ASSUNTO FROM ESOCIAL WHERE COMPETENC LIKE ? AND SITUACAO IN (?, ?)"),
                         {yearText + QStringLiteral("-%"), status::Sent, status::Accepted});
        while (q.next()) sent.insert(q.value(0).toString().trimmed());
    }
    const Header original = ctx.originalHeader();
    auto headerFor = [&](const QString& subject) { return sent.contains(subject) ? ctx.headerFor(subject) : original; };

    // indApurIR is written from 2021-07 (monthly) and from 2021 (annual).
    const bool monthlyIr = year > 2021 || (year == 2021 && month >= 7);
    const bool annualIr = year >= 2021;
    const QString annualPeriod = yearText;

    bool anyMonthly = false, anyAnnual = false, anyPayment = false, anyTermination = false;
    QString firstMissing; // the first worker's missing data, told after the mapping
    for (auto page = stored.cbegin(); page != stored.cend();) {
        auto end = page;
        for (int n = 0; end != stored.cend() && n < 256; ++end, ++n) {
        }
        const std::map<QString, Worker> workers = readPage(page, end);
        page = end;
        for (const auto& [code, worker] : workers) {
            collectCodes(worker);
            if (!firstMissing.isEmpty()) continue; // nothing more is built: only the codes are looked at
            firstMissing = missingData(worker);
            if (!firstMissing.isEmpty()) continue;
            ctx.flush(out); // the events built so far go to be signed and stored
            // S-1200 of the month: the monthly, vacation and advance sheets.
            std::vector<QChar> monthly;
            for (QChar sheet : MonthlySheets)
                if (worker.sheets.count(sheet) && !isTermination(worker, sheet)) {
                    bool any = false;
                    for (const Row& r : worker.sheets.at(sheet).rows) any = any || isRubrica(r);
                    if (any) monthly.push_back(sheet);
                }
            if (!monthly.empty()) {
                const QString subject = QStringLiteral("S-1200|%1|%2").arg(code, competence);
                EventWriter w(QStringLiteral("S-1200"));
                ideEvento(w, headerFor(subject), QStringLiteral("1"), competence);
                w.ideEmpregador(ctx.employer());
                w.start(QStringLiteral("ideTrabalhador"));
                w.text(QStringLiteral("cpfTrab"), worker.cpf);
                w.end();
                for (QChar sheet : monthly)
                    writeDemonstrative(w, worker, DemonstrativeId(QString(sheet), year, month), worker.sheets.at(sheet), monthlyIr);
                out.push_back({QStringLiteral("S-1200"), subject, code, competence, w.finish()});
                anyMonthly = true;
            }
            // S-1200 of the year: the 13th salary.
            bool annual = false;
            if (auto d = worker.sheets.find(QLatin1Char('D')); d != worker.sheets.end()) {
                bool any = false;
                for (const Row& r : d->second.rows) any = any || isRubrica(r);
                if (any) {
                    const QString subject = QStringLiteral("S-1200|%1|%2").arg(code, annualPeriod);
                    EventWriter w(QStringLiteral("S-1200"));
                    ideEvento(w, headerFor(subject), QStringLiteral("2"), annualPeriod);
                    w.ideEmpregador(ctx.employer());
                    w.start(QStringLiteral("ideTrabalhador"));
                    w.text(QStringLiteral("cpfTrab"), worker.cpf);
                    w.end();
                    writeDemonstrative(w, worker, DemonstrativeId(QStringLiteral("D"), year, month), d->second, annualIr);
                    out.push_back({QStringLiteral("S-1200"), subject, code, competence, w.finish()});
                    anyAnnual = annual = true;
                }
            }

            // S-1210: every sheet reported above, and the termination.
            struct Payment {
                QDate date;
                int type;
                QString perRef;
                QString dmDev;
                Fixed net;
            };
            std::vector<Payment> payments;
            const QDate branchDate = branches.at(worker.branch).payrollDate;
            for (QChar sheet : monthly) {
                const Sheet& s = worker.sheets.at(sheet);
                const QDate start = s.vacationStart.isValid() ? s.vacationStart : worker.vacationStart;
                payments.push_back({PaymentDate(options.paymentDate, sheet, year, month, branchDate, start, worker.leaving), 1,
                                    competence, DemonstrativeId(QString(sheet), year, month), netOf(s, false)});
            }
            if (annual)
                payments.push_back({PaymentDate(options.paymentDate, QLatin1Char('D'), year, month, branchDate, {}, {}), 1,
                                    annualPeriod, DemonstrativeId(QStringLiteral("D"), year, month),
                                    netOf(worker.sheets.at(QLatin1Char('D')), false)});
            if (isTermination(worker, QLatin1Char('F'))) {
                const QDate leaving = worker.leaving.isValid() ? worker.leaving : ctx.lastDay();
                payments.push_back({PaymentDate(options.paymentDate, QLatin1Char('R'), year, month, branchDate, {}, leaving), 2,
                                    MonthText(leaving.year(), leaving.month()), TerminationDmDev(leaving.year(), leaving.month()),
                                    netOf(worker.sheets.at(QLatin1Char('F')), true)});
                anyTermination = true;
            }
            if (payments.empty()) continue;
            const QString subject = QStringLiteral("S-1210|%1|%2").arg(code, competence);
            EventWriter w(QStringLiteral("S-1210"));
            ideEvento(w, headerFor(subject), QString(), competence);
            w.ideEmpregador(ctx.employer());
            w.start(QStringLiteral("ideBenef"));
            w.text(QStringLiteral("cpfBenef"), worker.cpf);
            for (const Payment& p : payments) {
                w.start(QStringLiteral("infoPgto"));
                w.date(QStringLiteral("dtPgto"), p.date);
                w.text(QStringLiteral("tpPgto"), QString::number(p.type));
                w.text(QStringLiteral("perRef"), p.perRef);
                w.text(QStringLiteral("ideDmDev"), p.dmDev);
                w.money(QStringLiteral("vrLiq"), p.net);
                w.end();
            }
            w.end();
            out.push_back({QStringLiteral("S-1210"), subject, code, competence, w.finish()});
            anyPayment = true;
        }
    }
    rubricas.requireAll(codes);
    if (!firstMissing.isEmpty()) throw UserError(firstMissing);

    // S-1299: the closing covers the whole employer, so a generation for one
    // branch leaves it for the generation of every branch.
    if (!ctx.branch().isEmpty()) return;
    auto closing = [&](const QString& indApuracao, const QString& perApur, bool remuneration, bool payments) {
        const QString subject = QStringLiteral("S-1299|%1").arg(perApur);
        const Header h = ctx.headerFor(subject);
        EventWriter w(QStringLiteral("S-1299"));
        w.start(QStringLiteral("ideEvento"));
        w.text(QStringLiteral("indApuracao"), indApuracao);
        w.text(QStringLiteral("perApur"), perApur);
        w.text(QStringLiteral("tpAmb"), QString::number(h.tpAmb));
        w.text(QStringLiteral("procEmi"), QStringLiteral("1"));
        w.text(QStringLiteral("verProc"), h.verProc);
        w.end();
        w.ideEmpregador(ctx.employer());
        w.start(QStringLiteral("infoFech"));
        // Remuneration: an S-1200 of the period (or an S-2299 with its
        // termination pay); payments: an S-1210 of the period. The events
        // this program does not make (S-1260, S-1270, S-1280) are absent.
        w.text(QStringLiteral("evtRemun"), remuneration ? QStringLiteral("S") : QStringLiteral("N"));
        w.text(QStringLiteral("evtPgtos"), payments ? QStringLiteral("S") : QStringLiteral("N"));
        w.text(QStringLiteral("evtComProd"), QStringLiteral("N"));
        w.text(QStringLiteral("evtContratAvNP"), QStringLiteral("N"));
        w.text(QStringLiteral("evtInfoComplPer"), QStringLiteral("N"));
        w.end();
        out.push_back({QStringLiteral("S-1299"), subject, QString(), competence, w.finish()});
    };
    if (anyMonthly || anyPayment || anyTermination) closing(QStringLiteral("1"), competence, anyMonthly || anyTermination, anyPayment);
    // The annual period has no S-1210 of its own: its payments are the month's.
    if (anyAnnual) closing(QStringLiteral("2"), annualPeriod, true, false);
}

} // namespace folha::esocial
