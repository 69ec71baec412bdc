// The SEFIP company block: the company's selection and totals, and its
// records 10 and 12, and 20 and 21 of the service takers.
#include "SefipAdditional.h"
#include "SefipBlock.h"

#include "TextRoutines.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace folha::gov {

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

// A period typed as MM/YYYY written as YYYYMM; blanks when not typed.
void period(GovRecord& r, int pos, const QString& typed, const QString& field) {
    const QString p = PeriodOfMonthText(typed, field);
    if (p.isEmpty())
        r.blanks(pos, 6);
    else
        r.number(pos, 6, p, field);
}

// A number typed in the dialog; blanks when not typed.
void typedNumber(GovRecord& r, int pos, int width, const QString& typed, const QString& field) {
    if (typed.trimmed().isEmpty())
        r.blanks(pos, width);
    else
        r.number(pos, width, typed, field);
}

} // namespace

SefipCompanyBlock::SefipCompanyBlock(const SefipOptions& o, const SefipCompany& company, const Record& branch,
                                     GovOutput& out, UserInterface& ui)
    : o_(o), company_(company), db_(*company.db), branch_(branch), out_(out), ui_(ui), sums_(db_) {
    cgc_ = branch.text("CGC").trimmed();
    inscription_ = InscriptionType(cgc_);
    comp_ = MonthOf(branch.date("DATA_FOLHA"));
    year_ = comp_.left(4);
    month_ = comp_.mid(4, 2);
    sheet_ = branch.text("TIPO_FOL").trimmed();
    anoMes_ = sheet_ == QLatin1String("D") ? year_ + QStringLiteral("13") : comp_;
    code_ = o.collectionCode;
    ownerText_ = CompanyOwner(company);
}

GovRecord SefipCompanyBlock::head(const char* type, const QString& who) const {
    GovRecord r(QString::fromLatin1(type), who);
    r.literal(3, inscription_).number(4, 14, cgc_, QStringLiteral("CGC"));
    return r;
}

// The totals and the worker pass read a worker only in the PIS range, or
// with "Recol. Individual." when listed for the competence.
bool SefipCompanyBlock::counts(const SefipEmployeeKey* e) const {
    if (!e) return false;
    if (o_.individual) return listed_.contains(e->code);
    return e->pis >= o_.pisFrom && e->pis <= o_.pisTo;
}

void SefipCompanyBlock::write() {
    occ_ = ReadFixedOccurrences(db_, sefipOccurrences, ui_);
    readEmployees();
    totals();
    registerCompany();
    record10();
    if ((company_.additional || code_ == QLatin1String("904")) && code_ != QLatin1String("150")) record12();
    if (!o_.individual) registrationPass();
    if (code({"150", "151", "155"}))
        takers();
    else
        workerPass();
}

// CADFUN in PIS and admission order, the employee-list file of "Recol.
// Individual." and the workers of the competence's takers.
void SefipCompanyBlock::readEmployees() {
    employees_.clear();
    const QStringList keyFields{QStringLiteral("CODFUN"), QStringLiteral("NR_PIS"), QStringLiteral("CAUS_RESC"),
                                QStringLiteral("DT_ADMIS"), QStringLiteral("ALT_CADAST")};
    Table(db_, QStringLiteral("CADFUN")).forEachOf(keyFields, {}, {}, [&](const Record& e) {
        employees_.push_back({e.text("CODFUN"), PisText(e), e.text("CAUS_RESC").trimmed(), e.date("DT_ADMIS"),
                              e.text("ALT_CADAST").trimmed() == QLatin1String("E")});
        return true;
    });
    std::stable_sort(employees_.begin(), employees_.end(), [](const SefipEmployeeKey& a, const SefipEmployeeKey& b) {
        if (a.pis != b.pis) return a.pis < b.pis;
        return a.admission < b.admission;
    });
    for (int i = 0; i < int(employees_.size()); ++i) byCode_.insert(employees_[i].code, i);
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
}

