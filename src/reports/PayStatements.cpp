#include "PayStatements.h"

#include "CalculationTrail.h"
#include "DbError.h"
#include "Listings.h"
#include "Table.h"
#include "TableRoutines.h"
#include "TextRoutines.h"

#include <climits>
#include <optional>
#include <QHash>

namespace folha {

namespace {

// The roles of the totals a statement shows, in the fixed-occurrence table.
const QString RoleTotalEarnings = QStringLiteral("026");
const QString RoleTotalDeductions = QStringLiteral("027");
const QString RoleNet = QStringLiteral("028");
const QString RoleInssBase = QStringLiteral("013");
const QString RoleInssBase13 = QStringLiteral("015");
const QString RoleIrrfBase = QStringLiteral("017");
const QString RoleFgtsBase = QStringLiteral("031");
const QString RoleFgts = QStringLiteral("032");

TableDef makeStatementTable() {
    return TableBuilder(QStringLiteral("Tmp0001"), QStringLiteral("Tmp0001.db"), Scope::Company,
                        QStringLiteral("Demonstrativo de Pagamento"))
        .text(QStringLiteral("Func_Cod"), 20)
        .longInt(QStringLiteral("Func_Copia"))
        .text(QStringLiteral("Func_Nome"), 60)
        .text(QStringLiteral("Func_Email"), 60)
        .text(QStringLiteral("Func_Telefone"), 20)
        .date(QStringLiteral("Func_DtAdmissao"))
        .text(QStringLiteral("Func_Cargo"), 20)
        .text(QStringLiteral("Filial_Nome"), 60)
        .text(QStringLiteral("Filial_Fantasia"), 20)
        .text(QStringLiteral("Filial_Cnpj"), 20)
        .text(QStringLiteral("Filial_Telefone"), 20)
        .number(QStringLiteral("Vlr_Salario"))
        .number(QStringLiteral("Vlr_BaseINSS"))
        .number(QStringLiteral("Vlr_BaseIRRF"))
        .number(QStringLiteral("Vlr_FGTS"))
        .number(QStringLiteral("Vlr_TotalVencimentos"))
        .number(QStringLiteral("Vlr_TotalDescontos"))
        .number(QStringLiteral("Vlr_Liquido"))
        .text(QStringLiteral("FolhaMensalDescricao"), 30)
        .text(QStringLiteral("Msg1"), 200)
        .text(QStringLiteral("Msg2"), 200)
        .text(QStringLiteral("Msg3"), 200)
        .key({QStringLiteral("Func_Cod"), QStringLiteral("Func_Copia")})
        .build();
}

TableDef makeLineTable() {
    return TableBuilder(QStringLiteral("Tmp0002"), QStringLiteral("Tmp0002.db"), Scope::Company,
                        QStringLiteral("Linhas do Demonstrativo"))
        .text(QStringLiteral("Func_Cod"), 20)
        .text(QStringLiteral("CodHistorico"), 10)
        .text(QStringLiteral("DescHistorico"), 60)
        .text(QStringLiteral("Qtd"), 20)
        .number(QStringLiteral("VlrVencimentos"))
        .number(QStringLiteral("VlrDescontos"))
        .key({QStringLiteral("Func_Cod"), QStringLiteral("CodHistorico")})
        .build();
}

// Letters without accents, lower case: "Cartão" -> "cartao".
QString plainWord(const QString& text) {
    QString out;
    for (QChar ch : text.trimmed().normalized(QString::NormalizationForm_D))
        if (ch.category() != QChar::Mark_NonSpacing) out += ch.toLower();
    return out;
}

// A text cut to its work-table field (the job name of 40 characters goes
// into 20).
QString fit(const QString& text, int width) {
    return text.trimmed().left(width);
}

struct EventInfo {
    QString name;
    int kind = 0; // HPRODESC
};

PayStatement statementOf(const Record& r) {
    PayStatement s;
    s.employeeCode = r.text(QStringLiteral("Func_Cod"));
    s.copy = r.integer(QStringLiteral("Func_Copia"));
    s.employeeName = r.text(QStringLiteral("Func_Nome"));
    s.employeePhone = r.text(QStringLiteral("Func_Telefone"));
    s.employeeEmail = r.text(QStringLiteral("Func_Email")).trimmed();
    s.admission = r.date(QStringLiteral("Func_DtAdmissao"));
    s.jobName = r.text(QStringLiteral("Func_Cargo"));
    s.companyName = r.text(QStringLiteral("Filial_Nome"));
    s.companyCnpj = r.text(QStringLiteral("Filial_Cnpj"));
    s.companyPhone = r.text(QStringLiteral("Filial_Telefone"));
    s.salary = r.number(QStringLiteral("Vlr_Salario"));
    s.inssBase = r.number(QStringLiteral("Vlr_BaseINSS"));
    s.irrfBase = r.number(QStringLiteral("Vlr_BaseIRRF"));
    s.fgts = r.number(QStringLiteral("Vlr_FGTS"));
    s.totalEarnings = r.number(QStringLiteral("Vlr_TotalVencimentos"));
    s.totalDeductions = r.number(QStringLiteral("Vlr_TotalDescontos"));
    s.net = r.number(QStringLiteral("Vlr_Liquido"));
    s.payrollDescription = r.text(QStringLiteral("FolhaMensalDescricao"));
    s.message1 = r.text(QStringLiteral("Msg1"));
    s.message2 = r.text(QStringLiteral("Msg2"));
    s.message3 = r.text(QStringLiteral("Msg3"));
    return s;
}

} // namespace

const QStringList& StatementOrderItems() {
    static const QStringList items{QStringLiteral("Código"), QStringLiteral("Nome"),
                                   QStringLiteral("Cartão")};
    return items;
}

StatementOrder TypedStatementOrder(const QString& typed) {
    const QString word = plainWord(typed);
    if (word == QLatin1String("codigo") || word == QLatin1String("code")) return StatementOrder::Code;
    if (word == QLatin1String("nome") || word == QLatin1String("name")) return StatementOrder::Name;
    if (word == QLatin1String("cartao") || word == QLatin1String("card")) return StatementOrder::Card;
    throw UserError(
        QStringLiteral("Ordem de impressão inválida: %1 (use Código, Nome ou Cartão)").arg(typed));
}

const TableDef& StatementTableDef() {
    static const TableDef def = makeStatementTable();
    return def;
}

const TableDef& StatementLineTableDef() {
    static const TableDef def = makeLineTable();
    return def;
}

QString StatementMoney(Fixed value) { return BrazilianNumber(value, 2); }

QString StatementQuantity(Fixed value) {
    return value.toString().replace(QLatin1Char('.'), QLatin1Char(','));
}

QString StatementFileName(const QString& code, const QString& name) {
    QString safe = code.trimmed() + QStringLiteral(" - ") + name.simplified();
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    for (QChar& ch : safe)
        if (refused.contains(ch) || ch.unicode() < 32) ch = QLatin1Char('_');
    while (safe.endsWith(QLatin1Char('.')) || safe.endsWith(QLatin1Char(' ')))
        safe.chop(1);
    return safe + QStringLiteral(".pdf");
}

PayStatementSummary BuildPayStatements(Database& company, Database& tmpDb, UserInterface& ui,
                                       const PayStatementOptions& options) {
    const QStringList messages{options.message1, options.message2, options.message3};
    for (int i = 0; i < messages.size(); ++i)
        if (messages[i].size() > StatementMessageLength)
            throw UserError(QStringLiteral("A Mensagem %1 tem %2 caracteres; o limite é %3.")
                                .arg(i + 1)
                                .arg(messages[i].size())
                                .arg(StatementMessageLength));

    auto branch = Table(company, QStringLiteral("Filial")).find({options.branchCode});
    if (!branch) throw UserError(QStringLiteral("Filial não cadastrada: %1").arg(options.branchCode));

    PayStatementSummary summary;
    summary.competence = CompetenceOfDate(branch->date(QStringLiteral("DATA_FOLHA")));
    summary.sheet = branch->text(QStringLiteral("TIPO_FOL")).trimmed();
    const QString year = summary.competence.left(4);
    const QString month = summary.competence.mid(4, 2);
    const Fixed ceiling = branch->number(QStringLiteral("TETO_INSS"));
    const QString companyName = fit(branch->text(QStringLiteral("NOME")), 60);
    const QString companyCnpj = FormatCnpjCpf(branch->text(QStringLiteral("CGC")).trimmed());
    const QString companyPhone = fit(branch->text(QStringLiteral("FIL_FONE")), 20);
    const QString description = QStringLiteral("Folha mensal %1/%2").arg(month, year);

    // The event codes that hold the totals; a missing role leaves its total
    // at zero.
    Table fixed(company, QStringLiteral("FIXAOCOR"));
    auto eventOf = [&](const QString& role) -> QString {
        auto row = fixed.find({role});
        return row ? row->text(QStringLiteral("FHISTORICO")).trimmed() : QString();
    };
    const QString earningsEvent = eventOf(RoleTotalEarnings);
    const QString deductionsEvent = eventOf(RoleTotalDeductions);
    const QString netEvent = eventOf(RoleNet);
    const QString inssEvent = eventOf(summary.sheet == QLatin1String("D") ? RoleInssBase13 : RoleInssBase);
    const QString irrfEvent = eventOf(RoleIrrfBase);
    const QString fgtsBaseEvent = eventOf(RoleFgtsBase);
    const QString fgtsEvent = eventOf(RoleFgts);

    QHash<QString, EventInfo> events;
    Table(company, QStringLiteral("HISTFP")).forEach({}, {}, [&](const Record& r) {
        events.insert(r.text(QStringLiteral("HCODIGO")).trimmed(),
                      {r.text(QStringLiteral("HNOME")).trimmed(), r.integer(QStringLiteral("HPRODESC"))});
        return true;
    });
    QHash<QString, QString> jobs;
    Table(company, QStringLiteral("Cargos")).forEach({}, {}, [&](const Record& r) {
        jobs.insert(r.text(QStringLiteral("COD_CARGOS")).trimmed(),
                    r.text(QStringLiteral("NOME_CARGO")).trimmed());
        return true;
    });

    CreateTempTable(tmpDb, StatementTableDef());
    CreateTempTable(tmpDb, StatementLineTableDef());
    Table statements(tmpDb, StatementTableDef());
    Table lines(tmpDb, StatementLineTableDef());
    Table occurrences(company, QStringLiteral("OCORRENC"));
    Table employees(company, QStringLiteral("CADFUN"));

    const bool ranged = !options.firstEmployee.isEmpty() && !options.lastEmployee.isEmpty();
    const bool advance = summary.sheet == QLatin1String("A");
    const qint64 total = employees.count();
    ui.progressStart(QStringLiteral("Emissão do Envelope"), int(std::min<qint64>(total, INT_MAX)));
    int read = 0;

    Transaction transaction(tmpDb);
    employees.forEach({}, {}, [&](const Record& employee) {
        ui.progressStep(++read);
        if (ui.cancelRequested()) {
            summary.cancelled = true;
            return false;
        }
        const QString code = employee.text(QStringLiteral("CODFUN")).trimmed();
        if (ranged && (code < options.firstEmployee || code > options.lastEmployee)) return true;
        if (employee.integer(QStringLiteral("CONDICAO")) == 0) return true;

        const std::vector<Record> rows = occurrences.select(
            QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?"),
            {year, month, summary.sheet, employee.text(QStringLiteral("CODFUN"))},
            QStringLiteral("OCORRANO, OCORRMES, TIPOFOLHA, CODFUN, HCODIGO"));

        // The advance sheet prints only those with a net to receive.
        if (advance) {
            bool paid = false;
            for (const Record& r : rows)
                if (!netEvent.isEmpty() && r.text(QStringLiteral("HCODIGO")).trimmed() == netEvent &&
                    !r.number(QStringLiteral("VALOR")).isZero())
                    paid = true;
            if (!paid) return true;
        }

        Fixed earnings, deductions, net, inssBase, irrfBase, fgts;
        for (const Record& r : rows) {
            const QString event = r.text(QStringLiteral("HCODIGO")).trimmed();
            const Fixed value = r.number(QStringLiteral("VALOR"));
            bool totalRow = true;
            if (event == earningsEvent)
                earnings = value;
            else if (event == deductionsEvent)
                deductions = value;
            else if (event == netEvent)
                net = value;
            else if (event == inssEvent)
                inssBase = value;
            else if (event == irrfEvent)
                irrfBase = value;
            else if (event == fgtsEvent)
                fgts = value;
            else if (event == fgtsBaseEvent) {
            } // read, not printed
            else
                totalRow = false;
            if (totalRow) continue;

            auto info = events.constFind(event);
            if (info == events.constEnd()) {
                ++summary.missingEvents;
                ui.message(MessageKind::Warning, QStringLiteral("Histórico não cadastrado: ") + event);
                continue;
            }
            if (info->kind != 0 && info->kind != 1) continue; // bases and information only
            Record line = lines.newRecord();
            line.set(QStringLiteral("Func_Cod"), code)
                .set(QStringLiteral("CodHistorico"), event)
                .set(QStringLiteral("DescHistorico"), fit(info->name, 60))
                .set(QStringLiteral("Qtd"), StatementQuantity(r.number(QStringLiteral("REFER"))))
                .setNumber(QStringLiteral("VlrVencimentos"), info->kind == 1 ? value : Fixed())
                .setNumber(QStringLiteral("VlrDescontos"), info->kind == 0 ? value : Fixed());
            lines.insert(line);
            ++summary.lines;
        }
        // The base shown never passes the branch's ceiling (a branch without
        // a ceiling shows the base as calculated).
        if (ceiling > Fixed() && inssBase > ceiling) inssBase = ceiling;

        const QString job =
            jobs.value(PadLeft(employee.text(QStringLiteral("CARGO")).trimmed(), 3, QLatin1Char('0')));
        Record statement = statements.newRecord();
        statement.set(QStringLiteral("Func_Cod"), code)
            .set(QStringLiteral("Func_Nome"), fit(employee.text(QStringLiteral("NOME")), 60))
            .set(QStringLiteral("Func_Email"), fit(employee.text(QStringLiteral("EMAIL")).trimmed(), 60))
            .set(QStringLiteral("Func_Telefone"), fit(employee.text(QStringLiteral("FONE")), 20))
            .set(QStringLiteral("Func_Cargo"), fit(job, 20))
            .set(QStringLiteral("Filial_Nome"), companyName)
            .set(QStringLiteral("Filial_Fantasia"), QString())
            .set(QStringLiteral("Filial_Cnpj"), companyCnpj)
            .set(QStringLiteral("Filial_Telefone"), companyPhone)
            .setNumber(QStringLiteral("Vlr_Salario"), employee.number(QStringLiteral("VLR_SALAR")))
            .setNumber(QStringLiteral("Vlr_BaseINSS"), inssBase)
            .setNumber(QStringLiteral("Vlr_BaseIRRF"), irrfBase)
            .setNumber(QStringLiteral("Vlr_FGTS"), fgts)
            .setNumber(QStringLiteral("Vlr_TotalVencimentos"), earnings)
            .setNumber(QStringLiteral("Vlr_TotalDescontos"), deductions)
            .setNumber(QStringLiteral("Vlr_Liquido"), net)
            .set(QStringLiteral("FolhaMensalDescricao"), description)
            .set(QStringLiteral("Msg1"), options.message1)
            .set(QStringLiteral("Msg2"), options.message2)
            .set(QStringLiteral("Msg3"), options.message3);
        const QDate admission = employee.date(QStringLiteral("DT_ADMIS"));
        if (admission.isValid()) statement.set(QStringLiteral("Func_DtAdmissao"), admission);
        for (int copy = 1; copy <= 2; ++copy) {
            statement.set(QStringLiteral("Func_Copia"), copy);
            statements.insert(statement);
            ++summary.statements;
        }
        ++summary.employees;
        return true;
    });
    transaction.commit();
    ui.progressEnd();
    return summary;
}

int ForEachPayStatement(Database& tmpDb, Database& company, StatementOrder order,
                        const std::function<bool(const PayStatement&)>& fn) {
    Table statements(tmpDb, StatementTableDef());
    Table lines(tmpDb, StatementLineTableDef());
    int given = 0;
    bool stopped = false;
    // The lines are read once for both copies of an employee.
    QString linesOf;
    std::vector<PayStatementLine> current;
    auto give = [&](const Record& r) {
        PayStatement s = statementOf(r);
        if (s.employeeCode != linesOf || given == 0) {
            current.clear();
            for (const Record& l : lines.select(QStringLiteral("Func_Cod = ?"), {s.employeeCode},
                                                QStringLiteral("Func_Cod, CodHistorico")))
                current.push_back({l.text(QStringLiteral("CodHistorico")),
                                   l.text(QStringLiteral("DescHistorico")), l.text(QStringLiteral("Qtd")),
                                   l.number(QStringLiteral("VlrVencimentos")),
                                   l.number(QStringLiteral("VlrDescontos"))});
            linesOf = s.employeeCode;
        }
        s.lines = current;
        ++given;
        if (!fn(s)) stopped = true;
        return !stopped;
    };

    switch (order) {
    case StatementOrder::Code:
        statements.forEach({}, {}, give, QStringLiteral("Func_Cod, Func_Copia"));
        break;
    case StatementOrder::Name:
        statements.forEach({}, {}, give, QStringLiteral("Func_Nome, Func_Cod, Func_Copia"));
        break;
    case StatementOrder::Card:
        // The card number is the employee register's: the register is walked
        // in that order and each employee's statements are found by key.
        Table(company, QStringLiteral("CADFUN"))
            .forEach(
                {}, {},
                [&](const Record& employee) {
                    for (const Record& r :
                         statements.select(QStringLiteral("Func_Cod = ?"),
                                           {employee.text(QStringLiteral("CODFUN")).trimmed()},
                                           QStringLiteral("Func_Cod, Func_Copia")))
                        if (!give(r)) return false;
                    return true;
                },
                QStringLiteral("CART_PONT, CODFUN"));
        break;
    }
    return given;
}

std::vector<TrailAnnexEntry> StatementTrail(Database& company, const QString& employee,
                                            const StatementTrailAnnex& annex) {
    std::vector<TrailAnnexEntry> out;
    const law::TrailKey key{employee, annex.competence.left(4), annex.competence.mid(4, 2), annex.sheet};
    Table events(company, QStringLiteral("HISTFP"));
    for (const law::TrailRow& row : law::ReadTrails(company, key)) {
        const std::optional<Record> event = events.find({row.event});
        out.push_back({row.event.trimmed(), event ? event->text(QStringLiteral("HNOME")).trimmed() : QString(),
                       law::TrailReading(row)});
    }
    return out;
}

namespace {

// A text cut at blanks into lines of at most `width` characters; a word
// longer than a line is cut where the line ends.
QStringList wrapped(const QString& text, int width) {
    QStringList out;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (QString word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            while (word.size() > width) {
                if (!line.isEmpty()) out << line;
                line.clear();
                out << word.left(width);
                word = word.mid(width);
            }
            if (line.isEmpty()) line = word;
            else if (line.size() + 1 + word.size() <= width) line += QLatin1Char(' ') + word;
            else {
                out << line;
                line = word;
            }
        }
        out << line;
    }
    return out;
}

} // namespace

