#pragma once
// The monthly SEFIP file: header (00), per company the company records (10,
// 12), the worker registration changes (14), the service takers (20, 21)
// and the workers (30) with their movements (32), and the closing record
// (90) after the last company. The file is "c:\CAIXA\SEFIP\SEFIP.TXT".

#include "GovCompanies.h"

#include <QDate>
#include <functional>
#include <optional>
#include <vector>

namespace folha::gov {

// "Informe os valores:" - the additional values of one company.
struct SefipAdditionalValues {
    Fixed maternity13Deduction;   // "Deducao 13 Salario Licenca Maternidade"
    Fixed sportsRevenue;          // "Receita Evento Desportivo/Patrocinio"
    QString revenueType;          // E, P or A (events, sponsorship, both), must be filled
    Fixed ruralNaturalPerson;     // "Comercial. Producao Rural - Pessoa Fisica"
    Fixed ruralLegalPerson;       // "Comercial. Producao Rural - Pessoa Juridica"
    QString processNumber;        // "Processo" (11 digits)
    QString processYear;          // "Processo" (4 digits)
    QString court;                // "Vara/JCJ" (5 digits)
    QString claimStart, claimEnd; // "Periodo Pleito Reclamatoria Trabalhista", MM/YYYY
    Fixed compensation;           // "Compensacao"
    QString compensationTaker;    // "Tom"
    QString compensationStart, compensationEnd; // "Periodo Compensacao", MM/YYYY
    Fixed previousInss;           // "Recol. Compet.Anterior - Vlr.INSS Folha"
    Fixed previousOtherEntities;  // "Recol. Compet.Anterior - Outras Entid. Folha"
    Fixed previousInssRural;      // "Recol. Compet.Anterior - Vlr.INSS Prod.Rural"
    Fixed previousOtherRural;     // "Recol. Compet.Anterior - Outras Ent.Pr.Rural"
    Fixed previousRevenue;        // "Recol. Compet.Anterior - Receitas Desp/Patro"
    Fixed fgtsInstalments;        // "Parcelamento FGTS - Categorias 01,02,03 e 05"
    Fixed fgtsInstalmentsCat4;    // "Parcelamento FGTS - Categoria  04"
    Fixed fgtsInstalmentsTotal;   // "Parcelamento FGTS - (Deposito + JAM + Multa)"
    Fixed cooperatives;           // "Vlr. Pago a Cooperativas de Trabalho"
};

struct SefipCompany : GovCompany {
    // The values of "Continuar..."; nothing when the dialog was cancelled.
    std::optional<SefipAdditionalValues> additional;
};

struct SefipOptions {
    QString branchCode;                 // the branch positioned in every company
    QString competence;                 // "Competência" MM/YYYY; empty: the current DATA_FOLHA
    QString sheet;                      // "Tipo Folha"; empty: the current TIPO_FOL
    QString pisFrom = QStringLiteral("00000000000");
    QString pisTo = QStringLiteral("99999999999");
    bool individual = false;            // "Recol. Individual."
    QString employeeListFolder;         // where the competence's employee-list file lies
    bool oldCbo = false;                // "CBO Antigo"
    QString collectionCode;             // "Cod. Recolhimento"
    QString modality;                   // "Modal" (1 character)
    QString remittanceType = QStringLiteral("1");
    QString fgtsIndicator = QStringLiteral("1");
    QDate fgtsDate;
    QString inssIndicator = QStringLiteral("1");
    QDate inssDate;
    QString responsible = QStringLiteral("999");
    // Answer to every "Recolheu FGTS?"; nothing: asked per worker.
    std::optional<bool> fgtsCollected;
    std::vector<SefipCompany> companies; // the ticked companies (written by inscription)
    // "Informe os valores:" asked for each company that goes into the file,
    // when it is reached; nothing back is "Cancelar..." (no record 12 from
    // the dialog). When not set, each company's `additional` is used.
    std::function<std::optional<SefipAdditionalValues>(const SefipCompany&)> askAdditional;
    QString outputPath;                  // local path of "c:\CAIXA\SEFIP\SEFIP.TXT"
    bool closingNotice = true;           // false: the caller tells the outcome itself
};

class SefipRun {
public:
    static const QString SystemPath; // "c:\CAIXA\SEFIP\SEFIP.TXT"
    static const QString SupplierCnpj; // written in record 00

    // `current` is the company open in the program: its branch gives the
    // competence and payroll type, its RESPONSA the responsible party.
    SefipRun(Database& current, UserInterface& ui);

    GovFileResult run(const SefipOptions& options);

private:
    Database& current_;
    UserInterface& ui_;
};

} // namespace folha::gov
