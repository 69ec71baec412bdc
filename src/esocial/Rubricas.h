#pragma once
// The company's event chart as the eSocial reports it (S-1010): each event
// code with its nature (Tabela 03), its type and its incidences for social
// security (Tabela 21), IRRF (Tabela 22) and FGTS (Tabela 23), kept on the
// event's own row (HISTFP: ESNATRUB, ESTPRUB, ESINCCP, ESINCIRRF, ESINCFGTS).

#include "Database.h"

#include <QHash>
#include <QString>
#include <QStringList>

namespace folha::esocial {

// The identifier of the company's rubricas table in the events (ideTabRubr).
inline constexpr const char* kRubricaTable = "FOLHA";

struct Rubrica {
    QString code;    // HCODIGO
    QString name;    // HNOME
    QString nature;  // natRubr, 4 digits
    int type = 0;    // tpRubr: 1 vencimento, 2 desconto, 3 informativa, 4 informativa dedutora
    QString incCP;   // codIncCP
    QString incIRRF; // codIncIRRF
    QString incFGTS; // codIncFGTS
    bool complete() const;
};

class RubricaMap {
public:
    explicit RubricaMap(Database& db); // every row of HISTFP
    const Rubrica* find(const QString& code) const;
    // The rubricas of these codes; throws UserError naming every code whose
    // mapping is missing or incomplete.
    void requireAll(const QStringList& codes) const;
    const Rubrica& require(const QString& code) const;
    const QHash<QString, Rubrica>& all() const { return rows_; }

private:
    QHash<QString, Rubrica> rows_;
};

// What a proposal is made from: the event's own flags (HISTFP) and the
// roles it plays (the fixed occurrences FIXAOCOR pointing at it, and the
// branches' birth-aid and maternity-pay events).
struct RubricaFacts {
    QString code;
    QString name;
    int prodesc = 2; // HPRODESC: 1 earning, 0 deduction, other: base or information
    int inps = 0;    // HFLAGINPS: 0 none, 1 normal, 2 13th salary, 3 vacation, 4 termination
    int irrf = 0;    // HFLAGIRRF: the same
    int fgts = 0;    // HFLAGFGTS: 0 none, 1 normal
    QStringList roles; // FIXAOCOR codes ("012"), "HISTAUXNAT", "HISTSALMAT"
};
RubricaFacts FactsOf(Database& db, const QString& code); // the flags as stored and the roles
QStringList RolesOf(Database& db, const QString& code);

// Fills the mapping of every event whose mapping is empty, proposed from the
// event's flags and the roles it plays; returns how many were filled.
int ProposeMissingRubricas(Database& db);
// The proposal for one event (does not store it).
Rubrica ProposeRubrica(Database& db, const QString& code);
Rubrica ProposeRubrica(const RubricaFacts& facts);

} // namespace folha::esocial
