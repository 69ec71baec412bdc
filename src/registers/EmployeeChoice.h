#pragma once
// The employee chooser's engine: the paged employee search of its pick list,
// the starting values read from the branch, and the last employee picked
// during the run.

#include "SelectionQuery.h"

#include <vector>

namespace folha::registers {

// The employees of CADFUN as the pick list shows them (Codigo = CODFUN,
// Descricao = NOME), one page at a time, each search walking an index: the
// key for codes, NOMEFUNCIONARIO for names. "Iniciando" reads a key range
// (codes are digits and names are kept in capitals); "Contendo" walks the
// index in order and stops at the page. Typed % and _ are plain characters.
class EmployeeSelectionList : public SelectionList {
public:
    static constexpr int DefaultPageRows = 200;
    explicit EmployeeSelectionList(int pageRows = DefaultPageRows) : pageRows_(pageRows) {}
    BoundQuery query(const SearchRequest& request) const override;
    BoundQuery lookup(const QString& code) const override;
    QString fieldOf(const QString& column) const override;
    int pageRows() const { return pageRows_; }

private:
    int pageRows_;
};

struct EmployeeHit {
    QString code;
    QString name;
    bool operator==(const EmployeeHit&) const = default;
};
// One page of the employee search.
std::vector<EmployeeHit> SearchEmployees(Database& db, const SearchRequest& request,
                                         int pageRows = EmployeeSelectionList::DefaultPageRows);

// What the chooser shows when it opens.
struct ChooserStart {
    QString year;      // four digits of the branch's DATA_FOLHA
    QString month;     // two digits
    QString sheetText; // the TIPO_FOL entry ("F - Folha")
    QString employee;  // the caller's code, or the last one picked when the caller gave none
};
// Reads the branch row afresh. Throws DbError for a branch that does not
// exist or has no payroll date.
ChooserStart ChooserStartValues(Database& db, const QString& branchCode, const QString& callerEmployee);

// The last employee code picked with the chooser's pick button, kept for the
// rest of the run.
QString LastChosenEmployee();
// Keeps the digits of the box's text (none when the box holds no digit).
void RememberChosenEmployee(const QString& boxText);
// Forgets it (a test, a new run).
void ForgetChosenEmployee();

} // namespace folha::registers