QStringList TrailAnnexLines(const std::vector<TrailAnnexEntry>& entries, int width) {
    const QString indent(6, QLatin1Char(' '));
    QStringList lines;
    for (const TrailAnnexEntry& e : entries) {
        if (!lines.isEmpty()) lines << QString();
        lines << (e.event + QStringLiteral(" - ") + e.description).left(width);
        for (const QString& l : wrapped(e.reading, width - int(indent.size()))) lines << indent + l;
    }
    if (entries.empty()) lines << QStringLiteral("Nenhuma linha calculada tem memória de cálculo nesta folha.");
    return lines;
}

std::map<QString, Fixed> SheetNets(Database& company, const QString& competence, const QString& sheet) {
    std::map<QString, Fixed> nets;
    auto role = Table(company, QStringLiteral("FIXAOCOR")).find({RoleNet});
    const QString netEvent = role ? role->text(QStringLiteral("FHISTORICO")).trimmed() : QString();
    if (netEvent.isEmpty()) return nets;
    Table(company, QStringLiteral("OCORRENC"))
        .forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND HCODIGO = ?"),
                 {competence.left(4), competence.mid(4, 2), sheet, netEvent}, [&](const Record& r) {
                     nets[r.text(QStringLiteral("CODFUN")).trimmed()] += r.number(QStringLiteral("VALOR"));
                     return true;
                 });
    return nets;
}

} // namespace folha
