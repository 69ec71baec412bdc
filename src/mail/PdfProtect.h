#pragma once
// A PDF protected by a password: encrypted with AES-256 (security handler
// revision 6) by libqpdf, in memory from start to end.

#include <QByteArray>
#include <QString>

namespace folha {

// The document opens only with `userPassword`; `ownerPassword` (random when
// empty) holds the rights to change it. Printing is allowed, changing is
// not. Throws UserError when the PDF cannot be read or written.
QByteArray ProtectPdf(const QByteArray& pdf, const QString& userPassword, const QString& ownerPassword = {});

} // namespace folha
