// Every event the demo's companies produce, generated and signed as an
// office would: each one valid against the government's schema as
// published, each signature verifying, and a second generation adding nothing.
#include "DemoCompany.h"
#include "EventRegister.h"
#include "Generator.h"
#include "Rubricas.h"
#include "Schemas.h"
#include "Table.h"
#include "ScriptedUi.h"
#include "Signer.h"
#include "TempDir.h"
#include "EventXml.h"
#include "TestCertificate.h"

#include <map>

#include <gtest/gtest.h>

using namespace folha;
using namespace folha::esocial;

TEST(EsocialDemo, EveryEventOfTheDemoCompaniesValidatesSignedAndOnce) {
    TempDir d;
    Session session{Installation(d.path())};
    ScriptedUi ui;
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    struct Case {
        int company;
        int year, month;
        std::vector<const char*> types; // each present at least once
    } cases[] = {
        {1, 2013, 4, {"S-1000", "S-1005", "S-1010", "S-1020", "S-2200", "S-1200", "S-1210", "S-1299"}},
        {3, 2026, 1, {"S-1000", "S-1005", "S-1010", "S-1020", "S-2200", "S-1200", "S-1210", "S-1299"}},
    };
    bool built = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.company);
        if (!built) {
            OpenDemoCompany(session, ui, c.company);
            built = true;
        } else {
            auto row = Table(session.companyListDb(), "EmpresaFOLHA").find({c.company});
            ASSERT_TRUE(row);
            session.SetaDiretorio(row->text("Diretorio"));
        }
        Database& db = session.folha();
        ProposeMissingRubricas(db);
        auto companyRow = Table(session.companyListDb(), "EmpresaFOLHA").find({c.company});
        Employer employer = EmployerOf(db, c.company, companyRow->text("Nome"));
        GenerateRequest r;
        r.year = c.year;
        r.month = c.month;
        r.certificate = cert.get();
        GenerateResult g = Generate(db, employer, r, ui);
        EXPECT_EQ(g.invalid, 0) << g.problems.join('\n').toStdString();
        EXPECT_EQ(g.stored, g.built);
        EXPECT_EQ(g.signedCount, g.stored);

        std::map<QString, int> byType;
        for (const StoredEvent& e : EventRegister(db).list({})) {
            ++byType[e.type];
            EXPECT_EQ(e.status, status::Signed) << e.id.toStdString();
            EXPECT_EQ(ValidateEvent(e.xml, e.type, Signature::Required), QStringList()) << e.id.toStdString();
            QString why;
            EXPECT_TRUE(VerifySignature(e.xml, &why)) << e.id.toStdString() << why.toStdString();
        }
        for (const char* t : c.types) EXPECT_GT(byType[t], 0) << t;

        GenerateResult again = Generate(db, employer, r, ui);
        EXPECT_EQ(again.stored, 0);
        EXPECT_EQ(again.unchanged, g.built);
    }
}
