#pragma once
// The `folha` command line: every engine job without a display.

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

// Refusal of a command with a message for the user; exit status 2.
struct CliError {
    QString message;
    int status = 2;
};

class Context {
public:
    Context(Arguments args, QTextStream& out);
    Arguments args;
    QTextStream& out;
    Session& session() { return *session_; }
    TextUi& ui() { return *ui_; }

    // Signs in the --user (password from FOLHA_PASSWORD or a prompt); with
    // no --user the command runs without one and logs as "Nenhum".
    void signInUser();
    std::optional<UserRow> user;
    QString userCode() const { return user ? user->code : QString(); }

    // Re-points the alias at --company (checked against the user's
    // companies) and chooses --branch, or the company's only/first branch.
    CompanyRow openCompany();
    QString branchCode();
    // The branch row of the chosen branch.
    int branchNumber();

    // Audit entry of a data-changing command.
    void audit(const QString& action, const QString& table, const QString& text);

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
QList<Command> payrollCommands(); // calc, undo, events
QList<Command> govCommands();     // sefip, grrf

// Parses argv (without the program name). Boolean flags take no value.
Arguments parseArguments(const QStringList& argv);
QString csvField(const QString& text);

} // namespace folha::cli
