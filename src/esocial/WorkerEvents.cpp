// S-2200, S-2205, S-2206, S-2230 and S-2299: each worker's admission,
// changes, leaves and termination, read from the employee register (CADFUN),
// the dependants (DEPENDE), the leave records (AFASTFUN with their reasons in
// HISTAFAS) and the calculated rows of the termination (OCORRENC).
//
// The rules this builder follows:
//
// - S-2200 ("S-2200|<CODFUN>"): a worker admitted up to the end of the
//   competence, still employed at its first day (or leaving in it). It is
//   built while no version of it was sent: an S-2200 not yet sent is rebuilt
//   from the register (the generator keeps a new version only when it
//   differs). Once sent, a change goes in an S-2205 or an S-2206 instead.
//   cadIni is "S" when the admission is earlier than the first day of the
//   first competence the company generated eSocial events for (the earliest
//   competence in its event register, or the one being generated); such a
//   worker on leave on that day carries the leave in <afastamento>.
// - S-2205 ("S-2205|<CODFUN>|<dtAlteracao>") and S-2206
//   ("S-2206|<CODFUN>|<dtAlteracao>"), once the S-2200 was sent: the personal
//   data (or the contract) as the register has them now are compared with
//   the ones the latest stored S-2200/S-2205 (or S-2200/S-2206) carries,
//   read back from its XML, field by field; an event is built only when they
//   differ. The register keeps no date of a change: dtAlteracao is the first
//   day of the competence (the admission, when later).
// - S-2230: a leave is an AFASTFUN row with a temporary-leave movement code;
//   it ends on the return (CADFUN.DT_RETORNO, or an AFASTFUN row with a
//   return code) after it, the return date being the leave's last day. The
//   start is "S-2230|<CODFUN>|<dtIni>|inicio" in the competence of the start;
//   when the end falls in a competence whose generation finds that start
//   event not yet stored, or stored already with the end, the end goes in
//   the same event (both groups, as the layout allows); otherwise the end is
//   an event of its own, "S-2230|<CODFUN>|<dtIni>|fim". A leave started
//   before the first competence is in the S-2200; only its end is sent.
// - S-2299 ("S-2299|<CODFUN>"): a termination (CONDICAO 0, DT_AFAST) in the
//   competence, with one demonstrative per sheet (F, I) of the month's rows.

#include "Generator.h"
#include "PeriodicEvents.h"
#include "Rubricas.h"

#include "DbError.h"
#include "LawRules.h"
#include "Registry.h"
#include "Table.h"
#include "TextRoutines.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>

#include <map>

namespace folha::esocial {

namespace {

const QDate kFgtsForAll(1988, 10, 5); // FGTS without option from the Constitution of 1988 on
const QStringList kLeaveCodes = {"O1", "O2", "P1", "P2", "Q1", "Q2", "Q3", "R", "W", "X", "Y"};
const QStringList kReturnCodes = {"Z1", "Z2", "Z3", "Z4", "Z5"};

QString trimmedCause(const QString& c) { return c.trimmed(); }

UserError registerError(const Record& e, const QString& field, const QString& why) {
    return UserError(QStringLiteral("Funcionário %1 - %2: %3 (campo %4 do cadastro de Funcionários).")
                         .arg(e.text("CODFUN").trimmed(), e.text("NOME").trimmed(), why, field));
}

QString dateText(const QDate& d) { return d.toString(QStringLiteral("yyyy-MM-dd")); }

// The employer's branches: code → CNPJ (14 digits).
struct Branches {
    QHash<QString, QString> cnpj;
    QString defaultCode; // the branch of the employer's inscription
};

Branches readBranches(Context& ctx) {
    Branches b;
    for (const Record& r : Table(ctx.db(), QStringLiteral("Filial")).select({}, {}, QStringLiteral("CODIGO"))) {
        const QString code = r.text("CODIGO").trimmed();
        const QString d = OnlyDigits(r.text("CGC"));
        b.cnpj.insert(code, d);
        if (d == ctx.employer().fullInsc && b.defaultCode.isEmpty()) b.defaultCode = code;
    }
    return b;
}

// A leave of absence: its start row, its reason and its end (invalid while open).
struct Leave {
    QDate start;
    QDate end;
    QString cause;     // movement code of the start
    QString reason;    // Tabela 18
    QString reasonRow; // HISTAFAS row, for messages
};

class WorkerBuilder {
public:
    WorkerBuilder(Context& ctx, std::vector<Draft>& out) : ctx_(ctx), out_(out) {}
    void run();

private:
    Context& ctx_;
    std::vector<Draft>& out_;
    Branches branches_;
    QDate start_; // first day of the first competence of the company's events
    QHash<QString, QString> leaveReasons_; // HISTAFAS code → Tabela 18

    void worker(const Record& e);
    QString cpf(const Record& e) const;
    QString branchOf(const Record& e) const;
    QString cnpjOf(const Record& e) const;
    std::vector<Leave> leaves(const Record& e);

    void header(EventWriter& w, const QString& subject);
    void trabalhadorData(EventWriter& w, const Record& e, bool admission);
    void dependants(EventWriter& w, const Record& e);
    void celetista(EventWriter& w, const Record& e, bool admission);
    void contract(EventWriter& w, const Record& e, bool admission);
    QString categoryOf(const Record& e) const;

