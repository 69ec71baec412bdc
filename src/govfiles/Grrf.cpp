#include "Grrf.h"

#include "GovOutput.h"
#include "TextRoutines.h"

#include <algorithm>

namespace folha::gov {

const QString GrrfRun::SystemPath = QStringLiteral("c:\\CAIXA\\GRRF\\GRRF.TXT");
const QString GrrfRun::CompanionSystemPath = QStringLiteral("c:\\CAIXA\\GRRF\\GRRF.RE");

namespace {

const std::initializer_list<FixedOccurrence> startOccurrences = {
    {"012", "Ocorrencia fixa 012 (Valor INSS Normal) nao existe"},
    {"013", "Ocorrencia fixa 013 (Base INSS Normal) nao existe"},
    {"014", "Ocorrencia fixa 014 (INSS 13 Salario) nao existe"},
    {"015", "Ocorrencia fixa 015 (Vlr Base INSS 13) nao existe"},
    {"031", "Ocorrencia fixa 031 (Vlr Base FGTS) nao existe"},
    {"059", "Ocorrencia fixa 059 (Vlr Base FGTS) nao existe"},
};
const std::initializer_list<FixedOccurrence> companyOccurrences = {
    {"012", "Ocorrencia fixa 012 (Valor INSS Normal) nao existe"},
    {"013", "Ocorrencia fixa 013 (Base INSS Normal) nao existe"},
    {"014", "Ocorrencia fixa 014 (Valor INSS 13) nao existe"},
    {"015", "Ocorrencia fixa 015 (Base INSS 13) nao existe"},
    {"031", "Ocorrencia fixa 031 (Base FGTS 13) nao existe"},
    {"059", "Ocorrencia fixa 059 (Vlr Base FGTS) nao existe"},
};

bool terminationCause(const QString& cause) { return OneOf(cause, {"I1", "I2", "I3", "I4", "L"}); }

// The amounts of one worker's record 40.
struct GrrfWorkerAmounts {
    Fixed previousRemuneration, termination, noticeAmount, notice13;
};

// One run of the file: the checked inputs, the output and the records.
class GrrfWriter {
public:
    GrrfWriter(Database& current, UserInterface& ui, const GrrfOptions& o, GovFileResult& result)
        : current_(current), ui_(ui), o_(o), result_(result) {}

    void run();

private:
    GovRecord record00(const Record& rs) const;
    void companyBlock(const GovCompany& company);
    // A worker terminated in the competence, with a cause the file takes.
    bool moved(const Record& e) const;
    GovRecord record10(const GovCompany& company, const Record& branch) const;
    GrrfWorkerAmounts workerAmounts(const Record& e, const QHash<QString, QString>& occ);
    GovRecord record40(const Record& e, const GrrfWorkerAmounts& a);
    const std::optional<Record>& event(const QString& code);

