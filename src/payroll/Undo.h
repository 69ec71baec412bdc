#pragma once
// Undoing a calculation: the rows a calculation wrote (FLAG "*") for one
// employee, one working period and one sheet type are deleted, so the
// period can be calculated again from what the user entered.

#include "AuditLog.h"
#include "Database.h"
#include "UserInterface.h"

namespace folha::payroll {

struct UndoRequest {
    QString year;     // four characters
    QString month;    // two characters
    QString sheet;    // the sheet-type entry ("F - Folha") or its letter
    QString employee; // CODFUN
};

class PayrollUndo {
public:
    PayrollUndo(Database& db, UserInterface& ui) : db_(db), ui_(ui) {}

    // Checks the fields, asks for confirmation and deletes. False when a
    // field is empty or the user says No; the number of rows deleted is in
    // rowsRemoved().
    bool run(const UndoRequest& request);
    int rowsRemoved() const { return removed_; }
    // The audit entry of the undo just run.
    AuditEntry audit(const UndoRequest& request) const;

private:
    Database& db_;
    UserInterface& ui_;
    int removed_ = 0;
};

} // namespace folha::payroll
