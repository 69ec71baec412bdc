// The SEFIP run: the checks of the typed values, the header record (00),
// the companies' blocks and the closing record (90).
#include "Sefip.h"

#include "SefipAdditional.h"
#include "SefipBlock.h"
#include "TextRoutines.h"

#include <QFileInfo>

namespace folha::gov {

const QString SefipRun::SystemPath = QStringLiteral("c:\\CAIXA\\SEFIP\\SEFIP.TXT");
const QString SefipRun::SupplierCnpj = QStringLiteral("11444777000161");

SefipRun::SefipRun(Database& current, UserInterface& ui) : current_(current), ui_(ui) {}

namespace {

// The typed values completed from the current branch; refuses what the file
// cannot take.
struct SefipInputs {
    SefipOptions o;
    QString currentComp, currentSheet, typedComp, anoMes;
};

SefipInputs readInputs(Database& current, const SefipOptions& options) {
    SefipInputs in{options, {}, {}, {}, {}};
    SefipOptions& o = in.o;
    auto branch = Table(current, QStringLiteral("Filial")).find({o.branchCode});
    if (!branch || !branch->date("DATA_FOLHA").isValid())
        throw GovFileStop(QStringLiteral("Filial %1 não cadastrada ou sem data da folha").arg(o.branchCode));
    in.currentComp = MonthOf(branch->date("DATA_FOLHA"));
    in.currentSheet = branch->text("TIPO_FOL").trimmed();
    if (o.sheet.isEmpty()) o.sheet = in.currentSheet;
    o.sheet = o.sheet.left(1);
    in.typedComp = o.competence.trimmed().isEmpty() ? in.currentComp
                                                    : PeriodOfMonthText(o.competence, QStringLiteral("Competência"));
    in.anoMes = in.currentSheet == QLatin1String("D") ? in.currentComp.left(4) + QStringLiteral("13") : in.currentComp;
    o.collectionCode = o.collectionCode.trimmed();
    if (o.collectionCode.size() != 3 || OnlyDigits(o.collectionCode) != o.collectionCode)
        throw GovFileStop(QStringLiteral("Informe o código de recolhimento com 3 dígitos"));
    o.modality = o.modality.left(1);
    o.fgtsIndicator = o.fgtsIndicator.left(1);
    o.inssIndicator = o.inssIndicator.left(1);
    o.remittanceType = o.remittanceType.left(1);
    for (const auto& c : o.companies)
        if (c.additional && c.additional->revenueType.trimmed().isEmpty())
            throw GovFileStop(QStringLiteral("Informe o %1 dos valores adicionais da empresa %2 - %3").arg(RevenueTypeCaption)
                                  .arg(c.code)
                                  .arg(c.name));
    if (o.collectionCode == QLatin1String("906"))
        throw GovFileStop(QStringLiteral("Recolhimento so pode ser cadastrado no SEFIP"));
    return in;
}

// The competence against the collection code.
void checkCompetence(const SefipInputs& in) {
    auto code = [&](std::initializer_list<const char*> list) { return OneOf(in.o.collectionCode, list); };
    const int year = in.anoMes.left(4).toInt();
    const bool month13 = in.anoMes.endsWith(QLatin1String("13"));
    if (year < 1967) throw GovFileStop(QStringLiteral("Ano de Recolhimento Menor que 1967!"));
    if (month13 && year < 1998)
        throw GovFileStop(QStringLiteral("Nao Pode ser informada competencia 13 para ano menor que  1998!"));
    if (month13 && code({"130", "145", "307", "317", "327", "337", "345", "640", "650", "660", "904", "909", "911", "211"}))
        throw GovFileStop(QStringLiteral("Codigo de Recolhimento invalido para a competencia 13!"));
    if (in.anoMes < QLatin1String("199810") && code({"903", "904", "905", "907", "908", "909", "910"}))
        throw GovFileStop(QStringLiteral("Codigo do recolhimento invalido para o mes/ano menor que 10/1998!"));
    if (in.anoMes < QLatin1String("200003") && code({"911"}))
        throw GovFileStop(QStringLiteral("Codigo do recolhimento invalido para esta mes/ano menor que 03/2000!"));
}

GovRecord record00(const SefipInputs& in, const Record& rs, const QString& responsibleCode) {
    const SefipOptions& o = in.o;
    auto code = [&](std::initializer_list<const char*> list) { return OneOf(o.collectionCode, list); };
    GovRecord r(QStringLiteral("00"), QStringLiteral("do responsável %1").arg(responsibleCode));
    r.blanks(3, 51)
        .code(54, 1, o.remittanceType, QStringLiteral("Tipo Remessa"))
        .code(55, 1, rs.text("TIPO"), QStringLiteral("TIPO do responsável"))
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
        .code(232, 60, rs.text("E_MAIL"), QStringLiteral("E_MAIL do responsável"))
        .literal(292, in.anoMes)
        .literal(298, o.collectionCode);
    QString fgts;
    const bool group2 =
        code({"903", "904", "905", "907", "908", "909", "910", "911", "211"}) || in.currentSheet == QLatin1String("D");
    if (code({"640", "145", "345"}))
        fgts = QStringLiteral("2");
    else if (group2)
        fgts = QStringLiteral(" ");
    else
        fgts = o.fgtsIndicator;
    r.code(301, 1, fgts, QStringLiteral("Ind. Recolhimento FGTS"));
    if (code({"640", "145", "345"}))
        r.blanks(302, 1);
    else if (group2)
        r.code(302, 1, in.currentSheet == QLatin1String("D") ? QStringLiteral("1") : QString(), QStringLiteral("Modal"));
    else if (code({"307", "317", "327", "337"}))
        r.literal(302, QStringLiteral("1"));
    else
        r.code(302, 1, o.modality, QStringLiteral("Modal"));
    if (code({"640", "145", "345"}) || fgts == QLatin1String("2"))
        r.date(303, 8, o.fgtsDate);
    else
        r.blanks(303, 8);
    const QString inss = in.anoMes < QLatin1String("199810") || code({"145", "317", "337", "345", "640", "660", "911"})
                             ? QStringLiteral("3")
                             : o.inssIndicator;
    r.code(311, 1, inss, QStringLiteral("Ind. Recol. INSS"));
    if (inss == QLatin1String("2"))
        r.date(312, 8, o.inssDate);
    else
        r.blanks(312, 8);
    r.blanks(320, 7).literal(327, QStringLiteral("1")).literal(328, SefipRun::SupplierCnpj).blanks(342, 18);
    return r;
}

// Why a ticked company is left out of the file; empty when it is written.
QString skipReason(const SefipInputs& in, const Record& b) {
    const QString tipo = b.text("TIPO_FOL").trimmed();
    if (tipo == QLatin1String("E")) return QStringLiteral("tipo folha igual a E");
    if (b.text("COD_RFGTS").trimmed() != in.o.collectionCode)
        return QStringLiteral("código de recolhimento %1").arg(b.text("COD_RFGTS").trimmed());
    if (b.text("MODALIDADE").trimmed() != in.o.modality.trimmed())
        return QStringLiteral("modalidade %1").arg(b.text("MODALIDADE").trimmed());
    if (MonthOf(b.date("DATA_FOLHA")) != in.typedComp)
        return QStringLiteral("competência %1").arg(MonthOf(b.date("DATA_FOLHA")));
    if (tipo != in.o.sheet) return QStringLiteral("tipo de folha %1").arg(tipo);
    return {};
}

} // namespace

GovFileResult SefipRun::run(const SefipOptions& options) {
    GovFileResult result;
    result.path = options.outputPath;
    try {
        const UiRun uiRun(ui_, QStringLiteral("Geração da SEFIP"));
        const SefipInputs in = readInputs(current_, options);
        const SefipOptions& o = in.o;
        const QString responsibleCode = ZeroCode(o.responsible, 3);
        auto responsible = Table(current_, QStringLiteral("RESPONSA")).find({responsibleCode});
        if (!responsible)
            throw GovFileStop(QStringLiteral("Empresa responsavel, ") + responsibleCode + QStringLiteral(" não localizada!"));
        if (!ConfirmOverwrite(SystemPath, o.outputPath, ui_)) return result;
        GovOutput out(o.outputPath);
        checkCompetence(in);
        out.write(record00(in, *responsible, responsibleCode));

        // The registers of the companies sent are kept only with the file.
        std::vector<std::unique_ptr<Transaction>> registers;
        for (const SefipCompany* companyPointer : ByInscription(o.companies, o.branchCode)) {
            const SefipCompany& company = *companyPointer;
            Database& db = *company.db;
            const QString inCompany = QStringLiteral(" na empresa ") + company.name;
            auto b = Table(db, QStringLiteral("Filial")).find({o.branchCode});
            if (!b) {
                ui_.message(MessageKind::Warning, QStringLiteral("Filial não encontrada ") + inCompany);
                continue;
            }
            const QString skip = skipReason(in, *b);
            if (!skip.isEmpty()) {
                ui_.log(QStringLiteral("Empresa não incluída (%1):").arg(skip) + inCompany);
                continue;
            }
            SefipCompany asked = company;
            if (o.askAdditional) {
                asked.additional = o.askAdditional(company);
                if (asked.additional && asked.additional->revenueType.trimmed().isEmpty())
                    throw GovFileStop(QStringLiteral("Informe o %1 dos valores adicionais da empresa %2 - %3").arg(RevenueTypeCaption)
                                          .arg(company.code)
                                          .arg(company.name));
            }
            registers.push_back(std::make_unique<Transaction>(db));
            SefipCompanyBlock block(o, asked, *b, out, ui_);
            block.write();
            ++result.companiesWritten;
        }
        if (!NothingSelected(result.companiesWritten, out, "30", SystemPath, ui_)) {
            GovRecord end(QStringLiteral("90"), QString());
            end.fill(3, 51, QChar('9')).blanks(54, 306);
            out.write(end);
            out.commit();
            for (auto& t : registers) t->commit();
            result.written = true;
            result.records = out.counts();
            if (o.closingNotice) ui_.message(MessageKind::Information, QStringLiteral("Arquivo gerado com sucesso!"));
        }
    } catch (const GovFileStop& stop) {
        ui_.message(MessageKind::Error, stop.message());
    }
    return result;
}

} // namespace folha::gov
