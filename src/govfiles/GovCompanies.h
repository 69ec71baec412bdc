#pragma once
// What the SEFIP and GRRF runs share: the ticked companies, each opened
// from its own directory, the fixed occurrences of a company, the value
// formats of the records and the result of a run.

#include "Database.h"
#include "SignIn.h"
#include "Fixed.h"
#include "GovRecord.h"
#include "Table.h"
#include "UserInterface.h"

#include <QHash>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace folha::gov {

// A company of the installation's list, ticked for the run, with its data
// opened from its directory by the caller.
struct GovCompany {
    int code = 0;
    QString name;
    Database* db = nullptr;
};

struct GovFileResult {
    bool written = false;       // the file was replaced
    QString path;               // local path of the file
    std::map<QString, int> records; // by record type
    int companiesWritten = 0;
};

// A fixed occurrence to read: role and the message shown when it is missing.
struct FixedOccurrence {
    const char* role;
    const char* missingMessage;
};

// The event code of each role (empty when the role has no row, after its
// message was shown).
QHash<QString, QString> ReadFixedOccurrences(Database& db, std::initializer_list<FixedOccurrence> roles,
                                             UserInterface& ui);

// The inscription type of a CGC: "1" when longer than 12 characters, else "2".
QString InscriptionType(const QString& cgc);
// The key the files order companies by: the inscription type and the
// 14-digit inscription of the company's branch; empty when the branch is
// missing.
QString InscriptionKey(Database& db, const QString& branchCode);
// The ticked companies in ascending order of inscription (type, then
// number), as the files' layouts require whatever order they were ticked in;
// a company whose branch is missing keeps its place first, to be reported by
// the run.
template <class Company>
std::vector<const Company*> ByInscription(const std::vector<Company>& companies, const QString& branchCode) {
    std::vector<std::pair<QString, const Company*>> keyed;
    for (const Company& c : companies) keyed.emplace_back(InscriptionKey(*c.db, branchCode), &c);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<const Company*> ordered;
    for (const auto& k : keyed) ordered.push_back(k.second);
    return ordered;
}
// The PIS as 11 characters, as the ranges compare it.
QString PisText(const Record& employee);
// YYYYMM of a date (empty for a date not filled in).
QString MonthOf(const QDate& d);
// The one sum the files read: VALOR of an employee's rows of a period, sheet
// and event code (zero for an empty code).
class EventSums {
public:
    explicit EventSums(Database& db);
    Fixed sum(const QString& codfun, const QString& year, const QString& month, const QString& sheet,
              const QString& eventCode);

private:
    Database& db_;
};

// The companies ticked for a file run, each opened from its own directory;
// the company open through the alias "Folha" (`current`) is used as it is.
// A code that is not registered, or that the user may not reach, is refused
// (UserError) before anything is opened.
struct TickedCompanies {
    std::vector<GovCompany> list;
    std::vector<std::unique_ptr<Database>> opened;
};
TickedCompanies OpenTickedCompanies(Session& session, const std::optional<UserRow>& user, const CompanyRow& current,
                                    const QList<int>& codes);

// "da empresa 1 - EMPRESA TESTE", naming a company in a message.
QString CompanyOwner(const GovCompany& company);

// The company record's indicators, from the branch row, as the layout
// writes them. A value with no mapping stops the run with a message naming
// the company and the field.
// "Alteração Endereço" (FIL_ALTEND): S or N; not filled in: N.
QString AddressChangeIndicator(const Record& branch, const GovCompany& company);
// "Alteração Cnae" (FIL_ALTCNA): S, N, A or P; not filled in: N.
QString CnaeChangeIndicator(const Record& branch, const GovCompany& company);
// "Simples" (SIMPLES): 1 to 6; must be filled in.
QString SimplesIndicator(const Record& branch, const GovCompany& company);

// The company's name and address as records 10 of both files write them
// (positions 54 to 205), from the branch row.
void CompanyAddress(GovRecord& r, const Record& branch);

// True when the trimmed value is one of the listed codes.
bool OneOf(const QString& value, std::initializer_list<const char*> list);

} // namespace folha::gov