    Database& current_;
    UserInterface& ui_;
    const GrrfOptions& o_;
    GovFileResult& result_;
    std::unique_ptr<GovOutput> out_;
    std::unique_ptr<Table> grrf_;
    QString sheet_, comp_, previous_, responsibleCode_, withdrawal_;
    // Of the company being written.
    Database* db_ = nullptr;
    QString cgc_, inscription_;
    QHash<QString, std::optional<Record>> events_;
};

void GrrfWriter::run() {
    // 1. The run's register of companies sent starts empty; it is kept
    // only when the file is written.
    Transaction registerOfRun(current_);
    grrf_ = std::make_unique<Table>(current_, QStringLiteral("grrf"));
    grrf_->removeWhere(QStringLiteral("1 = 1"), {});
    ReadFixedOccurrences(current_, startOccurrences, ui_);
    auto branch = Table(current_, QStringLiteral("Filial")).find({o_.branchCode});
    if (!branch || !branch->date("DATA_FOLHA").isValid())
        throw GovFileStop(QStringLiteral("Filial %1 não cadastrada ou sem data da folha").arg(o_.branchCode));
    sheet_ = branch->text("TIPO_FOL").trimmed();
    if (sheet_ != QLatin1String("F")) throw GovFileStop(QStringLiteral("Folha não é do tipo F"));
    // 2.
    const QDate payrollDate = branch->date("DATA_FOLHA");
    comp_ = MonthOf(payrollDate);
    previous_ = MonthOf(payrollDate.addDays(-32));
    // 3. The responsible party and the collection date are required, as
    // the header carries them.
    if (o_.responsible.trimmed().isEmpty()) throw GovFileStop(QStringLiteral("Preencher codigo responsavel"));
    responsibleCode_ = ZeroCode(o_.responsible, 3);
    auto responsible = Table(current_, QStringLiteral("RESPONSA")).find({responsibleCode_});
    if (!responsible) throw GovFileStop(QStringLiteral("Empresa responsavel Nao Cadastrada"));
    if (!o_.collectionDate.isValid()) throw GovFileStop(QStringLiteral("Preencher data recolhimento GRRF"));
    withdrawal_ = o_.withdrawalCode.trimmed();
    if (withdrawal_.size() > 3)
        throw GovFileStop(QStringLiteral("O Código Saque tem no máximo 3 posições: %1").arg(withdrawal_));
    // 4.
    if (!ConfirmOverwrite(GrrfRun::SystemPath, o_.outputPath, ui_)) return;
    out_ = std::make_unique<GovOutput>(o_.outputPath);
    if (comp_.left(4).toInt() < 1967) throw GovFileStop(QStringLiteral("Competencia menor que 1967"));
    // 5.
    out_->write(record00(*responsible));
    // 6. and 7.
    for (const GovCompany* company : ByInscription(o_.companies, o_.branchCode)) companyBlock(*company);
    if (NothingSelected(result_.companiesWritten, *out_, "40", GrrfRun::SystemPath, ui_)) return;
    // 8.
    GovRecord end(QStringLiteral("90"), QString());
    end.fill(3, 51, QChar('9')).blanks(54, 306);
    out_->write(end);
    out_->commit();
    registerOfRun.commit();
    result_.written = true;
    result_.records = out_->counts();
    if (ConfirmOverwrite(GrrfRun::CompanionSystemPath, o_.companionPath, ui_)) WriteEmptyFile(o_.companionPath);
    if (o_.closingNotice) ui_.message(MessageKind::Information, QStringLiteral("Arquivo gerado com sucesso!"));
}

GovRecord GrrfWriter::record00(const Record& rs) const {
    GovRecord r(QStringLiteral("00"), QStringLiteral("do responsável %1").arg(responsibleCode_));
    r.blanks(3, 51)
        .literal(54, QStringLiteral("2"))
        .code(55, 1, rs.text("TIPO"), QStringLiteral("TIPO do responsável"))
        .number(56, 14, rs.text("CGC"), QStringLiteral("CGC do responsável"))
        .text(70, 30, rs.text("NOME"))
        .text(100, 20, rs.text("CONTATO"))
        .text(120, 50, rs.text("ENDERECO"))
        .text(170, 20, rs.text("BAIRRO"))
        .number(190, 8, OnlyDigits(rs.text("CEP")), QStringLiteral("CEP do responsável"))
        .text(198, 20, rs.text("CIDADE"))
        .text(218, 2, rs.text("UF"))
        .number(220, 4, OnlyDigits(rs.text("DDDFONE")), QStringLiteral("DDDFONE do responsável"))
        .number(224, 8, OnlyDigits(rs.text("FONE")), QStringLiteral("FONE do responsável"))
        .code(232, 60, rs.text("E_MAIL"), QStringLiteral("E_MAIL do responsável"))
        .date(292, 8, o_.collectionDate)
        .blanks(300, 60);
    return r;
}

bool GrrfWriter::moved(const Record& e) const {
    const QDate afast = e.date("DT_AFAST");
    const QString pis = PisText(e);
    const int vinculo = e.integer("VINCULO");
    return afast.isValid() && pis >= o_.pisFrom && pis <= o_.pisTo && vinculo >= 1 && vinculo <= 7 &&
           MonthOf(afast) == comp_ && terminationCause(e.text("CAUS_RESC"));
}

void GrrfWriter::companyBlock(const GovCompany& company) {
    Database& db = *company.db;
    const QString inCompany = QStringLiteral(" na empresa ") + company.name;
    Table filial(db, QStringLiteral("Filial"));
    if (filial.count() == 0) return;
    auto b = filial.find({o_.branchCode});
    if (!b) {
        ui_.message(MessageKind::Warning, QStringLiteral("Filial não encontrada ") + inCompany);
        return;
    }
    const QString tipo = b->text("TIPO_FOL").trimmed();
    if (tipo == QLatin1String("E")) {
        ui_.message(MessageKind::Warning, QStringLiteral("Empresa com tipo folha igual a E ") + inCompany);
        return;
    }
    if (MonthOf(b->date("DATA_FOLHA")) != comp_) {
        ui_.message(MessageKind::Warning,
                    QStringLiteral("Data da folha fora de prazo ") + MonthOf(b->date("DATA_FOLHA")) + inCompany);
        return;
    }
    if (tipo != sheet_) {
        ui_.message(MessageKind::Warning, QStringLiteral("tipo de folha diferente ") + inCompany);
        return;
    }
    const QHash<QString, QString> occ = ReadFixedOccurrences(db, companyOccurrences, ui_);

    std::vector<Record> employees = Table(db, QStringLiteral("CADFUN")).select();
    std::stable_sort(employees.begin(), employees.end(), [](const Record& a, const Record& b2) {
        const QString pa = PisText(a), pb = PisText(b2);
        if (pa != pb) return pa < pb;
        return a.date("DT_ADMIS") < b2.date("DT_ADMIS");
    });
    if (std::none_of(employees.begin(), employees.end(), [&](const Record& e) { return moved(e); })) {
        ui_.message(MessageKind::Warning, QStringLiteral("Empresa sem funcionarios com movimento"));
        return;
    }
    cgc_ = b->text("CGC").trimmed();
    inscription_ = InscriptionType(cgc_);
    Record row = grrf_->newRecord();
    row.set("CGC", cgc_.size() <= 12 ? PadLeft(cgc_, 14, QChar('0')) : cgc_)
        .set("NOME", b->text("NOME").left(40))
        .set("TIPO", inscription_);
    grrf_->save(row);
    out_->write(record10(company, *b));

    db_ = &db;
    events_.clear();
    ui_.progressStart(QStringLiteral("Gerando GRRF: %1").arg(company.name), int(employees.size()));
    int step = 0;
    for (const Record& e : employees) {
        StopIfCancelled(ui_);
        ui_.progressStep(++step);
        if (PisText(e) < o_.pisFrom || !moved(e)) continue;
        out_->write(record40(e, workerAmounts(e, occ)));
    }
    ui_.progressEnd();
    ++result_.companiesWritten;
}

GovRecord GrrfWriter::record10(const GovCompany& company, const Record& b) const {
    GovRecord r(QStringLiteral("10"), CompanyOwner(company));
    r.literal(3, inscription_)
        .number(4, 14, cgc_, QStringLiteral("CGC"))
        .zeros(18, 36);
    CompanyAddress(r, b);
    r.number(206, 7, WholeDigits(b.number("COD_CNAE")), QStringLiteral("COD_CNAE"))
        .literal(213, b.text("COD_FPAS").trimmed() == QLatin1String("868") ? QStringLiteral("1")
                                                                          : SimplesIndicator(b, company))
        .number(214, 3, b.text("COD_FPAS"), QStringLiteral("COD_FPAS"))
        .blanks(217, 143);
    return r;
}

const std::optional<Record>& GrrfWriter::event(const QString& code) {
    auto it = events_.find(code);
    if (it == events_.end()) it = events_.insert(code, Table(*db_, QStringLiteral("HISTFP")).find({code}));
    return *it;
}

GrrfWorkerAmounts GrrfWriter::workerAmounts(const Record& e, const QHash<QString, QString>& occ) {
    const QString fun = e.text("CODFUN");
    const bool notice = e.text("FLAG_AVISO").trimmed() == QLatin1String("S");
    const QString inssBase = occ.value(QStringLiteral("013"));
    GrrfWorkerAmounts a;
    Fixed baseSum;
    Table(*db_, QStringLiteral("OCORRENC"))
        .forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?"),
                 {comp_.left(4), comp_.mid(4, 2), QStringLiteral("F"), fun}, [&](const Record& r) {
                     const QString h = r.text("HCODIGO");
                     const auto& info = event(h);
                     if (!info) {
                         ui_.message(MessageKind::Warning, QStringLiteral("Historico nao cadastrado ") + h);
                         return true;
                     }
                     const Fixed v = r.number("VALOR");
                     if (!inssBase.isEmpty() && h == inssBase) baseSum += v;
                     if (notice) {
                         if (info->integer("HACUMNOR") != 0) a.noticeAmount += v;
                         if (info->integer("HACUM13") != 0) a.notice13 += v;
                     }
                     return true;
                 });
    a.termination = baseSum + a.notice13;
    if (a.termination.isNegative()) a.termination = Fixed();
    if (o_.previousMonth) {
        EventSums sums(*db_);
        a.previousRemuneration = sums.sum(fun, previous_.left(4), previous_.mid(4, 2), QStringLiteral("F"), inssBase) +
                                 sums.sum(fun, previous_.left(4), previous_.mid(4, 2), QStringLiteral("F"),
                                          occ.value(QStringLiteral("015")));
    }
    return a;
}

GovRecord GrrfWriter::record40(const Record& e, const GrrfWorkerAmounts& a) {
    const bool indemnified = e.text("FLAG_13I").trimmed() == QLatin1String("S");
    const int alimony = e.integer("SAL_FAM");
    GovRecord r(QStringLiteral("40"), QStringLiteral("do funcionário %1 - %2").arg(e.text("CODFUN"), e.text("NOME").trimmed()));
    r.literal(3, inscription_)
        .number(4, 14, cgc_, QStringLiteral("CGC"))
        .literal(18, QStringLiteral("0"))
        .zeros(19, 14)
        .number(33, 11, PisText(e), QStringLiteral("NR_PIS"))
        .date(44, 8, e.date("DT_ADMIS"))
        .number(52, 2, e.integer("VINCULO"), QStringLiteral("VINCULO"))
        .text(54, 70, e.text("NOME"))
        .number(124, 7, WholeDigits(e.number("NR_CART")), QStringLiteral("NR_CART"))
        .number(131, 5, WholeDigits(e.number("SERIE")), QStringLiteral("SERIE"))
        .literal(136, e.text("SEXO").trimmed() == QLatin1String("M") ? QStringLiteral("1") : QStringLiteral("2"))
        .number(137, 2, e.integer("INSTRUCAO"), QStringLiteral("INSTRUCAO"))
        .date(139, 8, e.date("DT_NASC"))
        .number(147, 2, e.integer("HR_SEMAN"), QStringLiteral("HR_SEMAN"))
        .number(149, 6, QStringLiteral("00") + PadLeft(WholeDigits(e.number("CBO")), 6, QChar('0')).left(4),
                QStringLiteral("CBO"))
        .date(155, 8, e.date("DT_OPCAO"))
        .code(163, 2, e.text("CAUS_RESC"), QStringLiteral("CAUS_RESC"))
        .date(165, 8, e.date("DT_AFAST"))
        .code(173, 3, withdrawal_, QStringLiteral("Código Saque"));
    const bool indicator1 = e.text("FLAG_13I").trimmed() == QLatin1String("N");
    r.literal(176, indicator1 ? QStringLiteral("1") : QStringLiteral("2"));
    if (indicator1)
        r.date(177, 8, o_.noticeDate);
    else
        r.blanks(177, 8);
    r.literal(185, QStringLiteral("S"))
        .blanks(186, 8)
        .zeros(194, 15)
        .money(209, 15, a.previousRemuneration, QStringLiteral("Remuneração do mês anterior"))
        .money(224, 15, a.termination, QStringLiteral("Remuneração do mês da rescisão"))
        .money(239, 15, indemnified ? a.noticeAmount + a.notice13 : Fixed(), QStringLiteral("Aviso prévio indenizado"));
    if (alimony == 0) {
        r.literal(254, QStringLiteral("N")).zeros(255, 5);
    } else {
        const auto& info = event(PadLeft(QString::number(alimony), 3, QChar('0')));
        r.literal(254, QStringLiteral("P"))
            .number(255, 5, info ? RoundValue(0, info->number("HPERC") * 100).truncated() : 0,
                    QStringLiteral("Percentual de pensão alimentícia"));
    }
    r.zeros(260, 15)
        .number(275, 11, WholeDigits(e.number("NR_CPF")), QStringLiteral("NR_CPF"))
        .zeros(286, 3)
        .zeros(289, 4)
        .zeros(293, 13)
        .money(306, 15, e.number("VLR_FGTSBA"), QStringLiteral("VLR_FGTSBA"))
        .blanks(321, 39);
    return r;
}

} // namespace

GrrfRun::GrrfRun(Database& current, UserInterface& ui) : current_(current), ui_(ui) {}

GovFileResult GrrfRun::run(const GrrfOptions& o) {
    GovFileResult result;
    result.path = o.outputPath;
    try {
        const UiRun uiRun(ui_, QStringLiteral("Geração da GRRF"));
        GrrfWriter(current_, ui_, o, result).run();
    } catch (const GovFileStop& stop) {
        ui_.message(MessageKind::Error, stop.message());
    }
    return result;
}

} // namespace folha::gov
