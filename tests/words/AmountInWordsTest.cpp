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
    const char* text;
};

// Written by hand in the wording of contracts and receipts.
const WordsCase kCases[] = {
    {"0", "ZERO REAIS"},
    {"0.004", "ZERO REAIS"},
    {"0.01", "UM CENTAVO DE REAL"},
    {"0.02", "DOIS CENTAVOS DE REAL"},
    {"0.10", "DEZ CENTAVOS DE REAL"},
    {"0.50", "CINQUENTA CENTAVOS DE REAL"},
    {"0.99", "NOVENTA E NOVE CENTAVOS DE REAL"},
    {"0.999", "UM REAL"},
    {"1", "UM REAL"},
    {"1.005", "UM REAL E UM CENTAVO"},
    {"1.01", "UM REAL E UM CENTAVO"},
    {"1.50", "UM REAL E CINQUENTA CENTAVOS"},
    {"2", "DOIS REAIS"},
    {"2.30", "DOIS REAIS E TRINTA CENTAVOS"},
    {"10", "DEZ REAIS"},
    {"14.16", "CATORZE REAIS E DEZESSEIS CENTAVOS"},
    {"19", "DEZENOVE REAIS"},
    {"20", "VINTE REAIS"},
    {"21", "VINTE E UM REAIS"},
    {"99.99", "NOVENTA E NOVE REAIS E NOVENTA E NOVE CENTAVOS"},
    {"100", "CEM REAIS"},
    {"100.01", "CEM REAIS E UM CENTAVO"},
    {"101", "CENTO E UM REAIS"},
    {"110", "CENTO E DEZ REAIS"},
    {"115", "CENTO E QUINZE REAIS"},
    {"121", "CENTO E VINTE E UM REAIS"},
    {"123.45", "CENTO E VINTE E TRÊS REAIS E QUARENTA E CINCO CENTAVOS"},
    {"200", "DUZENTOS REAIS"},
    {"999", "NOVECENTOS E NOVENTA E NOVE REAIS"},
    {"1000", "MIL REAIS"},
    {"1001", "MIL E UM REAIS"},
    {"1010", "MIL E DEZ REAIS"},
    {"1030", "MIL E TRINTA REAIS"},
    {"1099", "MIL E NOVENTA E NOVE REAIS"},
    {"1100", "MIL E CEM REAIS"},
    {"1101", "MIL CENTO E UM REAIS"},
    {"1200", "MIL E DUZENTOS REAIS"},
    {"1230", "MIL DUZENTOS E TRINTA REAIS"},
    {"1234.56", "MIL DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA E SEIS CENTAVOS"},
    {"1999.99", "MIL NOVECENTOS E NOVENTA E NOVE REAIS E NOVENTA E NOVE CENTAVOS"},
    {"2000", "DOIS MIL REAIS"},
    {"2500", "DOIS MIL E QUINHENTOS REAIS"},
    {"10000", "DEZ MIL REAIS"},
    {"15300.40", "QUINZE MIL E TREZENTOS REAIS E QUARENTA CENTAVOS"},
    {"21000", "VINTE E UM MIL REAIS"},
    {"47891.03", "QUARENTA E SETE MIL OITOCENTOS E NOVENTA E UM REAIS E TRÊS CENTAVOS"},
    {"99999.99", "NOVENTA E NOVE MIL NOVECENTOS E NOVENTA E NOVE REAIS E NOVENTA E NOVE CENTAVOS"},
    {"100000", "CEM MIL REAIS"},
    {"100100", "CEM MIL E CEM REAIS"},
    {"101000", "CENTO E UM MIL REAIS"},
    {"150000", "CENTO E CINQUENTA MIL REAIS"},
    {"999999", "NOVECENTOS E NOVENTA E NOVE MIL NOVECENTOS E NOVENTA E NOVE REAIS"},
    {"1000000", "UM MILHÃO DE REAIS"},
    {"1000000.50", "UM MILHÃO DE REAIS E CINQUENTA CENTAVOS"},
    {"1000001", "UM MILHÃO E UM REAIS"},
    {"1000100", "UM MILHÃO E CEM REAIS"},
    {"1001000", "UM MILHÃO E MIL REAIS"},
    {"1500000", "UM MILHÃO E QUINHENTOS MIL REAIS"},
    {"1234567.89", "UM MILHÃO DUZENTOS E TRINTA E QUATRO MIL QUINHENTOS E SESSENTA E SETE REAIS E OITENTA E NOVE CENTAVOS"},
    {"2000000", "DOIS MILHÕES DE REAIS"},
    {"2000001", "DOIS MILHÕES E UM REAIS"},
    {"10000000", "DEZ MILHÕES DE REAIS"},
    {"12345678.90", "DOZE MILHÕES TREZENTOS E QUARENTA E CINCO MIL SEISCENTOS E SETENTA E OITO REAIS E NOVENTA CENTAVOS"},
    {"100000000", "CEM MILHÕES DE REAIS"},
    {"999999999.99", "NOVECENTOS E NOVENTA E NOVE MILHÕES NOVECENTOS E NOVENTA E NOVE MIL NOVECENTOS E NOVENTA E NOVE REAIS E NOVENTA E NOVE CENTAVOS"},
    {"1000000000", "UM BILHÃO DE REAIS"},
    {"1500000000.99", "UM BILHÃO E QUINHENTOS MILHÕES DE REAIS E NOVENTA E NOVE CENTAVOS"},
    {"2000000000", "DOIS BILHÕES DE REAIS"},
    {"3000500000", "TRÊS BILHÕES E QUINHENTOS MIL REAIS"},
    {"999999999999.99", "NOVECENTOS E NOVENTA E NOVE BILHÕES NOVECENTOS E NOVENTA E NOVE MILHÕES NOVECENTOS E NOVENTA E NOVE MIL NOVECENTOS E NOVENTA E NOVE REAIS E NOVENTA E NOVE CENTAVOS"},
};

