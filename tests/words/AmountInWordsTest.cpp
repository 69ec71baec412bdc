#include "AmountInWords.h"
#include "DbError.h"
#include "TValorPorExtenso.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace folha {
namespace {

Fixed F(const char* text) { return *Fixed::parse(QString::fromUtf8(text)); }

struct WordsCase {
    const char* amount;
    TTipoTexto tipo;
    const char* text;
};

const WordsCase kCases[] = {
    {"0", TTipoTexto::ttMaiuscula, "ZERO REAIS"},
    {"1", TTipoTexto::ttMaiuscula, "UM REAL"},
    {"100.01", TTipoTexto::ttMaiuscula, "CEM REAIS, UM CENTAVO"},
    {"0.50", TTipoTexto::ttMaiuscula, "CINQUENTA CENTAVOS DE REAL"},
    {"1000000", TTipoTexto::ttMaiuscula, "UM MILHÃO DE REAIS"},
    {"2000000", TTipoTexto::ttMaiuscula, "DOIS MILHÕES REAIS"},
    {"1234567.89", TTipoTexto::ttMaiuscula,
     "UM MILHÃO, DUZENTOS E TRINTA E QUATRO MIL E QUINHENTOS E SESSENTA E SETE REAIS, OITENTA E NOVE CENTAVOS"},
    {"21000", TTipoTexto::ttMaiuscula, "VINTE E UM MIL REAIS"},
    {"1001", TTipoTexto::ttMaiuscula, "UM MIL E UM REAIS"},
    {"1000100", TTipoTexto::ttMaiuscula, "UM MILHÃO E CEM REAIS"},
    {"0.01", TTipoTexto::ttMaiuscula, "UM CENTAVO DE REAL"},
    {"0.004", TTipoTexto::ttMaiuscula, ""},
    {"21", TTipoTexto::ttMinuscula, "vinte e um reais"},
    {"123.45", TTipoTexto::ttMaiuscula, "CENTO E VINTE E TRÊS REAIS, QUARENTA E CINCO CENTAVOS"},
    {"123.45", TTipoTexto::ttMinuscula, "cento e vinte e três reais, quarenta e cinco centavos"},
    {"100", TTipoTexto::ttMaiuscula, "CEM REAIS"},
    {"101", TTipoTexto::ttMaiuscula, "CENTO E UM REAIS"},
    {"110", TTipoTexto::ttMaiuscula, "CENTO E DEZ REAIS"},
    {"200", TTipoTexto::ttMaiuscula, "DUZENTOS REAIS"},
    {"999", TTipoTexto::ttMaiuscula, "NOVECENTOS E NOVENTA E NOVE REAIS"},
    {"1000", TTipoTexto::ttMaiuscula, "UM MIL REAIS"},
    {"1100", TTipoTexto::ttMaiuscula, "UM MIL E CEM REAIS"},
    {"14.16", TTipoTexto::ttMaiuscula, "CATORZE REAIS, DEZESSEIS CENTAVOS"},
    {"2000001", TTipoTexto::ttMaiuscula, "DOIS MILHÕES E UM REAIS"},
    {"10000000", TTipoTexto::ttMaiuscula, "DEZ MILHÕES DE REAIS"},
    {"100000000", TTipoTexto::ttMaiuscula, "CEM MILHÕES DE REAIS"},
    {"1000000000", TTipoTexto::ttMaiuscula, "UM BILHÃO DE REAIS"},
    {"1500000000.99", TTipoTexto::ttMaiuscula, "UM BILHÃO, QUINHENTOS MILHÕES REAIS, NOVENTA E NOVE CENTAVOS"},
    {"999999999999.99", TTipoTexto::ttMaiuscula,
     "NOVECENTOS E NOVENTA E NOVE BILHÕES, NOVECENTOS E NOVENTA E NOVE MILHÕES, NOVECENTOS E NOVENTA E NOVE "
     "MIL E NOVECENTOS E NOVENTA E NOVE REAIS, NOVENTA E NOVE CENTAVOS"},
    {"1.005", TTipoTexto::ttMaiuscula, "UM REAL, UM CENTAVO"},
    {"0.999", TTipoTexto::ttMaiuscula, "UM"},  // rounds to 1,00 but its integer part is 0
    {"2.30", TTipoTexto::ttMinuscula, "dois reais, trinta centavos"},
};

TEST(AmountInWords, ReadsEveryCase) {
    for (const WordsCase& c : kCases) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(AmountInWords(F(c.amount), "REAL", "REAIS", c.tipo), QString::fromUtf8(c.text));
    }
}

