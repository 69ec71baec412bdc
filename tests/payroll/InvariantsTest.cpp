// What must hold in every calculated month of the demo, under every rule
// set: the INSS withheld is the table applied to the INSS base, the FGTS the
// rate of the FGTS base, the IRRF the table on the IRRF base less the
// deductions written, and the totals the sums of the rows.
#include "DemoCompany.h"
#include "LawRules.h"
#include "PayrollRun.h"
#include "ScriptedUi.h"
#include "Statutory.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <map>

using namespace folha;
using namespace folha::payroll;

namespace folha {
inline void PrintTo(const Fixed& f, std::ostream* os) { *os << f.toString(2).toStdString(); }
} // namespace folha

namespace {

struct SheetRows {
    std::map<QString, std::pair<Fixed, Fixed>> byEvent; // HCODIGO -> (REFER, VALOR)
};

class Invariants {
public:
    Invariants(Database& db, QString company) : db_(db), company_(std::move(company)) { tables_.load(db); }

    // Every calculated sheet of every employee; returns the number checked.
    int check() {
        std::map<std::tuple<QString, QString, QString, QString>, SheetRows> sheets;
        for (const Record& r : Table(db_, QStringLiteral("OCORRENC")).select(QStringLiteral("FLAG = ?"), {QStringLiteral("*")}))
            sheets[{r.text("OCORRANO"), r.text("OCORRMES"), r.text("TIPOFOLHA"), r.text("CODFUN")}]
                .byEvent[r.text("HCODIGO")] = {r.number("REFER"), r.number("VALOR")};
        // Typed rows valued by the run count in the totals too.
        for (const Record& r : Table(db_, QStringLiteral("OCORRENC")).select(QStringLiteral("FLAG <> ? OR FLAG IS NULL"), {QStringLiteral("*")})) {
            auto it = sheets.find({r.text("OCORRANO"), r.text("OCORRMES"), r.text("TIPOFOLHA"), r.text("CODFUN")});
            if (it != sheets.end()) it->second.byEvent[r.text("HCODIGO")] = {r.number("REFER"), r.number("VALOR")};
        }
        for (const auto& [key, rows] : sheets) checkSheet(key, rows);
        return int(sheets.size());
    }

private:
    std::optional<Fixed> value(const SheetRows& s, const char* role) const {
        const QString event = tables_.roleEvent(QLatin1String(role));
        auto it = s.byEvent.find(event);
        if (event.isEmpty() || it == s.byEvent.end()) return std::nullopt;
        return it->second.second;
    }
    Fixed valueOr0(const SheetRows& s, const char* role) const { return value(s, role).value_or(Fixed()); }

