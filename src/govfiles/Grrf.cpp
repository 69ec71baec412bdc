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

} // namespace

GrrfRun::GrrfRun(Database& current, UserInterface& ui) : current_(current), ui_(ui) {}

GovFileResult GrrfRun::run(const GrrfOptions& o) {
    GovFileResult result;
    result.path = o.outputPath;
    try {
        // 1. The run's register of companies sent starts empty; it is kept
        // only when the file is written.
        Transaction registerOfRun(current_);
        Table grrf(current_, QStringLiteral("grrf"));
        grrf.removeWhere(QStringLiteral("1 = 1"), {});
        ReadFixedOccurrences(current_, startOccurrences, ui_);
        auto branch = Table(current_, QStringLiteral("Filial")).find({o.branchCode});
        if (!branch || !branch->date("DATA_FOLHA").isValid())
            throw GovFileStop(QStringLiteral("Filial %1 não cadastrada ou sem data da folha").arg(o.branchCode));
        const QString sheet = branch->text("TIPO_FOL").trimmed();
        if (sheet != QLatin1String("F")) throw GovFileStop(QStringLiteral("Folha não é do tipo F"));
        // 2.
        const QDate payrollDate = branch->date("DATA_FOLHA");
        const QString comp = MonthOf(payrollDate);
        const QString previous = MonthOf(payrollDate.addDays(-32));
        // 3.
        if (o.responsible.trimmed().isEmpty()) throw GovFileStop(QStringLiteral("Preencher codigo responsavel"));
        const QString responsibleCode = ZeroCode(o.responsible, 3);
        auto responsible = Table(current_, QStringLiteral("RESPONSA")).find({responsibleCode});
        if (!responsible) ui_.message(MessageKind::Warning, QStringLiteral("Empresa responsavel Nao Cadastrada"));
        const QString withdrawal = o.withdrawalCode.trimmed();
        if (withdrawal.size() > 3)
            throw GovFileStop(QStringLiteral("O Código Saque tem no máximo 3 posições: %1").arg(withdrawal));
        // 4.
        if (!ConfirmOverwrite(SystemPath, o.outputPath, ui_)) return result;
        GovOutput out(o.outputPath);
        if (comp.left(4).toInt() < 1967) throw GovFileStop(QStringLiteral("Competencia menor que 1967"));

        // 5. Record 00.
        {
            Record rs = responsible ? *responsible : Table(current_, QStringLiteral("RESPONSA")).newRecord();
            GovRecord r(QStringLiteral("00"), QStringLiteral("do responsável %1").arg(responsibleCode));
            r.blanks(3, 51)
                .literal(54, QStringLiteral("2"))
                .text(55, 1, rs.text("TIPO"))
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
                .text(232, 60, rs.text("E_MAIL"))
                .date(292, 8, o.collectionDate)
                .blanks(300, 60);
            out.write(r);
        }

        // 6. and 7.
        for (const GovCompany& company : o.companies) {
            Database& db = *company.db;
            const QString inCompany = QStringLiteral(" na empresa ") + company.name;
            Table filial(db, QStringLiteral("Filial"));
            if (filial.count() == 0) continue;
            auto b = filial.find({o.branchCode});
            if (!b) {
                ui_.message(MessageKind::Warning, QStringLiteral("Filial não encontrada ") + inCompany);
                continue;
            }
            const QString tipo = b->text("TIPO_FOL").trimmed();
            if (tipo == QLatin1String("E")) {
                ui_.message(MessageKind::Warning, QStringLiteral("Empresa com tipo folha igual a E ") + inCompany);
                continue;
            }
            if (MonthOf(b->date("DATA_FOLHA")) != comp) {
                ui_.message(MessageKind::Warning,
                            QStringLiteral("Data da folha fora de prazo ") + MonthOf(b->date("DATA_FOLHA")) + inCompany);
                continue;
            }
            if (tipo != sheet) {
                ui_.message(MessageKind::Warning, QStringLiteral("tipo de folha diferente ") + inCompany);
                continue;
            }
            const QHash<QString, QString> occ = ReadFixedOccurrences(db, companyOccurrences, ui_);

            std::vector<Record> employees = Table(db, QStringLiteral("CADFUN")).select();
            std::stable_sort(employees.begin(), employees.end(), [](const Record& a, const Record& b2) {
                const QString pa = PisText(a), pb = PisText(b2);
                if (pa != pb) return pa < pb;
                return a.date("DT_ADMIS") < b2.date("DT_ADMIS");
            });
            // A worker terminated in the competence, with a cause the GRRF takes.
            auto moved = [&](const Record& e) {
                const QDate afast = e.date("DT_AFAST");
                const QString pis = PisText(e);
                const int vinculo = e.integer("VINCULO");
                return afast.isValid() && pis >= o.pisFrom && pis <= o.pisTo && vinculo >= 1 && vinculo <= 7 &&
                       MonthOf(afast) == comp && terminationCause(e.text("CAUS_RESC"));
            };
            if (std::none_of(employees.begin(), employees.end(), moved)) {
                ui_.message(MessageKind::Warning, QStringLiteral("Empresa sem funcionarios com movimento"));
                continue;
            }
            const QString cgc = b->text("CGC").trimmed();
            const QString inscription = InscriptionType(cgc);
            Record row = grrf.newRecord();
            row.set("CGC", cgc.size() <= 12 ? PadLeft(cgc, 14, QChar('0')) : cgc)
                .set("NOME", b->text("NOME").left(40))
                .set("TIPO", inscription);
            grrf.save(row);

            const QString who = QStringLiteral("da empresa %1 - %2").arg(company.code).arg(company.name);
            {
                GovRecord r(QStringLiteral("10"), who);
                r.literal(3, inscription)
                    .number(4, 14, cgc, QStringLiteral("CGC"))
                    .zeros(18, 36)
                    .textLeft(54, 40, b->text("NOME"))
                    .textLeft(94, 50, b->text("FIL_ENDERE"))
                    .textLeft(144, 20, b->text("FIL_BAIRRO"))
                    .number(164, 8, OnlyDigits(b->text("FIL_CEP")), QStringLiteral("FIL_CEP"))
                    .textLeft(172, 20, b->text("FIL_CIDADE"))
                    .text(192, 2, b->text("FIL_ESTADO"))
                    .number(194, 12, OnlyDigits(b->text("FIL_FONE")), QStringLiteral("FIL_FONE"))
                    .number(206, 7, WholeDigits(b->number("COD_CNAE")), QStringLiteral("COD_CNAE"))
                    .text(213, 1, b->text("COD_FPAS").trimmed() == QLatin1String("868") ? QStringLiteral("1")
                                                                                        : b->text("SIMPLES"))
                    .number(214, 3, b->text("COD_FPAS"), QStringLiteral("COD_FPAS"))
                    .blanks(217, 143);
                out.write(r);
            }

            QHash<QString, std::optional<Record>> events;
            Table histfp(db, QStringLiteral("HISTFP"));
            auto event = [&](const QString& code) -> const std::optional<Record>& {
                auto it = events.find(code);
                if (it == events.end()) it = events.insert(code, histfp.find({code}));
                return *it;
            };
            EventSums sums(db);
            Table ocorrenc(db, QStringLiteral("OCORRENC"));
            ui_.progressStart(QStringLiteral("Gerando GRRF: %1").arg(company.name), int(employees.size()));
            int step = 0;
            for (const Record& e : employees) {
                ui_.progressStep(++step);
                if (PisText(e) < o.pisFrom || !moved(e)) continue;
                const QString fun = e.text("CODFUN");
                const bool notice = e.text("FLAG_AVISO").trimmed() == QLatin1String("S");
                const QString inssBase = occ.value(QStringLiteral("013"));
                Fixed baseSum, noticeAmount, notice13, termination;
                ocorrenc.forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND CODFUN = ?"),
                                 {comp.left(4), comp.mid(4, 2), QStringLiteral("F"), fun},
                                 [&](const Record& r) {
                                     const QString h = r.text("HCODIGO");
                                     const auto& info = event(h);
                                     if (!info) {
                                         ui_.message(MessageKind::Warning, QStringLiteral("Historico nao cadastrado ") + h);
                                         return true;
                                     }
                                     const Fixed v = r.number("VALOR");
                                     if (!inssBase.isEmpty() && h == inssBase) baseSum += v;
                                     if (notice) {
                                         if (info->integer("HACUMNOR") != 0) noticeAmount += v;
                                         if (info->integer("HACUM13") != 0) notice13 += v;
                                     }
                                     return true;
                                 });
                termination = baseSum + notice13;
                if (termination.isNegative()) termination = Fixed();
                Fixed previousRemuneration;
                if (o.previousMonth)
                    previousRemuneration =
                        sums.sum(fun, previous.left(4), previous.mid(4, 2), QStringLiteral("F"), inssBase) +
                        sums.sum(fun, previous.left(4), previous.mid(4, 2), QStringLiteral("F"),
                                 occ.value(QStringLiteral("015")));
                const bool indemnified = e.text("FLAG_13I").trimmed() == QLatin1String("S");
                const int alimony = e.integer("SAL_FAM");

                GovRecord r(QStringLiteral("40"),
                            QStringLiteral("do funcionário %1 - %2").arg(fun, e.text("NOME").trimmed()));
                r.literal(3, inscription)
                    .number(4, 14, cgc, QStringLiteral("CGC"))
                    .literal(18, QStringLiteral("0"))
                    .zeros(19, 14)
                    .number(33, 11, PisText(e), QStringLiteral("NR_PIS"))
                    .date(44, 8, e.date("DT_ADMIS"))
                    .number(52, 2, e.integer("VINCULO"), QStringLiteral("VINCULO"))
                    .textLeft(54, 70, e.text("NOME"))
                    .number(124, 7, WholeDigits(e.number("NR_CART")), QStringLiteral("NR_CART"))
                    .number(131, 5, WholeDigits(e.number("SERIE")), QStringLiteral("SERIE"))
                    .literal(136, e.text("SEXO").trimmed() == QLatin1String("M") ? QStringLiteral("1") : QStringLiteral("2"))
                    .number(137, 2, e.integer("INSTRUCAO"), QStringLiteral("INSTRUCAO"))
                    .date(139, 8, e.date("DT_NASC"))
                    .number(147, 2, e.integer("HR_SEMAN"), QStringLiteral("HR_SEMAN"))
                    .number(149, 6, QStringLiteral("00") + PadLeft(WholeDigits(e.number("CBO")), 6, QChar('0')).left(4),
                            QStringLiteral("CBO"))
                    .date(155, 8, e.date("DT_OPCAO"))
                    .textLeft(163, 2, e.text("CAUS_RESC").trimmed())
                    .date(165, 8, e.date("DT_AFAST"))
                    .textLeft(173, 3, withdrawal);
                const bool indicator1 = e.text("FLAG_13I").trimmed() == QLatin1String("N");
                r.literal(176, indicator1 ? QStringLiteral("1") : QStringLiteral("2"));
                if (indicator1)
                    r.date(177, 8, o.noticeDate);
                else
                    r.blanks(177, 8);
                r.literal(185, QStringLiteral("S"))
                    .blanks(186, 8)
                    .zeros(194, 15)
                    .money(209, 15, previousRemuneration, QStringLiteral("Remuneração do mês anterior"))
                    .money(224, 15, termination, QStringLiteral("Remuneração do mês da rescisão"))
                    .money(239, 15, indemnified ? noticeAmount + notice13 : Fixed(), QStringLiteral("Aviso prévio indenizado"));
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
                out.write(r);
            }
            ui_.progressEnd();
            ++result.companiesWritten;
        }

        // 8.
        GovRecord end(QStringLiteral("90"), QString());
        end.fill(3, 51, QChar('9')).blanks(54, 306);
        out.write(end);
        out.commit();
        registerOfRun.commit();
        result.written = true;
        result.records = out.counts();
        if (ConfirmOverwrite(CompanionSystemPath, o.companionPath, ui_)) WriteEmptyFile(o.companionPath);
        ui_.message(MessageKind::Information, QStringLiteral("Arquivo gerado com sucesso!"));
    } catch (const GovFileStop& stop) {
        ui_.message(MessageKind::Error, stop.message());
    }
    return result;
}

} // namespace folha::gov
