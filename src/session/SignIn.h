#pragma once
// Signing in: the user's password, the companies the user may open, the
// branch, and the program-wide sign-in values.

#include "Session.h"
#include "UserInterface.h"

#include <QList>
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

class SignIn {
public:
    explicit SignIn(Session& session) : session_(session) {}

    QList<UserRow> users(); // by name
    std::optional<UserRow> user(const QString& code);
    // Checks the password as exact text. A legacy plain-text password is
    // replaced by its hash on success. Gives "Senha digitada não confere..."
    // on a wrong password.
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
    QString loginIni() const;
    Session& session_;
};

} // namespace folha