void SefipCompanyBlock::forEachEmployee(const std::function<bool(const SefipEmployeeKey&)>& wanted,
                                        const std::function<void(const Record&)>& fn) {
    const int pageSize = 200; // keeps a page's statement under every backend's parameter limit
    Table cadfun(db_, QStringLiteral("CADFUN"));
    size_t next = 0;
    while (next < employees_.size()) {
        std::vector<const SefipEmployeeKey*> page;
        QVariantList codes;
        for (; next < employees_.size() && int(page.size()) < pageSize; ++next) {
            if (!wanted(employees_[next])) continue;
            page.push_back(&employees_[next]);
            codes << employees_[next].code;
        }
        if (page.empty()) continue;
        QStringList marks;
        for (int i = 0; i < codes.size(); ++i) marks << QStringLiteral("?");
        const std::vector<Record> rows =
            cadfun.select(QStringLiteral("CODFUN IN (%1)").arg(marks.join(QLatin1Char(','))), codes);
        QHash<QString, int> at;
        for (int i = 0; i < int(rows.size()); ++i) at.insert(rows[i].text("CODFUN"), i);
        for (const SefipEmployeeKey* key : page) {
            auto it = at.constFind(key->code);
            if (it != at.constEnd()) fn(rows[*it]);
        }
    }
}

void SefipCompanyBlock::totals() {
    const QString familyEvent = ev("011");
    const QString maternityEvent = branch_.text("HISTSALMAT").trimmed();
    const bool takerCode = code({"150", "151", "155"});
    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    ocorrenc.forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ?"), {year_, month_, sheet_},
                     [&](const Record& r) {
                         const QString fun = r.text("CODFUN");
                         if (takerWorkers_.contains(fun) != takerCode) return true;
                         auto it = byCode_.constFind(fun);
                         const SefipEmployeeKey* e = it == byCode_.constEnd() ? nullptr : &employees_[*it];
                         if (!counts(e)) return true;
                         const QString h = r.text("HCODIGO");
                         if (!familyEvent.isEmpty() && h == familyEvent) familyTotal_ += r.number("VALOR");
                         if (!maternityEvent.isEmpty() && h == maternityEvent &&
                             e->cause == QLatin1String("Q1"))
                             maternityTotal_ += r.number("VALOR");
                         return true;
                     });
}

// The company sent, in the Sefip register.
void SefipCompanyBlock::registerCompany() {
    Table sefip(db_, QStringLiteral("Sefip"));
    Record row = sefip.newRecord();
    row.set("CGC", PadLeft(cgc_, 14, QChar('0')))
        .set("NOME", branch_.text("NOME").left(40))
        .set("TIPO", cgc_.size() == 14 ? QStringLiteral("1") : QStringLiteral("2"));
    sefip.save(row);
}

