#pragma once
// The company block of the SEFIP file: the records of one company, written
// in the layout's order. The company records (10, 12, 20, 21) are in
// SefipCompanyRecords.cpp, the worker records (14, 30, 32) and the worker
// amounts in SefipWorkerRecords.cpp.

#include "GovOutput.h"
#include "Sefip.h"

#include <QSet>
#include <functional>
#include <optional>
#include <vector>

namespace folha::gov {

// The amounts of one worker's record 30.
struct SefipWorkerAmounts {
    Fixed remuneration, remuneration13, withheld, base, base13Movement, base13Social;
};

// What the block keeps of every employee between its passes: the order and
// the tests the passes make before they need his whole register row, which
// is read a page at a time (a company of 100 000 keeps 100 000 keys, not
// 100 000 rows).
struct SefipEmployeeKey {
    QString code, pis, cause;
    QDate admission;
    bool registrationChanged = false; // "E" in ALT_CADAST: a record 14
};

class SefipCompanyBlock {
public:
    SefipCompanyBlock(const SefipOptions& o, const SefipCompany& company, const Record& branch, GovOutput& out,
                      UserInterface& ui);

    void write();

private:
    bool code(std::initializer_list<const char*> list) const { return OneOf(code_, list); }
    QString ev(const char* role) const { return occ_.value(QString::fromLatin1(role)); }
    bool counts(const SefipEmployeeKey* employee) const;
    void readEmployees();
    // Calls fn with the whole row of each key `wanted` lets through, in the
    // keys' order, reading the rows a page at a time.
    void forEachEmployee(const std::function<bool(const SefipEmployeeKey&)>& wanted,
                         const std::function<void(const Record&)>& fn);
    void totals();
    void registerCompany();
    GovRecord head(const char* type, const QString& who) const;

    // Company records.
    void record10();
    void record12();
    void takers();
    void record20(const Record& taker);
    void record21(const Record& taker);

    // Worker records.
    void registrationPass();
    void record14(const Record& e);
    void workerPass();
    SefipWorkerAmounts amounts(const Record& e);
    bool record30(const Record& e, const SefipWorkerAmounts& a, const Record* taker);
    void movements(const Record& e, const Record* taker);
    GovRecord record32Start(const Record& e, const QString& taker);
    void record32Leave(const Record& e, const QString& taker);
    void record32EarlierLeave(const Record& e, const QString& taker, const QString& cause, const QDate& date);
    void record32Return(const Record& e, const QString& taker);
    void workerStart(GovRecord& r, const Record& e, const QString& taker) const;
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
    std::vector<SefipEmployeeKey> employees_; // CADFUN in PIS and admission order
    QHash<QString, int> byCode_;
    QHash<QString, std::optional<Record>> jobs_;
    Fixed familyTotal_, maternityTotal_;
    bool familyInTaker_ = true;
};

// The CARGOS code of an employee's job number ("001" for 1).
QString SefipJobCode(int n);
// "do funcionário 000013 - MARCOS", naming a worker in a refusal.
QString SefipOwner(const Record& employee);

} // namespace folha::gov
