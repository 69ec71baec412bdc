#pragma once
// Signing in: the user's password, the companies the user may open, the
// branch, and the program-wide sign-in values.

#include "Session.h"
#include "UserInterface.h"

#include <QDateTime>
#include <QList>
#include <functional>
#include <optional>

namespace folha {

struct UserRow {
    QString code;
    QString name;
    QString level;
};

struct CompanyRow {
    int code = 0;
    QString name;
    QString directory; // `Diretorio`, below the drive root of the alias
};

struct BranchRow {
    QString code;
    QString name;
};

// The choices of the last confirmed sign-in ("LoginFolha.ini").
struct LastSignIn {
    QString company; // company `Codigo`
    QString branch;  // branch `CODIGO`
    QString user;    // user `Codigo`
};

// What a sign-in attempt came to.
enum class SignInOutcome {
    Accepted,      // the password is the user's
    Refused,       // wrong password or no such user (the two look alike)
    Waiting,       // too many failures in a row: not tried, try again later
    Locked,        // locked after too many failures, until a time or a supervisor
    NeedsPassword, // the user has no password yet: one must be chosen first
};

struct SignInAttempt {
    SignInOutcome outcome = SignInOutcome::Refused;
    std::optional<UserRow> user; // Accepted and NeedsPassword
    QString message;             // what the person reads unless Accepted
};

// A refused sign-in as the supervisor reads it.
struct FailedSignIn {
    QString user;        // the code typed
    QString workstation; // computer name
    QString systemUser;  // the operating-system user
    QString when;        // local time "yyyy-MM-dd HH:mm:ss"
    QString reason;
};

// A user code whose failures hold it back.
struct SignInHold {
    QString user;
    int failures = 0;
    QDateTime lockedUntil; // invalid when not locked
};

class SignIn {
public:
    explicit SignIn(Session& session) : session_(session) {}

    // The rules of failed sign-ins: free attempts, then a growing wait after
    // each failure, then a lock.
    static constexpr int FreeFailures = 3;
    static constexpr int LockAfterFailures = 10;
    static constexpr int LockMinutes = 15;
    // Seconds to wait after `failures` failures in a row (0 while free).
    static int waitAfter(int failures);
    // The clock the rules read (tests move it).
    using Clock = std::function<QDateTime()>;
    void setClock(Clock clock) { clock_ = std::move(clock); }

    // The one check of a typed password, for the desktop and the command
    // line alike: applies the wait and the lock, counts and logs a failure
    // (with the workstation), clears the failures on success, replaces a
    // legacy plain-text password by its hash, and never accepts an empty
    // password (a user without one gets NeedsPassword).
    SignInAttempt attempt(const QString& userCode, const QString& password);
    // Gives a user without a password (an empty one, as old tables bring)
    // the first one. Refuses (UserError) a blank password, a user who has
    // one already, and an unknown user.
    void setFirstPassword(const QString& userCode, const QString& newPassword);

    // The refused sign-ins, newest first (at most `limit`).
    QList<FailedSignIn> failedSignIns(int limit = 200);
    // User codes with failures counted or a lock.
    QList<SignInHold> holds();
    // Clears the failures and the lock of a user code (a supervisor's act);
    // false when there was nothing to clear.
    bool unlock(const QString& userCode);

    // Whether the installation has ever had users: then it never runs
    // without a sign-in, even with its user table emptied. Marked on the
    // first look at a table with users.
    bool hadUsers();
    // Whether any user row exists (marks hadUsers when so).
    bool hasUsers();

    QList<UserRow> users(); // by name
    std::optional<UserRow> user(const QString& code);
    // attempt(), telling the person any refusal: "Senha digitada não
    // confere..." on a wrong password. A user without a password is refused
    // here (the desktop asks for one through attempt()).
    std::optional<UserRow> authenticate(const QString& userCode, const QString& password, UserInterface& ui);
    // Companies with a directory; a level other than "SUP" sees only the
    // companies listed for the user, in the table's order of the list.
    QList<CompanyRow> allowedCompanies(const UserRow& user);
    // All companies with a directory (a command run without a user).
    QList<CompanyRow> allCompanies();
    std::optional<CompanyRow> company(int code);
    // The company of a code that the user (or, with none signed in, anyone)
    // may open. A code not registered, or not allowed to the user, is
    // refused with a UserError saying which.
    CompanyRow reachableCompany(const std::optional<UserRow>& user, int code);
    // Branches of the company the alias points at, by name.
    QList<BranchRow> branches();

    // Re-points the alias at the company, positions its branch and fills the
    // sign-in values; writes "LoginFolha.ini" unless `remember` is false.
    // Returns false (with the message shown) when the company has no such
    // branch.
    bool confirm(const UserRow& user, const CompanyRow& company, const QString& branchCode, UserInterface& ui,
                 bool remember = true);

    // Whether the password is the user's, as exact text; tells nobody.
    bool passwordMatches(const QString& userCode, const QString& password);
    // The checks of the confirm button, all of them: each problem on a line of
    // its own, preceded by a line break; empty when the sign-in may go on.
    // `company` is the company chosen (none when the list shows none) and
    // `branchCode` the branch chosen (empty when none); the branch is looked
    // up in the company the alias points at.
    QString confirmProblems(const QString& userCode, const QString& password, const std::optional<CompanyRow>& company,
                            const QString& branchCode);

    // The sign-in memory in "LoginFolha.ini" of the program folder.
    LastSignIn lastSignIn() const;
    // "Limpar Usuario do Ultimo Login": the three values written empty.
    void clearLastSignIn();
    // The update program below the installation root.
    QString updateProgramPath() const;

private:
    QList<CompanyRow> companies(const QList<int>* allowed);
    QDateTime now() const { return clock_ ? clock_() : QDateTime::currentDateTimeUtc(); }
    void prepareTables();
    void recordFailure(const QString& code, const QString& reason);
    Clock clock_;
    QString loginIni() const;
    Session& session_;
};

} // namespace folha