    void checkSheet(const std::tuple<QString, QString, QString, QString>& key, const SheetRows& s) {
        const auto& [year, month, sheet, employee] = key;
        const QString period = year + month;
        const std::string where = QStringLiteral("empresa %1, %2/%3 folha %4, funcionário %5")
                                      .arg(company_, month, year, sheet, employee)
                                      .toStdString();
        const auto cadfun = Table(db_, QStringLiteral("CADFUN")).find({employee});
        ASSERT_TRUE(cadfun) << where;
        const int vinculo = cadfun->integer("VINCULO");
        const int dependants = cadfun->integer("DEPENDEN");
        const law::CompetenceRules rules = law::RulesFor(period);
        const law::LegalTables& legal = *law::CurrentLaw().tables;
        const Fixed ceiling = rules.currentTables ? law::InssCeiling(legal, period) : tables_.tableColumn(QStringLiteral("013"), 2);
        auto capped = [&](Fixed b) { return b > ceiling ? ceiling : b; };
        auto inssOf = [&](Fixed base, bool thirteenth) {
            if (rules.currentTables) {
                if (vinculo > 7) return RoundValue(2, Ratio::of((capped(base) * 11).num() / (capped(base) * 11).den(), 100));
                return law::InssProgressive(legal, period, base, {}).amount;
            }
            return thirteenth ? RoundValue(2, InssOfBase(tables_, vinculo, capped(base), false))
                              : InssOfBase(tables_, vinculo, capped(base), true);
        };

        // INSS of the month and of the 13th salary.
        if (auto base = value(s, "013"); base && (sheet == "F" || sheet == "I" || sheet == "A")) {
            if (auto inss = value(s, "012")) {
                EXPECT_EQ(*inss, inssOf(*base, false)) << "INSS, " << where;
            }
        }
        if (auto base = value(s, "015")) {
            EXPECT_EQ(valueOr0(s, "014"), inssOf(*base, true)) << "INSS 13º, " << where;
        }

        // FGTS (the base of an employee on leave, CALCULO 4, is written for the
        // government files; no deposit falls on it).
        if (auto base = value(s, "031"); base && cadfun->integer("CALCULO") != 4) {
            Fixed rate = Fixed::fromInt(vinculo == 7 ? 2 : 8);
            const Fixed expected = RoundValue(2, *base * rate / 100);
            const Fixed written = value(s, "032").value_or(valueOr0(s, "067"));
            EXPECT_EQ(written, expected) << "FGTS, " << where;
        }

        // IRRF of the month and of the 13th salary, from the rows written.
        auto irrfOf = [&](Fixed income, Fixed inss, Fixed dependantRow, bool thirteenth) {
            if (!rules.currentTables) return IrrfOfBase(tables_, income - dependantRow - inss);
            law::IrrfInputs in;
            in.income = income;
            in.inss = inss;
            in.dependants = dependants;
            const law::LawSettings& st = law::CurrentLaw().settings;
            in.simplifiedAllowed = !thirteenth || st.simplifiedOn13th;
            in.reductionAllowed = !thirteenth || st.reductionOn13th;
            in.smallTaxWaived = !thirteenth;
            return law::IrrfCurrent(legal, period, in, {}).tax;
        };
        if (auto income = value(s, "017"); income && sheet != "A") {
            EXPECT_EQ(valueOr0(s, "016"), irrfOf(*income, valueOr0(s, "012"), valueOr0(s, "034"), false)) << "IRRF, " << where;
        }
        if (auto income = value(s, "019")) {
            EXPECT_EQ(valueOr0(s, "018"), irrfOf(*income, valueOr0(s, "014"), valueOr0(s, "035"), true)) << "IRRF 13º, " << where;
        }

        // The totals are the sums of the rows.
        Fixed earnings, deductions;
        for (const auto& [event, rv] : s.byEvent) {
            const EventInfo* info = tables_.eventInfo(event);
            if (!info) continue;
            if (info->flags.prodesc == 1) earnings += rv.second;
            if (info->flags.prodesc == 0) deductions += rv.second;
        }
        if (auto total = value(s, "026")) {
            EXPECT_EQ(*total, earnings) << "total de proventos, " << where;
        }
        if (auto net = value(s, "028")) {
            EXPECT_EQ(valueOr0(s, "027"), deductions) << "total de descontos, " << where;
            EXPECT_EQ(*net, valueOr0(s, "026") - valueOr0(s, "027")) << "líquido, " << where;
        }
    }

    Database& db_;
    QString company_;
    RunTables tables_;
};

// Runs every branch's monthly payroll and checks every company.
int CalculateAndCheck(Session& session, UserInterface& ui) {
    int checked = 0;
    for (const Record& company : Table(session.companyListDb(), QStringLiteral("EmpresaFOLHA")).select()) {
        auto db = session.openCompanyDirectory(session.companyDirectory(company.text("Diretorio")));
        for (const Record& branch : Table(*db, QStringLiteral("Filial")).select()) {
            if (branch.text("TIPO_FOL").trimmed() != QLatin1String("F")) continue;
            RunOptions o;
            o.branchCode = branch.text("CODIGO");
            o.familyAllowance = true;
            o.automaticMode = true;
            PayrollRun(*db, ui).run(o);
        }
        checked += Invariants(*db, company.text("Codigo")).check();
    }
    return checked;
}

} // namespace

TEST(PayrollInvariants, HoldInEveryDemoMonthUnderEveryRuleSet) {
    TempDir dir;
    Session session(Installation(dir.path()));
    ScriptedUi ui({}, true);
    BuildDemo(session, ui);
    EXPECT_GT(CalculateAndCheck(session, ui), 20);

    // The corrected rules applied to the old months as well.
    const law::LawContext saved = law::CurrentLaw();
    law::LawContext corrected = saved;
    corrected.settings.correctOlder = true;
    law::SetCurrentLaw(corrected);
    EXPECT_GT(CalculateAndCheck(session, ui), 20);
    law::SetCurrentLaw(saved);
}
