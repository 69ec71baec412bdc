#include "AmountInWords.h"

#include "DbError.h"

#include <array>

namespace folha {

namespace {

const std::array<const char*, 20> kUnits = {
    "",       "UM",    "DOIS",   "TRÊS",     "QUATRO",  "CINCO",     "SEIS",
    "SETE",   "OITO",  "NOVE",   "DEZ",      "ONZE",    "DOZE",      "TREZE",
    "CATORZE", "QUINZE", "DEZESSEIS", "DEZESSETE", "DEZOITO", "DEZENOVE"};
const std::array<const char*, 10> kTens = {"",         "",         "VINTE",    "TRINTA",  "QUARENTA",
                                           "CINQUENTA", "SESSENTA", "SETENTA", "OITENTA", "NOVENTA"};
const std::array<const char*, 10> kHundreds = {"",           "CENTO",      "DUZENTOS",  "TREZENTOS",
                                               "QUATROCENTOS", "QUINHENTOS", "SEISCENTOS", "SETECENTOS",
                                               "OITOCENTOS",  "NOVECENTOS"};

// The largest amount the wording reaches, in centavos.
constexpr int64_t kLimitCentavos = 99999999999999;

// The words of a group of up to three digits; 0 gives an empty text.
QString GroupWords(int n) {
    if (n <= 0) return {};
    if (n < 20) return QString::fromUtf8(kUnits[n]);
    if (n < 100) {
        QString text = QString::fromUtf8(kTens[n / 10]);
        if (n % 10 != 0) text += " E " + QString::fromUtf8(kUnits[n % 10]);
        return text;
    }
    if (n == 100) return QStringLiteral("CEM");
    QString text = QString::fromUtf8(kHundreds[n / 100]);
    if (n % 100 != 0) text += " E " + GroupWords(n % 100);
    return text;
}

// The scale words of the groups from the most significant: billions,
// millions, thousands, units.
const char* ScaleWord(int index, int64_t group) {
    switch (index) {
    case 0: return group == 1 ? " BILHÃO" : " BILHÕES";
    case 1: return group == 1 ? " MILHÃO" : " MILHÕES";
    case 2: return " MIL";
    default: return "";
    }
}

} // namespace

QString AmountInWords(Fixed value, const QString& singular, const QString& plural, TTipoTexto tipo, TEscritaMil mil) {
    if (value.isNegative()) throw UserError(QStringLiteral("O valor deve ser maior ou igual a 0,00"));

    const int64_t centavosTotal = RoundValue(2, value).raw() / (Fixed::Scale / 100);
    if (centavosTotal > kLimitCentavos)
        throw UserError(QStringLiteral("Valor acima do limite do extenso (999.999.999.999,99)"));
    const int64_t whole = centavosTotal / 100;
    const int centavos = int(centavosTotal % 100);

    QString text;
    if (centavosTotal == 0) {
        text = "ZERO " + plural;
    } else {
        const std::array<int64_t, 4> groups = {whole / 1000000000, whole / 1000000 % 1000, whole / 1000 % 1000,
                                               whole % 1000};
        for (int i = 0; i < 4; ++i) {
            if (groups[i] == 0) continue;
            if (!text.isEmpty()) {
                // " E " only before a lone last group under a hundred or of
                // round hundreds; otherwise the groups just follow.
                int nonZero = 0;
                for (int j = i; j < 4; ++j) nonZero += groups[j] != 0;
                text += nonZero == 1 && (groups[i] < 100 || groups[i] % 100 == 0) ? " E " : " ";
            }
            if (i == 2 && groups[i] == 1 && mil == TEscritaMil::emMil)
                text += "MIL";
            else
                text += GroupWords(int(groups[i])) + QString::fromUtf8(ScaleWord(i, groups[i]));
        }

        if (whole == 1)
            text += " " + singular;
        else if (whole >= 1000000 && whole % 1000000 == 0)
            text += " DE " + plural;
        else if (whole != 0)
            text += " " + plural;

        if (centavos > 0) {
            if (whole > 0) text += " E ";
            text += GroupWords(centavos) + (centavos == 1 ? " CENTAVO" : " CENTAVOS");
            if (whole == 0) text += " DE " + singular;
        }
    }
    return tipo == TTipoTexto::ttMaiuscula ? text.toUpper() : text.toLower();
}

} // namespace folha
