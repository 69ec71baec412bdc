#pragma once
// The government's schemas of the events (layout S-1.3) and of the batch
// envelope, shipped inside the program, and the validation of a document
// against them with the errors in Portuguese, each naming its field.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace folha::esocial {

enum class Signature {
    Optional, // an event not yet signed: the schema with the signature made optional
    Required, // the schema as published
};

// Messages in Portuguese, one per error ("Campo evtRemun/dmDev/ideDmDev (linha 3): …");
// empty when the document is valid. A type without a schema is an error.
QStringList ValidateEvent(const QByteArray& xml, const QString& type, Signature signature);
// The batch envelope (EnvioLoteEventos).
QStringList ValidateBatch(const QByteArray& xml);
// Any shipped schema by its name ("comunicacao/RetornoEvento-v1_2_1.xsd",
// "S-1.3/evtCS.xsd"): the government's answers and the totals it returns.
QStringList ValidateDocument(const QByteArray& xml, const QString& schemaName, Signature signature = Signature::Required);
// The text of a shipped schema ("S-1.3/evtRemun.xsd"); empty when missing.
QByteArray ShippedSchema(const QString& name);

} // namespace folha::esocial
