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
    // Branches of the company the alias points at, by name.
    QList<BranchRow> branches();

    // Re-points the alias at the company, positions its branch and fills the
    // sign-in values; writes "LoginFolha.ini". Returns false (with the
    // message shown) when the company has no such branch.
    bool confirm(const UserRow& user, const CompanyRow& company, const QString& branchCode, UserInterface& ui);

private:
    QList<CompanyRow> companies(const QList<int>* allowed);
    Session& session_;
};

} // namespace folha
