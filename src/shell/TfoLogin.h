#pragma once
// The sign-in screen: user and password, then the company and, when the
// company has several, the branch.

#include "SignIn.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace folha {

class TfoLogin : public QDialog {
    Q_OBJECT
public:
    // The result of exec() when the person asked to end the program (exit
    // button, update program started).
    enum { ExitRequested = 2 };

    TfoLogin(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    ~TfoLogin() override;

    // What the person does, one handler each (the tests call them too).
    void userClicked(int row);
    void passwordEntered();
    void companyClicked(int row);
    void companyEntered();
    void branchClicked(int row);
    void branchEntered();
    void confirmClicked();
    void clearLastLoginClicked();
    void updateClicked();
    // Covers the company choice (`OcultarEmpresa`).
    void hideCompany();

    // What the screen shows.
    bool companyChoiceCovered() const;
    bool branchListShown() const;
    bool confirmEnabled() const;
    bool passwordShown() const;
    QStringList userNames() const;
    QStringList companyNames() const;
    QStringList branchNames() const;
    QString selectedUserCode() const;
    QString directoryText() const;
    QListWidget* userList() const { return users_; }
    QLineEdit* passwordBox() const { return password_; }
    QListWidget* companyList() const { return companies_; }
    QListWidget* branchList() const { return branches_; }
    QPushButton* confirmButton() const { return confirm_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<CompanyRow> currentCompany() const;
    QString currentBranchCode() const;
    void selectRowWithData(QListWidget* list, const QString& value);

    Session& session_;
    UserInterface& ui_;
    QObject* previousOwner_;
    SignIn signIn_;
    LastSignIn last_;
    QList<CompanyRow> companyRows_;
    QList<BranchRow> branchRows_;
    bool shownOnce_ = false;
    int loadedCompany_ = -1; // the row of companies_ whose branches are shown

    QListWidget* users_;
    QLineEdit* password_;
    QStackedWidget* companyCover_;
    QListWidget* companies_;
    QLabel* branchHeader_;
    QListWidget* branches_;
    QLabel* directory_;
    QPushButton* confirm_;
    QPushButton* exit_;
    QLabel* version_;
    QToolButton* update_;
};

} // namespace folha
