#include "Sefip.h"

#include "GovOutput.h"
#include "TextRoutines.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>

namespace folha::gov {

const QString SefipRun::SystemPath = QStringLiteral("c:\\CAIXA\\SEFIP\\SEFIP.TXT");
const QString SefipRun::SupplierCnpj = QStringLiteral("11444777000161");

namespace {

const std::initializer_list<FixedOccurrence> sefipOccurrences = {
    {"011", "Ocorrencia fixa 011 (Salario familia) nao existe"},
    {"012", "Ocorrencia fixa 012 (Valor INSS Normal) nao existe"},
    {"014", "Ocorrencia fixa 014 (INSS 13 Salario) nao existe"},
    {"017", "Ocorrencia fixa 017 (Vlr Base IRPF) nao existe"},
    {"019", "Ocorrencia fixa 019 (Base IRPF 13 ) nao existe"},
    {"021", "Ocorrencia fixa 021 (Base IRPF FERIAS) nao existe"},
    {"031", "Ocorrencia fixa 031 (Vlr Base FGTS) nao existe"},
    {"013", "Ocorrencia fixa 013 (Vlr Base INSS) nao existe"},
    {"015", "Ocorrencia fixa 015 (Vlr Base INSS 13) nao existe"},
    {"100", "Ocorrencia fixa 100 (Valor carne) nao existe"},
    {"101", "Ocorrencia fixa 101 (Valor inss carne) nao existe"},
};

// The CARGOS code of an employee's job number ("001" for 1).
QString jobCode(int n) { return PadLeft(QString::number(n), 3, QChar('0')); }

bool inCategories(int cat, std::initializer_list<int> list) { return std::find(list.begin(), list.end(), cat) != list.end(); }

QString owner(const Record& e) {
    return QStringLiteral("do funcionário %1 - %2").arg(e.text("CODFUN"), e.text("NOME").trimmed());
}

// The amounts of one worker's record 30.
struct WorkerAmounts {
    Fixed remuneration, remuneration13, withheld, base, base13Movement, base13Social;
};

class CompanyBlock {
public:
    CompanyBlock(const SefipOptions& o, const SefipCompany& company, const Record& branch, GovOutput& out,
                 UserInterface& ui)
        : o_(o), company_(company), db_(*company.db), branch_(branch), out_(out), ui_(ui), sums_(db_) {
        cgc_ = branch.text("CGC").trimmed();
        inscription_ = InscriptionType(cgc_);
        comp_ = MonthOf(branch.date("DATA_FOLHA"));
        year_ = comp_.left(4);
        month_ = comp_.mid(4, 2);
        sheet_ = branch.text("TIPO_FOL").trimmed();
        anoMes_ = sheet_ == QLatin1String("D") ? year_ + QStringLiteral("13") : comp_;
        code_ = o.collectionCode;
        ownerText_ = QStringLiteral("da empresa %1 - %2").arg(company.code).arg(company.name);
    }

    void write();

private:
    bool code(std::initializer_list<const char*> list) const { return OneOf(code_, list); }
    QString ev(const char* role) const { return occ_.value(QString::fromLatin1(role)); }
    bool counts(const Record* employee) const;
    void totals();
    void record10();
    void record12();
    void registrationPass();
    void takers();
    void record20(const Record& taker);
    void record21(const Record& taker);
    void workerPass();
    WorkerAmounts amounts(const Record& e);
    bool record30(const Record& e, const WorkerAmounts& a, const Record* taker);
    void movements(const Record& e, const Record* taker);
    GovRecord head(const char* type, const QString& who) const {
        GovRecord r(QString::fromLatin1(type), who);
        r.literal(3, inscription_).number(4, 14, cgc_, QStringLiteral("CGC"));
        return r;
    }
    QString takerOf(const Record& e, const Record* taker);
    const Record* job(const Record& e);