TEST(AmountInWords, UsesTheGivenCurrencyNames) {
    struct {
        const char* amount;
        const char* text;
    } const cases[] = {
        {"1", "UM DÓLAR"},
        {"3", "TRÊS DÓLARES"},
        {"0.02", "DOIS CENTAVOS DE DÓLAR"},
        {"1000000", "UM MILHÃO DE DÓLARES"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(AmountInWords(F(c.amount), QString::fromUtf8("dólar"), QString::fromUtf8("dólares")),
                  QString::fromUtf8(c.text));
    }
}

TEST(AmountInWords, RefusesValuesOutOfRange) {
    struct {
        const char* amount;
        const char* message;
    } const cases[] = {
        {"-0.01", "O valor deve ser maior ou igual a 0,00"},
        {"-1000", "O valor deve ser maior ou igual a 0,00"},
        {"1000000000000", "Valor acima do limite do extenso (999.999.999.999,99)"},
        {"999999999999.995", "Valor acima do limite do extenso (999.999.999.999,99)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        try {
            AmountInWords(F(c.amount));
            ADD_FAILURE() << "no error";
        } catch (const UserError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
}

TEST(ValorPorExtenso, StartsWithZeroReais) {
    TValorPorExtenso c;
    EXPECT_EQ(c.Texto(), "ZERO REAIS");
    EXPECT_EQ(c.MoedaNoSingular(), "REAL");
    EXPECT_EQ(c.MoedaNoPlural(), "REAIS");
    EXPECT_EQ(c.TipoDoTexto(), TTipoTexto::ttMaiuscula);
    EXPECT_TRUE(c.Valor().isZero());
}

// Each step changes one property; the spy counts the refreshes so far.
TEST(ValorPorExtenso, RefreshesOnlyOnRealChanges) {
    TValorPorExtenso c;
    QSignalSpy spy(&c, &TValorPorExtenso::textoChanged);
    struct Step {
        const char* what;
        std::function<void()> apply;
        int refreshes;
        const char* text;
    };
    const Step steps[] = {
        {"valor 21", [&] { c.setValor(F("21")); }, 1, "VINTE E UM REAIS"},
        {"same valor", [&] { c.setValor(F("21")); }, 1, "VINTE E UM REAIS"},
        {"plural other case", [&] { c.setMoedaNoPlural("reais"); }, 1, "VINTE E UM REAIS"},
        {"singular other case", [&] { c.setMoedaNoSingular("Real"); }, 1, "VINTE E UM REAIS"},
        {"lower case", [&] { c.setTipoDoTexto(TTipoTexto::ttMinuscula); }, 2, "vinte e um reais"},
        {"lower case again", [&] { c.setTipoDoTexto(TTipoTexto::ttMinuscula); }, 2, "vinte e um reais"},
        {"plural euros", [&] { c.setMoedaNoPlural("EUROS"); }, 3, "vinte e um euros"},
        {"singular euro", [&] { c.setMoedaNoSingular("EURO"); }, 4, "vinte e um euros"},
        {"valor 1", [&] { c.setValor(F("1")); }, 5, "um euro"},
        {"capitals", [&] { c.setTipoDoTexto(TTipoTexto::ttMaiuscula); }, 6, "UM EURO"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.apply();
        EXPECT_EQ(spy.count(), s.refreshes);
        EXPECT_EQ(c.Texto(), QString::fromUtf8(s.text));
        if (!spy.isEmpty()) {
            EXPECT_EQ(spy.last().at(0).toString(), c.Texto());
        }
    }
}

TEST(ValorPorExtenso, RefusedValueLeavesTheComponentUnchanged) {
    TValorPorExtenso c;
    c.setValor(F("100.01"));
    QSignalSpy spy(&c, &TValorPorExtenso::textoChanged);
    for (const char* bad : {"-5", "1000000000000"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(c.setValor(F(bad)), UserError);
        EXPECT_EQ(c.Valor(), F("100.01"));
        EXPECT_EQ(c.Texto(), "CEM REAIS, UM CENTAVO");
        EXPECT_EQ(spy.count(), 0);
    }
}

} // namespace
} // namespace folha
