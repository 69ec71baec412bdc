#pragma once
// "Zorvan - Configuração de E-mail": the installation's outgoing mail for the
// pay statements (the "[Email]" section of CfgFolha.ini) and the server's
// password, which goes to its own file readable only by its owner. A
// supervisor's screen. The password field left blank keeps the stored one.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace folha {

class Session;
class UserInterface;

class TfoConfigEmail : public QWidget {
    Q_OBJECT
public:
    TfoConfigEmail(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    // Refused (nullptr, with the reason told) for a user below supervisor.
    static QWidget* create(Session& session, UserInterface& ui, QWidget* parent);
    static const QString ScreenName;

    // "Gravar": checks the fields, writes the password when one was typed,
    // then the settings. Returns false when a field was refused (nothing is
    // changed) or a file could not be written (said in the message).
    bool BotaoGravarClick();

    QLineEdit* field(const char* name) const;
    QComboBox* securityBox() const { return security_; }
    QComboBox* pdfRuleBox() const { return pdfRule_; }
    QPushButton* saveButton() const { return save_; }

private:
    void load();
    Session& session_;
    UserInterface& ui_;
    QLineEdit* server_;
    QLineEdit* port_;
    QComboBox* security_;
    QLineEdit* sender_;
    QLineEdit* senderName_;
    QLineEdit* user_;
    QLineEdit* password_;
    QLineEdit* caBundle_;
    QComboBox* pdfRule_;
    QLabel* passwordState_;
    QPushButton* save_;
    QPushButton* close_;
};

} // namespace folha
