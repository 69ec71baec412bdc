#include "TextRoutines.h"
#include "Workstation.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace folha;

TEST(Padding, FillsButNeverCuts) {
    struct {
        const char* text;
        int width;
        char fill;
        const char* left;
        const char* right;
    } cases[] = {{"123", 6, '0', "000123", "123000"}, {"123", 2, '0', "123", "123"}, {"123", 3, ' ', "123", "123"},
                 {"", 3, ' ', "   ", "   "},          {"AB", 0, 'x', "AB", "AB"}};
    for (const auto& c : cases) {
        EXPECT_EQ(PadLeft(c.text, c.width, QChar(c.fill)), QString::fromLatin1(c.left));
        EXPECT_EQ(PadRight(c.text, c.width, QChar(c.fill)), QString::fromLatin1(c.right));
    }
}

TEST(OnlyDigits, KeepsDigitsInOrder) {
    EXPECT_EQ(OnlyDigits("12.345-6"), QStringLiteral("123456"));
    EXPECT_EQ(OnlyDigits(""), QString());
    EXPECT_EQ(OnlyDigits("a1b2c3 ٣"), QStringLiteral("123")); // other scripts' digits are not 0-9
}

TEST(CompetenceOfDate, IsYearAndMonthOnAnyLocale) {
    for (const char* name : {"pt_BR", "en_US", "de_DE", "ar_EG", "C"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(name)));
        EXPECT_EQ(CompetenceOfDate(QDate(2012, 12, 31)), QStringLiteral("201212")) << name;
        EXPECT_EQ(CompetenceOfDate(QDate(2013, 3, 1)), QStringLiteral("201303")) << name;
    }
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(CompetenceOfDate(QDate()), QString());
}

TEST(FormatCnpjCpf, MasksCompanyAndIndividualNumbers) {
    EXPECT_EQ(FormatCnpjCpf("12345678000195"), QStringLiteral("12.345.678/0001-95"));
    EXPECT_EQ(FormatCnpjCpf("12345678909"), QStringLiteral("123.456.789-09"));
}

TEST(Workstation, IdentityFitsItsLimits) {
    EXPECT_LE(GetWindowsUserName().size(), 21);
    EXPECT_LE(GetComputerNameText().size(), 15);
    EXPECT_FALSE(GetComputerNameText().isEmpty());
    QStringList parts = GetStationIp().split('.');
    ASSERT_EQ(parts.size(), 4);
    for (const auto& p : parts) {
        bool ok = false;
        int n = p.toInt(&ok);
        EXPECT_TRUE(ok && n >= 0 && n <= 255) << p.toStdString();
    }
}
