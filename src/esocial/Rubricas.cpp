#include "Rubricas.h"

#include "DbError.h"
#include "Registry.h"

#include <QSqlQuery>

namespace folha::esocial {

bool Rubrica::complete() const {
    return nature.size() == 4 && type >= 1 && type <= 4 && !incCP.isEmpty() && !incIRRF.isEmpty() && !incFGTS.isEmpty();
}

RubricaMap::RubricaMap(Database& db) {
    auto q = db.exec(QStringLiteral(
        "SELECT HCODIGO, HNOME, ESNATRUB, ESTPRUB, ESINCCP, ESINCIRRF, ESINCFGTS FROM HISTFP ORDER BY HCODIGO"));
    while (q.next()) {
        Rubrica r;
        r.code = q.value(0).toString().trimmed();
        r.name = q.value(1).toString().trimmed();
        r.nature = q.value(2).toString().trimmed();
        r.type = q.value(3).toInt();
        r.incCP = q.value(4).toString().trimmed();
        r.incIRRF = q.value(5).toString().trimmed();
        r.incFGTS = q.value(6).toString().trimmed();
        rows_.insert(r.code, r);
    }
}

const Rubrica* RubricaMap::find(const QString& code) const {
    auto it = rows_.find(code.trimmed());
    return it == rows_.end() ? nullptr : &*it;
}

void RubricaMap::requireAll(const QStringList& codes) const {
    QStringList missing;
    for (const QString& c : codes) {
        const Rubrica* r = find(c);
        QString named = r ? QStringLiteral("%1 - %2").arg(r->code, r->name) : c.trimmed();
        if ((!r || !r->complete()) && !missing.contains(named)) missing << named;
    }
    if (missing.isEmpty()) return;
    throw UserError(QStringLiteral("Históricos sem o mapeamento do eSocial (natureza, tipo e incidências): %1. "
                                   "Complete-os na página \"eSocial\" do cadastro de Históricos.")
                        .arg(missing.join(QStringLiteral(", "))));
}

const Rubrica& RubricaMap::require(const QString& code) const {
    requireAll({code});
    return *find(code);
}

// --- The proposal ----------------------------------------------------------
//
// Codes of the eSocial tables, layout S-1.3 ("Leiautes do eSocial versão
// S-1.3 — Tabelas", gov.br/esocial):
// - natRubr, Tabela 03 (Natureza das Rubricas da Folha de Pagamento), as
//   the notes below each code name it;
// - codIncCP and codIncFGTS: the enumerations of evtTabRubrica.xsd (S-1.3),
//   with the descriptions the schema gives each value;
// - codIncIRRF (Tabela 21): 9 "verba transitada pela folha de natureza
//   diversa de rendimento ou retenção/isenção/dedução de IR", 11/12/13
//   rendimento tributável mensal/13º salário/férias, 31/32/33 retenção do
//   IRRF mensal/13º/férias, 41/42 Previdência Social Oficial mensal/13º,
//   79 outras isenções — as evtIrrfBenef.xsd (S-5002, S-1.3) relates each
//   code to its tpInfoIR.

namespace {

// Tabela 03 codes used by the proposal.
namespace nat {
constexpr const char* Salary = "1000";            // Salário, vencimento, soldo
constexpr const char* Overtime = "1003";          // Horas extraordinárias
constexpr const char* Dsr = "1012";               // Descanso semanal remunerado - DSR e feriado
constexpr const char* Vacation = "1016";          // Férias
constexpr const char* VacationThird = "1017";     // Terço constitucional de férias
constexpr const char* VacationSale = "1023";      // Férias - Abono pecuniário
constexpr const char* VacationDouble = "1024";    // Férias - Dobro na vigência do contrato
constexpr const char* OtherSalary = "1099";       // Outras verbas salariais
constexpr const char* Insalubrity = "1202";       // Adicional de insalubridade
constexpr const char* Hazard = "1203";            // Adicional de periculosidade
constexpr const char* Night = "1205";             // Adicional noturno
constexpr const char* Seniority = "1206";         // Adicional por tempo de serviço
constexpr const char* Commissions = "1207";       // Comissões, porcentagens, produção
constexpr const char* Bonus = "1211";             // Gratificações
constexpr const char* FamilyAllowance = "1409";   // Salário-família
constexpr const char* BirthAid = "1411";          // Auxílio-natalidade
constexpr const char* OtherAid = "1899";          // Outros auxílios
constexpr const char* Prizes = "2501";            // Prêmios
constexpr const char* ShortBalance = "2930";      // Insuficiência de saldo
constexpr const char* Rounding = "2999";          // Arredondamentos
constexpr const char* Maternity = "4050";         // Salário-maternidade
constexpr const char* Thirteenth = "5001";        // 13º salário
constexpr const char* Advance = "5501";           // Adiantamento de salário
constexpr const char* ThirteenthAdvance = "5504"; // 13º salário - Adiantamento
constexpr const char* BalanceOnTermination = "6000"; // Saldo de salários na rescisão contratual
constexpr const char* ThirteenthNotice = "6001";  // 13º salário relativo ao aviso prévio indenizado
constexpr const char* ThirteenthTermination = "6002"; // 13º salário proporcional na rescisão
constexpr const char* NoticeIndemnity = "6003";   // Indenização compensatória do aviso prévio
constexpr const char* VacationProportional = "6006"; // Férias proporcionais
constexpr const char* VacationDue = "6007";       // Férias vencidas na rescisão
constexpr const char* FgtsFine = "6101";          // Indenização compensatória - Multa rescisória 20 ou 40% (CF/88)
constexpr const char* AdvanceDiscount = "9200";   // Desconto de adiantamentos
constexpr const char* SocialSecurity = "9201";    // Contribuição previdenciária
constexpr const char* IncomeTax = "9203";         // Imposto de Renda Retido na Fonte
constexpr const char* Absences = "9207";          // Faltas
constexpr const char* Late = "9208";              // Atrasos
constexpr const char* DsrOnAbsences = "9211";     // DSR sobre faltas
constexpr const char* Alimony = "9213";           // Pensão alimentícia
constexpr const char* ThirteenthAdvanceDiscount = "9214"; // 13° salário - Desconto de adiantamento
constexpr const char* TransportDiscount = "9216"; // Desconto de vale-transporte
constexpr const char* UnionFee = "9231";          // Mensalidade sindical ou associativa
constexpr const char* LifeInsurance = "9250";     // Seguro de vida - Desconto
constexpr const char* PayrollLoan = "9254";       // Empréstimos consignados - Desconto
constexpr const char* EmployerLoan = "9255";      // Empréstimos do empregador - Desconto
constexpr const char* Agreements = "9258";        // Convênios
constexpr const char* OtherDiscounts = "9299";    // Outros descontos
constexpr const char* InssBase = "9901";          // Base de cálculo da contribuição previdenciária
constexpr const char* FgtsBase = "9902";          // Total da base de cálculo do FGTS
constexpr const char* IrrfBase = "9903";          // Total da base de cálculo do IRRF
constexpr const char* FgtsDeposit = "9908";       // FGTS - Depósito
constexpr const char* OtherInformation = "9989";  // Outros valores informativos
} // namespace nat

// The nature of the roles the payroll gives an event (FIXAOCOR codes, as
// the calculation reads them).
struct RoleNature {
    int from, to;
    const char* nature;
};
const RoleNature roleNatures[] = {
    {1, 2, nat::Insalubrity}, {37, 37, nat::Insalubrity}, {93, 94, nat::Insalubrity},
    {42, 42, nat::Hazard}, {63, 65, nat::Hazard}, {95, 96, nat::Hazard},
    {4, 6, nat::Dsr}, {8, 8, nat::Dsr}, {79, 79, nat::Dsr},
    {41, 41, nat::VacationThird}, {9, 9, nat::VacationDue}, {10, 10, nat::VacationProportional},
    {74, 74, nat::Thirteenth}, {11, 11, nat::FamilyAllowance},
    {12, 12, nat::SocialSecurity}, {14, 14, nat::SocialSecurity},
    {13, 13, nat::InssBase}, {15, 15, nat::InssBase}, {30, 30, nat::InssBase}, {49, 49, nat::InssBase}, {62, 62, nat::InssBase},
    {16, 16, nat::IncomeTax}, {18, 18, nat::IncomeTax}, {20, 20, nat::IncomeTax},
    {17, 17, nat::IrrfBase}, {19, 19, nat::IrrfBase}, {21, 21, nat::IrrfBase},
    {34, 36, nat::OtherInformation},
    {31, 31, nat::FgtsBase}, {75, 75, nat::FgtsBase}, {32, 32, nat::FgtsDeposit}, {67, 67, nat::FgtsDeposit},
    {50, 50, nat::FgtsFine},
    {22, 22, nat::OtherDiscounts}, {24, 24, nat::OtherDiscounts}, {60, 60, nat::OtherDiscounts}, {70, 70, nat::OtherDiscounts},
    {23, 23, nat::ShortBalance}, {25, 25, nat::Rounding},
    {26, 28, nat::OtherInformation}, {55, 55, nat::OtherInformation}, {57, 58, nat::OtherInformation},
    {77, 78, nat::OtherInformation}, {38, 38, nat::OtherInformation}, {73, 73, nat::OtherInformation},
    {100, 100, nat::OtherInformation},
    {43, 43, nat::Advance}, {53, 53, nat::AdvanceDiscount},
    {69, 69, nat::UnionFee}, {72, 72, nat::UnionFee}, {76, 76, nat::TransportDiscount},
    {80, 80, nat::Commissions}, {81, 81, nat::BalanceOnTermination}, {61, 61, nat::ThirteenthNotice},
    {45, 45, nat::ThirteenthTermination}, {46, 46, nat::NoticeIndemnity}, {47, 47, nat::VacationDue},
    {48, 48, nat::VacationProportional}, {51, 51, nat::Vacation}, {68, 68, nat::VacationSale},
    {54, 54, nat::Absences}, {52, 52, nat::Thirteenth}, {59, 59, nat::ThirteenthAdvance},
    {66, 66, nat::ThirteenthAdvanceDiscount},
    {92, 92, nat::OtherSalary}, {90, 90, nat::Night}, {91, 91, nat::OtherSalary}, {97, 98, nat::Overtime},
    {601, 603, nat::Overtime}, {604, 605, nat::Night}, {701, 701, nat::Bonus}, {702, 702, nat::Commissions},
    // The averages of variable pay: hours, amounts and commissions of each item.
    {551, 555, nat::Vacation}, {751, 752, nat::Vacation}, {201, 202, nat::Vacation},
    {561, 565, nat::Thirteenth}, {781, 782, nat::Thirteenth}, {203, 204, nat::Thirteenth},
    {501, 505, nat::ThirteenthNotice}, {761, 762, nat::ThirteenthNotice},
    {511, 515, nat::ThirteenthTermination}, {763, 764, nat::ThirteenthTermination}, {107, 108, nat::ThirteenthTermination},
    {521, 525, nat::NoticeIndemnity}, {765, 766, nat::NoticeIndemnity}, {105, 106, nat::NoticeIndemnity},
    {531, 535, nat::VacationDue}, {767, 768, nat::VacationDue}, {103, 104, nat::VacationDue},
    {541, 545, nat::VacationProportional}, {769, 770, nat::VacationProportional}, {101, 102, nat::VacationProportional},
};

QString roleNature(const QString& role) {
    if (role == QLatin1String("HISTSALMAT")) return QString::fromLatin1(nat::Maternity);
    if (role == QLatin1String("HISTAUXNAT")) return QString::fromLatin1(nat::BirthAid);
    bool ok = false;
    const int n = role.toInt(&ok);
    if (!ok) return {};
    for (const RoleNature& r : roleNatures)
        if (n >= r.from && n <= r.to) return QString::fromLatin1(r.nature);
    return {};
}

// Discount natures are 92xx and 69xx; information 99xx; the others are paid.
bool discountNature(const QString& n) { return n.startsWith(QLatin1String("92")) || n.startsWith(QLatin1String("69")); }
bool informationNature(const QString& n) { return n.startsWith(QLatin1String("99")) || n == QLatin1String(nat::FgtsFine); }
bool fits(const QString& nature, int prodesc) {
    if (prodesc == 1) return !discountNature(nature) && !informationNature(nature);
    if (prodesc == 0) return discountNature(nature);
    return informationNature(nature);
}

// The event's name in capitals without accents, for the keywords.
QString plainName(const QString& name) {
    QString s = name.normalized(QString::NormalizationForm_D).toUpper();
    QString out;
    for (QChar c : s)
        if (c.category() != QChar::Mark_NonSpacing) out += c;
    return out.simplified();
}

struct Keyword {
    const char* words; // every word of the list (separated by '+') must be in the name
    const char* nature;
};
// In order: the first that matches names the nature.
const Keyword earningWords[] = {
    {"SALDO+SALARIO", nat::BalanceOnTermination}, {"SALARIO FAMILIA", nat::FamilyAllowance},
    {"MATERNIDADE", nat::Maternity}, {"NATALIDADE", nat::BirthAid},
    {"13+AVISO", nat::ThirteenthNotice}, {"AVISO", nat::NoticeIndemnity},
    {"1/3+VENC", nat::VacationDue}, {"1/3+PROP", nat::VacationProportional}, {"1/3+FERIAS", nat::VacationThird},
    {"ABONO PECUNIARIO", nat::VacationSale}, {"FERIAS EM DOBRO", nat::VacationDouble},
    {"FER+VENC", nat::VacationDue}, {"FER+PROP", nat::VacationProportional}, {"FERIAS", nat::Vacation},
    {"1A PARCELA 13", nat::ThirteenthAdvance}, {"13+PROP", nat::ThirteenthTermination}, {"13 SAL", nat::Thirteenth},
    {"DSR", nat::Dsr}, {"EXTRA", nat::Overtime}, {"NOTURN", nat::Night},
    {"INSALUBRIDADE", nat::Insalubrity}, {"PERICULOSIDADE", nat::Hazard}, {"COMISS", nat::Commissions},
    {"GRATIFICA", nat::Bonus}, {"ANUENIO", nat::Seniority}, {"QUINQUENIO", nat::Seniority},
    {"TEMPO DE SERVICO", nat::Seniority}, {"ADIANTAMENTO", nat::Advance}, {"ARREDONDAMENTO", nat::Rounding},
    {"SALARIO", nat::Salary},
};
const Keyword discountWords[] = {
    {"INSS", nat::SocialSecurity}, {"IRRF", nat::IncomeTax}, {"DSR", nat::DsrOnAbsences}, {"FALTA", nat::Absences},
    {"ATRASO", nat::Late}, {"VALE TRANSPORTE", nat::TransportDiscount}, {"SINDICA", nat::UnionFee},
    {"ASSOCIATIVA", nat::UnionFee}, {"CONVENIO", nat::Agreements}, {"CONSIGNADO", nat::PayrollLoan},
    {"EMPRESTIMO", nat::EmployerLoan}, {"SEGURO DE VIDA", nat::LifeInsurance}, {"PENSAO", nat::Alimony},
    {"1A PARCELA 13", nat::ThirteenthAdvanceDiscount}, {"ADIANTAMENTO", nat::AdvanceDiscount},
};
const Keyword informationWords[] = {
    {"BASE+INSS", nat::InssBase}, {"BASE+FGTS", nat::FgtsBase}, {"BASE+IRRF", nat::IrrfBase}, {"FGTS", nat::FgtsDeposit},
};

template <size_t N>
QString byKeyword(const QString& name, const Keyword (&words)[N]) {
    for (const Keyword& k : words) {
        bool all = true;
        for (const QString& w : QString::fromLatin1(k.words).split(QLatin1Char('+')))
            all = all && name.contains(w);
        if (all) return QString::fromLatin1(k.nature);
    }
    return {};
}

} // namespace

QStringList RolesOf(Database& db, const QString& code) {
    QStringList roles;
    const QString c = code.trimmed();
    auto q = db.exec(QStringLiteral("SELECT FCODIGO FROM FIXAOCOR WHERE FHISTORICO = ? ORDER BY FCODIGO"), {c});
    while (q.next()) roles << q.value(0).toString().trimmed();
    auto b = db.exec(QStringLiteral("SELECT HISTAUXNAT, HISTSALMAT FROM Filial ORDER BY CODIGO"));
    while (b.next()) {
        if (b.value(0).toString().trimmed() == c && !roles.contains(QStringLiteral("HISTAUXNAT"))) roles << QStringLiteral("HISTAUXNAT");
        if (b.value(1).toString().trimmed() == c && !roles.contains(QStringLiteral("HISTSALMAT"))) roles << QStringLiteral("HISTSALMAT");
    }
    return roles;
}

RubricaFacts FactsOf(Database& db, const QString& code) {
    RubricaFacts f;
    f.code = code.trimmed();
    auto q = db.exec(QStringLiteral("SELECT HNOME, HPRODESC, HFLAGINPS, HFLAGIRRF, HFLAGFGTS FROM HISTFP WHERE HCODIGO = ?"), {f.code});
    if (!q.next()) throw UserError(QStringLiteral("Histórico %1 não cadastrado.").arg(f.code));
    f.name = q.value(0).toString().trimmed();
    f.prodesc = q.value(1).isNull() ? 2 : q.value(1).toInt();
    f.inps = q.value(2).toInt();
    f.irrf = q.value(3).toInt();
    f.fgts = q.value(4).toInt();
    f.roles = RolesOf(db, f.code);
    return f;
}

Rubrica ProposeRubrica(const RubricaFacts& f) {
    Rubrica r;
    r.code = f.code;
    r.name = f.name;
    const bool earning = f.prodesc == 1;
    const bool discount = f.prodesc == 0;
    const bool information = !earning && !discount;
    auto plays = [&](const char* role) { return f.roles.contains(QLatin1String(role)); };

    // The nature: the roles first, then the name, then the generic code of its kind.
    for (const QString& role : f.roles) {
        const QString n = roleNature(role);
        if (!n.isEmpty() && fits(n, f.prodesc)) {
            r.nature = n;
            break;
        }
    }
    const QString name = plainName(f.name);
    if (r.nature.isEmpty())
        r.nature = earning ? byKeyword(name, earningWords) : discount ? byKeyword(name, discountWords) : byKeyword(name, informationWords);
    if (r.nature.isEmpty())
        r.nature = QString::fromLatin1(earning ? (f.inps > 0 ? nat::OtherSalary : nat::OtherAid)
                                       : discount ? nat::OtherDiscounts
                                                  : nat::OtherInformation);
    r.type = earning ? 1 : discount ? 2 : 3;

    const QString& n = r.nature;
    const bool notice = n == QLatin1String(nat::NoticeIndemnity);
    const bool thirteenthNotice = n == QLatin1String(nat::ThirteenthNotice);
    if (information) {
        // Bases, totals and counts: reported for information, subject to nothing.
        r.incCP = QStringLiteral("00");      // Não é base de cálculo
        r.incIRRF = QStringLiteral("9");     // verba de natureza diversa de rendimento
        r.incFGTS = QStringLiteral("00");    // Não é base de cálculo do FGTS
        return r;
    }
    if (n == QLatin1String(nat::SocialSecurity)) {
        const bool thirteenth = plays("014") || (!plays("012") && f.inps == 2);
        r.incCP = thirteenth ? QStringLiteral("32") : QStringLiteral("31"); // contribuição descontada do segurado: mensal / 13º
        r.incIRRF = thirteenth ? QStringLiteral("42") : QStringLiteral("41"); // dedução PSO: mensal / 13º
        r.incFGTS = QStringLiteral("00");
        return r;
    }
    if (n == QLatin1String(nat::IncomeTax)) {
        const bool thirteenth = plays("018") || (!plays("016") && !plays("020") && f.irrf == 2);
        r.incCP = QStringLiteral("00");
        r.incIRRF = thirteenth ? QStringLiteral("32") : QStringLiteral("31"); // retenção: mensal / 13º
        r.incFGTS = QStringLiteral("00");
        return r;
    }

    // Social security, from the flag the calculation reads: 1 and 3 enter
    // the month's base, 2 the 13th salary's, 4 only the termination's
    // amounts that are not salary of contribution.
    if (n == QLatin1String(nat::Maternity))
        r.incCP = QStringLiteral("21"); // Salário-maternidade mensal, pago pelo empregador
    else if (n == QLatin1String(nat::FamilyAllowance))
        r.incCP = QStringLiteral("51"); // Outros: salário-família
    else if (f.inps == 1 || f.inps == 3)
        r.incCP = QStringLiteral("11"); // Base de cálculo das contribuições sociais - mensal
    else if (f.inps == 2 || (f.inps == 4 && thirteenthNotice))
        r.incCP = QStringLiteral("12"); // 13º salário
    else
        r.incCP = QStringLiteral("00");

    // IRRF: the month (and the termination, taxed as a month), the 13th
    // salary and the vacation; an earning taxed by none is exempt, a
    // discount taxed by none is of another nature.
    if (f.irrf == 1 || f.irrf == 4)
        r.incIRRF = QStringLiteral("11");
    else if (f.irrf == 2)
        r.incIRRF = QStringLiteral("12");
    else if (f.irrf == 3)
        r.incIRRF = QStringLiteral("13");
    else if (earning && n != QLatin1String(nat::Advance) && n != QLatin1String(nat::ThirteenthAdvance))
        r.incIRRF = QStringLiteral("79"); // outras isenções
    else
        r.incIRRF = QStringLiteral("9");

    // FGTS: the month's base takes the events outside the termination (flag
    // 4); of those, the termination keeps the indemnified notice and its 13th salary.
    const bool noticeByName = name.contains(QLatin1String("AVISO"));
    if (f.fgts <= 0)
        r.incFGTS = QStringLiteral("00");
    else if (f.inps == 4 && (thirteenthNotice || (noticeByName && name.contains(QLatin1String("13")))))
        r.incFGTS = QStringLiteral("12"); // Base de cálculo do FGTS 13° salário
    else if (f.inps == 4 && (notice || noticeByName))
        r.incFGTS = QStringLiteral("21"); // Base de cálculo do FGTS aviso prévio indenizado
    else if (f.inps == 4)
        r.incFGTS = QStringLiteral("00");
    else if (f.inps == 2)
        r.incFGTS = QStringLiteral("12");
    else
        r.incFGTS = QStringLiteral("11"); // Base de cálculo do FGTS mensal
    return r;
}

Rubrica ProposeRubrica(Database& db, const QString& code) { return ProposeRubrica(FactsOf(db, code)); }

int ProposeMissingRubricas(Database& db) {
    QList<Rubrica> current;
    const RubricaMap map(db);
    for (const Rubrica& r : map.all()) current << r;
    int filled = 0;
    Transaction tx(db);
    for (const Rubrica& r : current) {
        const bool empty = r.nature.isEmpty() || r.type < 1 || r.type > 4 || r.incCP.isEmpty() || r.incIRRF.isEmpty() ||
                           r.incFGTS.isEmpty();
        if (!empty) continue;
        const Rubrica p = ProposeRubrica(db, r.code);
        // Only what is empty is filled: a code the office chose stays.
        db.execWrite(QStringLiteral("UPDATE HISTFP SET ESNATRUB = ?, ESTPRUB = ?, ESINCCP = ?, ESINCIRRF = ?, ESINCFGTS = ? "
                                    "WHERE HCODIGO = ?"),
                     {r.nature.isEmpty() ? p.nature : r.nature, (r.type >= 1 && r.type <= 4) ? r.type : p.type,
                      r.incCP.isEmpty() ? p.incCP : r.incCP, r.incIRRF.isEmpty() ? p.incIRRF : r.incIRRF,
                      r.incFGTS.isEmpty() ? p.incFGTS : r.incFGTS, r.code});
        ++filled;
    }
    tx.commit();
    return filled;
}

} // namespace folha::esocial
