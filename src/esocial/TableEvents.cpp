// S-1000, S-1005, S-1010 and S-1020: the employer, its branches, its
// event chart and its tax allocations.
//
// Each table event is sent once as an inclusion valid from the competence
// it was first generated for; when what it reports changes after it was
// sent, the next generation writes an alteration of the same row, with the
// same identification and the same start of validity.
#include "Generator.h"
#include "TextRoutines.h"

#include "DbError.h"
#include "Rubricas.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>

namespace folha::esocial {

namespace {

// One branch as the table events read it.
struct Branch {
    QString code;
    QString name;
    QString cnpj; // digits
    QString cnae; // digits
    QString fpas;
    QString thirdParties;
    QString classTrib;
    int coop = 0, construction = 0, payrollRelief = 0, electronicRegister = 0;
    QString allocationType;
};

std::vector<Branch> readBranches(Database& db) {
    std::vector<Branch> out;
    auto q = db.exec(QStringLiteral("SELECT CODIGO, NOME, CGC, COD_CNAE, COD_FPAS, COD_GRPS18, ES_CLASSTR, ES_INDCOOP, "
                                    "ES_INDCONS, ES_DESFOLH, ES_REGELET, ES_TPLOTAC FROM Filial ORDER BY CODIGO"));
    while (q.next()) {
        Branch b;
        b.code = q.value(0).toString().trimmed();
        b.name = q.value(1).toString().trimmed();
        b.cnpj = OnlyDigits(q.value(2).toString());
        // COD_CNAE is a number field: its integer digits.
        b.cnae = OnlyDigits(q.value(3).toString().section(QLatin1Char('.'), 0, 0));
        b.fpas = OnlyDigits(q.value(4).toString());
        b.thirdParties = OnlyDigits(q.value(5).toString());
        b.classTrib = OnlyDigits(q.value(6).toString());
        b.coop = q.value(7).toInt();
        b.construction = q.value(8).toInt();
        b.payrollRelief = q.value(9).toInt();
        b.electronicRegister = q.value(10).toInt();
        b.allocationType = OnlyDigits(q.value(11).toString());
        out.push_back(b);
    }
    return out;
}

UserError missing(const Branch& b, const QString& field, const QString& event) {
    return UserError(QStringLiteral("Filial %1 (%2): preencha \"%3\" no cadastro de Filiais (página \"eSocial\" ou "
                                    "\"Encargos\"); o evento %4 do eSocial não pode ser gerado sem ele.")
                         .arg(b.code, b.name, field, event));
}

// The start of validity of a table row: the one of the version kept for the
// subject (an alteration carries the start of the row it alters); a version
// not yet sent may still move back to an earlier competence generated.
QString startOfValidity(Context& ctx, const QString& subject) {
    const QString now = ctx.competence();
    auto latest = ctx.eventRegister().latest(subject);
    if (!latest) return now;
    static const QRegularExpression ini(QStringLiteral("<iniValid>(\\d{4}-\\d{2})</iniValid>"));
    const auto m = ini.match(QString::fromUtf8(latest->xml));
    if (!m.hasMatch()) return now;
    const QString kept = m.captured(1);
    if (ctx.wasSent(subject)) return kept;
    return std::min(kept, now);
}

void writeIdeEvento(EventWriter& w, const Header& h) {
    w.start(QStringLiteral("ideEvento"));
    w.text(QStringLiteral("tpAmb"), QString::number(h.tpAmb));
    w.text(QStringLiteral("procEmi"), QStringLiteral("1"));
    w.text(QStringLiteral("verProc"), h.verProc);
    w.end();
}

Draft draft(Context& ctx, const QString& type, const QString& subject, EventWriter& w) {
    Draft d;
    d.type = type;
    d.subject = subject;
    d.competence = ctx.competence();
    d.xml = w.finish();
    return d;
}

// S-1000: the employer, from its head office branch.
void employerEvent(Context& ctx, const Branch& head, std::vector<Draft>& out) {
    const QString subject = QStringLiteral("S-1000");
    const QString classTrib = head.classTrib;
    if (classTrib.size() != 2) throw missing(head, QStringLiteral("Classificação Tributária (Tabela 08)"), subject);
    const Header h = ctx.headerFor(subject);
    EventWriter w(subject);
    writeIdeEvento(w, h);
    w.ideEmpregador(ctx.employer());
    w.start(QStringLiteral("infoEmpregador"));
    w.start(h.alteration ? QStringLiteral("alteracao") : QStringLiteral("inclusao"));
    w.start(QStringLiteral("idePeriodo"));
    w.text(QStringLiteral("iniValid"), startOfValidity(ctx, subject));
    w.end();
    w.start(QStringLiteral("infoCadastro"));
    w.text(QStringLiteral("classTrib"), classTrib);
    // Cooperative and construction company: only a legal person reports them.
    if (ctx.employer().tpInsc == QLatin1String("1")) {
        w.text(QStringLiteral("indCoop"), QString::number(head.coop));
        w.text(QStringLiteral("indConstr"), QString::number(head.construction));
    }
    w.text(QStringLiteral("indDesFolha"), QString::number(head.payrollRelief));
    w.text(QStringLiteral("indOptRegEletron"), QString::number(head.electronicRegister));
    out.push_back(draft(ctx, subject, subject, w));
}

// S-1005: one establishment per branch with a CNPJ.
void establishmentEvent(Context& ctx, const Branch& b, std::vector<Draft>& out) {
    const QString subject = QStringLiteral("S-1005|%1").arg(b.code);
    if (b.cnpj.size() != 14) throw missing(b, QStringLiteral("Cnpj"), QStringLiteral("S-1005"));
    if (b.cnae.isEmpty() || b.cnae.size() > 7) throw missing(b, QStringLiteral("Cnae"), QStringLiteral("S-1005"));
    const Header h = ctx.headerFor(subject);
    EventWriter w(QStringLiteral("S-1005"));
    writeIdeEvento(w, h);
    w.ideEmpregador(ctx.employer());
    w.start(QStringLiteral("infoEstab"));
    w.start(h.alteration ? QStringLiteral("alteracao") : QStringLiteral("inclusao"));
    w.start(QStringLiteral("ideEstab"));
    w.text(QStringLiteral("tpInsc"), QStringLiteral("1"));
    w.text(QStringLiteral("nrInsc"), b.cnpj);
    w.text(QStringLiteral("iniValid"), startOfValidity(ctx, subject));
    w.end();
    w.start(QStringLiteral("dadosEstab"));
    w.text(QStringLiteral("cnaePrep"), b.cnae.rightJustified(7, QLatin1Char('0')));
    // The RAT rate and the FAP are reported only when they differ from what
    // the law and the government set for the CNAE, backed by a process
    // (procAdmJudRat/procAdmJudFap, S-1070), which the registers do not keep:
    // the group aliqGilrat is left out and the government applies its own.
    w.end();
    out.push_back(draft(ctx, QStringLiteral("S-1005"), subject, w));
}

// S-1020: the branch as the tax allocation of its workers.
void allocationEvent(Context& ctx, const Branch& b, const QString& classTrib, std::vector<Draft>& out) {
    const QString subject = QStringLiteral("S-1020|%1").arg(b.code);
    if (b.fpas.size() != 3) throw missing(b, QStringLiteral("Cod FPAS"), QStringLiteral("S-1020"));
    // Simples Nacional and MEI (classTrib 01 to 04) report third parties as 0000.
    static const QStringList simples = {QStringLiteral("01"), QStringLiteral("02"), QStringLiteral("03"), QStringLiteral("04")};
    QString thirdParties = simples.contains(classTrib) ? QStringLiteral("0000") : b.thirdParties;
    if (thirdParties.isEmpty() || thirdParties.size() > 4)
        throw missing(b, QStringLiteral("Cód. Outras Entidades"), QStringLiteral("S-1020"));
    thirdParties = thirdParties.rightJustified(4, QLatin1Char('0'));
    // Type 01 (Tabela 10): the legal person's own activity, classified for its FPAS.
    const QString type = b.allocationType.isEmpty() ? QStringLiteral("01") : b.allocationType.rightJustified(2, QLatin1Char('0'));
    const Header h = ctx.headerFor(subject);
    EventWriter w(QStringLiteral("S-1020"));
    writeIdeEvento(w, h);
    w.ideEmpregador(ctx.employer());
    w.start(QStringLiteral("infoLotacao"));
    w.start(h.alteration ? QStringLiteral("alteracao") : QStringLiteral("inclusao"));
    w.start(QStringLiteral("ideLotacao"));
    w.text(QStringLiteral("codLotacao"), b.code);
    w.text(QStringLiteral("iniValid"), startOfValidity(ctx, subject));
    w.end();
    w.start(QStringLiteral("dadosLotacao"));
    w.text(QStringLiteral("tpLotacao"), type);
    // The types that name no inscription of their own (evtTabLotacao.xsd:
    // 01, 10, 21, 24, 90, 91, 92); the others take the branch's CNPJ.
    static const QStringList own = {QStringLiteral("01"), QStringLiteral("10"), QStringLiteral("21"), QStringLiteral("24"),
                                    QStringLiteral("90"), QStringLiteral("91"), QStringLiteral("92")};
    if (!own.contains(type)) {
        if (b.cnpj.size() != 14) throw missing(b, QStringLiteral("Cnpj"), QStringLiteral("S-1020"));
        w.text(QStringLiteral("tpInsc"), QStringLiteral("1"));
        w.text(QStringLiteral("nrInsc"), b.cnpj);
    }
    w.start(QStringLiteral("fpasLotacao"));
    w.text(QStringLiteral("fpas"), b.fpas);
    w.text(QStringLiteral("codTercs"), thirdParties);
    w.end();
    w.end();
    out.push_back(draft(ctx, QStringLiteral("S-1020"), subject, w));
}

// S-1010: every event of the chart with its mapping; the events the
// competence uses must all have one.
void rubricaEvents(Context& ctx, std::vector<Draft>& out) {
    RubricaMap map(ctx.db());
    QStringList used;
    auto q = ctx.db().exec(QStringLiteral("SELECT DISTINCT HCODIGO FROM OCORRENC WHERE OCORRANO = ? AND OCORRMES = ? "
                                          "ORDER BY HCODIGO"),
                           {QString::number(ctx.year()), QStringLiteral("%1").arg(ctx.month(), 2, 10, QLatin1Char('0'))});
    while (q.next()) used << q.value(0).toString().trimmed();
    map.requireAll(used);

    QStringList codes = map.all().keys();
    codes.sort();
    for (const QString& code : codes) {
        const Rubrica& r = map.all()[code];
        if (!r.complete()) continue;
        const QString subject = QStringLiteral("S-1010|%1").arg(r.code);
        const Header h = ctx.headerFor(subject);
        EventWriter w(QStringLiteral("S-1010"));
        writeIdeEvento(w, h);
        w.ideEmpregador(ctx.employer());
        w.start(QStringLiteral("infoRubrica"));
        w.start(h.alteration ? QStringLiteral("alteracao") : QStringLiteral("inclusao"));
        w.start(QStringLiteral("ideRubrica"));
        w.text(QStringLiteral("codRubr"), r.code);
        w.text(QStringLiteral("ideTabRubr"), QLatin1String(kRubricaTable));
        w.text(QStringLiteral("iniValid"), startOfValidity(ctx, subject));
        w.end();
        w.start(QStringLiteral("dadosRubrica"));
        w.text(QStringLiteral("dscRubr"), r.name.isEmpty() ? r.code : r.name);
        w.text(QStringLiteral("natRubr"), r.nature);
        w.text(QStringLiteral("tpRubr"), QString::number(r.type));
        w.text(QStringLiteral("codIncCP"), r.incCP);
        w.text(QStringLiteral("codIncIRRF"), r.incIRRF);
        w.text(QStringLiteral("codIncFGTS"), r.incFGTS);
        w.end();
        out.push_back(draft(ctx, QStringLiteral("S-1010"), subject, w));
    }
}

} // namespace

void BuildTableEvents(Context& ctx, std::vector<Draft>& out) {
    const std::vector<Branch> branches = readBranches(ctx.db());
    if (branches.empty()) throw UserError(QStringLiteral("A empresa não tem filial cadastrada: o eSocial precisa de ao menos uma."));
    // The head office: the branch whose CNPJ identifies the employer.
    const Branch* head = &branches.front();
    for (const Branch& b : branches)
        if (b.cnpj == ctx.employer().fullInsc) {
            head = &b;
            break;
        }
    employerEvent(ctx, *head, out);
    for (const Branch& b : branches) establishmentEvent(ctx, b, out);
    rubricaEvents(ctx, out);
    for (const Branch& b : branches) allocationEvent(ctx, b, head->classTrib, out);
}

} // namespace folha::esocial
