// The demo installation runs April's vacation and termination and
// December's 13th salary, each valued by the payroll run: every amount those
// calculations wrote must be whole centavos, as the statements and the
// government files pay them.
#include "DemoCompany.h"
#include "DemoBuilder.h"
#include "ScriptedUi.h"
#include "Table.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include "TestBackend.h"

using namespace folha;

namespace {

TEST(DemoCalculations, EveryAmountWrittenIsWholeCentavos) {
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    BuildDemo(session, ui);

    int companies = 0;
    qint64 calculated = 0;
    QSet<QString> sheets;
    for (const Record& company : Table(session.companyListDb(), "EmpresaFOLHA").select()) {
        ++companies;
        auto db = session.openCompanyDirectory(session.companyDirectory(company.text("Diretorio")));
        QStringList fractional;
        for (const Record& r : Table(*db, "OCORRENC").select()) {
            if (r.text("FLAG") == QLatin1String("*")) {
                ++calculated;
                sheets.insert(r.text("TIPOFOLHA"));
            }
            // VALOR × 100 is a whole number.
            if (r.number("VALOR").raw() % 100 != 0) fractional << r.keyText() + ": " + r.number("VALOR").toString();
        }
        EXPECT_TRUE(fractional.isEmpty()) << "company " << company.text("Codigo").toStdString() << ": "
                                          << fractional.join(QStringLiteral("; ")).toStdString();
    }
    EXPECT_EQ(companies, 3);
    // The check is worth something only if the calculations wrote rows: the
    // monthly sheet, the vacation sheet and the 13th-salary sheet.
    EXPECT_GT(calculated, 100);
    EXPECT_TRUE(sheets.contains("F"));
    EXPECT_TRUE(sheets.contains("I"));
    EXPECT_TRUE(sheets.contains("D"));
}

} // namespace