void SefipCompanyBlock::record10() {
    const QString fpas = branch_.text("COD_FPAS").trimmed();
    const bool before9810 = anoMes_ < QLatin1String("199810");
    const bool simplesWritten = !(anoMes_ < QLatin1String("199612") || code_ == QLatin1String("640")) &&
                                !(code({"130", "903", "909"}) || OneOf(fpas, {"582", "639", "868"}));
    // The stored SIMPLES is read (and must map) only where the record uses it.
    const bool simplesRead = simplesWritten || !(before9810 || code({"145", "345", "640", "660"}) || OneOf(fpas, {"582", "868"}));
    const QString simples = simplesRead ? SimplesIndicator(branch_, company_) : QString();
    GovRecord r(QStringLiteral("10"), ownerText_);
    r.literal(3, cgc_.size() == 14 ? QStringLiteral("1") : QStringLiteral("2"))
        .number(4, 14, cgc_, QStringLiteral("CGC"))
        .zeros(18, 36);
    CompanyAddress(r, branch_);
    r.literal(206, AddressChangeIndicator(branch_, company_))
        .number(207, 7, WholeDigits(branch_.number("COD_CNAE")), QStringLiteral("COD_CNAE"))
        .literal(214, CnaeChangeIndicator(branch_, company_));
    if (before9810 || code({"145", "345", "640", "660"}))
        r.blanks(215, 2);
    else if (OneOf(fpas, {"604", "647", "868"}))
        r.literal(215, QStringLiteral("00"));
    else
        r.number(215, 2, WholeDigits(branch_.number("PER_GRPS17")).left(2), QStringLiteral("PER_GRPS17"));
    r.literal(217, QStringLiteral("0"));
    if (anoMes_ < QLatin1String("199612") || code_ == QLatin1String("640"))
        r.blanks(218, 1);
    else if (!simplesWritten)
        r.literal(218, QStringLiteral("1"));
    else
        r.literal(218, simples);
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

void SefipCompanyBlock::record12() {
    const SefipAdditionalValues a = company_.additional.value_or(SefipAdditionalValues{});
    const QString claim = QStringLiteral("Periodo Pleito Reclamatoria Trabalhista");
    const QString compensation = QStringLiteral("Periodo Compensacao");
    GovRecord r = head("12", ownerText_);
    r.zeros(18, 36)
        .money(54, 15, a.maternity13Deduction, QStringLiteral("Deducao 13 Salario Licenca Maternidade"))
        .money(69, 15, a.sportsRevenue, QStringLiteral("Receita Evento Desportivo/Patrocinio"))
        .code(84, 1, a.revenueType, RevenueTypeCaption)
        .money(85, 15, a.ruralNaturalPerson, QStringLiteral("Comercial. Producao Rural - Pessoa Fisica"))
        .money(100, 15, a.ruralLegalPerson, QStringLiteral("Comercial. Producao Rural - Pessoa Juridica"));
    typedNumber(r, 115, 11, a.processNumber, QStringLiteral("Processo"));
    typedNumber(r, 126, 4, a.processYear, QStringLiteral("Processo (ano)"));
    typedNumber(r, 130, 5, a.court, QStringLiteral("Vara/JCJ"));
    period(r, 135, a.claimStart, claim);
    period(r, 141, a.claimEnd, claim);
    if (code_ == QLatin1String("150")) {
        r.zeros(147, 27);
    } else {
        r.money(147, 15, a.compensation, QStringLiteral("Compensacao"));
        period(r, 162, a.compensationStart, compensation);
        period(r, 168, a.compensationEnd, compensation);
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
        .blanks(354, 6);
    out_.write(r);
}

void SefipCompanyBlock::takers() {
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
            const std::optional<Record> row = Table(db_, QStringLiteral("CADFUN")).find({fun});
            if (!row) continue;
            const Record& e = *row;
            writtenUnderTaker_.insert(fun);
            SefipWorkerAmounts a = amounts(e);
            a.base = link.number("VALORAFAST");
            if (record30(e, a, &taker)) movements(e, &taker);
        }
    }
}

void SefipCompanyBlock::record20(const Record& taker) {
    const QString who = QStringLiteral("do tomador %1 - %2").arg(taker.text("COD_TOMAD"), taker.text("NOME").trimmed());
    GovRecord r = head("20", who);
    r.code(18, 1, taker.text("TIPO"), QStringLiteral("TIPO do tomador"))
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

void SefipCompanyBlock::record21(const Record& taker) {
    const SefipAdditionalValues& a = *company_.additional;
    const QString who = QStringLiteral("do tomador %1 - %2").arg(taker.text("COD_TOMAD"), taker.text("NOME").trimmed());
    const QString compensation = QStringLiteral("Periodo Compensacao");
    GovRecord r = head("21", who);
    r.code(18, 1, taker.text("TIPO"), QStringLiteral("TIPO do tomador"))
        .number(19, 14, taker.text("CGC"), QStringLiteral("CGC do tomador"))
        .zeros(33, 21)
        .money(54, 15, a.compensation, QStringLiteral("Compensacao"));
    period(r, 69, a.compensationStart, compensation);
    period(r, 75, a.compensationEnd, compensation);
    r.money(81, 15, a.previousInss, QStringLiteral("Recol. Compet.Anterior - Vlr.INSS Folha"))
        .money(96, 15, a.previousOtherEntities, QStringLiteral("Recol. Compet.Anterior - Outras Entid. Folha"))
        .money(111, 15, a.fgtsInstalments, QStringLiteral("Parcelamento FGTS - Categorias 01,02,03 e 05"))
        .money(126, 15, a.fgtsInstalmentsCat4, QStringLiteral("Parcelamento FGTS - Categoria  04"))
        .money(141, 15, a.fgtsInstalmentsTotal, QStringLiteral("Parcelamento FGTS - (Deposito + JAM + Multa)"))
        .blanks(156, 204);
    out_.write(r);
}

} // namespace folha::gov