TEST(AmountInWords, ReadsEveryCase) {
    for (const WordsCase& c : kCases) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(AmountInWords(F(c.amount)), QString::fromUtf8(c.text));
    }
}

// Lower case, and the office's choice of UM MIL, change only what they say.
TEST(AmountInWords, LowerCaseAndUmMil) {
    struct {
        const char* amount;
        TTipoTexto tipo;
        TEscritaMil mil;
        const char* text;
    } const cases[] = {
        {"21", TTipoTexto::ttMinuscula, TEscritaMil::emMil, "vinte e um reais"},
        {"123.45", TTipoTexto::ttMinuscula, TEscritaMil::emMil, "cento e vinte e três reais e quarenta e cinco centavos"},
        {"1000", TTipoTexto::ttMaiuscula, TEscritaMil::emUmMil, "UM MIL REAIS"},
        {"1100", TTipoTexto::ttMaiuscula, TEscritaMil::emUmMil, "UM MIL E CEM REAIS"},
        {"1234.56", TTipoTexto::ttMaiuscula, TEscritaMil::emUmMil,
         "UM MIL DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA E SEIS CENTAVOS"},
        {"1001000", TTipoTexto::ttMaiuscula, TEscritaMil::emUmMil, "UM MILHÃO E UM MIL REAIS"},
        {"21000", TTipoTexto::ttMaiuscula, TEscritaMil::emUmMil, "VINTE E UM MIL REAIS"},
        {"1001", TTipoTexto::ttMinuscula, TEscritaMil::emUmMil, "um mil e um reais"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.amount);
        EXPECT_EQ(AmountInWords(F(c.amount), "REAL", "REAIS", c.tipo, c.mil), QString::fromUtf8(c.text));
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
        {"valor 1000", [&] { c.setValor(F("1000")); }, 7, "MIL EUROS"},
        {"um mil", [&] { c.setEscritaDoMil(TEscritaMil::emUmMil); }, 8, "UM MIL EUROS"},
        {"um mil again", [&] { c.setEscritaDoMil(TEscritaMil::emUmMil); }, 8, "UM MIL EUROS"},
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
        EXPECT_EQ(c.Texto(), "CEM REAIS E UM CENTAVO");
        EXPECT_EQ(spy.count(), 0);
    }
}

} // namespace
} // namespace folha
