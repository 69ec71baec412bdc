// The additional values of a company as typed in the dialog or given on the
// command line: amounts the Brazilian way, the type, numbers and periods.
#include "SefipAdditional.h"
#include "TypedInput.h"

#include <gtest/gtest.h>

namespace folha::gov {
namespace {

TEST(TypedMoney, ReadsBrazilianAmountsAndRefusesTheRest) {
    const QList<QPair<const char*, const char*>> good = {
        {"", "0"},           {"0", "0"},         {"1234", "1234"},        {"1234,56", "1234.56"},
        {"1.234,56", "1234.56"}, {"1.234", "1234"}, {"12.345.678,9", "12345678.9"}, {" 0,05 ", "0.05"},
        {"12.34", "12.34"}, {"3100.50", "3100.5"}, {"3100.5", "3100.5"}, {"999,", nullptr},
    };
    for (const auto& [typed, expected] : good) {
        SCOPED_TRACE(typed);
        if (!expected) {
            EXPECT_THROW(TypedMoney(typed, "Valor"), UserError);
            continue;
        }
        EXPECT_EQ(TypedMoney(typed, "Valor"), *Fixed::parse(expected));
    }
    for (const char* bad : {"1,234", "1.234.5", "1.234,5.6", "1.2345,00", "-5", "1.234.56", "abc", "1,2,3", ",5", "12 3",
                            "1..234", "99999999999999999,99"}) {
        SCOPED_TRACE(bad);
        try {
            TypedMoney(bad, "Compensacao");
            ADD_FAILURE() << "aceito";
        } catch (const UserError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Valor inválido em Compensacao: %1 (use 1.234,56)").arg(bad));
        }
    }
}

TEST(TypedPis, CompletesWithZerosAndRefusesOtherText) {
    EXPECT_EQ(TypedPis("123", "Pis Inicial"), "00000000123");
    EXPECT_EQ(TypedPis(" 12000001111 ", "Pis Inicial"), "12000001111");
    for (const char* bad : {"", "120000011112", "12.000", "abc"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(TypedPis(bad, "Pis Inicial"), UserError);
    }
}

TEST(SefipAdditional, BoxesNotGivenHoldWhatTheyStartWith) {
    const SefipAdditionalValues v = ReadSefipAdditional({{"ewTipo", "e"}});
    EXPECT_EQ(v.revenueType, "E");
    EXPECT_TRUE(v.maternity13Deduction.isZero());
    EXPECT_TRUE(v.cooperatives.isZero());
    EXPECT_EQ(v.processNumber, "0");
    EXPECT_EQ(v.court, "0");
    EXPECT_EQ(v.compensationTaker, "0");
    EXPECT_EQ(v.claimStart, "");
    EXPECT_EQ(v.compensationEnd, "");
    // Every box has its own name, and every amount is read into its value.
    QSet<QString> names;
    QHash<QString, QString> typed{{"ewTipo", "A"}};
    int cents = 1;
    for (const SefipAdditionalField& f : SefipAdditionalFields()) {
        names.insert(f.control);
        if (f.kind == SefipAdditionalField::Kind::Money) typed.insert(f.control, QStringLiteral("0,%1").arg(cents++, 2, 10, QChar('0')));
    }
    EXPECT_EQ(names.size(), 23);
    const SefipAdditionalValues all = ReadSefipAdditional(typed);
    const Fixed amounts[] = {all.maternity13Deduction, all.sportsRevenue,        all.ruralNaturalPerson,
                             all.ruralLegalPerson,     all.compensation,         all.previousInss,
                             all.previousOtherEntities, all.previousInssRural,   all.previousOtherRural,
                             all.previousRevenue,      all.fgtsInstalments,      all.fgtsInstalmentsCat4,
                             all.fgtsInstalmentsTotal, all.cooperatives};
    ASSERT_EQ(cents - 1, 14);
    for (int i = 0; i < 14; ++i) EXPECT_EQ(amounts[i], *Fixed::parse(QStringLiteral("0.%1").arg(i + 1, 2, 10, QChar('0')))) << i;
}

TEST(SefipAdditional, RefusesWhatTheRecordCannotTake) {
    struct Case {
        QHash<QString, QString> typed;
        const char* message;
    };
    const Case cases[] = {
        {{}, "Informe o Tipo (E=Evento, P=Patrocínio, A=Ambos)"},
        {{{"ewTipo", " "}}, "Informe o Tipo (E=Evento, P=Patrocínio, A=Ambos)"},
        {{{"ewTipo", "X"}}, "Tipo (E=Evento, P=Patrocínio, A=Ambos) inválido: X"},
        {{{"ewTipo", "E"}, {"ewProces", "123456789012"}}, "Valor inválido em Processo (número): 123456789012 (até 11 dígitos)"},
        {{{"ewTipo", "E"}, {"ewProces1", "20a2"}}, "Valor inválido em Processo (ano): 20a2 (até 4 dígitos)"},
        {{{"ewTipo", "E"}, {"ewVara", "123456"}}, "Valor inválido em Vara/JCJ: 123456 (até 5 dígitos)"},
        {{{"ewTipo", "E"}, {"ewTomadComp", "1234"}}, "Valor inválido em Tom: 1234 (até 3 dígitos)"},
        {{{"ewTipo", "E"}, {"ewFimPerPle", "2013/01"}},
         "Período inválido no campo Periodo Pleito Reclamatoria Trabalhista (fim): 2013/01 (use MM/AAAA)"},
        {{{"ewTipo", "E"}, {"ewAntINSS", "1,234"}},
         "Valor inválido em Recol. Compet.Anterior - Vlr.INSS Folha: 1,234 (use 1.234,56)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            ReadSefipAdditional(c.typed);
            ADD_FAILURE() << "aceito";
        } catch (const UserError& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(c.message));
        }
    }
    // An empty period box ("/" behind its mask) is no period.
    EXPECT_EQ(ReadSefipAdditional({{"ewTipo", "P"}, {"ewInipercom", "/"}, {"ewFimPerCom", "4/2013"}}).compensationEnd,
              "4/2013");
}

} // namespace
} // namespace folha::gov
