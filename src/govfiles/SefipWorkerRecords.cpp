// The SEFIP worker records of a company block: registration changes (14),
// the worker's amounts (30) and the movements (32).
#include "SefipBlock.h"

#include "TextRoutines.h"

#include <algorithm>
#include <optional>

namespace folha::gov {

namespace {

bool inCategories(int cat, std::initializer_list<int> list) { return std::find(list.begin(), list.end(), cat) != list.end(); }

// The categories whose admission date the worker records carry.
bool admissionCategory(int cat) { return inCategories(cat, {1, 3, 4, 5, 6, 7, 11, 12, 19, 20, 21}); }
// The categories that carry the work card.
bool workCardCategory(int cat) { return inCategories(cat, {1, 2, 3, 4, 6, 7}); }

// The leave causes of a termination whose 13th salary is paid in the month.
bool thirteenthTermination(const QString& cause) {
    return OneOf(cause, {"I", "I1", "I2", "I3", "I4", "J", "K", "L", "S", "S2", "S3", "U1"});
}

} // namespace

QString SefipJobCode(int n) { return PadLeft(QString::number(n), 3, QChar('0')); }

QString SefipOwner(const Record& e) {
    return QStringLiteral("do funcionário %1 - %2").arg(e.text("CODFUN"), e.text("NOME").trimmed());
}

// Record 14 for each worker whose registration changed ("E" in ALT_CADAST).
void SefipCompanyBlock::registrationPass() {
    const auto wanted = [&](const SefipEmployeeKey& k) {
        return k.registrationChanged && k.pis >= o_.pisFrom && k.pis <= o_.pisTo;
    };
    forEachEmployee(wanted, [&](const Record& e) {
        const QDate afast = e.date("DT_AFAST");
        if (afast.isValid() && MonthOf(afast) < comp_ &&
            OneOf(e.text("CAUS_RESC"), {"H", "I", "I1", "I2", "I3", "I4", "J", "K", "L", "M", "N", "S", "S2", "S3",
                                        "U1", "U2", "U3"}))
            return;
        record14(e);
    });
}

void SefipCompanyBlock::record14(const Record& e) {
    const int cat = FileCategory(e.integer("VINCULO"));
    GovRecord r = head("14", SefipOwner(e));
    r.zeros(18, 36).number(54, 11, PisText(e), QStringLiteral("NR_PIS"));
    if (inCategories(cat, {1, 3, 4, 5, 6, 7, 11, 12}))
        r.date(65, 8, e.date("DT_ADMIS"));
    else
        r.blanks(65, 8);
    r.number(73, 2, cat, QStringLiteral("VINCULO")).text(75, 70, e.text("NOME"));
    if (workCardCategory(cat))
        r.number(145, 7, WholeDigits(e.number("NR_CART")), QStringLiteral("NR_CART"))
            .number(152, 5, WholeDigits(e.number("SERIE")), QStringLiteral("SERIE"));
    else
        r.blanks(145, 12);
    r.text(157, 50, e.text("ENDERECO"))
        .text(207, 20, e.text("BAIRRO"))
        .number(227, 8, OnlyDigits(e.text("CEP")), QStringLiteral("CEP"))
        .text(235, 20, e.text("CIDADE"))
        .text(255, 2, e.text("UF"))
        .blanks(257, 103);
    out_.write(r);
}

const Record* SefipCompanyBlock::job(const Record& e) {
    const QString code = SefipJobCode(e.integer("CARGO"));
    auto it = jobs_.find(code);
    if (it == jobs_.end()) it = jobs_.insert(code, Table(db_, QStringLiteral("Cargos")).find({code}));
    return it->has_value() ? &**it : nullptr;
}

void SefipCompanyBlock::workerPass() {
    ui_.progressStart(QStringLiteral("Gerando SEFIP: %1").arg(company_.name), int(employees_.size()));
    int step = 0;
    const auto wanted = [&](const SefipEmployeeKey& k) {
        StopIfCancelled(ui_);
        ui_.progressStep(++step);
        return k.pis >= o_.pisFrom && k.pis <= o_.pisTo && !writtenUnderTaker_.contains(k.code) && counts(&k);
    };
    forEachEmployee(wanted, [&](const Record& e) {
        StopIfCancelled(ui_);
        const QDate afast = e.date("DT_AFAST");
        if (afast.isValid() && sheet_ == QLatin1String("D")) return;
        if (afast.isValid() && MonthOf(afast) < comp_ &&
            OneOf(e.text("CAUS_RESC"), {"H", "I", "I1", "I2", "I3", "I4", "J", "K", "L", "M", "N", "N1", "N2", "S",
                                        "S2", "S3", "U1", "U2", "U3"}))
            return;
        if (!job(e)) {
            ui_.message(MessageKind::Warning, QStringLiteral("Cargo Nao Cadastrado no funcionário ") + e.text("CODFUN") +
                                                  QStringLiteral("-") + SefipJobCode(e.integer("CARGO")));
            return;
        }
        const SefipWorkerAmounts a = amounts(e);
        if (record30(e, a, nullptr)) movements(e, nullptr);
    });
    ui_.progressEnd();
}

SefipWorkerAmounts SefipCompanyBlock::amounts(const Record& e) {
    const QString fun = e.text("CODFUN");
    const QString cause = e.text("CAUS_RESC").trimmed();
    const QString back = e.text("CAUS_RETOR").trimmed();
    const QDate afast = e.date("DT_AFAST");
    const QDate ret = e.date("DT_RETORNO");
    const bool leavingNow = afast.isValid() && MonthOf(afast) == comp_;
    const int cat = FileCategory(e.integer("VINCULO"));
    const bool before0309 = anoMes_ < QLatin1String("200309");
    auto sum = [&](const char* role, const QString& sheet) { return sums_.sum(fun, year_, month_, sheet, ev(role)); };
    const QString d = QStringLiteral("D");
    SefipWorkerAmounts a;

    a.withheld = e.number("VLRCONTINS");
    if (leavingNow && cause != QLatin1String("Q1")) {
        a.withheld = sum("012", sheet_);
        if (sheet_ == d) a.withheld += sum("014", sheet_);
    } else if (before0309 && ((cause == QLatin1String("Q1") && afast.isValid() && MonthOf(afast) <= anoMes_) ||
                              (back == QLatin1String("Z1") && ret.isValid() && MonthOf(ret) <= anoMes_))) {
        a.withheld += sum("012", sheet_);
    }

    if (sheet_ != d && before0309 && (cat == 1 || cat == 4) &&
        (OneOf(cause, {"O1", "O2", "R", "Z2", "Z3", "Z4"}) || OneOf(back, {"O1", "O2", "R", "Z2", "Z3", "Z4"})) &&
        ret.isValid() && MonthOf(ret) == comp_)
        a.base += sum("013", sheet_);

    if (inCategories(cat, {5, 11, 13, 15}) ||
        (leavingNow && OneOf(cause, {"I", "I1", "I2", "I3", "I4", "J", "H", "L", "S", "S2", "S3", "U1", "U2"})))
        a.remuneration = sum("013", sheet_);
    else
        a.remuneration = sum("031", sheet_);

    if (cause == QLatin1String("J") && month_ == QLatin1String("12") && leavingNow && afast.day() > 20)
        a.remuneration13 = sum("031", d);
    else
        a.remuneration13 = sum("015", sheet_);

    a.base13Social = sum("015", d);

    const bool terminationNow = leavingNow && thirteenthTermination(cause);
    const bool thirteenth = sheet_ == d || code({"130", "909"}) || (code({"608", "910"}) && cat == 2) || terminationNow;
    if (thirteenth) {
        for (int m = 1; m <= month_.toInt(); ++m)
            a.base13Movement += sums_.sum(fun, year_, PadLeft(QString::number(m), 2, QChar('0')), d, ev("015"));
        // The termination pays its own 13th salary on the month's sheet.
        if (terminationNow && sheet_ != d) a.base13Movement += sum("015", sheet_);
    }
    if (sheet_ != d && leavingNow && afast.month() == 12 && afast.day() > 20) a.base13Movement = Fixed::fromRaw(100);
    return a;
}

// The taker's type and CGC of a worker's records 30 and 32: filled only
// under the collection codes of work for takers; empty otherwise.
QString SefipCompanyBlock::takerOf(const Record& e, const Record* taker) {
    if (!code({"130", "135", "150", "155", "211", "317", "337", "608"})) return {};
    auto typeAndCgc = [](const Record& t) {
        return PadRight(t.text("TIPO").trimmed().left(1), 1, QChar(' ')) + PadLeft(t.text("CGC").trimmed(), 14, QChar('0'));
    };
    if (taker) return typeAndCgc(*taker);
    if (!takerWorkers_.contains(e.text("CODFUN"))) return {};
    Table funtomad(db_, QStringLiteral("FUNTOMAD"));
    auto links = funtomad.select(QStringLiteral("ANOMES = ? AND CODFUN = ?"), {comp_, e.text("CODFUN")},
                                 QStringLiteral("TOMADOR"));
    if (links.empty()) return {};
    auto t = Table(db_, QStringLiteral("Tomador")).find({links.front().text("TOMADOR")});
    if (!t) return {};
    return typeAndCgc(*t);
}

// Positions 18 to 43 of records 30 and 32: the taker and the PIS.
void SefipCompanyBlock::workerStart(GovRecord& r, const Record& e, const QString& taker) const {
    if (taker.isEmpty())
        r.blanks(18, 15);
    else
        r.code(18, 1, taker.left(1), QStringLiteral("TIPO do tomador")).number(19, 14, taker.mid(1), QStringLiteral("CGC do tomador"));
    r.number(33, 11, PisText(e), QStringLiteral("NR_PIS"));
}

// Record 30; false when the worker is left out (zero amounts, or a category
// that competence 13 does not take).
bool SefipCompanyBlock::record30(const Record& e, const SefipWorkerAmounts& a, const Record* taker) {
    const bool d = sheet_ == QLatin1String("D");
    const int cat = FileCategory(e.integer("VINCULO"));
    const Fixed rem = d ? Fixed() : a.remuneration;
    const Fixed rem13 = d ? Fixed() : a.remuneration13;
    const Fixed base = d ? Fixed() : a.base;
    const Fixed p232 = d ? a.base13Social : a.base13Movement;
    const Fixed p247 = d ? Fixed() : a.base13Social;
    if (!taker && (rem + rem13 + a.withheld + base + p232 + p247).isZero()) return false;
    if (anoMes_.endsWith(QLatin1String("13")) && !inCategories(cat, {1, 4, 7, 12, 19, 20, 21, 26})) return false;

    GovRecord r = head("30", SefipOwner(e));
    workerStart(r, e, takerOf(e, taker));
    if (admissionCategory(cat))
        r.date(44, 8, e.date("DT_ADMIS"));
    else
        r.blanks(44, 8);
    r.number(52, 2, cat, QStringLiteral("VINCULO")).text(54, 70, e.text("NOME"));
    if (inCategories(cat, {1, 2, 3, 4, 5, 7, 11, 12, 19, 20, 21}))
        r.literal(124, QStringLiteral("00000") + PadLeft(e.text("CODFUN"), 6, QChar('0')).left(6));
    else
        r.blanks(124, 11);
    if (workCardCategory(cat))
        r.number(135, 7, WholeDigits(e.number("NR_CART")), QStringLiteral("NR_CART"))
            .number(142, 5, WholeDigits(e.number("SERIE")), QStringLiteral("SERIE"));
    else
        r.blanks(135, 12);
    if (inCategories(cat, {1, 3, 4, 5, 6, 7}))
        r.date(147, 8, e.date("DT_OPCAO"));
    else
        r.blanks(147, 8);
    if (inCategories(cat, {1, 3, 4, 5, 6, 7, 12, 19, 20, 21}))
        r.date(155, 8, e.date("DT_NASC"));
    else
        r.blanks(155, 8);
    const QString cbo = WholeDigits(e.number("CBO"));
    if (o_.oldCbo)
        r.number(163, 5, cbo.left(5), QStringLiteral("CBO"));
    else
        r.number(163, 5, QStringLiteral("0") + cbo.left(4), QStringLiteral("CBO"));
    r.money(168, 15, rem, QStringLiteral("Remuneração sem 13º"))
        .money(183, 15, rem13, QStringLiteral("Remuneração 13º salário"));
    if (!d && inCategories(cat, {14, 16}))
        r.code(198, 2, e.text("CLAS_INSS"), QStringLiteral("CLAS_INSS"));
    else
        r.blanks(198, 2);
    if (e.integer("APOSENT") == 1) {
        r.literal(200, QStringLiteral("05"));
    } else {
        const Record* j = job(e);
        r.code(200, 2, j ? j->text("COD_OCORRE").left(2) : QString(), QStringLiteral("COD_OCORRE"));
    }
    r.money(202, 15, a.withheld, QStringLiteral("Valor descontado do segurado"))
        .money(217, 15, base, QStringLiteral("Base de cálculo da contribuição"))
        .money(232, 15, p232, QStringLiteral("Base 13º salário da competência do movimento"))
        .money(247, 15, p247, QStringLiteral("Base 13º salário Previdência"))
        .blanks(262, 98);
    out_.write(r);
    return true;
}

// The movements after record 30: a leave or termination, and a return. A
// return goes with the leave it ends: when the register's leave fields do not
// give it, the last temporary leave of the worker's leave history before the
// return is written; with none there, the run stops naming the worker, since
// the government's program refuses a return without its leave.
void SefipCompanyBlock::movements(const Record& e, const Record* taker) {
    const QDate afast = e.date("DT_AFAST");
    const QDate ret = e.date("DT_RETORNO");
    const QString tk = takerOf(e, taker);
    bool leaveWritten = false;
    if (afast.isValid()) {
        const QDate day7(comp_.left(4).toInt(), comp_.mid(4, 2).toInt(), 7);
        if (MonthOf(afast) <= comp_ || (afast >= day7 && e.text("INFSEFIPAN").trimmed() == QLatin1String("S"))) {
            record32Leave(e, tk);
            leaveWritten = true;
        }
    }
    if (!ret.isValid() || MonthOf(ret) != comp_) return;
    if (!leaveWritten) {
        static const QStringList temporary = {"O1", "O2", "P1", "P2", "Q1", "Q2", "Q3", "R", "W", "X", "Y"};
        std::optional<Record> last;
        for (const Record& leave :
             Table(db_, QStringLiteral("AFASTFUN")).select(QStringLiteral("CODFUN = ?"), {e.text("CODFUN")}, QStringLiteral("DATA"))) {
            const QDate date = leave.date("DATA");
            if (date.isValid() && date <= ret && temporary.contains(leave.text("CAUS_RESC").trimmed())) last = leave;
        }
        if (!last)
            throw GovFileStop(QStringLiteral("Funcionário %1 - %2: retorno %3 em %4 sem o afastamento que ele encerra. "
                                             "Informe o afastamento em Afastamento de Funcionários ou no cadastro do "
                                             "funcionário.")
                                  .arg(e.text("CODFUN"), e.text("NOME").trimmed(), e.text("CAUS_RETOR").trimmed(),
                                       ret.toString(QStringLiteral("dd/MM/yyyy"))));
        record32EarlierLeave(e, tk, last->text("CAUS_RESC").trimmed(), last->date("DATA"));
    }
    record32Return(e, tk);
}

void SefipCompanyBlock::record32EarlierLeave(const Record& e, const QString& taker, const QString& cause,
                                             const QDate& date) {
    GovRecord r = record32Start(e, taker);
    r.code(124, 2, cause, QStringLiteral("CAUS_RESC do afastamento")).date(126, 8, date).blanks(134, 1).blanks(135, 225);
    out_.write(r);
}

// Record 32 up to the worker's name: the worker, the admission date for the
// categories that carry it, the category and the name.
GovRecord SefipCompanyBlock::record32Start(const Record& e, const QString& taker) {
    const int cat = FileCategory(e.integer("VINCULO"));
    GovRecord r = head("32", SefipOwner(e));
    workerStart(r, e, taker);
    if (admissionCategory(cat))
        r.date(44, 8, e.date("DT_ADMIS"));
    else
        r.blanks(44, 8);
    r.number(52, 2, cat, QStringLiteral("VINCULO")).text(54, 70, e.text("NOME"));
    return r;
}

void SefipCompanyBlock::record32Leave(const Record& e, const QString& taker) {
    GovRecord r = record32Start(e, taker);
    QString cause = e.text("CAUS_RESC").trimmed();
    if (cause == QLatin1String("I")) cause = QStringLiteral("I1");
    if (cause == QLatin1String("N")) cause = QStringLiteral("N1");
    r.code(124, 2, cause, QStringLiteral("CAUS_RESC"))
        .date(126, 8, e.date("DT_AFAST"));
    if (OneOf(cause, {"I1", "I2", "I3", "I4", "L"})) {
        const bool collected = o_.fgtsCollected ? *o_.fgtsCollected
                                                : ui_.question(QStringLiteral("O funcionário ") + e.text("CODFUN") +
                                                               QStringLiteral("-") + e.text("NOME").trimmed() +
                                                               QStringLiteral("\nRecolheu FGTS?"));
        r.literal(134, collected ? QStringLiteral("S") : QStringLiteral("N"));
    } else {
        r.blanks(134, 1);
    }
    r.blanks(135, 225);
    out_.write(r);
}

void SefipCompanyBlock::record32Return(const Record& e, const QString& taker) {
    GovRecord r = record32Start(e, taker);
    r.code(124, 2, e.text("CAUS_RETOR"), QStringLiteral("CAUS_RETOR"))
        .date(126, 8, e.date("DT_RETORNO"))
        .blanks(134, 1)
        .blanks(135, 225);
    out_.write(r);
}

} // namespace folha::gov
