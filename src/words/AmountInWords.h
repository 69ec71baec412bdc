#pragma once
// A money amount written out in Portuguese words, as printed on documents
// (123,45 reads CENTO E VINTE E TRÊS REAIS, QUARENTA E CINCO CENTAVOS).

#include "Fixed.h"

#include <QString>

namespace folha {

enum class TTipoTexto { ttMaiuscula, ttMinuscula };

// The wording of `value` rounded to centavos. Zero reads "ZERO " and the
// plural name; a value that rounds to 0,00 but is not zero gives an empty
// text. Throws UserError for a negative value and for one trillion and above.
QString AmountInWords(Fixed value, const QString& singular = "REAL", const QString& plural = "REAIS",
                      TTipoTexto tipo = TTipoTexto::ttMaiuscula);

} // namespace folha
