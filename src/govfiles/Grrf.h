#pragma once
// The GRRF file of the FGTS due on terminations: header (00), per company a
// company record (10) and one record (40) per terminated worker, and the
// closing record (90). The file is "c:\CAIXA\GRRF\GRRF.TXT", with the empty
// companion "c:\CAIXA\GRRF\GRRF.RE".

#include "GovCompanies.h"

#include <QDate>
#include <vector>

namespace folha::gov {

struct GrrfOptions {
    QString branchCode;     // the branch positioned in every company
    QDate collectionDate;   // "Data recolheimento GRRF"
    QDate noticeDate;       // "Data aviso previo"
    QString pisFrom = QStringLiteral("00000000000");
    QString pisTo = QStringLiteral("99999999999");
    QString responsible = QStringLiteral("999");
    QString withdrawalCode; // "Código Saque"
    bool previousMonth = false; // "Mês Anterior"
    std::vector<GovCompany> companies; // the ticked companies (written by inscription)
    QString outputPath;     // local path of "c:\CAIXA\GRRF\GRRF.TXT"
    QString companionPath;  // local path of "c:\CAIXA\GRRF\GRRF.RE"
    bool closingNotice = true; // false: the caller tells the outcome itself
};

class GrrfRun {
public:
    static const QString SystemPath;          // "c:\CAIXA\GRRF\GRRF.TXT"
    static const QString CompanionSystemPath; // "c:\CAIXA\GRRF\GRRF.RE"

    GrrfRun(Database& current, UserInterface& ui);
    GovFileResult run(const GrrfOptions& options);

private:
    Database& current_;
    UserInterface& ui_;
};

} // namespace folha::gov
