#pragma once
// A money amount written out in Portuguese words, as contracts and receipts
// write it (1.234,56 reads MIL DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA
// E SEIS CENTAVOS).

#include "Fixed.h"

#include <QString>

namespace folha {

enum class TTipoTexto { ttMaiuscula, ttMinuscula };

// How a thousand of one reads: "MIL" (the usual wording, 1.100 reads MIL E
// CEM) or "UM MIL" (UM MIL E CEM), for offices whose forms want it.
enum class TEscritaMil { emMil, emUmMil };

// The wording of `value` rounded to centavos.
// - Groups of thousands follow one another without a comma; " E " joins a
//   group to what follows it only when what follows is a single group under
//   a hundred or a round hundred (MIL E TRINTA, MIL E CEM, MIL DUZENTOS E
//   TRINTA, UM MILHÃO E QUINHENTOS MIL).
// - An amount of exact millions or billions takes "DE" before the currency
//   (DOIS MILHÕES DE REAIS); the centavos follow with " E " (UM REAL E UM
//   CENTAVO); centavos alone read "... CENTAVOS DE REAL".
// - Zero, and an amount that rounds to 0,00, read "ZERO " and the plural.
// Throws UserError for a negative value and for one trillion and above.
QString AmountInWords(Fixed value, const QString& singular = "REAL", const QString& plural = "REAIS",
                      TTipoTexto tipo = TTipoTexto::ttMaiuscula, TEscritaMil mil = TEscritaMil::emMil);


} // namespace folha
