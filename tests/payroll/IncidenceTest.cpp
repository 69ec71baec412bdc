#include "Incidence.h"

#include <gtest/gtest.h>

using namespace folha;
using namespace folha::payroll;

static Fixed F(const char* s) { return *Fixed::parse(QString::fromLatin1(s)); }

TEST(Incidence, AnOvertimeEventFeedsEveryTotalItsFlagsName) {
    EventFlags ot;
    ot.prodesc = 1;
    ot.re50 = 1;
    ot.inps = 1;
    ot.irrf = 1;
    ot.fgts = 1;
    ot.var13i = 1;
    IncidenceTotals t;
    t.accumulate(ot, F("10"), F("102.27"));
    EXPECT_EQ(t.overtime50, F("10"));
    EXPECT_EQ(t.inssBase, F("102.27"));
    EXPECT_EQ(t.irrfBase, F("102.27"));
    EXPECT_EQ(t.fgtsBase, F("102.27"));
    EXPECT_EQ(t.variablePay, F("102.27"));
    EXPECT_EQ(t.totalEarnings, F("102.27"));
    EXPECT_EQ(t.netPay, F("102.27"));
    EXPECT_EQ(t.overtime70, Fixed());
}

struct Case {
    const char* what;
    EventFlags flags;
    Fixed IncidenceTotals::*total;
    const char* expected; // after accumulating REFER 8, VALOR 100
};

static EventFlags flags(int prodesc, std::initializer_list<std::pair<int EventFlags::*, int>> set) {
    EventFlags f;
    f.prodesc = prodesc;
    for (auto [m, v] : set) f.*m = v;
    return f;
}

TEST(Incidence, EdgeCasesOfTheRules) {
    const Case cases[] = {
        {"deduction with INSS 1 lowers the INSS base", flags(0, {{&EventFlags::inps, 1}}), &IncidenceTotals::inssBase, "-100"},
        {"INSS 4 enters no INSS base", flags(1, {{&EventFlags::inps, 4}}), &IncidenceTotals::inssBase, "0"},
        {"IRRF 4 enters no IRRF base", flags(1, {{&EventFlags::irrf, 4}}), &IncidenceTotals::irrfBase, "0"},
        {"FGTS 2 with INSS 3 feeds the vacation FGTS base",
         flags(1, {{&EventFlags::fgts, 2}, {&EventFlags::inps, 3}}), &IncidenceTotals::fgtsBaseVacation, "100"},
        {"... and not the FGTS base", flags(1, {{&EventFlags::fgts, 2}, {&EventFlags::inps, 3}}), &IncidenceTotals::fgtsBase, "0"},
        {"INSS 3 feeds the vacation INSS base", flags(1, {{&EventFlags::inps, 3}}), &IncidenceTotals::inssBaseVacation, "100"},
        {"a base-only event enters no money total", flags(2, {{&EventFlags::inps, 1}}), &IncidenceTotals::inssBase, "0"},
        {"... nor the earnings", flags(2, {{&EventFlags::inps, 1}}), &IncidenceTotals::totalEarnings, "0"},
        {"... but its hours still count", flags(2, {{&EventFlags::re100, 1}}), &IncidenceTotals::overtime100, "8"},
        {"night hours from any kind", flags(0, {{&EventFlags::read, 1}}), &IncidenceTotals::nightHours, "8"},
        {"a deduction is a deduction", flags(0, {}), &IncidenceTotals::totalDeductions, "100"},
        {"net pay after a deduction", flags(0, {}), &IncidenceTotals::netPay, "-100"},
        {"variable pay only from earnings", flags(0, {{&EventFlags::var13i, 1}}), &IncidenceTotals::variablePay, "0"},
        {"13th INSS base", flags(1, {{&EventFlags::inps, 2}}), &IncidenceTotals::inssBase13, "100"},
        {"vacation IRRF base", flags(0, {{&EventFlags::irrf, 3}}), &IncidenceTotals::irrfBaseVacation, "-100"},
        {"one third: normal vacation", flags(2, {{&EventFlags::fen, 1}}), &IncidenceTotals::vacationNormal, "100"},
    };
    for (const auto& c : cases) {
        IncidenceTotals t;
        t.accumulate(c.flags, F("8"), F("100"));
        EXPECT_EQ(t.*(c.total), F(c.expected)) << c.what;
    }
}

TEST(Incidence, InsalubrityHoursAndHazardBasesByClass) {
    IncidenceTotals t;
    t.accumulate(flags(1, {{&EventFlags::ins, 1}}), F("10"), F("0"));
    t.accumulate(flags(0, {{&EventFlags::ins, 1}}), F("3"), F("0"));    // class 1: deductions subtract
    t.accumulate(flags(0, {{&EventFlags::ins, 2}}), F("5"), F("0"));    // class 2: deductions do not count
    t.accumulate(flags(1, {{&EventFlags::ins, 2}}), F("4"), F("0"));
    t.accumulate(flags(0, {{&EventFlags::per, 1}}), F("0"), F("50"));   // hazard 1: earnings and deductions add
    t.accumulate(flags(1, {{&EventFlags::per, 1}}), F("0"), F("70"));
    t.accumulate(flags(0, {{&EventFlags::per, 3}}), F("0"), F("30"));   // hazard 3: earnings only
    EXPECT_EQ(t.insalubrityHours[1], F("7"));
    EXPECT_EQ(t.insalubrityHours[2], F("4"));
    EXPECT_EQ(t.hazardBase[1], F("120"));
    EXPECT_EQ(t.hazardBase[3], F("0"));
}

TEST(Incidence, FlagsAreReadFromTheEventCodeRow) {
    Record h(Registry::instance().require("HISTFP"));
    h.set("HCODIGO", "002").set("HPRODESC", 1).set("HFLAGRE50", 1).set("HFLAGINPS", 3).set("HFLAGFGTS", 1);
    h.set("HFLAGPER", "2");
    EventFlags f = EventFlags::fromHistfp(h);
    EXPECT_EQ(f.prodesc, 1);
    EXPECT_EQ(f.re50, 1);
    EXPECT_EQ(f.inps, 3);
    EXPECT_EQ(f.per, 2);
    EXPECT_EQ(f.irrf, 0);
    IncidenceTotals t;
    t.accumulate(f, F("2"), F("30"));
    EXPECT_EQ(t.fgtsBaseVacation, F("30"));
    EXPECT_EQ(t.hazardBase[2], F("30"));
    EXPECT_EQ(t.overtime50, F("2"));
}