    const SefipOptions& o_;
    const SefipCompany& company_;
    Database& db_;
    const Record& branch_;
    GovOutput& out_;
    UserInterface& ui_;
    EventSums sums_;
    QString cgc_, inscription_, comp_, year_, month_, sheet_, anoMes_, code_, ownerText_;
    QHash<QString, QString> occ_;
    QSet<QString> takerWorkers_;  // workers with a FUNTOMAD row of the competence
    QSet<QString> writtenUnderTaker_;
    QSet<QString> listed_;        // the competence's employee-list file
    std::vector<Record> employees_; // CADFUN in PIS and admission order
    QHash<QString, int> byCode_;
    QHash<QString, std::optional<Record>> jobs_;
    Fixed familyTotal_, maternityTotal_;
    bool familyInTaker_ = true;
};

// The totals and the worker pass read a worker only in the PIS range, or
// with "Recol. Individual." when listed for the competence.
bool CompanyBlock::counts(const Record* e) const {
    if (!e) return false;
    if (o_.individual) return listed_.contains(e->text("CODFUN"));
    const QString pis = PisText(*e);
    return pis >= o_.pisFrom && pis <= o_.pisTo;
}

void CompanyBlock::write() {
    occ_ = ReadFixedOccurrences(db_, sefipOccurrences, ui_);
    Table cadfun(db_, QStringLiteral("CADFUN"));
    employees_ = cadfun.select();
    std::stable_sort(employees_.begin(), employees_.end(), [](const Record& a, const Record& b) {
        const QString pa = PisText(a), pb = PisText(b);
        if (pa != pb) return pa < pb;
        return a.date("DT_ADMIS") < b.date("DT_ADMIS");
    });
    for (int i = 0; i < int(employees_.size()); ++i) byCode_.insert(employees_[i].text("CODFUN"), i);
    if (o_.individual) {
        const QString name = comp_ + sheet_ + QStringLiteral(".TXT");
        QFile list(QDir(o_.employeeListFolder).filePath(name));
        if (list.open(QIODevice::ReadOnly)) {
            while (!list.atEnd()) listed_.insert(QString::fromLatin1(list.readLine()).left(6));
        } else {
            ui_.message(MessageKind::Warning, QStringLiteral("Arquivo de funcionários %1 não encontrado").arg(list.fileName()));
        }
    }
    Table funtomad(db_, QStringLiteral("FUNTOMAD"));
    for (const Record& r : funtomad.select(QStringLiteral("ANOMES = ?"), {comp_})) takerWorkers_.insert(r.text("CODFUN"));

    totals();

    Table sefip(db_, QStringLiteral("Sefip"));
    Record row = sefip.newRecord();
    row.set("CGC", PadLeft(cgc_, 14, QChar('0')))
        .set("NOME", branch_.text("NOME").left(40))
        .set("TIPO", cgc_.size() == 14 ? QStringLiteral("1") : QStringLiteral("2"));
    sefip.save(row);

    record10();
    if ((company_.additional || code_ == QLatin1String("904")) && code_ != QLatin1String("150")) record12();
    if (!o_.individual) registrationPass();
    if (code({"150", "151", "155"}))
        takers();
    else
        workerPass();
}

void CompanyBlock::totals() {
    const QString familyEvent = ev("011");
    const QString maternityEvent = branch_.text("HISTSALMAT").trimmed();
    const bool takerCode = code({"150", "151", "155"});
    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    ocorrenc.forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?"), {year_, month_, sheet_},
                     [&](const Record& r) {
                         const QString fun = r.text("CODFUN");
                         if (takerWorkers_.contains(fun) != takerCode) return true;
                         auto it = byCode_.constFind(fun);
                         const Record* e = it == byCode_.constEnd() ? nullptr : &employees_[*it];
                         if (!counts(e)) return true;
                         const QString h = r.text("HCODIGO");
                         if (!familyEvent.isEmpty() && h == familyEvent) familyTotal_ += r.number("VALOR");
                         if (!maternityEvent.isEmpty() && h == maternityEvent &&
                             e->text("CAUS_RESC").trimmed() == QLatin1String("Q1"))
                             maternityTotal_ += r.number("VALOR");
                         return true;
                     });
}

void CompanyBlock::record10() {
    const QString fpas = branch_.text("COD_FPAS").trimmed();
    const QString simples = branch_.text("SIMPLES").trimmed();
    const bool before9810 = anoMes_ < QLatin1String("199810");
    GovRecord r(QStringLiteral("10"), ownerText_);
    r.literal(3, cgc_.size() == 14 ? QStringLiteral("1") : QStringLiteral("2"))
        .number(4, 14, cgc_, QStringLiteral("CGC"))
        .zeros(18, 36)
        .text(54, 40, branch_.text("NOME"))
        .text(94, 50, branch_.text("FIL_ENDERE"))
        .text(144, 20, branch_.text("FIL_BAIRRO"))
        .number(164, 8, OnlyDigits(branch_.text("FIL_CEP")), QStringLiteral("FIL_CEP"))
        .text(172, 20, branch_.text("FIL_CIDADE"))
        .text(192, 2, branch_.text("FIL_ESTADO"))
        .number(194, 12, OnlyDigits(branch_.text("FIL_FONE")), QStringLiteral("FIL_FONE"))
        .text(206, 1, branch_.text("FIL_ALTEND"))
        .number(207, 7, WholeDigits(branch_.number("COD_CNAE")), QStringLiteral("COD_CNAE"))
        .text(214, 1, branch_.text("FIL_ALTCNA"));
    if (before9810 || code({"145", "345", "640", "660"}))
        r.blanks(215, 2);
    else if (OneOf(fpas, {"604", "647", "868"}))
        r.literal(215, QStringLiteral("00"));
    else
        r.number(215, 2, WholeDigits(branch_.number("PER_GRPS17")).left(2), QStringLiteral("PER_GRPS17"));
    r.literal(217, QStringLiteral("0"));
    if (anoMes_ < QLatin1String("199612") || code_ == QLatin1String("640"))
        r.blanks(218, 1);
    else if (code({"130", "903", "909"}) || OneOf(fpas, {"582", "639", "868"}))
        r.literal(218, QStringLiteral("1"));
    else
        r.text(218, 1, simples);
    if (OneOf(fpas, {"779", "744", "620"}))
        r.blanks(219, 3);
    else
        r.number(219, 3, fpas, QStringLiteral("COD_FPAS"));
    if (before9810 || code({"145", "345", "640", "660"}))
        r.blanks(222, 4);
    else if (OneOf(fpas, {"582", "868"}))
        r.zeros(222, 4);
    else if (OneOf(simples, {"2", "3"}))
        r.blanks(222, 4);
    else
        r.number(222, 4, branch_.text("COD_GRPS18"), QStringLiteral("COD_GRPS18"));
    if (before9810 || code({"145", "155", "345", "640", "660"}))
        r.blanks(226, 4);
    else
        r.number(226, 4, branch_.text("COD_PAGA"), QStringLiteral("COD_PAGA"));
    if (anoMes_ < QLatin1String("199904") || fpas != QLatin1String("639"))
        r.blanks(230, 5);
    else
        r.number(230, 5, RoundValue(0, branch_.number("PER_FILANT") * 100).truncated(), QStringLiteral("PER_FILANT"));
    if (before9810 || sheet_ == QLatin1String("D") || !code({"115", "307", "327", "903", "905"}))
        r.zeros(235, 15);
    else
        r.money(235, 15, familyTotal_, QStringLiteral("Salário Família"));
    if (before9810 || (anoMes_ > QLatin1String("199911") && anoMes_ < QLatin1String("200309")) ||
        sheet_ == QLatin1String("D"))
        r.zeros(250, 15);
    else
        r.money(250, 15, maternityTotal_, QStringLiteral("Salário Maternidade"));
    r.zeros(265, 15).literal(280, QStringLiteral("0")).zeros(281, 14).blanks(295, 3).blanks(298, 4).blanks(302, 9)
        .zeros(311, 45).blanks(356, 4);
    out_.write(r);
}

void CompanyBlock::record12() {
    const SefipAdditionalValues a = company_.additional.value_or(SefipAdditionalValues{});
    GovRecord r = head("12", ownerText_);
    r.zeros(18, 36)
        .money(54, 15, a.maternity13Deduction, QStringLiteral("Deducao 13 Salario Licenca Maternidade"))
        .money(69, 15, a.sportsRevenue, QStringLiteral("Receita Evento Desportivo/Patrocinio"))
        .text(84, 1, a.revenueType.trimmed())
        .money(85, 15, a.ruralNaturalPerson, QStringLiteral("Comercial. Producao Rural - Pessoa Fisica"))
        .money(100, 15, a.ruralLegalPerson, QStringLiteral("Comercial. Producao Rural - Pessoa Juridica"))
        .number(115, 11, a.processNumber, QStringLiteral("Processo"))
        .number(126, 4, a.processYear, QStringLiteral("Processo (ano)"))
        .number(130, 5, a.court, QStringLiteral("Vara/JCJ"))
        .number(135, 6, PeriodOfMonthText(a.claimStart, QStringLiteral("Periodo Pleito Reclamatoria Trabalhista")),
                QStringLiteral("Periodo Pleito Reclamatoria Trabalhista"))
        .number(141, 6, PeriodOfMonthText(a.claimEnd, QStringLiteral("Periodo Pleito Reclamatoria Trabalhista")),
                QStringLiteral("Periodo Pleito Reclamatoria Trabalhista"));
    if (code_ == QLatin1String("150")) {
        r.zeros(147, 27);
    } else {
        r.money(147, 15, a.compensation, QStringLiteral("Compensacao"))
            .number(162, 6, PeriodOfMonthText(a.compensationStart, QStringLiteral("Periodo Compensacao")),
                    QStringLiteral("Periodo Compensacao"))
            .number(168, 6, PeriodOfMonthText(a.compensationEnd, QStringLiteral("Periodo Compensacao")),
                    QStringLiteral("Periodo Compensacao"));
    }
    r.money(174, 15, a.previousInss, QStringLiteral("Recol. Compet.Anterior - Vlr.INSS Folha"))
        .money(189, 15, a.previousOtherEntities, QStringLiteral("Recol. Compet.Anterior - Outras Entid. Folha"))
        .money(204, 15, a.previousInssRural, QStringLiteral("Recol. Compet.Anterior - Vlr.INSS Prod.Rural"))
        .money(219, 15, a.previousOtherRural, QStringLiteral("Recol. Compet.Anterior - Outras Ent.Pr.Rural"))
        .money(234, 15, a.previousRevenue, QStringLiteral("Recol. Compet.Anterior - Receitas Desp/Patro"))
        .money(249, 15, a.fgtsInstalments, QStringLiteral("Parcelamento FGTS - Categorias 01,02,03 e 05"))
        .money(264, 15, a.fgtsInstalmentsCat4, QStringLiteral("Parcelamento FGTS - Categoria  04"))
        .money(279, 15, a.fgtsInstalmentsTotal, QStringLiteral("Parcelamento FGTS - (Deposito + JAM + Multa)"))
        .money(294, 15, a.cooperatives, QStringLiteral("Vlr. Pago a Cooperativas de Trabalho"))
        .zeros(309, 45)
        .zeros(354, 6);
    out_.write(r);
}

// Record 14 for each worker whose registration changed ("E" in ALT_CADAST).
void CompanyBlock::registrationPass() {
    for (const Record& e : employees_) {
        const QString pis = PisText(e);
        if (pis < o_.pisFrom || pis > o_.pisTo) continue;
        if (e.text("ALT_CADAST").trimmed() != QLatin1String("E")) continue;
        const QDate afast = e.date("DT_AFAST");
        if (afast.isValid() && MonthOf(afast) < comp_ &&
            OneOf(e.text("CAUS_RESC"), {"H", "I", "I1", "I2", "I3", "I4", "J", "K", "L", "M", "N", "S", "S2", "S3",
                                        "U1", "U2", "U3"}))
            continue;
        const int cat = FileCategory(e.integer("VINCULO"));
        GovRecord r = head("14", owner(e));
        r.zeros(18, 36).number(54, 11, pis, QStringLiteral("NR_PIS"));
        if (inCategories(cat, {1, 3, 4, 5, 6, 7, 11, 12}))
            r.date(65, 8, e.date("DT_ADMIS"));
        else
            r.blanks(65, 8);
        r.number(73, 2, cat, QStringLiteral("VINCULO")).textLeft(75, 70, e.text("NOME"));
        if (inCategories(cat, {1, 2, 3, 4, 6, 7}))
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
}

void CompanyBlock::takers() {
    Table tomador(db_, QStringLiteral("Tomador"));
    tomador.setIndex(QStringLiteral("Tipo_cgc"));
    Table funtomad(db_, QStringLiteral("FUNTOMAD"));
    funtomad.setIndex(QStringLiteral("AnoMes_Tomad_Pis"));
    const QString wantedType = code_ == QLatin1String("155") ? QStringLiteral("2") : QStringLiteral("1");
    const QString compensationTaker = company_.additional ? ZeroCode(company_.additional->compensationTaker, 3) : QString();
    for (const Record& taker : tomador.select()) {
        if (taker.number("RETENCAO").isZero()) continue;
        if (taker.text("TIPO").trimmed() != wantedType) continue;
        record20(taker);
        if (company_.additional && taker.text("COD_TOMAD") == compensationTaker) record21(taker);
        for (const Record& link : funtomad.select(QStringLiteral("ANOMES = ? AND TOMADOR = ?"),
                                                   {comp_, taker.text("COD_TOMAD")})) {
            const QString fun = link.text("CODFUN");
            auto it = byCode_.constFind(fun);
            if (it == byCode_.constEnd()) {
                ui_.message(MessageKind::Warning, QStringLiteral("Funcionário %1 do tomador %2 não cadastrado")
                                                      .arg(fun, taker.text("COD_TOMAD")));
                continue;
            }
            const Record& e = employees_[*it];
            writtenUnderTaker_.insert(fun);
            WorkerAmounts a = amounts(e);
            a.base = link.number("VALORAFAST");
            if (record30(e, a, &taker)) movements(e, &taker);
        }
    }
}

void CompanyBlock::record20(const Record& taker) {
    const QString who = QStringLiteral("do tomador %1 - %2").arg(taker.text("COD_TOMAD"), taker.text("NOME").trimmed());
    GovRecord r = head("20", who);
    r.text(18, 1, taker.text("TIPO"))
        .number(19, 14, taker.text("CGC"), QStringLiteral("CGC do tomador"))
        .zeros(33, 21)
        .text(54, 40, taker.text("NOME"))
        .text(94, 50, taker.text("ENDERECO"))
        .text(144, 20, taker.text("BAIRRO"))
        .number(164, 8, OnlyDigits(taker.text("CEP")), QStringLiteral("CEP do tomador"))
        .text(172, 20, taker.text("CIDADE"))
        .text(192, 2, taker.text("UF"));
    if (anoMes_ >= QLatin1String("199810") && code({"130", "155", "317", "337", "608", "908", "909", "910"}))
        r.number(194, 4, branch_.text("COD_PAGA"), QStringLiteral("COD_PAGA"));
    else
        r.blanks(194, 4);
    if (sheet_ == QLatin1String("D") || !familyInTaker_)
        r.zeros(198, 15);
    else
        r.money(198, 15, familyTotal_, QStringLiteral("Salário Família"));
    familyInTaker_ = false;
    r.zeros(213, 15)
        .literal(228, QStringLiteral("0"))
        .zeros(229, 14)
        .money(243, 15, taker.number("RETENCAO"), QStringLiteral("RETENCAO"))
        .money(258, 15, taker.number("FATURAS"), QStringLiteral("FATURAS"))
        .zeros(273, 45)
        .blanks(318, 42);
    out_.write(r);
}

void CompanyBlock::record21(const Record& taker) {
    const SefipAdditionalValues& a = *company_.additional;
    const QString who = QStringLiteral("do tomador %1 - %2").arg(taker.text("COD_TOMAD"), taker.text("NOME").trimmed());
    GovRecord r = head("21", who);
    r.text(18, 1, taker.text("TIPO"))
        .number(19, 14, taker.text("CGC"), QStringLiteral("CGC do tomador"))
        .zeros(33, 21)
        .money(54, 15, a.compensation, QStringLiteral("Compensacao"))
        .number(69, 6, PeriodOfMonthText(a.compensationStart, QStringLiteral("Periodo Compensacao")),
                QStringLiteral("Periodo Compensacao"))
        .number(75, 6, PeriodOfMonthText(a.compensationEnd, QStringLiteral("Periodo Compensacao")),
                QStringLiteral("Periodo Compensacao"))
        .money(81, 15, a.previousInss, QStringLiteral("Recol. Compet.Anterior - Vlr.INSS Folha"))
        .money(96, 15, a.previousOtherEntities, QStringLiteral("Recol. Compet.Anterior - Outras Entid. Folha"))
        .money(111, 15, a.fgtsInstalments, QStringLiteral("Parcelamento FGTS - Categorias 01,02,03 e 05"))
        .money(126, 15, a.fgtsInstalmentsCat4, QStringLiteral("Parcelamento FGTS - Categoria  04"))
        .money(141, 15, a.fgtsInstalmentsTotal, QStringLiteral("Parcelamento FGTS - (Deposito + JAM + Multa)"))
        .blanks(156, 204);
    out_.write(r);
}

const Record* CompanyBlock::job(const Record& e) {
    const QString code = jobCode(e.integer("CARGO"));
    auto it = jobs_.find(code);
    if (it == jobs_.end()) it = jobs_.insert(code, Table(db_, QStringLiteral("Cargos")).find({code}));
    return it->has_value() ? &**it : nullptr;
}

void CompanyBlock::workerPass() {
    ui_.progressStart(QStringLiteral("Gerando SEFIP: %1").arg(company_.name), int(employees_.size()));
    int step = 0;
    for (const Record& e : employees_) {
        ui_.progressStep(++step);
        const QString pis = PisText(e);
        if (pis < o_.pisFrom) continue;
        if (pis > o_.pisTo) break;
        if (writtenUnderTaker_.contains(e.text("CODFUN"))) continue;
        if (!counts(&e)) continue;
        const QDate afast = e.date("DT_AFAST");
        if (afast.isValid() && sheet_ == QLatin1String("D")) continue;
        if (afast.isValid() && MonthOf(afast) < comp_ &&
            OneOf(e.text("CAUS_RESC"), {"H", "I", "I1", "I2", "I3", "I4", "J", "K", "L", "M", "N", "N1", "N2", "S",
                                        "S2", "S3", "U1", "U2", "U3"}))
            continue;
        if (!job(e)) {
            ui_.message(MessageKind::Warning, QStringLiteral("Cargo Nao Cadastrado no funcionário ") + e.text("CODFUN") +
                                                  QStringLiteral("-") + jobCode(e.integer("CARGO")));
            continue;
        }
        const WorkerAmounts a = amounts(e);
        if (record30(e, a, nullptr)) movements(e, nullptr);
    }
    ui_.progressEnd();
}

WorkerAmounts CompanyBlock::amounts(const Record& e) {
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
    WorkerAmounts a;

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

    const bool thirteenth = sheet_ == d || code({"130", "909"}) || (code({"608", "910"}) && cat == 2) ||
                            (leavingNow && OneOf(cause, {"I", "I1", "I2", "I3", "I4", "J", "K", "L", "S", "S2", "S3", "U1"}));
    if (thirteenth) {
        for (int m = 1; m <= month_.toInt(); ++m)
            a.base13Movement += sums_.sum(fun, year_, PadLeft(QString::number(m), 2, QChar('0')), d, ev("015"));
    }
    if (sheet_ != d && leavingNow && afast.month() == 12 && afast.day() > 20) a.base13Movement = Fixed::fromRaw(100);
    return a;
}

QString CompanyBlock::takerOf(const Record& e, const Record* taker) {
    if (taker) return PadRight(taker->text("TIPO").trimmed().left(1), 1, QChar(' ')) + PadLeft(taker->text("CGC").trimmed(), 14, QChar('0'));
    if (!takerWorkers_.contains(e.text("CODFUN"))) return {};
    Table funtomad(db_, QStringLiteral("FUNTOMAD"));
    auto links = funtomad.select(QStringLiteral("ANOMES = ? AND CODFUN = ?"), {comp_, e.text("CODFUN")},
                                 QStringLiteral("TOMADOR"));
    if (links.empty()) return {};
    auto t = Table(db_, QStringLiteral("Tomador")).find({links.front().text("TOMADOR")});
    if (!t) return {};
    return PadRight(t->text("TIPO").trimmed().left(1), 1, QChar(' ')) + PadLeft(t->text("CGC").trimmed(), 14, QChar('0'));
}

// Record 30; false when the worker is left out (zero amounts, or a category
// that competence 13 does not take).
bool CompanyBlock::record30(const Record& e, const WorkerAmounts& a, const Record* taker) {
    const bool d = sheet_ == QLatin1String("D");
    const int cat = FileCategory(e.integer("VINCULO"));
    const Fixed rem = d ? Fixed() : a.remuneration;
    const Fixed rem13 = d ? Fixed() : a.remuneration13;
    const Fixed base = d ? Fixed() : a.base;
    const Fixed p232 = d ? a.base13Social : a.base13Movement;
    const Fixed p247 = d ? Fixed() : a.base13Social;
    if (!taker && (rem + rem13 + a.withheld + base + p232 + p247).isZero()) return false;
    if (anoMes_.endsWith(QLatin1String("13")) && !inCategories(cat, {1, 4, 7, 12, 19, 20, 21, 26})) return false;

    const QString who = owner(e);
    GovRecord r = head("30", who);
    const QString tk = takerOf(e, taker);
    if (tk.isEmpty())
        r.blanks(18, 15);
    else
        r.text(18, 1, tk.left(1)).number(19, 14, tk.mid(1), QStringLiteral("CGC do tomador"));
    r.number(33, 11, PisText(e), QStringLiteral("NR_PIS"));
    if (inCategories(cat, {1, 3, 4, 5, 6, 7, 11, 12, 19, 20, 21}))
        r.date(44, 8, e.date("DT_ADMIS"));
    else
        r.zeros(44, 8);
    r.number(52, 2, cat, QStringLiteral("VINCULO")).textLeft(54, 70, e.text("NOME"));
    if (inCategories(cat, {1, 2, 3, 4, 5, 7, 11, 12, 19, 20, 21}))
        r.literal(124, QStringLiteral("00000") + PadLeft(e.text("CODFUN"), 6, QChar('0')).left(6));
    else
        r.blanks(124, 11);
    if (inCategories(cat, {1, 2, 3, 4, 6, 7}))
        r.number(135, 7, WholeDigits(e.number("NR_CART")), QStringLiteral("NR_CART"))
            .number(142, 5, WholeDigits(e.number("SERIE")), QStringLiteral("SERIE"));
    else
        r.zeros(135, 12);
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
        r.text(198, 2, e.text("CLAS_INSS"));
    else
        r.blanks(198, 2);
    if (e.integer("APOSENT") == 1) {
        r.literal(200, QStringLiteral("05"));
    } else {
        const Record* j = job(e);
        r.text(200, 2, j ? j->text("COD_OCORRE").left(2) : QString());
    }
    r.money(202, 15, a.withheld, QStringLiteral("Valor descontado do segurado"))
        .money(217, 15, base, QStringLiteral("Base de cálculo da contribuição"))
        .money(232, 15, p232, QStringLiteral("Base 13º salário da competência do movimento"))
        .money(247, 15, p247, QStringLiteral("Base 13º salário Previdência"))
        .blanks(262, 98);
    out_.write(r);
    return true;
}

void CompanyBlock::movements(const Record& e, const Record* taker) {
    const QDate afast = e.date("DT_AFAST");
    const QDate ret = e.date("DT_RETORNO");
    const int cat = FileCategory(e.integer("VINCULO"));
    const QString tk = takerOf(e, taker);
    auto start = [&](GovRecord& r) {
        if (tk.isEmpty())
            r.blanks(18, 15);
        else
            r.text(18, 1, tk.left(1)).number(19, 14, tk.mid(1), QStringLiteral("CGC do tomador"));
        r.number(33, 11, PisText(e), QStringLiteral("NR_PIS"));
    };
    const bool admissionCategory = inCategories(cat, {1, 3, 4, 5, 6, 7, 11, 12, 19, 20, 21});
    bool leave = false;
    if (afast.isValid()) {
        const QString m = MonthOf(afast);
        const QDate day7(comp_.left(4).toInt(), comp_.mid(4, 2).toInt(), 7);
        leave = m <= comp_ || (afast >= day7 && e.text("INFSEFIPAN").trimmed() == QLatin1String("S"));
    }
    if (leave) {
        GovRecord r = head("32", owner(e));
        start(r);
        if (admissionCategory)
            r.date(44, 8, e.date("DT_ADMIS"));
        else
            r.blanks(44, 8);
        QString cause = e.text("CAUS_RESC").trimmed();
        if (cause == QLatin1String("I")) cause = QStringLiteral("I1");
        if (cause == QLatin1String("N")) cause = QStringLiteral("N1");
        r.number(52, 2, cat, QStringLiteral("VINCULO")).text(54, 70, e.text("NOME")).textLeft(124, 2, cause).date(126, 8, afast);
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
    if (ret.isValid() && MonthOf(ret) == comp_) {
        GovRecord r = head("32", owner(e));
        start(r);
        if (admissionCategory)
            r.date(44, 8, e.date("DT_ADMIS"));
        else
            r.zeros(44, 8);
        r.number(52, 2, cat, QStringLiteral("VINCULO"))
            .text(54, 70, e.text("NOME"))
            .textLeft(124, 2, e.text("CAUS_RETOR").trimmed())
            .date(126, 8, ret)
            .blanks(134, 1)
            .blanks(135, 225);
        out_.write(r);
    }
}

} // namespace

SefipRun::SefipRun(Database& current, UserInterface& ui) : current_(current), ui_(ui) {}

GovFileResult SefipRun::run(const SefipOptions& options) {
    GovFileResult result;
    result.path = options.outputPath;
    SefipOptions o = options;
    try {
        Table filial(current_, QStringLiteral("Filial"));
        auto branch = filial.find({o.branchCode});
        if (!branch || !branch->date("DATA_FOLHA").isValid())
            throw GovFileStop(QStringLiteral("Filial %1 não cadastrada ou sem data da folha").arg(o.branchCode));
        const QString currentComp = MonthOf(branch->date("DATA_FOLHA"));
        const QString currentSheet = branch->text("TIPO_FOL").trimmed();
        if (o.sheet.isEmpty()) o.sheet = currentSheet;
        o.sheet = o.sheet.left(1);
        const QString typedComp = o.competence.trimmed().isEmpty()
                                      ? currentComp
                                      : PeriodOfMonthText(o.competence, QStringLiteral("Competência"));
        o.collectionCode = o.collectionCode.trimmed();
        if (o.collectionCode.size() != 3 || OnlyDigits(o.collectionCode) != o.collectionCode)
            throw GovFileStop(QStringLiteral("Informe o código de recolhimento com 3 dígitos"));
        o.modality = o.modality.left(1);
        o.fgtsIndicator = o.fgtsIndicator.left(1);
        o.inssIndicator = o.inssIndicator.left(1);
        o.remittanceType = o.remittanceType.left(1);
        for (const auto& c : o.companies)
            if (c.additional && c.additional->revenueType.trimmed().isEmpty())
                throw GovFileStop(QStringLiteral("Informe o Tipo - (E/P/A) dos valores adicionais da empresa %1 - %2")
                                      .arg(c.code)
                                      .arg(c.name));
        auto code = [&](std::initializer_list<const char*> list) { return OneOf(o.collectionCode, list); };

        // 1. and 2.
        if (o.collectionCode == QLatin1String("906"))
            throw GovFileStop(QStringLiteral("Recolhimento so pode ser cadastrado no SEFIP"));
        const QString responsibleCode = ZeroCode(o.responsible, 3);
        auto responsible = Table(current_, QStringLiteral("RESPONSA")).find({responsibleCode});
        if (!responsible)
            throw GovFileStop(QStringLiteral("Empresa responsavel, ") + responsibleCode + QStringLiteral(" não localizada!"));
        // 3.
        if (!ConfirmOverwrite(SystemPath, o.outputPath, ui_)) return result;
        GovOutput out(o.outputPath);
        // 4.
        const QString anoMes = currentSheet == QLatin1String("D") ? currentComp.left(4) + QStringLiteral("13") : currentComp;
        const int year = anoMes.left(4).toInt();
        const bool month13 = anoMes.endsWith(QLatin1String("13"));
        if (year < 1967) throw GovFileStop(QStringLiteral("Ano de Recolhimento Menor que 1967!"));
        if (month13 && year < 1998)
            throw GovFileStop(QStringLiteral("Nao Pode ser informada competencia 13 para ano menor que  1998!"));
        if (month13 && code({"130", "145", "307", "317", "327", "337", "345", "640", "650", "660", "904", "909", "911", "211"}))
            throw GovFileStop(QStringLiteral("Codigo de Recolhimento invalido para a competencia 13!"));
        if (anoMes < QLatin1String("199810") && code({"903", "904", "905", "907", "908", "909", "910"}))
            throw GovFileStop(QStringLiteral("Codigo do recolhimento invalido para o mes/ano menor que 10/1998!"));
        if (anoMes < QLatin1String("200003") && code({"911"}))
            throw GovFileStop(QStringLiteral("Codigo do recolhimento invalido para esta mes/ano menor que 03/2000!"));

        // 5. Record 00.
        {
            const Record& rs = *responsible;
            GovRecord r(QStringLiteral("00"), QStringLiteral("do responsável %1").arg(responsibleCode));
            r.blanks(3, 51)
                .text(54, 1, o.remittanceType)
                .text(55, 1, rs.text("TIPO"))
                .number(56, 14, rs.text("CGC"), QStringLiteral("CGC do responsável"))
                .text(70, 30, rs.text("NOME"))
                .text(100, 20, rs.text("CONTATO"))
                .text(120, 50, rs.text("ENDERECO"))
                .text(170, 20, rs.text("BAIRRO"))
                .number(190, 8, OnlyDigits(rs.text("CEP")), QStringLiteral("CEP do responsável"))
                .text(198, 20, rs.text("CIDADE"))
                .text(218, 2, rs.text("UF"))
                .number(220, 12, OnlyDigits(rs.text("DDDFONE").trimmed() + rs.text("FONE").trimmed()),
                        QStringLiteral("Telefone do responsável"))
                .text(232, 60, rs.text("E_MAIL"))
                .literal(292, anoMes)
                .literal(298, o.collectionCode);
            QString fgts;
            const bool group2 = code({"903", "904", "905", "907", "908", "909", "910", "911", "211"}) ||
                                currentSheet == QLatin1String("D");
            if (code({"640", "145", "345"}))
                fgts = QStringLiteral("2");
            else if (group2)
                fgts = QStringLiteral(" ");
            else
                fgts = o.fgtsIndicator;
            r.text(301, 1, fgts);
            if (code({"640", "145", "345"}))
                r.blanks(302, 1);
            else if (group2)
                r.text(302, 1, currentSheet == QLatin1String("D") ? QStringLiteral("1") : QString());
            else if (code({"307", "317", "327", "337"}))
                r.literal(302, QStringLiteral("1"));
            else
                r.text(302, 1, o.modality);
            if (code({"640", "145", "345"}) || fgts == QLatin1String("2"))
                r.date(303, 8, o.fgtsDate);
            else
                r.blanks(303, 8);
            const QString inss = anoMes < QLatin1String("199810") || code({"145", "317", "337", "345", "640", "660", "911"})
                                     ? QStringLiteral("3")
                                     : o.inssIndicator;
            r.text(311, 1, inss);
            if (inss == QLatin1String("2"))
                r.date(312, 8, o.inssDate);
            else
                r.blanks(312, 8);
            r.blanks(320, 7).literal(327, QStringLiteral("1")).literal(328, SupplierCnpj).blanks(342, 18);
            out.write(r);
        }

        // 6. and 7.
        std::vector<std::unique_ptr<Transaction>> registers;
        for (const SefipCompany& company : o.companies) {
            Database& db = *company.db;
            const QString inCompany = QStringLiteral(" na empresa ") + company.name;
            auto b = Table(db, QStringLiteral("Filial")).find({o.branchCode});
            if (!b) {
                ui_.message(MessageKind::Warning, QStringLiteral("Filial não encontrada ") + inCompany);
                continue;
            }
            const QString tipo = b->text("TIPO_FOL").trimmed();
            QString skip;
            if (tipo == QLatin1String("E"))
                skip = QStringLiteral("tipo folha igual a E");
            else if (b->text("COD_RFGTS").trimmed() != o.collectionCode)
                skip = QStringLiteral("código de recolhimento %1").arg(b->text("COD_RFGTS").trimmed());
            else if (b->text("MODALIDADE").trimmed() != o.modality.trimmed())
                skip = QStringLiteral("modalidade %1").arg(b->text("MODALIDADE").trimmed());
            else if (MonthOf(b->date("DATA_FOLHA")) != typedComp)
                skip = QStringLiteral("competência %1").arg(MonthOf(b->date("DATA_FOLHA")));
            else if (tipo != o.sheet)
                skip = QStringLiteral("tipo de folha %1").arg(tipo);
            if (!skip.isEmpty()) {
                ui_.log(QStringLiteral("Empresa não incluída (%1):").arg(skip) + inCompany);
                continue;
            }
            registers.push_back(std::make_unique<Transaction>(db));
            CompanyBlock block(o, company, *b, out, ui_);
            block.write();
            ++result.companiesWritten;
        }

        // The closing record of the layout.
        GovRecord end(QStringLiteral("90"), QString());
        end.fill(3, 51, QChar('9')).blanks(54, 306);
        out.write(end);
        out.commit();
        for (auto& t : registers) t->commit();
        result.written = true;
        result.records = out.counts();
        ui_.message(MessageKind::Information, QStringLiteral("Arquivo gerado com sucesso!"));
    } catch (const GovFileStop& stop) {
        ui_.message(MessageKind::Error, stop.message());
    }
    return result;
}

} // namespace folha::gov
