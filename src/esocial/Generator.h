#pragma once
// Generating a competence's eSocial events for one company, keeping them in
// the event register, and exporting the signed events and their batches.

#include "Esocial.h"
#include "EventRegister.h"
#include "UserInterface.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace folha::esocial {

class Certificate;

// The builders of each group of events.
void BuildTableEvents(Context& ctx, std::vector<Draft>& out);    // S-1000, S-1005, S-1010, S-1020
void BuildWorkerEvents(Context& ctx, std::vector<Draft>& out);   // S-2200, S-2205, S-2206, S-2230, S-2299
void BuildPeriodicEvents(Context& ctx, std::vector<Draft>& out); // S-1200, S-1210, S-1299

// The installation's eSocial settings ([eSocial] in CfgFolha.ini). The
// certificate's password is never stored: it comes from FOLHA_CERT_PASSWORD
// or is asked for.
struct Settings {
    QString certificate;      // path of the A1 certificate (.pfx/.p12)
    int environment = 2;      // tpAmb: 1 production, 2 restricted production (the default until chosen)
    QString transmitter;      // CNPJ/CPF of the office that transmits; empty: the employer itself
    // The payment date the S-1210 reports for the monthly sheet and the
    // advance: false, the last day of the competence; true, the branch's
    // payroll date (DATA_FOLHA) when it falls within the competence.
    bool paymentOnBranchDate = false;
};
Settings ReadSettings(const QString& cfgFile);
void WriteSettings(const QString& cfgFile, const Settings& s);

// The employer from the company's branches: the head office's CNPJ (/0001),
// else the first branch with a CNPJ, else a CPF. Throws UserError when no
// branch has one.
Employer EmployerOf(Database& db, int companyCode, const QString& companyName);

struct GenerateRequest {
    int year = 0;
    int month = 0;
    QString branch;                         // "" for every branch
    const Certificate* certificate = nullptr; // null: the events are validated, not signed
    int environment = 2;
    QDateTime now;                          // invalid: the clock
    bool paymentOnBranchDate = false;       // Settings::paymentOnBranchDate
    std::vector<Builder> builders;          // empty: every builder
};

struct GenerateResult {
    int built = 0;     // drafts the builders made
    int unchanged = 0; // the same as their latest version: nothing stored
    int stored = 0;    // new versions kept
    int invalid = 0;   // kept as "gerado" with their schema errors
    int signedCount = 0;
    int removals = 0;  // S-3000 for accepted events the month no longer has
    QStringList ids;   // the new versions
    QStringList problems; // each invalid event: its id, type, worker and first error
};

// Builds, compares, validates and signs in one transaction: a builder's
// UserError, a cancel or a failure keeps nothing.
GenerateResult Generate(Database& db, const Employer& employer, const GenerateRequest& request, UserInterface& ui);

// The batch envelopes of a list of signed events, in the order of the list:
// grouped by batch group, at most 50 per batch.
struct Batch {
    int group = 0;
    QStringList ids;
    QByteArray xml;
};
std::vector<Batch> MakeBatches(const Employer& employer, const QString& transmitterInsc,
                               const std::vector<StoredEvent>& events);

struct ExportResult {
    QStringList files;
    int events = 0;
    int batches = 0;
};
// Writes each signed event of the filter (the latest versions) as <Id>.xml and
// the batches as lote-NNNNNN-G.xml in `dir`; events not signed are left out
// and counted in the message. The folder may not be the system's.
ExportResult ExportEvents(Database& db, const Employer& employer, const Settings& settings, const EventFilter& filter,
                          const QString& dir, UserInterface& ui);

} // namespace folha::esocial