    void admission(const Record& e, const std::vector<Leave>& leaves);
    void personalChange(const Record& e);
    void contractChange(const Record& e);
    void leaveEvents(const Record& e, const std::vector<Leave>& leaves);
    void termination(const Record& e);

    // The XML of the latest stored version among these subjects (by creation).
    QString lastReported(const QString& worker, const QStringList& types);
    QByteArray build(EventWriter& w) { return w.finish(); }
    void add(const QString& type, const QString& subject, const Record& e, const QString& competence, QByteArray xml) {
        out_.push_back({type, subject, e.text("CODFUN").trimmed(), competence, std::move(xml)});
    }
};

void WorkerBuilder::run() {
    branches_ = readBranches(ctx_);
    // The first competence of the company's eSocial: the earliest one its
    // register holds, or this one.
    QString first = ctx_.competence();
    {
        auto q = ctx_.db().exec(QStringLiteral("SELECT MIN(COMPETENC) FROM ESOCIAL WHERE COMPETENC <> ''"));
        if (q.next() && !q.value(0).toString().trimmed().isEmpty() && q.value(0).toString().trimmed() < first)
            first = q.value(0).toString().trimmed();
    }
    start_ = QDate(first.left(4).toInt(), first.mid(5, 2).toInt(), 1);
    for (const Record& r : Table(ctx_.db(), QStringLiteral("HISTAFAS")).select())
        leaveReasons_.insert(r.text("HCODIGO").trimmed(), r.text("ESMOTAFAS").trimmed());
    for (const Record& e : Table(ctx_.db(), QStringLiteral("CADFUN")).select({}, {}, QStringLiteral("CODFUN")))
        worker(e);
}

QString WorkerBuilder::cpf(const Record& e) const {
    QString d = OnlyDigits(e.text("NR_CPF"));
    if (d.isEmpty() || d.size() > 11) throw registerError(e, QStringLiteral("NR_CPF"), QStringLiteral("sem CPF válido"));
    return d.rightJustified(11, '0');
}

QString WorkerBuilder::branchOf(const Record& e) const {
    const QString b = e.text("FILIAL").trimmed();
    return b.isEmpty() ? branches_.defaultCode : b;
}

QString WorkerBuilder::cnpjOf(const Record& e) const {
    const QString code = branchOf(e);
    const QString d = branches_.cnpj.value(code);
    if (d.size() != 14)
        throw UserError(QStringLiteral("A filial %1 do funcionário %2 não tem CNPJ: o eSocial identifica o local de trabalho por ele.")
                            .arg(code, e.text("CODFUN").trimmed()));
    return d;
}

// The worker's leaves, from the leave records and the return of the register.
std::vector<Leave> WorkerBuilder::leaves(const Record& e) {
    std::vector<Leave> out;
    std::vector<QDate> returns;
    for (const Record& r : Table(ctx_.db(), QStringLiteral("AFASTFUN"))
                               .select(QStringLiteral("CODFUN = ?"), {e.text("CODFUN")}, QStringLiteral("DATA"))) {
        const QString cause = trimmedCause(r.text("CAUS_RESC"));
        const QDate date = r.date("DATA");
        if (!date.isValid()) continue;
        if (kReturnCodes.contains(cause)) {
            returns.push_back(date);
        } else if (kLeaveCodes.contains(cause)) {
            Leave l;
            l.start = date;
            l.cause = cause;
            l.reasonRow = r.text("HCODIGO").trimmed();
            l.reason = leaveReasons_.value(l.reasonRow);
            out.push_back(l);
        }
    }
    if (e.date("DT_RETORNO").isValid()) returns.push_back(e.date("DT_RETORNO"));
    std::sort(returns.begin(), returns.end());
    // Each leave ends on the first return after its start and before the next leave.
    for (size_t i = 0; i < out.size(); ++i) {
        const QDate next = i + 1 < out.size() ? out[i + 1].start : QDate();
        for (const QDate& r : returns)
            if (r >= out[i].start && (!next.isValid() || r < next)) {
                out[i].end = r;
                break;
            }
    }
    return out;
}

void WorkerBuilder::worker(const Record& e) {
    const QString code = e.text("CODFUN").trimmed();
    const QDate admitted = e.date("DT_ADMIS");
    if (!admitted.isValid() || admitted > ctx_.lastDay()) return;
    const bool dismissed = e.integer("CONDICAO") == 0;
    const QDate left = dismissed ? e.date("DT_AFAST") : QDate();
    if (dismissed && (!left.isValid() || left < ctx_.firstDay())) return; // gone before this month
    if (!ctx_.branch().isEmpty() && branchOf(e) != ctx_.branch()) return;

    const std::vector<Leave> ls = leaves(e);
    const QString admissionSubject = QStringLiteral("S-2200|") + code;
    if (!ctx_.wasSent(admissionSubject)) {
        admission(e, ls);
    } else {
        personalChange(e);
        contractChange(e);
    }
    leaveEvents(e, ls);
    if (dismissed && left <= ctx_.lastDay()) termination(e);
}

// ideEvento (an S-2299's optional indGuia left out: the usual guide) and ideEmpregador.
void WorkerBuilder::header(EventWriter& w, const QString& subject) {
    const Header h = ctx_.headerFor(subject);
    w.start(QStringLiteral("ideEvento"));
    w.text(QStringLiteral("indRetif"), QString::number(h.indRetif));
    w.optional(QStringLiteral("nrRecibo"), h.nrRecibo);
    w.text(QStringLiteral("tpAmb"), QString::number(h.tpAmb));
    w.text(QStringLiteral("procEmi"), QStringLiteral("1"));
    w.text(QStringLiteral("verProc"), h.verProc);
    w.end();
    w.ideEmpregador(ctx_.employer());
}

// The layout's codes of the register's classifications (values as the
// schemas of layout S-1.3 enumerate them).
QString raceCode(const QString& rais) {
    // Register (RAIS): 0 indígena, 2 branca, 4 preta, 6 amarela, 8 parda.
    // racaCor: 1 branca, 2 preta, 3 parda, 4 amarela, 5 indígena.
    static const QHash<QString, QString> codes = {{"0", "5"}, {"2", "1"}, {"4", "2"}, {"6", "4"}, {"8", "3"}};
    return codes.value(rais.trimmed());
}

QString civilCode(const QString& c) {
    // estCiv: 1 solteiro, 2 casado, 3 divorciado, 4 separado, 5 viúvo.
    static const QHash<QString, QString> codes = {{"S", "1"}, {"C", "2"}, {"D", "3"}, {"E", "4"}, {"V", "5"}};
    return codes.value(c.trimmed());
}

void WorkerBuilder::trabalhadorData(EventWriter& w, const Record& e, bool admission) {
    const QString name = e.text("NOME").simplified();
    if (name.size() < 2) throw registerError(e, QStringLiteral("NOME"), QStringLiteral("sem nome"));
    w.text(QStringLiteral("nmTrab"), name);
    const QString sex = e.text("SEXO").trimmed();
    if (sex != QLatin1String("M") && sex != QLatin1String("F"))
        throw registerError(e, QStringLiteral("SEXO"), QStringLiteral("sem o sexo"));
    w.text(QStringLiteral("sexo"), sex);
    const QString race = raceCode(e.text("RACACOR"));
    if (race.isEmpty()) throw registerError(e, QStringLiteral("RACACOR"), QStringLiteral("sem raça/cor"));
    w.text(QStringLiteral("racaCor"), race);
    w.optional(QStringLiteral("estCiv"), civilCode(e.text("EST_CIVIL")));
    const int degree = e.integer("INSTRUCAO");
    if (degree < 1 || degree > 12) throw registerError(e, QStringLiteral("INSTRUCAO"), QStringLiteral("sem o grau de instrução"));
    w.text(QStringLiteral("grauInstr"), QStringLiteral("%1").arg(degree, 2, 10, QChar('0')));
    w.optional(QStringLiteral("nmSoc"), e.text("NOME_SOC").simplified());
    const bool brazilian = e.integer("NACIONAL") == 10;
    // Tabela 06: 105 is Brazil (the code the layout's rule for trabImig names).
    QString birthCountry = e.text("PAIS_NASC").trimmed();
    QString nationality = e.text("PAIS_NAC").trimmed();
    if (birthCountry.isEmpty() && brazilian) birthCountry = QStringLiteral("105");
    if (nationality.isEmpty() && brazilian) nationality = QStringLiteral("105");
    if (birthCountry.size() != 3) throw registerError(e, QStringLiteral("PAIS_NASC"), QStringLiteral("sem o país de nascimento"));
    if (nationality.size() != 3) throw registerError(e, QStringLiteral("PAIS_NAC"), QStringLiteral("sem o país de nacionalidade"));
    if (admission) {
        if (!e.date("DT_NASC").isValid()) throw registerError(e, QStringLiteral("DT_NASC"), QStringLiteral("sem data de nascimento"));
        w.start(QStringLiteral("nascimento"));
        w.date(QStringLiteral("dtNascto"), e.date("DT_NASC"));
        w.text(QStringLiteral("paisNascto"), birthCountry);
        w.text(QStringLiteral("paisNac"), nationality);
        w.end();
    } else {
        w.text(QStringLiteral("paisNac"), nationality);
    }
    // Address in Brazil.
    const QString street = e.text("ENDERECO").simplified();
    const QString cep = OnlyDigits(e.text("CEP"));
    const QString city = OnlyDigits(e.text("COD_MUNIC"));
    const QString uf = e.text("UF").trimmed().toUpper();
    if (street.isEmpty()) throw registerError(e, QStringLiteral("ENDERECO"), QStringLiteral("sem endereço"));
    if (cep.size() != 8) throw registerError(e, QStringLiteral("CEP"), QStringLiteral("sem CEP de 8 dígitos"));
    if (city.size() != 7) throw registerError(e, QStringLiteral("COD_MUNIC"), QStringLiteral("sem o código IBGE do município"));
    if (uf.size() != 2) throw registerError(e, QStringLiteral("UF"), QStringLiteral("sem a UF"));
    w.start(QStringLiteral("endereco"));
    w.start(QStringLiteral("brasil"));
    w.text(QStringLiteral("dscLograd"), street);
    const QString number = e.text("NR_ENDER").trimmed();
    w.text(QStringLiteral("nrLograd"), number.isEmpty() ? QStringLiteral("S/N") : number);
    w.optional(QStringLiteral("complemento"), e.text("COMPL_END").simplified());
    w.optional(QStringLiteral("bairro"), e.text("BAIRRO").simplified());
    w.text(QStringLiteral("cep"), cep);
    w.text(QStringLiteral("codMunic"), city);
    w.text(QStringLiteral("uf"), uf);
    w.end();
    w.end();
    dependants(w, e);
    const QString phone = OnlyDigits(e.text("FONE"));
    const QString mail = e.text("EMAIL").trimmed();
    const bool hasPhone = phone.size() >= 10 && phone.size() <= 13;
    if (hasPhone || !mail.isEmpty()) {
        w.start(QStringLiteral("contato"));
        if (hasPhone) w.text(QStringLiteral("fonePrinc"), phone);
        w.optional(QStringLiteral("emailPrinc"), mail);
        w.end();
    }
}

void WorkerBuilder::dependants(EventWriter& w, const Record& e) {
    for (const Record& d : Table(ctx_.db(), QStringLiteral("DEPENDE"))
                               .select(QStringLiteral("CODFUN = ?"), {e.text("CODFUN")}, QStringLiteral("NUMERO"))) {
        auto fail = [&](const char* field, const QString& why) {
            return UserError(QStringLiteral("Dependente %1 do funcionário %2 - %3: %4 (campo %5 do cadastro de Dependentes).")
                                 .arg(d.text("NUMERO").trimmed(), e.text("CODFUN").trimmed(), d.text("NOME_DEPEN").trimmed(),
                                      why, QLatin1String(field)));
        };
        const bool irrf = d.text("DEP_IRRF").trimmed() == QLatin1String("S");
        const QString type = d.text("TIPO_DEP").trimmed();
        const QString cpf = OnlyDigits(d.text("CPF_DEPEN"));
        if (irrf && type.isEmpty()) throw fail("TIPO_DEP", QStringLiteral("dependente do IRRF sem o tipo de dependente"));
        if (irrf && cpf.size() != 11) throw fail("CPF_DEPEN", QStringLiteral("dependente do IRRF sem CPF"));
        if (!d.date("DT_NASC").isValid()) throw fail("DT_NASC", QStringLiteral("sem data de nascimento"));
        if (type == QLatin1String("99")) throw fail("TIPO_DEP", QStringLiteral("o tipo 99 pede uma descrição que o cadastro não tem"));
        w.start(QStringLiteral("dependente"));
        w.optional(QStringLiteral("tpDep"), type);
        w.text(QStringLiteral("nmDep"), d.text("NOME_DEPEN").simplified());
        w.date(QStringLiteral("dtNascto"), d.date("DT_NASC"));
        if (cpf.size() == 11) w.text(QStringLiteral("cpfDep"), cpf);
        w.text(QStringLiteral("depIRRF"), irrf ? QStringLiteral("S") : QStringLiteral("N"));
        w.text(QStringLiteral("depSF"), d.text("DEP_SF").trimmed() == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("N"));
        w.text(QStringLiteral("incTrab"), d.text("INC_TRAB").trimmed() == QLatin1String("S") ? QStringLiteral("S") : QStringLiteral("N"));
        w.end();
    }
}

// The category (Tabela 01) is the one the monthly remuneration reports.
QString WorkerBuilder::categoryOf(const Record& e) const {
    const int c = CategoryOfVinculo(e.integer("VINCULO"));
    if (c == 0)
        throw registerError(e, QStringLiteral("VINCULO"),
                            QStringLiteral("o vínculo %1 não é de empregado: a admissão de um trabalhador sem vínculo (S-2300) "
                                           "não é gerada").arg(e.integer("VINCULO")));
    return QString::number(c);
}

void WorkerBuilder::celetista(EventWriter& w, const Record& e, bool admission) {
    const QDate admitted = e.date("DT_ADMIS");
    if (admission) {
        w.date(QStringLiteral("dtAdm"), admitted);
        // tpAdmissao 2 for a transfer within the group, 1 otherwise; indAdmissao 1 (normal).
        const QString how = e.text("COD_ADMISS").trimmed();
        w.text(QStringLiteral("tpAdmissao"), how == QLatin1String("70") || how == QLatin1String("71") ? QStringLiteral("2")
                                                                                                     : QStringLiteral("1"));
        w.text(QStringLiteral("indAdmissao"), QStringLiteral("1"));
    }
    w.text(QStringLiteral("tpRegJor"), QStringLiteral("1")); // subject to working hours (CLT, Título II, Cap. II)
    w.text(QStringLiteral("natAtividade"), QStringLiteral("1")); // urban
    std::optional<Record> union_ = Table(ctx_.db(), QStringLiteral("SINDICAT")).find({e.text("COD_SIND").trimmed().rightJustified(3, '0')});
    const QString unionCnpj = union_ ? OnlyDigits(union_->text("CNPJ")) : QString();
    if (unionCnpj.size() != 14)
        throw registerError(e, QStringLiteral("COD_SIND"), QStringLiteral("sem sindicato com CNPJ (cnpjSindCategProf)"));
    w.text(QStringLiteral("cnpjSindCategProf"), unionCnpj);
    if (admission && admitted < kFgtsForAll) {
        if (!e.date("DT_OPCAO").isValid())
            throw registerError(e, QStringLiteral("DT_OPCAO"), QStringLiteral("admitido antes de 05/10/1988 sem a data de opção do FGTS"));
        w.start(QStringLiteral("FGTS"));
        w.date(QStringLiteral("dtOpcFGTS"), e.date("DT_OPCAO"));
        w.end();
    }
    // An apprentice admitted from 22/01/2024 on: hired directly, with the qualifying entity.
    if (categoryOf(e) == QLatin1String("103") && admitted >= QDate(2024, 1, 22)) {
        const QString entity = OnlyDigits(e.text("CNPJ_QUALI"));
        if (entity.size() != 14)
            throw registerError(e, QStringLiteral("CNPJ_QUALI"), QStringLiteral("aprendiz sem o CNPJ da entidade qualificadora"));
        w.start(QStringLiteral("aprend"));
        w.text(QStringLiteral("indAprend"), QStringLiteral("1"));
        w.text(QStringLiteral("cnpjEntQual"), entity);
        w.end();
    }
}

void WorkerBuilder::contract(EventWriter& w, const Record& e, bool admission) {
    const QString cargoCode = e.text("CARGO").trimmed().rightJustified(3, '0');
    std::optional<Record> cargo = Table(ctx_.db(), QStringLiteral("Cargos")).find({cargoCode});
    if (!cargo || cargo->text("NOME_CARGO").trimmed().isEmpty())
        throw registerError(e, QStringLiteral("CARGO"), QStringLiteral("sem cargo cadastrado"));
    QString cbo = OnlyDigits(cargo->text("CBO"));
    if (cbo.isEmpty()) cbo = OnlyDigits(e.text("CBO"));
    if (cbo.size() != 6)
        throw UserError(QStringLiteral("Cargo %1 - %2 sem a CBO de 6 dígitos (campo CBO do cadastro de Cargos ou do funcionário %3).")
                            .arg(cargoCode, cargo->text("NOME_CARGO").trimmed(), e.text("CODFUN").trimmed()));
    w.text(QStringLiteral("nmCargo"), cargo->text("NOME_CARGO").simplified());
    w.text(QStringLiteral("CBOCargo"), cbo);
    const QString category = categoryOf(e);
    w.text(QStringLiteral("codCateg"), category);
    w.start(QStringLiteral("remuneracao"));
    w.money(QStringLiteral("vrSalFx"), e.number("VLR_SALAR"));
    w.text(QStringLiteral("undSalFixo"), e.integer("TIPO_PAG") == 5 ? QStringLiteral("1") : QStringLiteral("5")); // by hour, by month
    w.end();
    const QDate admitted = e.date("DT_ADMIS");
    const QDate ends = e.date("DT_FIMCONT");
    const bool fixedTerm = ends.isValid() || category == QLatin1String("105") ||
                           (category == QLatin1String("103") && admitted >= QDate(2024, 4, 22));
    if (fixedTerm && !ends.isValid())
        throw registerError(e, QStringLiteral("DT_FIMCONT"), QStringLiteral("contrato por prazo determinado sem a data do término"));
    w.start(QStringLiteral("duracao"));
    w.text(QStringLiteral("tpContr"), fixedTerm ? QStringLiteral("2") : QStringLiteral("1"));
    if (fixedTerm) {
        w.date(QStringLiteral("dtTerm"), ends);
        if (admission) w.text(QStringLiteral("clauAssec"), QStringLiteral("N"));
    }
    w.end();
    w.start(QStringLiteral("localTrabalho"));
    w.start(QStringLiteral("localTrabGeral"));
    w.text(QStringLiteral("tpInsc"), QStringLiteral("1"));
    w.text(QStringLiteral("nrInsc"), cnpjOf(e));
    w.end();
    w.end();
    // Weekly hours; a 12x36 shift (its PLANTOES row) is tpJornada 2, any other 9.
    const int hours = e.integer("HR_SEMAN");
    if (hours <= 0 || hours > 99) throw registerError(e, QStringLiteral("HR_SEMAN"), QStringLiteral("sem as horas semanais"));
    std::optional<Record> shift;
    if (!e.text("COD_PLANTA").trimmed().isEmpty())
        shift = Table(ctx_.db(), QStringLiteral("PLANTOES")).find({e.text("COD_PLANTA").trimmed()});
    w.start(QStringLiteral("horContratual"));
    w.text(QStringLiteral("qtdHrsSem"), QString::number(hours));
    w.text(QStringLiteral("tpJornada"), shift ? QStringLiteral("2") : QStringLiteral("9"));
    w.text(QStringLiteral("tmpParc"), QStringLiteral("0"));
    w.text(QStringLiteral("horNoturno"), shift && shift->number("ADIC_NOT") > Fixed() ? QStringLiteral("S") : QStringLiteral("N"));
    w.text(QStringLiteral("dscJorn"), shift ? QStringLiteral("%1 horas semanais em %2").arg(hours).arg(shift->text("NOME").simplified())
                                            : QStringLiteral("%1 horas semanais").arg(hours));
    w.end();
}

void WorkerBuilder::admission(const Record& e, const std::vector<Leave>& ls) {
    const QString code = e.text("CODFUN").trimmed();
    const QString subject = QStringLiteral("S-2200|") + code;
    auto stored = ctx_.eventRegister().latest(subject);
    EventWriter w(QStringLiteral("S-2200"));
    header(w, subject);
    w.start(QStringLiteral("trabalhador"));
    w.text(QStringLiteral("cpfTrab"), cpf(e));
    trabalhadorData(w, e, true);
    w.end();
    w.start(QStringLiteral("vinculo"));
    w.text(QStringLiteral("matricula"), code);
    w.text(QStringLiteral("tpRegTrab"), QStringLiteral("1"));
    w.text(QStringLiteral("tpRegPrev"), QStringLiteral("1"));
    const bool initial = e.date("DT_ADMIS") < start_;
    w.text(QStringLiteral("cadIni"), initial ? QStringLiteral("S") : QStringLiteral("N"));
    w.start(QStringLiteral("infoRegimeTrab"));
    w.start(QStringLiteral("infoCeletista"));
    celetista(w, e, true);
    w.end();
    w.end();
    w.start(QStringLiteral("infoContrato"));
    contract(w, e, true);
    w.end();
    // On leave on the first day of the company's eSocial.
    if (initial)
        for (const Leave& l : ls)
            if (l.start < start_ && (!l.end.isValid() || l.end >= start_)) {
                if (l.reason.isEmpty())
                    throw UserError(QStringLiteral("Histórico de afastamento %1 sem o motivo do eSocial (campo ESMOTAFAS do cadastro "
                                                   "de Históricos de Afastamento).").arg(l.reasonRow));
                w.start(QStringLiteral("afastamento"));
                w.date(QStringLiteral("dtIniAfast"), l.start);
                w.text(QStringLiteral("codMotAfast"), l.reason);
                w.end();
            }
    w.end();
    add(QStringLiteral("S-2200"), subject, e, stored ? stored->competence : ctx_.competence(), build(w));
}

// The values of these leaf elements in a fragment of an event, in order,
// each element's values together: the part of the data two events compare.
QString leafKey(QString fragment, const QStringList& tags) {
    QString key;
    for (const QString& t : tags) {
        QRegularExpression re(QStringLiteral("<%1>([^<]*)</%1>").arg(t));
        QStringList values;
        for (auto it = re.globalMatch(fragment); it.hasNext();) values << it.next().captured(1);
        key += t + '=' + values.join(',') + ';';
    }
    return key;
}

QString section(const QString& xml, const QString& tag) {
    const int from = xml.indexOf(QStringLiteral("<%1>").arg(tag));
    const int to = xml.lastIndexOf(QStringLiteral("</%1>").arg(tag));
    return from < 0 || to < from ? QString() : xml.mid(from, to - from);
}

const QStringList kPersonalTags = {
    "nmTrab",  "sexo",   "racaCor",  "estCiv",  "grauInstr",   "nmSoc",   "paisNac",  "tpLograd", "dscLograd",
    "nrLograd", "complemento", "bairro", "cep", "codMunic", "uf", "tpDep", "nmDep", "dtNascto", "cpfDep",
    "sexoDep", "depIRRF", "depSF", "incTrab", "descrDep", "fonePrinc", "emailPrinc"};

// The personal data an S-2200's <trabalhador> or an S-2205's
// <dadosTrabalhador> carries (the worker's own birth, which an S-2205 does
// not carry, left out).
QString personalKey(const QString& xml) {
    QString part = section(xml, QStringLiteral("dadosTrabalhador"));
    if (part.isEmpty()) part = section(xml, QStringLiteral("trabalhador"));
    const QString nationality = leafKey(section(part, QStringLiteral("nascimento")), {"paisNac"});
    static const QRegularExpression birth(QStringLiteral("<nascimento>.*</nascimento>"));
    part.remove(birth);
    QString key = leafKey(part, kPersonalTags);
    if (!nationality.endsWith(QLatin1String("=;"))) key.replace(QLatin1String("paisNac=;"), nationality);
    return key;
}

const QStringList kContractTags = {"tpRegJor", "natAtividade", "dtBase", "cnpjSindCategProf", "indAprend", "cnpjEntQual",
                                   "nmCargo", "CBOCargo", "nmFuncao", "CBOFuncao", "codCateg", "vrSalFx", "undSalFixo",
                                   "dscSalVar", "tpContr", "dtTerm", "objDet", "tpInsc", "nrInsc", "qtdHrsSem",
                                   "tpJornada", "tmpParc", "horNoturno", "dscJorn"};

// The contract an S-2200's or an S-2206's <vinculo> carries.
QString contractKey(const QString& xml) {
    QString part = section(xml, QStringLiteral("vinculo"));
    static const QRegularExpression leave(QStringLiteral("<afastamento>.*</afastamento>"));
    part.remove(leave);
    return leafKey(part, kContractTags);
}

QString WorkerBuilder::lastReported(const QString& worker, const QStringList& types) {
    QString sql = QStringLiteral("SELECT XML FROM ESOCIAL WHERE CODFUN = ? AND SITUACAO <> ? AND TIPO IN (");
    QVariantList params = {worker, status::Rejected};
    for (int i = 0; i < types.size(); ++i) {
        sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
        params << types[i];
    }
    sql += QStringLiteral(") ORDER BY CRIADO DESC, ID DESC");
    auto q = ctx_.db().exec(sql, params);
    return q.next() ? q.value(0).toString() : QString();
}

QDate changeDate(const Context& ctx, const Record& e) {
    const QDate admitted = e.date("DT_ADMIS");
    return admitted > ctx.firstDay() ? admitted : ctx.firstDay();
}

void WorkerBuilder::personalChange(const Record& e) {
    const QString code = e.text("CODFUN").trimmed();
    const QDate when = changeDate(ctx_, e);
    const QString subject = QStringLiteral("S-2205|%1|%2").arg(code, dateText(when));
    EventWriter w(QStringLiteral("S-2205"));
    header(w, subject);
    w.start(QStringLiteral("ideTrabalhador"));
    w.text(QStringLiteral("cpfTrab"), cpf(e));
    w.end();
    w.start(QStringLiteral("alteracao"));
    w.date(QStringLiteral("dtAlteracao"), when);
    w.start(QStringLiteral("dadosTrabalhador"));
    trabalhadorData(w, e, false);
    w.end();
    w.end();
    QByteArray xml = build(w);
    // Reported already as it is now: nothing to send. The event of this
    // competence itself counts (a generation run again finds it).
    if (personalKey(QString::fromUtf8(xml)) == personalKey(lastReported(code, {"S-2200", "S-2205"}))) return;
    add(QStringLiteral("S-2205"), subject, e, ctx_.competence(), xml);
}

void WorkerBuilder::contractChange(const Record& e) {
    const QString code = e.text("CODFUN").trimmed();
    const QDate when = changeDate(ctx_, e);
    const QString subject = QStringLiteral("S-2206|%1|%2").arg(code, dateText(when));
    EventWriter w(QStringLiteral("S-2206"));
    header(w, subject);
    w.start(QStringLiteral("ideVinculo"));
    w.text(QStringLiteral("cpfTrab"), cpf(e));
    w.text(QStringLiteral("matricula"), code);
    w.end();
    w.start(QStringLiteral("altContratual"));
    w.date(QStringLiteral("dtAlteracao"), when);
    w.start(QStringLiteral("vinculo"));
    w.text(QStringLiteral("tpRegPrev"), QStringLiteral("1"));
    w.start(QStringLiteral("infoRegimeTrab"));
    w.start(QStringLiteral("infoCeletista"));
    celetista(w, e, false);
    w.end();
    w.end();
    w.start(QStringLiteral("infoContrato"));
    contract(w, e, false);
    w.end();
    w.end();
    w.end();
    QByteArray xml = build(w);
    if (contractKey(QString::fromUtf8(xml)) == contractKey(lastReported(code, {"S-2200", "S-2206"}))) return;
    add(QStringLiteral("S-2206"), subject, e, ctx_.competence(), xml);
}

void WorkerBuilder::leaveEvents(const Record& e, const std::vector<Leave>& ls) {
    const QString code = e.text("CODFUN").trimmed();
    auto inMonth = [&](const QDate& d) { return d.isValid() && d >= ctx_.firstDay() && d <= ctx_.lastDay(); };
    auto begin = [&](EventWriter& w, const QString& subject) {
        header(w, subject);
        w.start(QStringLiteral("ideVinculo"));
        w.text(QStringLiteral("cpfTrab"), cpf(e));
        w.text(QStringLiteral("matricula"), code);
        w.end();
        w.start(QStringLiteral("infoAfastamento"));
    };
    for (const Leave& l : ls) {
        const bool startHere = inMonth(l.start) && l.start >= start_;
        const bool endHere = inMonth(l.end);
        if (!startHere && !endHere) continue;
        const QString base = QStringLiteral("S-2230|%1|%2|").arg(code, dateText(l.start));
        const QString startSubject = base + QStringLiteral("inicio");
        // The end goes with the start while the start event is not stored
        // without it.
        bool endWithStart = false;
        if (endHere && l.start >= start_) {
            auto stored = ctx_.eventRegister().latest(startSubject);
            endWithStart = !stored || stored->xml.contains("<fimAfastamento>");
        }
        if (startHere || endWithStart) {
            if (l.reason.isEmpty())
                throw UserError(QStringLiteral("Histórico de afastamento %1 sem o motivo do eSocial (campo ESMOTAFAS do cadastro de "
                                               "Históricos de Afastamento); afastamento do funcionário %2 em %3.")
                                    .arg(l.reasonRow, code, l.start.toString(QStringLiteral("dd/MM/yyyy"))));
            auto stored = ctx_.eventRegister().latest(startSubject);
            EventWriter w(QStringLiteral("S-2230"));
            begin(w, startSubject);
            w.start(QStringLiteral("iniAfastamento"));
            w.date(QStringLiteral("dtIniAfast"), l.start);
            w.text(QStringLiteral("codMotAfast"), l.reason);
            // P2/O2: a new leave from the same illness or accident within 60 days.
            if (l.reason == QLatin1String("01") || l.reason == QLatin1String("03"))
                w.text(QStringLiteral("infoMesmoMtv"), l.cause == QLatin1String("P2") || l.cause == QLatin1String("O2")
                                                           ? QStringLiteral("S") : QStringLiteral("N"));
            w.end();
            if (endWithStart) {
                w.start(QStringLiteral("fimAfastamento"));
                w.date(QStringLiteral("dtTermAfast"), l.end);
                w.end();
            }
            add(QStringLiteral("S-2230"), startSubject, e, stored ? stored->competence : MonthText(l.start.year(), l.start.month()),
                build(w));
        }
        if (endHere && !endWithStart) {
            const QString endSubject = base + QStringLiteral("fim");
            EventWriter w(QStringLiteral("S-2230"));
            begin(w, endSubject);
            w.start(QStringLiteral("fimAfastamento"));
            w.date(QStringLiteral("dtTermAfast"), l.end);
            w.end();
            add(QStringLiteral("S-2230"), endSubject, e, MonthText(l.end.year(), l.end.month()), build(w));
        }
    }
}

void WorkerBuilder::termination(const Record& e) {
    const QString code = e.text("CODFUN").trimmed();
    const QDate left = e.date("DT_AFAST");
    const QString reason = esocialTerminationReason(e.text("CAUS_RESC"));
    if (reason.isEmpty())
        throw registerError(e, QStringLiteral("CAUS_RESC"),
                            QStringLiteral("a causa de rescisão '%1' não tem motivo de desligamento do eSocial (Tabela 19)")
                                .arg(e.text("CAUS_RESC").trimmed()));
    const QString subject = QStringLiteral("S-2299|") + code;

    // The month's rows of the termination: the monthly sheet that holds it,
    // one demonstrative under the identifier the S-1210 pays it by. A
    // vacation sheet of the same month stays in the month's S-1200.
    std::vector<Record> rows;
    QStringList codes;
    for (const Record& r : Table(ctx_.db(), QStringLiteral("OCORRENC"))
                               .select(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND CODFUN = ? AND TIPOFOLHA = 'F'"),
                                       {QString::number(ctx_.year()), QStringLiteral("%1").arg(ctx_.month(), 2, 10, QChar('0')),
                                        e.text("CODFUN")},
                                       QStringLiteral("TIPOFOLHA, HCODIGO"))) {
        if (!(r.number("VALOR") > Fixed())) continue;
        rows.push_back(r);
        codes << r.text("HCODIGO").trimmed();
    }
    RubricaMap rubricas(ctx_.db());
    rubricas.requireAll(codes);

    EventWriter w(QStringLiteral("S-2299"));
    header(w, subject);
    w.start(QStringLiteral("ideVinculo"));
    w.text(QStringLiteral("cpfTrab"), cpf(e));
    w.text(QStringLiteral("matricula"), code);
    w.end();
    w.start(QStringLiteral("infoDeslig"));
    w.text(QStringLiteral("mtvDeslig"), reason);
    w.date(QStringLiteral("dtDeslig"), left);
    const bool indemnified = e.text("FLAG_AVISO").trimmed() == QLatin1String("S");
    w.text(QStringLiteral("indPagtoAPI"), indemnified ? QStringLiteral("S") : QStringLiteral("N"));
    if (indemnified) {
        // The projected end of the notice, as the termination calculation counts it.
        const bool corrected = law::RulesFor(CompetenceOfDate(left)).corrected;
        const int days = corrected ? law::NoticeDays(e.date("DT_ADMIS"), left) : 30;
        w.date(QStringLiteral("dtProjFimAPI"), left.addDays(days));
    }
    w.text(QStringLiteral("pensAlim"), QStringLiteral("0"));
    if (!rows.empty()) {
        w.start(QStringLiteral("verbasResc"));
        const bool irIndicator = left >= QDate(2021, 7, 1);
        w.start(QStringLiteral("dmDev"));
        w.text(QStringLiteral("ideDmDev"), TerminationDmDev(ctx_.year(), ctx_.month()));
        w.start(QStringLiteral("infoPerApur"));
        w.start(QStringLiteral("ideEstabLot"));
        w.text(QStringLiteral("tpInsc"), QStringLiteral("1"));
        w.text(QStringLiteral("nrInsc"), cnpjOf(e));
        w.text(QStringLiteral("codLotacao"), branchOf(e));
        for (const Record& r : rows) {
            w.start(QStringLiteral("detVerbas"));
            w.text(QStringLiteral("codRubr"), r.text("HCODIGO").trimmed());
            w.text(QStringLiteral("ideTabRubr"), QLatin1String(kRubricaTable));
            const Fixed quantity = RoundValue(2, r.number("REFER"));
            if (quantity > Fixed()) w.text(QStringLiteral("qtdRubr"), quantity.toString(2));
            w.money(QStringLiteral("vrRubr"), r.number("VALOR"));
            if (irIndicator) w.text(QStringLiteral("indApurIR"), QStringLiteral("0"));
            w.end();
        }
        w.end(); // ideEstabLot
        w.end(); // infoPerApur
        w.end(); // dmDev
        w.end(); // verbasResc
    }
    add(QStringLiteral("S-2299"), subject, e, MonthText(left.year(), left.month()), build(w));
}

} // namespace

void BuildWorkerEvents(Context& ctx, std::vector<Draft>& out) { WorkerBuilder(ctx, out).run(); }

} // namespace folha::esocial
