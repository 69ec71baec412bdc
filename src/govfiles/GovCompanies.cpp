#include "GovCompanies.h"

#include "TextRoutines.h"

namespace folha::gov {

QHash<QString, QString> ReadFixedOccurrences(Database& db, std::initializer_list<FixedOccurrence> roles,
                                             UserInterface& ui) {
    QHash<QString, QString> out;
    Table fixaocor(db, QStringLiteral("FIXAOCOR"));
    for (const auto& r : roles) {
        auto row = fixaocor.find({QString::fromLatin1(r.role)});
        if (!row) {
            ui.message(MessageKind::Warning, QString::fromUtf8(r.missingMessage));
            out.insert(QString::fromLatin1(r.role), QString());
        } else {
            out.insert(QString::fromLatin1(r.role), row->text("FHISTORICO").trimmed());
        }
    }
    return out;
}

QString InscriptionType(const QString& cgc) { return cgc.trimmed().size() > 12 ? QStringLiteral("1") : QStringLiteral("2"); }

QString PisText(const Record& employee) { return PadLeft(WholeDigits(employee.number("NR_PIS")), 11, QChar('0')); }

QString MonthOf(const QDate& d) { return CompetenceOfDate(d); }

EventSums::EventSums(Database& db) : db_(db) {}

Fixed EventSums::sum(const QString& codfun, const QString& year, const QString& month, const QString& sheet,
                     const QString& eventCode) {
    if (eventCode.isEmpty()) return {};
    Fixed total;
    Table ocorrenc(db_, QStringLiteral("OCORRENC"));
    ocorrenc.forEach(QStringLiteral("OCORRANO = ? AND OCORRMES = ? AND TIPOFOLHA = ? AND HCODIGO = ? AND CODFUN = ?"),
                     {year, month, sheet, eventCode, codfun}, [&](const Record& r) {
                         total += r.number("VALOR");
                         return true;
                     });
    return total;
}

QString InscriptionKey(Database& db, const QString& branchCode) {
    auto branch = Table(db, QStringLiteral("Filial")).find({branchCode});
    if (!branch) return {};
    const QString cgc = branch->text("CGC").trimmed();
    return InscriptionType(cgc) + PadLeft(OnlyDigits(cgc), 14, QChar('0'));
}

QString CompanyOwner(const GovCompany& company) {
    return QStringLiteral("da empresa %1 - %2").arg(company.code).arg(company.name);
}

namespace {

// The stored value of an indicator, upper-cased, when it is one of the
// accepted values; `blank` when not filled in (empty `blank`: required).
QString indicator(const Record& branch, const GovCompany& company, const char* field, const QStringList& accepted,
                  const QString& blank) {
    const FieldDef* f = branch.def().field(QString::fromLatin1(field));
    const QString label = QStringLiteral("%1 (%2)").arg(f ? f->caption : QString(), QString::fromLatin1(field));
    const QString v = branch.text(QString::fromLatin1(field)).trimmed().toUpper();
    const QString use = accepted.join(QStringLiteral(", "));
    if (v.isEmpty()) {
        if (!blank.isEmpty()) return blank;
        throw GovFileStop(QStringLiteral("Empresa %1 - %2: o campo %3 não está preenchido (use %4)")
                              .arg(company.code)
                              .arg(company.name, label, use));
    }
    if (!accepted.contains(v))
        throw GovFileStop(QStringLiteral("Empresa %1 - %2: o valor \"%3\" do campo %4 não tem correspondência no "
                                         "arquivo (use %5)")
                              .arg(company.code)
                              .arg(company.name, v, label, use));
    return v;
}

} // namespace

QString AddressChangeIndicator(const Record& branch, const GovCompany& company) {
    return indicator(branch, company, "FIL_ALTEND", {"S", "N"}, QStringLiteral("N"));
}

QString CnaeChangeIndicator(const Record& branch, const GovCompany& company) {
    return indicator(branch, company, "FIL_ALTCNA", {"S", "N", "A", "P"}, QStringLiteral("N"));
}

TickedCompanies OpenTickedCompanies(Session& session, const std::optional<UserRow>& user, const CompanyRow& current,
                                    const QList<int>& codes) {
    SignIn signIn(session);
    // Every code is checked before any company is opened; they are then
    // taken in the company list's order.
    for (int code : codes) signIn.reachableCompany(user, code);
    TickedCompanies out;
    for (const CompanyRow& row : user ? signIn.allowedCompanies(*user) : signIn.allCompanies()) {
        if (!codes.contains(row.code)) continue;
        GovCompany g;
        g.code = row.code;
        g.name = row.name;
        if (row.code == current.code) {
            g.db = &session.folha();
        } else {
            out.opened.push_back(session.openCompanyDirectory(session.companyDirectory(row.directory)));
            g.db = out.opened.back().get();
        }
        out.list.push_back(g);
    }
    return out;
}

void CompanyAddress(GovRecord& r, const Record& branch) {
    r.text(54, 40, branch.text("NOME"))
        .text(94, 50, branch.text("FIL_ENDERE"))
        .text(144, 20, branch.text("FIL_BAIRRO"))
        .number(164, 8, OnlyDigits(branch.text("FIL_CEP")), QStringLiteral("FIL_CEP"))
        .text(172, 20, branch.text("FIL_CIDADE"))
        .text(192, 2, branch.text("FIL_ESTADO"))
        .number(194, 12, OnlyDigits(branch.text("FIL_FONE")), QStringLiteral("FIL_FONE"));
}

QString SimplesIndicator(const Record& branch, const GovCompany& company) {
    return indicator(branch, company, "SIMPLES", {"1", "2", "3", "4", "5", "6"}, QString());
}

bool OneOf(const QString& value, std::initializer_list<const char*> list) {
    const QString v = value.trimmed();
    for (const char* c : list)
        if (v == QLatin1String(c)) return true;
    return false;
}

} // namespace folha::gov
