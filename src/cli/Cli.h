#pragma once
// The `folha` command line: every engine job without a display.

#include "AuditLog.h"
#include "Session.h"
#include "SignIn.h"
#include "UserInterface.h"

#include <QMap>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>
#include <optional>

namespace folha::cli {

// Text answers: messages on standard output (errors and warnings on
// standard error), questions answered by --yes, by a prompt on a terminal,
// or No when nobody can answer.
class TextUi : public UserInterface {
public:
    TextUi(bool assumeYes, bool interactive) : assumeYes_(assumeYes), interactive_(interactive) {}
    void message(MessageKind kind, const QString& text, const QString& title = {}) override;
    bool question(const QString& text, QuestionKind kind = QuestionKind::YesNo, const QString& title = {}) override;
    void log(const QString& line) override;
    void progressStart(const QString& caption, int steps) override;
    void progressStep(int done) override;
    void progressEnd() override;
    int errors() const { return errors_; }

private:
    bool assumeYes_;
    bool interactive_;
    int errors_ = 0;
    int steps_ = 0;
    QString caption_;
};

struct Arguments {
    QString command;
    QStringList positional;
    QMap<QString, QString> options; // "--company" -> "1"
    QStringList flags;              // "--demo"
    bool has(const QString& flag) const { return flags.contains(flag) || options.contains(flag); }
    QString value(const QString& option, const QString& fallback = {}) const { return options.value(option, fallback); }
};

// Refusal of a command with a message for the user; exit status 2. With
// `showUsage` the command's usage follows the message.
class CliError : public UserError {
public:
    explicit CliError(const QString& message, int status = 2, bool showUsage = false)
        : UserError(message), status(status), showUsage(showUsage) {}
    int status;
    bool showUsage;
};

// A typed value read by the engine's routines; a refusal is a wrong command
// line (exit status 2).
template <typename Read>
auto Typed(Read read) -> decltype(read()) {
    try {
        return read();
    } catch (const CliError&) {
        throw;
    } catch (const UserError& e) {
        throw CliError(e.message());
    }
}

// The options a command takes, read from its usage line: "--company C" takes
// a value, "[--yes]" is a flag, a quoted word ("COMANDO") is a positional
// argument.
struct OptionSpec {
    QStringList valued;
    QStringList flags;
    int positional = 0;
    static OptionSpec fromUsage(const QString& usage);
};

class Context {
public:
    Context(Arguments args, QTextStream& out);
    Arguments args;
    QTextStream& out;
    Session& session() { return *session_; }
    TextUi& ui() { return *ui_; }

    // Signs in the --user (or FOLHA_USER; password from FOLHA_PASSWORD or a
    // prompt) by the engine's rules (waits and locks after failures, no
    // empty password). An installation that has or ever had users refuses a
    // command without one; one that never had users (being set up) runs it
    // as "Nenhum".
    void signInUser();
    // The installation root holds an installation (only init creates one).
    void requireInstallation();
    // Refuses a user below level "SUP".
    void requireSupervisor(const QString& what);
    std::optional<UserRow> user;
    QString userCode() const { return user ? user->code : QString(); }

    // Re-points the alias at --company (checked against the user's
    // companies) and chooses --branch, or the company's only/first branch.
    CompanyRow openCompany();
    QString branchCode();
    // The branch row of the chosen branch.
    int branchNumber();

    // Audit entry of a data-changing command.
    void audit(const AuditEntry& entry);

    QString requireOption(const QString& name) const;

private:
    std::unique_ptr<Session> session_;
    std::unique_ptr<TextUi> ui_;
    std::optional<CompanyRow> company_;
    QString branch_;
};

struct Command {
    QString name;
    QString usage;
    std::function<int(Context&)> run;
};

// Every subcommand; each group of engine jobs adds its own.
QList<Command> coreCommands();
QList<Command> payrollCommands(); // calc, undo, events, explain
QList<Command> govCommands();     // sefip, grrf
QList<Command> reportCommands();  // report
QList<Command> documentCommands(); // document
QList<Command> exportCommands();  // export-xlsx
QList<Command> bookCommands();    // payroll-book
QList<Command> payslipCommands(); // payslips
QList<Command> importCommands();  // import-paradox
QList<Command> serverCommands();  // migrate, backup, restore
QList<Command> lawCommands();     // legal-tables
QList<Command> esocialCommands(); // esocial
QList<Command> bankCommands();    // bank-file, bank-return
QList<Command> accountingCommands(); // accounting

// A secret (a certificate's password): from the environment variable, else
// typed without echo on a terminal; refused when nobody can type it.
QString ReadSecret(const char* variable, const QString& prompt);

// Options every command takes: --root, --user.
extern const QStringList globalOptions;
// The command named in argv (without the program name), skipping the global
// options and their values; empty when there is none.
QString commandName(const QStringList& argv);
// Parses argv by the command's options: an unknown option, an option without
// its value or a stray argument is a CliError with the usage.
Arguments parseArguments(const QStringList& argv, const OptionSpec& spec);
QString csvField(const QString& text);

} // namespace folha::cli
