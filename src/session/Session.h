#pragma once
// The program-wide values and the named databases of one running program:
// the working folders and configuration read at start-up, the sign-in
// values, the aliases "Folha" (the chosen company's data) and "Zorvan" (the
// shared tables), the sign-in database, the company list and the temporary
// tables. The aliases are configured in "Aliases.ini" in the program folder
// (section per alias; keys PATH, TYPE = SQLITE or POSTGRES, and for POSTGRES
// HOST, PORT, DATABASE, USER).

#include "Database.h"
#include "Installation.h"
#include "UserInterface.h"

#include <QDate>
#include <QMap>
#include <QStringList>
#include <memory>

namespace folha {

struct ProgramValues {
    QString IniDir;          // program folder + "ini/"
    QString TmpDbDir;        // program folder + "TmpDb/"
    QString RelCfgDir;       // program folder + "RelCfg/"
    QString ExpCfgDir;       // program folder + "ExpCfg/"
    QString ExpExcelCfgDir;  // "c:\arquivos de programas\zorvan\ExpExcelCfg\"
    QString LoginDir;        // sign-in database directory (local path)
    QString TextViewerPath;
    QString SystemVersion = QStringLiteral("1.0");
    QString DataDir;         // chosen company's data directory, as the alias holds it
    QString ApplicationTitle;
};

struct SignInValues {
    bool LoginConfirmed = false;
    QString CurrentUserName;
    QString CurrentWindowsUser;
    QString CurrentIp;
    QString CurrentComputerName;
    QString ReportSystemTitle;
    int CurrentBranchCode = 0;
    QString CurrentBranchCodeText;
    int CurrentCompanyCode = 0;
    QString CurrentBranchName;
    int CurrentFatModNf = 0;
    QDate CurrentProcessingDate;
    QString CurrentUserCode;
    QString CurrentUserLevel;
    QString WindowCaptionPrefix;
};

class Session {
public:
    explicit Session(Installation installation);
    ~Session();

    const Installation& installation() const { return installation_; }
    // Whether the root holds an installation (its company list); only the
    // installer creates one.
    bool installed() const;
    // Whether the installation keeps its data on an office server.
    bool onServer() const;
    // What the user reads when the root holds none; empty when it does.
    QString missingInstallationText() const;
    ProgramValues values;
    SignInValues signIn;

    // Start-up: creates the working folders, reads "CfgFolha.ini",
    // "newlogin.ini" and "versao.ini" with their fallbacks and sets the
    // program-wide values. Nothing is said about printers: preview and PDF
    // need none, and the print set-up screen tells when none is installed.
    void startUp(UserInterface& ui);
    // Makes the installation's legal tables and the switches of
    // "[Legislacao]" in CfgFolha.ini the law the calculations apply
    // (the shipped tables when the installation cannot be read).
    void loadLaw();

    // Alias parameters as NAME=value lines (from "Aliases.ini", or the
    // defaults when the file has none).
    QStringList aliasParams(const QString& alias) const;
    void modifyAlias(const QString& alias, const QStringList& params);
    static QString paramValue(const QStringList& params, const QString& name);

    // Named databases, opened on first use. Alias names compare without case.
    // A database the session hands out stays open until the session ends,
    // whatever alias is re-pointed meanwhile: a table built on the company
    // database keeps working after the alias moves to another company, and
    // picking a company again reuses its open database.
    Database& alias(const QString& name);
    Database& folha() { return alias(QStringLiteral("Folha")); }
    Database& zorvan() { return alias(QStringLiteral("Zorvan")); }
    Database& signInDb();
    Database& companyListDb();
    Database& tmpDb();
    // A company data directory opened directly (government files open each
    // ticked company from its own directory).
    std::unique_ptr<Database> openCompanyDirectory(const QString& aliasDirectory, bool create = false);

    // Re-points the alias "Folha" at a company's directory: the company's
    // `Diretorio` below the drive root of the alias's configured path. Returns
    // the new data directory; DataDir holds it too. The database the alias
    // pointed at stays open (see alias()).
    QString SetaDiretorio(const QString& diretorio);
    // The data directory that SetaDiretorio would choose.
    QString companyDirectory(const QString& diretorio) const;
    // The drive ("E:\") or server share ("\\server\share\") a path begins
    // with, as written; empty when it names neither.
    static QString driveRoot(const QString& path);

    // Whether databases are created when missing (the installer sets it).
    void setCreateMissing(bool create) { createMissing_ = create; }
    // How many databases the session holds open.
    int openDatabases() const { return int(open_.size()); }
    // Closes the connection of every database the session holds, so that
    // the next use opens the files anew: a restore replaces the files below
    // them. A database handed out before stays a valid object whose
    // statements fail, so that nothing is written to a replaced file.
    void closeDatabases();

private:
    DatabaseLocation locationOf(const QStringList& params) const;
    // The open database of a location, opened on first use.
    Database& at(const DatabaseLocation& location, bool create);
    Installation installation_;
    QMap<QString, QStringList> aliasOverrides_;
    // Open databases by location; never closed before the session ends, so
    // no reference handed out can dangle.
    QMap<QString, std::shared_ptr<Database>> open_;
    // Alias (lower case) -> key of its location in open_.
    QMap<QString, QString> aliasTargets_;
    // Databases closed by closeDatabases(), kept until the session ends.
    std::vector<std::shared_ptr<Database>> closed_;
    bool createMissing_ = false;
};

// The branch signed in to: its key ("001") and its number (1), from
// whichever of the two the sign-in filled.
QString CurrentBranchKey(const Session& session);
int CurrentBranchNumber(const Session& session);

} // namespace folha
