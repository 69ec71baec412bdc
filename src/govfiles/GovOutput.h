#pragma once
// Writing a government file: the records go to a temporary file beside the
// target, which replaces the target only when the whole run has succeeded.
// A stopped run, or the answer No to the overwrite question, leaves an
// existing file as it was. Text is written in ISO-8859-1, each record
// followed by CR LF.

#include "AuditLog.h"
#include "GovCompanies.h"
#include "GovRecord.h"
#include "UserInterface.h"

#include <QSaveFile>
#include <map>
#include <memory>

namespace folha::gov {

// Asks "ARQUIVO <path> Ja existe. Regravar ? " when the file exists. False
// when the user answers No.
bool ConfirmOverwrite(const QString& systemPath, const QString& localPath, UserInterface& ui);

class GovOutput {
public:
    // Creates the folder when missing and opens the temporary file; a
    // failure of the file system stops the run with the system's message.
    explicit GovOutput(const QString& localPath);
    ~GovOutput(); // an uncommitted file is thrown away

    void write(const GovRecord& record);
    // Replaces the target by what was written.
    void commit();

    const QString& path() const { return path_; }
    // Records written, by record type.
    const std::map<QString, int>& counts() const { return counts_; }

private:
    QString path_;
    std::unique_ptr<QSaveFile> file_;
    std::map<QString, int> counts_;
};

// True, after telling the user, when a run selected no company or wrote
// none of the worker records `workerType`: the file is then not written,
// and an existing one is kept as it was.
bool NothingSelected(int companiesWritten, const GovOutput& out, const char* workerType, const QString& systemPath,
                     UserInterface& ui);

// Stops the run (GovFileStop: no file written, an existing one kept) when
// the user asked to cancel.
void StopIfCancelled(UserInterface& ui);

// Creates an empty file (the GRRF companion ".RE"), replacing an existing one.
void WriteEmptyFile(const QString& localPath);

// The audit entries of a written file.
AuditEntry SefipAudit(const QString& collectionCode, const GovFileResult& result);
AuditEntry GrrfAudit(const GovFileResult& result);

// "10: 1, 30: 4" style summary of the counts.
QString CountsText(const std::map<QString, int>& counts);

} // namespace folha::gov
