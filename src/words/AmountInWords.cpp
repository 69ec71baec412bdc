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

void AppendPart(QString& text, const QString& part) {
    if (!text.isEmpty()) text += ", ";
    text += part;
}

} // namespace

QString AmountInWords(Fixed value, const QString& singular, const QString& plural, TTipoTexto tipo) {
    if (value.isNegative()) throw UserError(QStringLiteral("O valor deve ser maior ou igual a 0,00"));

    QString text;
    if (value.isZero()) {
        text = "ZERO " + plural;
    } else {
        const int64_t centavosTotal = RoundValue(2, value).raw() / (Fixed::Scale / 100);
        if (centavosTotal > kLimitCentavos)
            throw UserError(QStringLiteral("Valor acima do limite do extenso (999.999.999.999,99)"));
        const int64_t whole = centavosTotal / 100;
        const int centavos = int(centavosTotal % 100);
        const int billions = int(whole / 1000000000);
        const int millions = int(whole / 1000000 % 1000);
        const int thousands = int(whole / 1000 % 1000);
        const int units = int(whole % 1000);

        if (billions > 0) text = GroupWords(billions) + (billions == 1 ? " BILHÃO" : " BILHÕES");
        if (millions > 0) AppendPart(text, GroupWords(millions) + (millions == 1 ? " MILHÃO" : " MILHÕES"));
        if (thousands > 0) AppendPart(text, GroupWords(thousands) + " MIL");
        if (units > 0) {
            if (!text.isEmpty()) text += " E ";
            text += GroupWords(units);
        }

        // The currency goes by the integer part of the amount as given, before
        // the rounding to centavos.
        const int64_t n = value.truncated();
        if (n == 1)
            text += " " + singular;
        else if (n == 1000000 || n == 10000000 || n == 100000000 || n == 1000000000)
            text += " DE " + plural;
        else if (n != 0)
            text += " " + plural;

        if (centavos > 0) {
            if (n > 0) text += ", ";
            text += GroupWords(centavos) + (centavos == 1 ? " CENTAVO" : " CENTAVOS");
            if (n == 0) text += " DE " + singular;
        }
    }
    return tipo == TTipoTexto::ttMaiuscula ? text.toUpper() : text.toLower();
}

} // namespace folha
