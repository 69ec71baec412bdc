#pragma once
// The installation's outgoing mail: "[Email]" of CfgFolha.ini.
//
//   Servidor=smtp.escritorio.example   the SMTP server
//   Porta=587                          587 with STARTTLS, 465 with SMTPS
//   Seguranca=STARTTLS                 STARTTLS (required, never plain) or SSL (smtps)
//   Remetente=folha@escritorio.example the sender's address
//   NomeRemetente=Departamento Pessoal the name shown beside it (optional)
//   Usuario=folha@escritorio.example   the login on the server (blank: none)
//   CertificadosCA=/caminho/ca.pem     the CA bundle to verify the server with
//                                      (blank: the system's)
//   SenhaPdf=CPF5                      the statement's password: CPF5 (the first
//                                      five digits of the employee's CPF, the
//                                      default), CPF (all eleven) or NASCIMENTO
//                                      (his birth date, DDMMAAAA)
//
// The server's password never goes into the INI: it lives in "Email.senha"
// in the program folder, readable only by its owner, kept by the same
// routine as the database server's password file.

#include "Installation.h"

#include <QDate>
#include <QString>

namespace folha {

enum class MailSecurity { StartTls, Smtps };
enum class PdfPasswordRule { Cpf5, Cpf, BirthDate };

struct MailSettings {
    QString server;
    int port = 587;
    MailSecurity security = MailSecurity::StartTls;
    QString sender;
    QString senderName;
    QString user;
    QString caBundle;
    PdfPasswordRule pdfPassword = PdfPasswordRule::Cpf5;

    bool configured() const { return !server.isEmpty() && !sender.isEmpty(); }
    // "smtp://server:port" or "smtps://server:port".
    QString url() const;
};

// Reads [Email]; throws UserError for a port, security or password rule it
// does not know.
MailSettings ReadMailSettings(const QString& cfgFile);
void WriteMailSettings(const QString& cfgFile, const MailSettings& settings);

// "Email.senha" of the installation.
QString MailPasswordFile(const Installation& installation);
// Writes the password file (mode 0600). Throws UserError when it cannot.
void SaveMailPassword(const Installation& installation, const QString& password);
// The stored password; empty when there is no file. Throws UserError when
// the file can be read by anyone but its owner.
QString ReadMailPassword(const Installation& installation);

// The statement's password by the rule: from the CPF (digits only) or the
// birth date. Empty when the employee lacks what the rule needs.
QString PdfPasswordFor(PdfPasswordRule rule, const QString& cpf, const QDate& birth);
// How the rule is told to the employee in the message's body.
QString PdfPasswordHint(PdfPasswordRule rule);

} // namespace folha
