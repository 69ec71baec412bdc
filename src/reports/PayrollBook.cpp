#include "PayrollBook.h"

#include "DbError.h"
#include "Listings.h"
#include "Session.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TypedInput.h"
#include "UserInterface.h"

#include <algorithm>
#include <map>
#include <QHash>
#include <QSet>
#include <set>

namespace folha {

namespace {

const QString N92 = QStringLiteral("%9.2n");
const QString N102 = QStringLiteral("%10.2n");
const QString N82 = QStringLiteral("%8.2n");
const QString N132 = QStringLiteral("%13.2n");
const QString N142 = QStringLiteral("%14.2n");

// The summary keeps this many distinct events per column; later ones are
// left out of it (their rows are still printed and still counted in the
// totals).
constexpr int SummaryCapacity = 500;
// The last line of a page: the next line starts a new page.
constexpr int LastLineOfPage = 59;

QString Money(Fixed value, const QString& format) {
    return FormatListValue(QVariant::fromValue(value), format);
}

QString Cut(const QString& text, int width) {
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

Fixed TypedAmount(const QString& typed, const QString& what) {
    QString t = typed.trimmed();
    if (t.isEmpty()) return Fixed();
    if (t.contains(QLatin1Char(','))) t.remove(QLatin1Char('.')); // "1.234,56"
    std::optional<Fixed> value;
    try {
        value = Fixed::parse(t);
    } catch (const FixedRangeError&) {
    }
    if (!value) throw UserError(QStringLiteral("Valor inválido em \"%1\": %2").arg(what, typed.trimmed()));
    return *value;
}

int TypedWhole(const QString& typed, int low, int high, const QString& message) {
    const QString t = typed.trimmed();
    if (t.isEmpty()) return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    if (!ok || v < low || v > high) throw UserError(message.arg(t));
    return v;
}

struct SummaryEntry {
    QString name; // first 20 characters of the event's name
    Fixed reference;
    Fixed value;
};

// One column of the event summary, in event-code order.
class SummaryColumn {
public:
    void add(const QString& code, const QString& name, Fixed reference, Fixed value) {
        auto it = entries_.find(code);
        if (it == entries_.end()) {
            if (int(entries_.size()) >= SummaryCapacity) return;
            it = entries_.emplace(code, SummaryEntry{name.left(20), Fixed(), Fixed()}).first;
        }
        it->second.reference += reference;
        it->second.value += value;
    }
    const std::map<QString, SummaryEntry>& entries() const { return entries_; }

private:
    std::map<QString, SummaryEntry> entries_;
};

// What a group (or the whole book) gathers while its employees are listed.
struct Gathered {
    SummaryColumn earningsSummary, deductionsSummary, basesSummary;
    Fixed earnings, deductions;
    int printed = 0;
    int insuredCount = 0; // employees of categories 1, 3 and 4
    Fixed insured;        // INSS withheld
    Fixed contribution;   // employer contribution, row by row
    Fixed inssBase;       // INSS bases of the rows that took the contribution
    Fixed inssDeductions; // family allowance, maternity pay, birth aid
    Fixed fgtsAmount;     // FGTS amount rows
    Fixed fgtsBase;       // FGTS base rows
    Fixed partnersBase;   // contribution-individual events of partners
};

struct EventInfo {
    QString name;
    int kind = -1; // HPRODESC: 1 earning, 0 deduction, 2 base
};

struct JobInfo {
    QString name;
    int retirement = 0; // PERC_APOSE
};

const char* const MonthNames[] = {"JANEIRO", "FEVEREIRO", "MARÇO",    "ABRIL",   "MAIO",     "JUNHO",
                                  "JULHO",   "AGOSTO",    "SETEMBRO", "OUTUBRO", "NOVEMBRO", "DEZEMBRO"};

class BookComposer {
public:
    BookComposer(Database& db, UserInterface& ui, const PayrollBookOptions& o, TextReport& report)
        : db_(db), ui_(ui), o_(o), report_(report) {}

    PayrollBookResult run();

private:
    void readBranch();
    void readRoles();
    void readRegisters();
    // The employees of one listing (a category when split, else all).
    bool listGroup(std::optional<int> category);
    bool passes(const Record& e, std::optional<int> category) const;
    // The range ends at the first key above "Final" (for names, at the
    // first name whose beginning is above it); an empty "Final" sets no end.
    bool pastFinal(const Record& e) const;
    void printEmployee(const Record& e, const std::vector<Record>& rows);
    void gather(const Record& e, const QString& code, Fixed value);
    BookInssFigures figures(const Gathered& g, bool typedItems, bool interest) const;
    void printGroupSummary();
    void printGeneralSummary();
    void printSummaryTables(const Gathered& g);
    void printAmountLine(const QString& label, const QString& value);

    // Pages: the listing's pages have the column titles under the header,
    // the summaries' pages only the header.
    void newPage();
    int nextLine();

    Database& db_;
    UserInterface& ui_;
    const PayrollBookOptions& o_;
    TextReport& report_;
    PayrollBookResult result_;

    QString year_, month_, sheet_, subtitle_;
    Fixed employerRate_, entitiesRate_;
    QString simples_, maternityEvent_, birthAidEvent_;
    QHash<QString, QString> roleEvent_; // role -> event code
    QSet<QString> totalEvents_;         // events printed as the totals line
    QHash<QString, EventInfo> events_;
    QHash<int, JobInfo> jobs_;
    QHash<QString, QString> costCentres_;
    QSet<QString> unknownEvents_;

    Gathered group_, general_;
    std::optional<int> category_; // of the group being listed
    QString pageTitle_;
    bool columnTitles_ = false;
    bool pageOpen_ = false;
    int line_ = 0;
    int lastLine_ = LastLineOfPage;
    int progress_ = 0;
};

void BookComposer::readBranch() {
    auto branch = Table(db_, QStringLiteral("Filial")).find({o_.branchCode});
    if (!branch || !branch->date(QStringLiteral("DATA_FOLHA")).isValid())
        throw UserError(QStringLiteral("Filial %1 não cadastrada ou sem data da folha").arg(o_.branchCode));
    const QDate date = branch->date(QStringLiteral("DATA_FOLHA"));
    const QString competence = CompetenceOfDate(date);
    year_ = competence.left(4);
    month_ = competence.mid(4, 2);
    sheet_ = branch->text(QStringLiteral("TIPO_FOL")).trimmed();
    subtitle_ = BookSubtitle(date);
    // The employer rate, adjusted by the accident-prevention factor.
    const Fixed rate = branch->number(QStringLiteral("PER_GRPS17"));
    const Fixed fap = branch->number(QStringLiteral("INDICE_FAP"));
    employerRate_ =
        fap > Fixed() ? RoundValue(5, (rate - Fixed::fromInt(20)) * fap + Fixed::fromInt(20)) : rate;
    entitiesRate_ = branch->number(QStringLiteral("PER_GRPS18"));
    simples_ = branch->text(QStringLiteral("SIMPLES")).trimmed();
    maternityEvent_ = branch->text(QStringLiteral("HISTSALMAT")).trimmed();
    birthAidEvent_ = branch->text(QStringLiteral("HISTAUXNAT")).trimmed();
}

void BookComposer::readRoles() {
    static const QList<QPair<QString, QString>> roles = {
        {QStringLiteral("013"), QStringLiteral("Ocorrencia fixa 013 (Base INSS Normal) nao existe")},
        {QStringLiteral("015"), QStringLiteral("Ocorrencia fixa 015 (Base INSS 13) nao existe")},
        {QStringLiteral("012"), QStringLiteral("Ocorrencia fixa 012 (Valor INSS Normal) nao existe")},
        {QStringLiteral("032"), QStringLiteral("Ocorrencia fixa 032 (Valor FGTS) nao existe")},
        {QStringLiteral("031"), QStringLiteral("Ocorrencia fixa 031 (Base FGTS) nao existe")},
        {QStringLiteral("014"), QStringLiteral("Ocorrencia fixa 014 (Valor INSS 13) nao existe")},
        {QStringLiteral("011"), QStringLiteral("Ocorrencia fixa 011 (Salario Familia) nao existe")},
    };
    Table fixa(db_, QStringLiteral("FIXAOCOR"));
    for (const auto& [role, message] : roles) {
        const auto row = fixa.find({role});
        const QString event = row ? row->text(QStringLiteral("FHISTORICO")).trimmed() : QString();
        if (event.isEmpty())
            ui_.message(MessageKind::Warning, message);
        else
            roleEvent_.insert(role, event);
    }
    // The employee's totals: the statement's total earnings (role 026),
    // total deductions (027) and net pay (028), and the events 911, 912 and
    // 913 that hold the same totals. They make the totals line, not event
    // lines.
    totalEvents_ = {QStringLiteral("911"), QStringLiteral("912"), QStringLiteral("913")};
    for (const QString& role : {QStringLiteral("026"), QStringLiteral("027"), QStringLiteral("028")}) {
        const auto row = fixa.find({role});
        const QString event = row ? row->text(QStringLiteral("FHISTORICO")).trimmed() : QString();
        if (!event.isEmpty()) {
            totalEvents_.insert(event);
            roleEvent_.insert(role, event);
        }
    }
}

void BookComposer::readRegisters() {
    Table(db_, QStringLiteral("HISTFP")).forEach({}, {}, [&](const Record& r) {
        EventInfo info;
        info.name = r.text(QStringLiteral("HNOME")).trimmed();
        info.kind = r.isNull(QStringLiteral("HPRODESC")) ? -1 : r.integer(QStringLiteral("HPRODESC"));
        events_.insert(r.text(QStringLiteral("HCODIGO")).trimmed(), info);
        return true;
    });
    Table(db_, QStringLiteral("Cargos")).forEach({}, {}, [&](const Record& r) {
        bool ok = false;
        const int code = r.text(QStringLiteral("COD_CARGOS")).trimmed().toInt(&ok);
        if (ok)
            jobs_.insert(code, {r.text(QStringLiteral("NOME_CARGO")).trimmed(),
                                r.integer(QStringLiteral("PERC_APOSE"))});
        return true;
    });
    Table(db_, QStringLiteral("centcust")).forEach({}, {}, [&](const Record& r) {
        costCentres_.insert(r.text(QStringLiteral("COD_CCUSTO")).trimmed(),
                            r.text(QStringLiteral("DESC_CUSTO")).trimmed());
        return true;
    });
}

void BookComposer::newPage() {
    if (pageOpen_) report_.flushPage(line_);
    const QString filter = category_ ? QStringLiteral("Vinculo %1").arg(*category_) : QString();
    line_ = report_.pageHeader(pageTitle_, subtitle_, filter);
    pageOpen_ = true;
    if (!columnTitles_) {
        report_.requireLines(line_ + 1);
        return;
    }
    const int t1 = line_ + 1, t2 = line_ + 2;
    report_.putText(t1, 1, QStringLiteral("CODIGO"));
    report_.putText(t1, 8, QStringLiteral("NOME DO FUNCIONARIO"));
    report_.putText(t1, 51, QStringLiteral("CENTRO CUSTO"));
    report_.putText(t1, 66, QStringLiteral("DESCRICAO"));
    report_.putText(t1, 100, QStringLiteral("SALARIO"));
    report_.putText(t1, 109, QStringLiteral("FUNCAO"));
    report_.putText(t1, 127, QStringLiteral("% APOS"));
    report_.putText(t2, 1, QStringLiteral("OCO"));
    report_.putText(t2, 5, QStringLiteral("DESCR. PROVENTOS"));
    report_.putText(t2, 29, QStringLiteral("REFERENC"));
    report_.putText(t2, 42, QStringLiteral("VALOR"));
    report_.putText(t2, 48, QStringLiteral("OCO"));
    report_.putText(t2, 52, QStringLiteral("DESCR. DESCONTOS"));
    report_.putText(t2, 76, QStringLiteral("REFERENC"));
    report_.putText(t2, 89, QStringLiteral("VALOR"));
    report_.putText(t2, 95, QStringLiteral("OCO"));
    report_.putText(t2, 99, QStringLiteral("DESCR. BASES"));
    report_.putText(t2, 128, QStringLiteral("VALOR"));
    report_.putText(line_ + 3, 1, QString(PayrollBookWidth, QLatin1Char('-')));
    report_.requireLines(line_ + 4);
    line_ += 3;
}

int BookComposer::nextLine() {
    if (!pageOpen_ || line_ + 1 > lastLine_) newPage();
    return ++line_;
}

bool BookComposer::pastFinal(const Record& e) const {
    if (o_.last.isEmpty()) return false;
    switch (o_.order) {
    case BookOrder::Code:
        return e.text(QStringLiteral("CODFUN")) > o_.last;
    case BookOrder::Name:
        return e.text(QStringLiteral("NOME")).left(o_.last.size()) > o_.last;
    case BookOrder::Cargo:
        return e.integer(QStringLiteral("CARGO")) > o_.last.toInt();
    }
    return false;
}

bool BookComposer::passes(const Record& e, std::optional<int> category) const {
    const int condition = e.integer(QStringLiteral("CONDICAO"));
    if (o_.status == BookStatus::Active && condition == 0) return false;
    if (o_.status == BookStatus::Inactive && condition == 1) return false;
    const int vinculo = e.integer(QStringLiteral("VINCULO"));
    if (category) {
        if (vinculo != *category) return false;
    } else if (o_.categories.value(0) != 0 && !o_.categories.contains(vinculo)) {
        return false;
    }
    if (o_.retirementPercent != 99) {
        const auto job = jobs_.find(e.integer(QStringLiteral("CARGO")));
        if (job == jobs_.end() || job->retirement != o_.retirementPercent) return false;
    }
    return true;
}

// The social-security and FGTS amounts of one row, into the group's and
// the book's figures.
void BookComposer::gather(const Record& e, const QString& code, Fixed value) {
    const int vinculo = e.integer(QStringLiteral("VINCULO"));
    const auto role = [&](const char* r) {
        const auto it = roleEvent_.constFind(QLatin1String(r));
        return it != roleEvent_.constEnd() && *it == code;
    };
    auto both = [&](auto apply) {
        apply(group_);
        apply(general_);
    };
    if ((role("013") || role("015")) && vinculo != 11 && vinculo != 13) {
        const auto job = jobs_.constFind(e.integer(QStringLiteral("CARGO")));
        const Fixed retirement = Fixed::fromInt(job != jobs_.constEnd() ? job->retirement : 0);
        const Fixed part = RoundValue(2, (employerRate_ + retirement) * value / 100);
        both([&](Gathered& g) {
            g.contribution += part;
            g.inssBase += value;
        });
    }
    if (role("012") || role("014")) both([&](Gathered& g) { g.insured += value; });
    if (role("011")) both([&](Gathered& g) { g.inssDeductions += value; });
    if (!maternityEvent_.isEmpty() && code == maternityEvent_ &&
        e.text(QStringLiteral("CAUS_RESC")).trimmed() == QLatin1String("Q1"))
        both([&](Gathered& g) { g.inssDeductions += value; });
    if (!birthAidEvent_.isEmpty() && code == birthAidEvent_)
        both([&](Gathered& g) { g.inssDeductions += value; });
    if (role("032")) both([&](Gathered& g) { g.fgtsAmount += value; });
    if (role("031")) both([&](Gathered& g) { g.fgtsBase += value; });
    const bool partner = (code == QLatin1String("905") && (vinculo == 5 || vinculo == 11 || vinculo == 13)) ||
                         (vinculo == 14 && (code == QLatin1String("912") || role("026")));
    if (partner) both([&](Gathered& g) { g.partnersBase += value; });
}

void BookComposer::printEmployee(const Record& e, const std::vector<Record>& rows) {
    // The event lines of the three columns, and the employee's totals.
    QStringList earnings, deductions, bases;
    Fixed totalEarnings, totalDeductions;
    for (const Record& r : rows) {
        const QString code = r.text(QStringLiteral("HCODIGO")).trimmed();
        const Fixed value = r.number(QStringLiteral("VALOR"));
        if (value.isZero()) continue;
        gather(e, code, value);
        if (totalEvents_.contains(code)) continue;
        const auto info = events_.constFind(code);
        if (info == events_.constEnd()) {
            if (!unknownEvents_.contains(code)) {
                unknownEvents_.insert(code);
                ui_.log(QStringLiteral("Historico nao cadastrado %1").arg(code));
            }
            continue;
        }
        const Fixed reference = r.number(QStringLiteral("REFER"));
        auto summarise = [&](SummaryColumn Gathered::*column) {
            (group_.*column).add(code, info->name, reference, value);
            (general_.*column).add(code, info->name, reference, value);
        };
        switch (info->kind) {
        case 1:
            earnings << code + QLatin1Char(' ') + Cut(info->name, 21) + QLatin1Char(' ') +
                            Money(reference, N92) + QLatin1Char(' ') + Money(value, N102);
            totalEarnings += value;
            summarise(&Gathered::earningsSummary);
            break;
        case 0:
            deductions << code + QLatin1Char(' ') + Cut(info->name, 21) + QLatin1Char(' ') +
                              Money(reference, N92) + QLatin1Char(' ') + Money(value, N102);
            totalDeductions += value;
            summarise(&Gathered::deductionsSummary);
            break;
        case 2:
            bases << code + QLatin1Char(' ') + Cut(info->name, 24) + QLatin1Char(' ') + Money(value, N92);
            summarise(&Gathered::basesSummary);
            break;
        default:
            break;
        }
    }

    // The employee line, and his INSS registration when he has one. A block
    // that would not fit in what is left of the page starts the next one
    // (a block longer than a page runs on).
    const QString registration = e.text(QStringLiteral("NR_INSS")).trimmed();
    const qsizetype eventLines = std::max({earnings.size(), deductions.size(), bases.size()});
    const qsizetype blockLines = 2 + (registration.isEmpty() ? 0 : 1) + eventLines;
    if (pageOpen_ && line_ + blockLines > lastLine_) newPage();
    const auto job = jobs_.constFind(e.integer(QStringLiteral("CARGO")));
    const QString centre = e.text(QStringLiteral("CENTCUSTO")).trimmed();
    int l = nextLine();
    report_.putText(l, 1, e.text(QStringLiteral("CODFUN")).trimmed());
    report_.putText(l, 8, e.text(QStringLiteral("NOME")).trimmed().left(42));
    report_.putText(l, 51, centre.left(14));
    report_.putText(l, 66, costCentres_.value(centre).left(31));
    report_.putText(l, 98, Money(e.number(QStringLiteral("VLR_SALAR")), N92));
    if (job != jobs_.constEnd()) {
        report_.putText(l, 109, job->name.left(21));
        report_.putText(l, 131, QString::number(job->retirement));
    }
    if (!registration.isEmpty()) {
        l = nextLine();
        report_.putText(l, 1, QStringLiteral("Nr. Inscricao INSS: ") + registration);
        report_.putText(
            l, 51, QStringLiteral("Classe Enquadramento: ") + e.text(QStringLiteral("CLAS_INSS")).trimmed());
        report_.putText(l, 91,
                        QStringLiteral("Vlr. Contribuicao: ") +
                            Money(e.number(QStringLiteral("VLRCONTINS")), N92).trimmed());
    }
    for (qsizetype i = 0; i < eventLines; ++i) {
        l = nextLine();
        if (i < earnings.size()) report_.putText(l, 1, earnings[i]);
        if (i < deductions.size()) report_.putText(l, 48, deductions[i]);
        if (i < bases.size()) report_.putText(l, 95, bases[i]);
    }
    const Fixed net = totalEarnings - totalDeductions;
    l = nextLine();
    report_.putText(l, 1, QStringLiteral("Total de Proventos.....          ") + Money(totalEarnings, N132));
    report_.putText(l, 48,
                    QStringLiteral("Total de Descontos.....          ") + Money(totalDeductions, N132));
    report_.putText(l, 95, QStringLiteral("Total Liquido..........  ") + Money(net, N132));
    nextLine(); // a blank line between employees

    const int vinculo = e.integer(QStringLiteral("VINCULO"));
    const bool insured = vinculo == 1 || vinculo == 3 || vinculo == 4;
    for (Gathered* g : {&group_, &general_}) {
        g->earnings += totalEarnings;
        g->deductions += totalDeductions;
        ++g->printed;
        if (insured) ++g->insuredCount;
    }
    ++result_.employees;
}

bool BookComposer::listGroup(std::optional<int> category) {
    group_ = Gathered();
    category_ = category;
    pageTitle_ = PayrollBookTitle;
    columnTitles_ = true;

    // From the first key not below "Inicial" (an empty one: from the first).
    QStringList conditions;
    QVariantList params;
    QString orderBy;
    const bool from = !o_.first.isEmpty();
    switch (o_.order) {
    case BookOrder::Code:
        if (from) {
            conditions << QStringLiteral("CODFUN >= ?");
            params << o_.first;
        }
        orderBy = QStringLiteral("CODFUN");
        break;
    case BookOrder::Name:
        if (from) {
            conditions << QStringLiteral("NOME >= ?");
            params << o_.first;
        }
        orderBy = QStringLiteral("NOME, CODFUN");
        break;
    case BookOrder::Cargo:
        if (from) {
            conditions << QStringLiteral("COALESCE(CARGO, 0) >= ?");
            params << o_.first.toInt();
        }
        orderBy = QStringLiteral("COALESCE(CARGO, 0), CODFUN");
        break;
    }
    if (category) {
        conditions << QStringLiteral("VINCULO = ?");
        params << *category;
    }
    const QString where = conditions.join(QStringLiteral(" AND "));

    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    const QString rowsOf = QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?");
    bool cancelled = false;
    Table(db_, QStringLiteral("CADFUN"))
        .forEach(
            where, params,
            [&](const Record& e) {
                if (ui_.cancelRequested()) {
                    cancelled = true;
                    return false;
                }
                ui_.progressStep(++progress_);
                if (pastFinal(e)) return false;
                if (!passes(e, category)) return true;
                const std::vector<Record> rows =
                    ocorrenc.select(rowsOf, {year_, month_, sheet_, e.text(QStringLiteral("CODFUN"))},
                                    QStringLiteral("HCODIGO"));
                if (rows.empty()) return true; // nothing in the month: not printed
                printEmployee(e, rows);
                return true;
            },
            orderBy);
    if (cancelled) return false;
    if (group_.printed > 0) {
        ++result_.groups;
        if (category) result_.groupCategories << *category;
        printGroupSummary();
    }
    return true;
}

/* The social-security figures of a group and of the book.

   Employer ("Empresa"): for every INSS-base row (roles 013, the month's
   base, and 015, the 13th-salary base, taken alike) of an employee of a
   category other than 11 and 13, (employer rate + the job's PERC_APOSE) x
   value / 100 rounded to 2 decimals, summed row by row; plus the partners'
   part: the contribution-individual events (905 of categories 5, 11 and 13,
   and the total earnings, 912 or role 026, of category 14) x "% Prolabore"
   / 100, rounded; plus, once, "Valor Prolabore" x "% Prolabore" / 100,
   rounded. The employer rate is PER_GRPS17, or (PER_GRPS17 - 20) x
   INDICE_FAP + 20 rounded to 5 decimals when the factor is above 0.

   Entities ("Entidades"): the total of the same INSS-base rows (013 and
   015) x PER_GRPS18 / 100, rounded to 2 decimals on the total.

   Insured ("Segurados"): the INSS withheld, roles 012 and 014.
   Deductions ("Deducoes"): family allowance (role 011), the maternity pay
   event HISTSALMAT of employees whose CAUS_RESC is "Q1", the birth-aid
   event HISTAUXNAT.

   INSS = Segurados + Empresa + Entidades - Deducoes + Outros ("S") or
   - Outros ("D") + Juros.

   FGTS to collect: the FGTS amount rows (role 032); for a company whose
   SIMPLES is "1" or "3", the FGTS base rows (role 031) x 8 / 100 instead.

   The typed amounts ("Valor Prolabore", "Outros", "Juros") are the
   company's, entered once: they go into the general totals. A book printed
   as one listing shows "Valor Prolabore" and "Outros" in its group
   subtotals as well (its group is the whole company); a book split by
   category leaves them out of each category's subtotals. "Juros" appears
   only in the general "Total de INSS". */
BookInssFigures BookComposer::figures(const Gathered& g, bool typedItems, bool interest) const {
    BookInssFigures f;
    f.employees = g.insuredCount;
    f.insured = g.insured;
    f.company = g.contribution + RoundValue(2, g.partnersBase * o_.prolaborePercent / 100);
    if (typedItems) f.company += RoundValue(2, o_.prolaboreValue * o_.prolaborePercent / 100);
    f.entities = RoundValue(2, g.inssBase * entitiesRate_ / 100);
    f.deductions = g.inssDeductions;
    if (typedItems) {
        if (o_.otherOperation == OtherOperation::Add) f.other = o_.otherValue;
        if (o_.otherOperation == OtherOperation::Subtract) f.other = -o_.otherValue;
    }
    if (interest) f.interest = o_.interest;
    f.inss = f.insured + f.company + f.entities - f.deductions + f.other + f.interest;
    f.fgts = (simples_ == QLatin1String("1") || simples_ == QLatin1String("3"))
                 ? RoundValue(2, g.fgtsBase * 8 / 100)
                 : g.fgtsAmount;
    return f;
}

void BookComposer::printAmountLine(const QString& label, const QString& value) {
    const int l = nextLine();
    report_.putText(l, 1, label);
    report_.putText(l, 33, value);
}

void BookComposer::printSummaryTables(const Gathered& g) {
    std::vector<const std::pair<const QString, SummaryEntry>*> e, d, b;
    for (const auto& p : g.earningsSummary.entries())
        e.push_back(&p);
    for (const auto& p : g.deductionsSummary.entries())
        d.push_back(&p);
    for (const auto& p : g.basesSummary.entries())
        b.push_back(&p);
    const size_t lines = std::max({e.size(), d.size(), b.size()});
    for (size_t i = 0; i < lines; ++i) {
        const int l = nextLine();
        if (i < e.size()) {
            report_.putText(l, 1, e[i]->first);
            report_.putText(l, 5, e[i]->second.name);
            report_.putText(l, 28, Money(e[i]->second.reference, N82));
            report_.putText(l, 37, Money(e[i]->second.value, N102));
        }
        if (i < d.size()) {
            report_.putText(l, 48, d[i]->first);
            report_.putText(l, 52, d[i]->second.name);
            report_.putText(l, 76, Money(d[i]->second.reference, N82));
            report_.putText(l, 84, Money(d[i]->second.value, N102));
        }
        if (i < b.size()) {
            report_.putText(l, 95, b[i]->first);
            report_.putText(l, 99, b[i]->second.name);
            report_.putText(l, 123, Money(b[i]->second.value, N102));
        }
    }
    nextLine();
}

void BookComposer::printGroupSummary() {
    pageTitle_ = QStringLiteral("RESUMO DA FOLHA DE PAGAMENTO ");
    columnTitles_ = false;
    newPage();
    printSummaryTables(group_);
    const BookInssFigures f = figures(group_, !o_.groupByCategory, false);
    printAmountLine(QStringLiteral("Total de Proventos....."), Money(group_.earnings, N142));
    printAmountLine(QStringLiteral("Total de Descontos....."), Money(group_.deductions, N142));
    printAmountLine(QStringLiteral("Total Liquido.........."),
                    Money(group_.earnings - group_.deductions, N142));
    printAmountLine(QStringLiteral("Total de funcionarios......"),
                    QString::number(f.employees).rightJustified(14));
    nextLine();
    printAmountLine(QStringLiteral("Subtotal de Segurados......"), Money(f.insured, N142));
    printAmountLine(QStringLiteral("Subtotal da Empresa........"), Money(f.company, N142));
    printAmountLine(QStringLiteral("SubTotal de Entidades......"), Money(f.entities, N142));
    printAmountLine(QStringLiteral("Subtotal de Deducoes......."), Money(f.deductions, N142));
    printAmountLine(QStringLiteral("Outros valores.............."), Money(f.other, N142));
    printAmountLine(QStringLiteral("SubTotal de INSS..........."), Money(f.inss, N142));
    printAmountLine(QStringLiteral("SubTotal de FGTS a Recolher"), Money(f.fgts, N142));
}

void BookComposer::printGeneralSummary() {
    category_.reset();
    pageTitle_ = QStringLiteral("RESUMO GERAL DA FOLHA DE PAGAMENTO ");
    columnTitles_ = false;
    newPage();
    printSummaryTables(general_);
    const BookInssFigures f = figures(general_, true, true);
    result_.general.earnings = general_.earnings;
    result_.general.deductions = general_.deductions;
    result_.general.net = general_.earnings - general_.deductions;
    result_.general.inss = f;
    printAmountLine(QStringLiteral("Total de Proventos....."), Money(general_.earnings, N142));
    printAmountLine(QStringLiteral("Total de Descontos....."), Money(general_.deductions, N142));
    printAmountLine(QStringLiteral("Total Liquido.........."), Money(result_.general.net, N142));
    printAmountLine(QStringLiteral("Total de funcionarios........"),
                    QString::number(f.employees).rightJustified(14));
    nextLine();
    printAmountLine(QStringLiteral("Total de Segurados..........."),
                    QString::number(f.employees).rightJustified(14));
    printAmountLine(QStringLiteral("Total da Empresa ............"), Money(f.company, N142));
    printAmountLine(QStringLiteral("Total de Entidades..........."), Money(f.entities, N142));
    printAmountLine(QStringLiteral("Total de Deducoes ..........."), Money(f.deductions, N142));
    printAmountLine(QStringLiteral("Total de Juros .............."), Money(f.interest, N142));
    printAmountLine(o_.otherDescription.left(31), Money(f.other, N142));
    printAmountLine(QStringLiteral("Total de INSS ..............."), Money(f.inss, N142));
    printAmountLine(QStringLiteral("Total de FGTS a Recolher....."), Money(f.fgts, N142));
    // The observations, up to the last line typed.
    int last = int(std::min<qsizetype>(o_.observations.size(), 12));
    while (last > 0 && o_.observations[last - 1].trimmed().isEmpty())
        --last;
    // The observations are kept together on one page.
    if (last > 0 && line_ + 1 + last > lastLine_) newPage();
    if (last > 0) nextLine();
    for (int i = 0; i < last; ++i)
        report_.putText(nextLine(), 1,
                        QStringLiteral("Obs. %1: %2").arg(i + 1).arg(o_.observations[i].trimmed()));
}

PayrollBookResult BookComposer::run() {
    readBranch();
    readRoles();
    readRegisters();
    lastLine_ = std::min(LastLineOfPage, report_.linesPerPage());

    Table cadfun(db_, QStringLiteral("CADFUN"));
    QList<std::optional<int>> groups;
    if (o_.groupByCategory) {
        // The categories present among the employees the boxes let through.
        std::set<int> present;
        cadfun.forEach(
            {}, {},
            [&](const Record& e) {
                if (passes(e, std::nullopt)) present.insert(e.integer(QStringLiteral("VINCULO")));
                return true;
            },
            QStringLiteral("VINCULO"));
        for (int c : present)
            groups << c;
    } else {
        groups << std::nullopt;
    }
    const qint64 employees = cadfun.count();
    // Each employee is read once: by one listing, or by his category's.
    ui_.progressStart(QStringLiteral("Emissao da Folha de Pagamento"),
                      int(std::min<qint64>(employees, INT_MAX)));
    for (const auto& g : groups) {
        if (!listGroup(g)) {
            result_.cancelled = true;
            break;
        }
    }
    if (!result_.cancelled) printGeneralSummary();
    if (pageOpen_) report_.flushPage(line_);
    ui_.progressEnd();
    return result_;
}

} // namespace

BookRangeFields RangeFieldsOf(BookOrder order) {
    switch (order) {
    case BookOrder::Name:
        return {QStringLiteral("Nome Inicial:"), QStringLiteral("Nome Final:"), QString(), QString()};
    case BookOrder::Cargo:
        return {QStringLiteral("Cargo Inicial:"), QStringLiteral("Cargo Final:"), QStringLiteral("000"),
                QStringLiteral("999")};
    case BookOrder::Code:
        break;
    }
    return {QStringLiteral("Codigo Inicial:"), QStringLiteral("Codigo Final:"), QStringLiteral("000001"),
            QStringLiteral("999999")};
}

BookOrder ReadBookOrder(const QString& typed) {
    const QString t = typed.trimmed().toLower();
    if (t == QLatin1String("codigo") || t == QStringLiteral("código") || t == QLatin1String("code"))
        return BookOrder::Code;
    if (t == QLatin1String("nome") || t == QLatin1String("name")) return BookOrder::Name;
    if (t == QLatin1String("cargo")) return BookOrder::Cargo;
    throw UserError(QStringLiteral("Ordem inválida: %1 (Codigo, Nome ou Cargo)").arg(typed.trimmed()));
}

PayrollBookOptions ReadPayrollBookInputs(const PayrollBookInputs& typed) {
    PayrollBookOptions o;
    o.order = ReadBookOrder(typed.order);
    const BookRangeFields range = RangeFieldsOf(o.order);
    auto bound = [&](const QString& text, const QString& fallback, const QString& caption) -> QString {
        const QString t = text.trimmed();
        if (t.isEmpty()) return fallback;
        switch (o.order) {
        case BookOrder::Code:
            return TypedEmployeeCode(t);
        case BookOrder::Cargo: {
            bool ok = false;
            const int v = t.toInt(&ok);
            if (!ok || v < 0 || v > 999)
                throw UserError(QStringLiteral("%1 inválido: %2").arg(caption.chopped(1), t));
            return QStringLiteral("%1").arg(v, 3, 10, QLatin1Char('0'));
        }
        case BookOrder::Name:
            return t.toUpper();
        }
        return t;
    };
    o.first = bound(typed.first, range.firstDefault, range.firstCaption);
    o.last = bound(typed.last, range.lastDefault, range.lastCaption);
    if (!o.last.isEmpty() && o.first > o.last)
        throw UserError(QStringLiteral("%1 maior que %2")
                            .arg(range.firstCaption.chopped(1), range.lastCaption.chopped(1)));

    if (typed.categories.size() > 5) throw UserError(QStringLiteral("No máximo 5 vínculos"));
    o.categories = {0, 0, 0, 0, 0};
    for (int i = 0; i < typed.categories.size(); ++i)
        o.categories[i] = TypedWhole(typed.categories[i], 0, 99, QStringLiteral("Vínculo inválido: %1"));
    o.retirementPercent =
        typed.retirementPercent.trimmed().isEmpty()
            ? 99
            : TypedWhole(typed.retirementPercent, 0, 99, QStringLiteral("% Aposent. Especial inválido: %1"));
    o.groupByCategory = typed.groupByCategory;

    QString status = typed.status.trimmed().toUpper();
    if (status.startsWith(QLatin1Char('['))) status = status.mid(1);
    if (status.startsWith(QLatin1Char('T')) || status.isEmpty())
        o.status = BookStatus::All;
    else if (status.startsWith(QLatin1Char('A')))
        o.status = BookStatus::Active;
    else if (status.startsWith(QLatin1Char('I')))
        o.status = BookStatus::Inactive;
    else
        throw UserError(
            QStringLiteral("Emitir Funcionários inválido: %1 (T, A ou I)").arg(typed.status.trimmed()));

    o.prolaborePercent = TypedAmount(typed.prolaborePercent, QStringLiteral("% Prolabore"));
    o.prolaboreValue = TypedAmount(typed.prolaboreValue, QStringLiteral("Valor Prolabore"));
    o.otherDescription = typed.otherDescription.trimmed();
    o.otherValue = TypedAmount(typed.otherValue, QStringLiteral("Valor Outro"));
    const QString op = typed.otherOperation.trimmed().toUpper();
    if (op == QLatin1String("S"))
        o.otherOperation = OtherOperation::Add;
    else if (op == QLatin1String("D"))
        o.otherOperation = OtherOperation::Subtract;
    else if (op == QLatin1String("N") || op.isEmpty())
        o.otherOperation = OtherOperation::Ignore;
    else
        throw UserError(
            QStringLiteral("Oper. Outro inválida: %1 (S, D ou N)").arg(typed.otherOperation.trimmed()));
    o.interest = TypedAmount(typed.interest, QStringLiteral("Valor Juros\\Mora"));

    QStringList observations = typed.observations;
    while (!observations.isEmpty() && observations.last().trimmed().isEmpty())
        observations.removeLast();
    if (observations.size() > 12)
        throw UserError(
            QStringLiteral("Observacoes: no máximo 12 linhas (foram digitadas %1)").arg(observations.size()));
    o.observations = observations;
    return o;
}

QString BookSubtitle(const QDate& payrollDate) {
    if (!payrollDate.isValid()) return {};
    return QString::fromUtf8(MonthNames[payrollDate.month() - 1]) + QLatin1Char('/') +
           QString::number(payrollDate.year());
}

PayrollBookResult ComposePayrollBook(Database& db, UserInterface& ui, const PayrollBookOptions& options,
                                     TextReport& report) {
    return BookComposer(db, ui, options, report).run();
}

PayrollBookResult ComposePayrollBook(Session& session, UserInterface& ui, const PayrollBookOptions& options,
                                     TextReport& report) {
    return ComposePayrollBook(session.folha(), ui, options, report);
}

} // namespace folha

namespace folha {

QString PayrollBookTitlesLine() {
    QList<ListColumn> columns;
    const QList<QPair<int, QString>> titles = {{1, "CODIGO"},        {8, "NOME DO FUNCIONARIO"},
                                               {51, "CENTRO CUSTO"}, {66, "DESCRICAO"},
                                               {98, "SALARIO"},      {109, "FUNCAO"},
                                               {131, "% APOS"}};
    for (const auto& [column, title] : titles) {
        ListColumn c;
        c.title = title;
        c.column = column;
        columns << c;
    }
    return ColumnTitlesLine(columns, 2);
}

} // namespace folha
