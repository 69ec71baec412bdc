#pragma once
// The salary-payment file of a branch's sheet: the net of every employee
// who has one and a bank account, as credits of a CNAB 240 file for the
// branch's paying bank. Credits in the paying bank form one batch (forma de
// lançamento 01); credits in other banks form another (TED, or PIX by the
// account's data), each credit with its segment B. An employee with a net
// but without a usable account is listed among the exclusions and left out,
// never written with blanks; so is one paid by salary cheque (CHEQUE 1).
// Shared by the screen "Arquivo de Pagamento
// (Banco)" and `folha bank-file`.

#include "AuditLog.h"
#include "BankLayout.h"
#include "BankProfiles.h"
#include "Database.h"
#include "UserInterface.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

namespace folha::bank {

// How credits to other banks travel.
enum class OtherBanks { Ted, Pix };

struct BankFileOptions {
    QString branchCode;
    QString sheet;       // F (monthly, terminations included), A, D or I
    QString competence;  // YYYYMM; empty: the month of the branch's DATA_FOLHA
    QString bank;        // empty: the branch's paying bank (BCO_PAGTO)
    QDate paymentDate;
    QString firstEmployee, lastEmployee; // the range applies when both are filled
    OtherBanks otherBanks = OtherBanks::Ted;
    QString outputPath;
    QDateTime generatedAt; // empty: now
    int sequence = 0;      // NSA; 0: the branch's last file + 1
};

struct BankExclusion {
    QString employeeCode;
    QString name;
    Fixed net;
    QString reason;
};

struct BankCreditLine {
    int batch = 0;
    QString form; // 01, 41 or 45
    Credit credit;
};

struct BankFileResult {
    bool written = false;
    QString path;
    QString bank;
    QString competence;
    QString sheet;
    int sequence = 0;
    int batches = 0;
    int records = 0;
    Fixed total;
    std::vector<BankCreditLine> credits;
    std::vector<BankExclusion> exclusions;
};

// The sheets a salary file pays.
const QStringList& PayableSheets(); // F, A, D, I
// Why an employee's bank data cannot be written; empty when it can. The
// agency and account are checked for their form (digits, widths, the
// account's check digit present): no bank's check-digit rule is applied
// (none of the manuals read publishes one for agency/account). The paying
// bank's layout may narrow the widths further (AccountLayoutProblem).
QString AccountProblem(const Credit& credit);

// Reads the sheet, checks every employee and writes the file (through a
// temporary file that replaces the target only at the end). Throws
// BankFileStop (nothing written) when the branch has no paying bank data,
// a layout version of the branch is not three digits, the output is a file
// of the system, no employee can be paid, or an Itaú file would carry a PIX
// batch beside the batch of Itaú accounts. Asks
// before replacing an existing file; No leaves it and returns written =
// false. After writing, the branch keeps the file's sequence number.
BankFileResult WriteBankFile(Database& company, UserInterface& ui, const BankFileOptions& options);

// The audit entry of a written file.
AuditEntry BankFileAudit(const BankFileResult& result);

} // namespace folha::bank
