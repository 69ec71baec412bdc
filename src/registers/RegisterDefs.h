#pragma once
// The particulars of each register screen: its table, title, default search
// field, audit texts and list title. The forms themselves come from the
// registry; this table only names fields.

#include "Table.h"

#include <QList>
#include <QString>

namespace folha::registers {

// A label and the field whose value follows it in an audit text
// ("|Codigo: " COD_BANCO).
struct AuditField {
    QString label;
    QString field;
};

struct RegisterDef {
    QString screen;      // "TfoCadBancos"
    QString table;       // registry table ("BANCO")
    QString title;       // "Bancos"
    QString searchField; // default search field ("COD_BANCO"); empty: none
    // Audit texts: the prefix of each action, then the labels and values.
    QString insertPrefix; // "Inclusão de cadastro de banco |Codigo: "
    QString editPrefix;   // "Edição de cadastro de banco |Codigo: "
    QString deletePrefix; // "Exclusão de cadastro de banco |Codigo: "
    QList<AuditField> auditFields; // the first field follows the prefix with an empty label
    QString listTitle;   // "Relatório de Bancos"
    bool keyEditable = false; // the first box stays enabled on Edit and takes the focus
    QString fixedHeader;      // a header of its own (the employee register); empty: built from the title

    // "                  Cadastro e Consulta de " + title + ":" (18 blanks), or the fixed header.
    QString header() const;
};

// The nineteen registers of the "Cadastros" menu, and the events screens'
// particulars (title "Ocorrencias").
const QList<RegisterDef>& RegisterDefs();
// By screen class; null when unknown.
const RegisterDef* FindRegister(const QString& screen);

// The audit text of a row for an action: "I" insert, "E" edit, "X" delete.
QString RegisterAuditText(const RegisterDef& def, const QString& action, const Record& row);

} // namespace folha::registers
