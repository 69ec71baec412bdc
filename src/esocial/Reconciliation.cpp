#include "Reconciliation.h"

#include "LawRules.h"
#include "Registry.h"
#include "Rubricas.h"
#include "TextReport.h"
#include "TextRoutines.h"

#include <QSqlQuery>
#include <QXmlStreamReader>

#include <functional>
#include <map>
#include <set>

namespace folha::esocial {

namespace {

// The payroll's rows of each item, by the fixed occurrence (FIXAOCOR) that
// the calculation writes them under: 013 INSS base, 015 INSS base of the
// 13th, 012 and 014 the INSS withheld, 016/018/020 the IRRF (month, 13th,
// vacation), 031 the FGTS base, 032 the month's FGTS and 067 a dismissed
// worker's.
struct Item {
    const char* name;
    QStringList roles;
    // The rubricas that make the item up, by their eSocial incidence
    // (HISTFP ESINCCP / ESINCIRRF / ESINCFGTS): listed beside a difference.
    std::function<bool(const Rubrica&)> feeds;
};

bool startsWith(const QString& code, const char* digits) {
    for (const char* d = digits; *d; ++d)
        if (code.startsWith(QLatin1Char(*d))) return true;
    return false;
}

const std::vector<Item>& Items() {
    // Incidences (Leiautes do eSocial S-1.3, relation of S-5001's tpValor to
    // S-1010's codIncCP in evtBasesTrab.xsd, and Tabelas 21/22/23): bases of
    // social security are codIncCP 11, 13, 15, 21 for the month and 12, 14,
    // 16, 22 for the 13th salary, the employee's contribution codIncCP 31/32; IRRF bases codIncIRRF 1x, withholdings 3x;
    // FGTS bases codIncFGTS 11, 12 and 21.
    static const std::vector<Item> items = {
        {"Base INSS", {"013"}, [](const Rubrica& r) { return (r.type == 1 || r.type == 2) && QStringList{"11", "13", "15", "21"}.contains(r.incCP); }},
        {"Base INSS 13º", {"015"}, [](const Rubrica& r) { return (r.type == 1 || r.type == 2) && QStringList{"12", "14", "16", "22"}.contains(r.incCP); }},
        {"Contribuição INSS", {"012", "014"}, [](const Rubrica& r) { return r.incCP == "31" || r.incCP == "32"; }},
        {"IRRF", {"016", "018", "020"}, [](const Rubrica& r) { return startsWith(r.incIRRF, "3"); }},
        {"Base FGTS", {"031"}, [](const Rubrica& r) { return (r.type == 1 || r.type == 2) && (r.incFGTS == "11" || r.incFGTS == "12" || r.incFGTS == "21"); }},
        {"FGTS", {"032", "067"}, [](const Rubrica& r) { return r.incFGTS == "11" || r.incFGTS == "12" || r.incFGTS == "21"; }},
    };
    return items;
}

Fixed money(const QString& text) { return Fixed::parse(text.trimmed()).value_or(Fixed()); }

// The direct children's texts of every `group` element of a document.
std::vector<std::map<QString, QString>> groups(const QString& xml, const QString& group) {
    std::vector<std::map<QString, QString>> out;
    QXmlStreamReader r(xml);
    int depth = 0, groupDepth = -1;
    QString leaf;
    while (!r.atEnd()) {
        r.readNext();
        if (r.isStartElement()) {
            ++depth;
            if (groupDepth < 0 && r.name() == group) {
                groupDepth = depth;
                out.emplace_back();
            } else if (groupDepth >= 0 && depth == groupDepth + 1) {
                leaf = r.name().toString();
            }
        } else if (r.isCharacters() && groupDepth >= 0 && !leaf.isEmpty()) {
            out.back()[leaf] += r.text().toString();
        } else if (r.isEndElement()) {
            if (depth == groupDepth) groupDepth = -1;
            leaf.clear();
            --depth;
        }
    }
    return out;
}

struct Government {
    std::map<QString, Fixed> values; // item → value
};

QString name(const Item& i) { return QString::fromUtf8(i.name); }

// The CPF of the register (a number column): its 11 digits.
QString CpfText(const QVariant& v) {
    if (v.isNull()) return {};
    if (auto f = Fixed::fromVariant(v); f && !f->isZero()) return QString::number(f->truncated()).rightJustified(11, QLatin1Char('0'));
    return OnlyDigits(v.toString());
}

// "1.621,00", "-12,34"
QString FormatMoney(Fixed v) {
    QString s = RoundValue(2, v).toString(2);
    const bool negative = s.startsWith(QLatin1Char('-'));
    if (negative) s.remove(0, 1);
    QString whole = s.section(QLatin1Char('.'), 0, 0);
    const QString cents = s.section(QLatin1Char('.'), 1, 1);
    for (int i = int(whole.size()) - 3; i > 0; i -= 3) whole.insert(i, QLatin1Char('.'));
    return (negative ? QStringLiteral("-") : QString()) + whole + QLatin1Char(',') + cents;
}

} // namespace

ReconciliationResult Reconcile(Database& db, int year, int month) {
    ReconciliationResult result;
    result.competence = QStringLiteral("%1-%2").arg(year, 4, 10, QChar('0')).arg(month, 2, 10, QChar('0'));
    db.ensureTable(Registry::instance().require(QStringLiteral("ESOCTOT")));

    // The roles' event codes.
    std::map<QString, QString> roleEvent; // event code → role
    {
        auto q = db.exec(QStringLiteral("SELECT FCODIGO, FHISTORICO FROM FIXAOCOR"));
        while (q.next()) {
            const QString event = q.value(1).toString().trimmed();
            if (!event.isEmpty()) roleEvent[event] = q.value(0).toString().trimmed();
        }
    }
    RubricaMap rubricas(db);

    struct Worker {
        QString code, name, cpf;
        std::map<QString, Fixed> payroll;    // item → value
        std::map<QString, Fixed> government; // item → value
        std::map<QString, Fixed> rows;       // event code → value
    };
    std::map<QString, Worker> workers; // by CPF (the totals name the worker by it)
    std::map<QString, QString> cpfOf;  // CODFUN → CPF
    {
        auto q = db.exec(QStringLiteral("SELECT CODFUN, NOME, NR_CPF FROM CADFUN"));
        while (q.next()) {
            const QString cpf = CpfText(q.value(2));
            cpfOf[q.value(0).toString().trimmed()] = cpf;
            Worker& w = workers[cpf.isEmpty() ? QStringLiteral("#") + q.value(0).toString().trimmed() : cpf];
            w.code = q.value(0).toString().trimmed();
            w.name = q.value(1).toString().trimmed();
            w.cpf = cpf;
        }
    }
    std::set<QString> compared;
    {
        auto q = db.exec(QStringLiteral("SELECT CODFUN, HCODIGO, VALOR FROM OCORRENC WHERE OCORRANO = ? AND OCORRMES = ? "
                                        "AND TIPOFOLHA IN ('F', 'I', 'A', 'D')"),
                         {QString::number(year), QStringLiteral("%1").arg(month, 2, 10, QChar('0'))});
        while (q.next()) {
            const QString code = q.value(0).toString().trimmed();
            const QString cpf = cpfOf.count(code) && !cpfOf[code].isEmpty() ? cpfOf[code] : QStringLiteral("#") + code;
            Worker& w = workers[cpf];
            const QString event = q.value(1).toString().trimmed();
            const Fixed value = Fixed::fromVariant(q.value(2)).value_or(Fixed());
            w.rows[event] += value;
            auto role = roleEvent.find(event);
            if (role == roleEvent.end()) continue;
            for (const Item& i : Items())
                if (i.roles.contains(role->second)) {
                    w.payroll[name(i)] += value;
                    compared.insert(cpf);
                }
        }
    }

    // The government's totals of the month.
    std::set<QString> kinds;
    Government company;
    auto q = db.exec(QStringLiteral("SELECT TIPO, CPF, XML FROM ESOCTOT WHERE COMPETENC = ?"), {result.competence});
    while (q.next()) {
        const QString type = q.value(0).toString().trimmed();
        const QString cpf = q.value(1).toString().trimmed();
        const QString xml = q.value(2).toString();
        kinds.insert(type);
        if (type == QLatin1String("S-5011")) {
            for (const auto& g : groups(xml, QStringLiteral("infoCPSeg"))) company.values[QStringLiteral("Contribuição INSS")] += money(g.count(QStringLiteral("vrCpSeg")) ? g.at(QStringLiteral("vrCpSeg")) : QString());
            continue;
        }
        if (type == QLatin1String("S-5013")) {
            for (const auto& g : groups(xml, QStringLiteral("basePerApur"))) {
                company.values[QStringLiteral("Base FGTS")] += money(g.count(QStringLiteral("baseFGTS")) ? g.at(QStringLiteral("baseFGTS")) : QString());
                company.values[QStringLiteral("FGTS")] += money(g.count(QStringLiteral("vrFGTS")) ? g.at(QStringLiteral("vrFGTS")) : QString());
            }
            continue;
        }
        Worker& w = workers[cpf];
        if (w.cpf.isEmpty()) w.cpf = cpf;
        compared.insert(cpf);
        auto value = [](const std::map<QString, QString>& g, const char* field) {
            auto it = g.find(QString::fromLatin1(field));
            return it == g.end() ? Fixed() : money(it->second);
        };
        if (type == QLatin1String("S-5001")) {
            // Bases: tpValor 11 to 14 and 19 (the values the contribution is
            // computed on), ind13 0 for the month, 1 for the 13th salary.
            static const QStringList baseTypes = {"11", "12", "13", "14", "19"};
            for (const auto& g : groups(xml, QStringLiteral("infoBaseCS"))) {
                if (!baseTypes.contains(g.count(QStringLiteral("tpValor")) ? g.at(QStringLiteral("tpValor")).trimmed() : QString())) continue;
                const bool thirteenth = g.count(QStringLiteral("ind13")) && g.at(QStringLiteral("ind13")).trimmed() == QLatin1String("1");
                w.government[thirteenth ? QStringLiteral("Base INSS 13º") : QStringLiteral("Base INSS")] += value(g, "valor");
            }
            for (const auto& g : groups(xml, QStringLiteral("infoCpCalc"))) w.government[QStringLiteral("Contribuição INSS")] += value(g, "vrCpSeg");
        } else if (type == QLatin1String("S-5002")) {
            for (const auto& g : groups(xml, QStringLiteral("consolidApurMen")))
                w.government[QStringLiteral("IRRF")] += value(g, "vlrCRMen") + value(g, "vlrCR13Men");
        } else if (type == QLatin1String("S-5003")) {
            for (const auto& g : groups(xml, QStringLiteral("basePerApur"))) {
                w.government[QStringLiteral("Base FGTS")] += value(g, "remFGTS");
                w.government[QStringLiteral("FGTS")] += value(g, "dpsFGTS");
            }
        }
    }
    auto kindOfItem = [](const QString& item) {
        if (item.startsWith(QLatin1String("Base INSS")) || item == QLatin1String("Contribuição INSS")) return QStringLiteral("S-5001");
        if (item == QLatin1String("IRRF")) return QStringLiteral("S-5002");
        return QStringLiteral("S-5003");
    };
    for (const char* k : {"S-5001", "S-5002", "S-5003", "S-5011", "S-5013"})
        if (!kinds.count(QLatin1String(k))) result.missing << QLatin1String(k);

    std::map<QString, Fixed> payrollTotal;
    for (const QString& cpf : compared) {
        Worker& w = workers[cpf];
        ++result.workers;
        for (const Item& i : Items()) {
            const QString item = name(i);
            const Fixed p = RoundValue(2, w.payroll[item]);
            payrollTotal[item] += p;
            if (!kinds.count(kindOfItem(item))) continue;
            const Fixed g = RoundValue(2, w.government[item]);
            if (p == g) continue;
            QStringList behind;
            for (const auto& [event, value] : w.rows) {
                auto role = roleEvent.find(event);
                const Rubrica* r = rubricas.find(event);
                const bool isRole = role != roleEvent.end() && i.roles.contains(role->second);
                if (isRole || (r && i.feeds(*r)))
                    behind << QStringLiteral("%1 %2 %3").arg(event, r ? r->name : QString(), RoundValue(2, value).toString(2));
            }
            result.divergences.push_back({w.code, w.name.isEmpty() ? QStringLiteral("CPF %1").arg(w.cpf) : w.name, w.cpf, item, p, g,
                                          behind.join(QStringLiteral("; "))});
        }
    }
    // The company's totals.
    struct CompanyItem {
        const char* item;
        const char* kind;
    };
    for (const CompanyItem& c : {CompanyItem{"Contribuição INSS", "S-5011"}, CompanyItem{"Base FGTS", "S-5013"}, CompanyItem{"FGTS", "S-5013"}}) {
        const QString item = QString::fromUtf8(c.item);
        if (!kinds.count(QLatin1String(c.kind))) continue;
        const Fixed p = payrollTotal[item];
        const Fixed g = RoundValue(2, company.values[item]);
        if (p != g) result.divergences.push_back({QString(), QStringLiteral("Empresa"), QString(), item, p, g, QString()});
    }
    return result;
}

void ComposeReconciliation(TextReport& report, const ReconciliationResult& r) {
    const QString title = QStringLiteral("CONFERÊNCIA DOS TOTALIZADORES DO eSocial");
    const QString subtitle = QStringLiteral("Competência %1/%2").arg(r.competence.mid(5), r.competence.left(4));
    int line = report.pageHeader(title, subtitle);
    report.requireLines(line + 3);
    auto next = [&](int needed = 1) {
        if (line + needed > report.linesPerPage()) {
            report.flushPage(line);
            line = report.pageHeader(title, subtitle);
        }
    };
    auto put = [&](const QString& text) {
        next();
        report.putText(++line, 1, text);
    };
    put(QStringLiteral("Funcionários conferidos: %1").arg(r.workers));
    if (!r.missing.isEmpty())
        put(QStringLiteral("Totalizadores não importados para a competência (não conferidos): %1").arg(r.missing.join(QStringLiteral(", "))));
    if (r.divergences.empty()) {
        put(QString());
        put(QStringLiteral("Sem divergências"));
        report.flushPage(line);
        return;
    }
    put(QString());
    put(QStringLiteral("%1 %2 %3 %4 %5 %6")
            .arg(QStringLiteral("Func."), -6)
            .arg(QStringLiteral("Nome"), -30)
            .arg(QStringLiteral("Item"), -18)
            .arg(QStringLiteral("Folha"), 14)
            .arg(QStringLiteral("eSocial"), 14)
            .arg(QStringLiteral("Diferença"), 14));
    put(QString(report.width(), QLatin1Char('-')));
    for (const Divergence& d : r.divergences) {
        put(QStringLiteral("%1 %2 %3 %4 %5 %6")
                .arg(d.worker, -6)
                .arg(d.name.left(30), -30)
                .arg(d.item, -18)
                .arg(FormatMoney(d.payroll), 14)
                .arg(FormatMoney(d.government), 14)
                .arg(FormatMoney(d.payroll - d.government), 14));
        if (!d.rubricas.isEmpty()) {
            // The rubricas behind it, wrapped to the page.
            QString text = QStringLiteral("Rubricas: ") + d.rubricas;
            while (!text.isEmpty()) {
                put(QStringLiteral("       ") + text.left(report.width() - 8));
                text = text.mid(report.width() - 8);
            }
        }
    }
    put(QString(report.width(), QLatin1Char('-')));
    put(QStringLiteral("%1 divergência(s)").arg(r.divergences.size()));
    report.flushPage(line);
}

// ---------------------------------------------------------------- guides

GuideSummary SummarizeGuides(Database& db, int year, int month) {
    GuideSummary s;
    s.competence = QStringLiteral("%1-%2").arg(year, 4, 10, QChar('0')).arg(month, 2, 10, QChar('0'));
    std::map<QString, QString> role;
    auto f = db.exec(QStringLiteral("SELECT FCODIGO, FHISTORICO FROM FIXAOCOR"));
    while (f.next()) {
        const QString event = f.value(1).toString().trimmed();
        if (!event.isEmpty()) role[event] = f.value(0).toString().trimmed();
    }
    std::map<QString, GuideWorker> workers;
    auto q = db.exec(QStringLiteral("SELECT O.CODFUN, O.HCODIGO, O.VALOR, C.NOME FROM OCORRENC O LEFT JOIN CADFUN C ON C.CODFUN = O.CODFUN "
                                    "WHERE O.OCORRANO = ? AND O.OCORRMES = ? AND O.TIPOFOLHA IN ('F', 'I', 'A', 'D')"),
                     {QString::number(year), QStringLiteral("%1").arg(month, 2, 10, QChar('0'))});
    while (q.next()) {
        auto r = role.find(q.value(1).toString().trimmed());
        if (r == role.end()) continue;
        const QString code = q.value(0).toString().trimmed();
        GuideWorker& w = workers[code];
        w.worker = code;
        w.name = q.value(3).toString().trimmed();
        const Fixed v = Fixed::fromVariant(q.value(2)).value_or(Fixed());
        const QString& k = r->second;
        if (k == QLatin1String("013") || k == QLatin1String("015")) w.inssBase += v;
        else if (k == QLatin1String("012") || k == QLatin1String("014")) w.inss += v;
        else if (k == QLatin1String("031")) w.fgtsBase += v;
        else if (k == QLatin1String("032") || k == QLatin1String("067")) w.fgts += v;
    }
    for (auto& [code, w] : workers) {
        if (w.inssBase.isZero() && w.inss.isZero() && w.fgtsBase.isZero() && w.fgts.isZero()) continue;
        w.inssBase = RoundValue(2, w.inssBase);
        w.inss = RoundValue(2, w.inss);
        w.fgtsBase = RoundValue(2, w.fgtsBase);
        w.fgts = RoundValue(2, w.fgts);
        s.inssBase += w.inssBase;
        s.employee += w.inss;
        s.fgtsBase += w.fgtsBase;
        s.fgts += w.fgts;
        s.workers.push_back(w);
    }
    // The rates of the first branch (the head office in the registers):
    // PER_GRPS17 holds the employer's 20 % and the RAT together, INDICE_FAP
    // adjusts the RAT, as in the payroll book; their two amounts add up to
    // what the book charges on the same base.
    law::EmployerRate rate = law::EmployerRateOf(Fixed(), Fixed());
    auto b = db.exec(QStringLiteral("SELECT CODIGO, PER_GRPS17, PER_GRPS18, INDICE_FAP FROM Filial ORDER BY CODIGO"));
    if (b.next()) {
        s.branch = b.value(0).toString().trimmed();
        rate = law::EmployerRateOf(Fixed::fromVariant(b.value(1)).value_or(Fixed()), Fixed::fromVariant(b.value(3)).value_or(Fixed()));
        s.thirdPartiesRate = Fixed::fromVariant(b.value(2)).value_or(Fixed());
    }
    s.employerRate = rate.employer;
    s.ratRate = rate.rat;
    s.fap = rate.fap;
    const law::EmployerContribution employer = law::EmployerContributionOn(rate, s.inssBase);
    s.employer = employer.employer;
    s.ratFap = employer.ratFap;
    s.thirdParties = RoundValue(2, s.inssBase * s.thirdPartiesRate / 100);
    return s;
}

void ComposeGuideSummary(TextReport& report, const GuideSummary& s) {
    const QString title = QStringLiteral("RESUMO PARA O FGTS DIGITAL E A DCTFWEB");
    const QString subtitle = QStringLiteral("Competência %1/%2 (valores da folha)").arg(s.competence.mid(5), s.competence.left(4));
    int line = report.pageHeader(title, subtitle);
    report.requireLines(line + 3);
    auto put = [&](const QString& text) {
        if (line + 1 > report.linesPerPage()) {
            report.flushPage(line);
            line = report.pageHeader(title, subtitle);
        }
        report.putText(++line, 1, text);
    };
    auto row = [&](const QString& a, const QString& b, const QString& c, const QString& d, const QString& e, const QString& f) {
        put(QStringLiteral("%1 %2 %3 %4 %5 %6").arg(a, -6).arg(b.left(40), -40).arg(c, 14).arg(d, 14).arg(e, 14).arg(f, 14));
    };
    row(QStringLiteral("Func."), QStringLiteral("Nome"), QStringLiteral("Base INSS"), QStringLiteral("INSS"), QStringLiteral("Base FGTS"),
        QStringLiteral("FGTS"));
    put(QString(report.width(), QLatin1Char('-')));
    for (const GuideWorker& w : s.workers)
        row(w.worker, w.name, FormatMoney(w.inssBase), FormatMoney(w.inss), FormatMoney(w.fgtsBase), FormatMoney(w.fgts));
    put(QString(report.width(), QLatin1Char('-')));
    row(QString(), QStringLiteral("Total (%1 funcionário(s))").arg(s.workers.size()), FormatMoney(s.inssBase), FormatMoney(s.employee),
        FormatMoney(s.fgtsBase), FormatMoney(s.fgts));
    put(QString());
    put(QStringLiteral("FGTS Digital - FGTS do mês: %1").arg(FormatMoney(s.fgts)));
    put(QString());
    put(QStringLiteral("DCTFWeb - contribuições previdenciárias (taxas da filial %1):").arg(s.branch));
    auto rate = [](Fixed v) { return v.toString().replace(QLatin1Char('.'), QLatin1Char(',')); };
    auto item = [&](const QString& label, Fixed value) { put(QStringLiteral("  %1 %2").arg(label, -50).arg(FormatMoney(value), 14)); };
    item(QStringLiteral("Segurados (descontado)"), s.employee);
    item(QStringLiteral("Patronal %1 % sobre %2").arg(rate(s.employerRate), FormatMoney(s.inssBase)), s.employer);
    item(QStringLiteral("RAT %1 % x FAP %2").arg(rate(s.ratRate), rate(s.fap)), s.ratFap);
    item(QStringLiteral("Terceiros %1 %").arg(rate(s.thirdPartiesRate)), s.thirdParties);
    item(QStringLiteral("Total"), s.employee + s.employer + s.ratFap + s.thirdParties);
    report.flushPage(line);
}

} // namespace folha::esocial
