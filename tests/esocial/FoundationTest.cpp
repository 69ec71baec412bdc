// The parts every eSocial event goes through: the writer, the schemas with
// their Portuguese messages, the signature and the event register's versions.

#include "EventRegister.h"
#include "Generator.h"
#include "Schemas.h"
#include "ScriptedUi.h"
#include "Signer.h"
#include "TempDir.h"
#include "TestBackend.h"
#include "EventXml.h"
#include "TestCertificate.h"

#include <QFile>
#include <algorithm>
#include <QStandardPaths>

#include <gtest/gtest.h>


using namespace folha;
using namespace folha::esocial;

namespace {

Employer TestEmployer() {
    return Employer{1, QStringLiteral("EMPRESA DEMONSTRACAO LTDA"), QStringLiteral("1"), QStringLiteral("12345678"),
                    QStringLiteral("12345678000195")};
}

// An S-1299 closing the month: the smallest event that carries every part.
QByteArray Closing(const QString& perApur, const QString& remuneration = "S") {
    EventWriter w("S-1299");
    w.start("ideEvento");
    w.text("indApuracao", "1");
    w.text("perApur", perApur);
    w.text("indGuia", "1");
    w.text("tpAmb", "2");
    w.text("procEmi", "1");
    w.text("verProc", "FolhaZorvan 1.0");
    w.end();
    w.ideEmpregador(TestEmployer());
    w.start("infoFech");
    w.text("evtRemun", remuneration);
    w.text("evtPgtos", "S");
    w.text("evtComProd", "N");
    w.text("evtContratAvNP", "N");
    w.text("evtInfoComplPer", "N");
    w.end();
    return w.finish();
}

EventFilter AllVersions() {
    EventFilter f;
    f.allVersions = true;
    return f;
}

QByteArray WithId(QByteArray xml) { return xml.replace(kIdPlaceholder, "ID1123456780000002026010812000000001"); }

} // namespace

TEST(EsocialSchemas, UnsignedEventValidWithSignatureOptionalOnly) {
    QByteArray xml = WithId(Closing("2026-01"));
    EXPECT_EQ(ValidateEvent(xml, "S-1299", Signature::Optional), QStringList());
    QStringList published = ValidateEvent(xml, "S-1299", Signature::Required);
    ASSERT_EQ(published.size(), 1);
    EXPECT_EQ(published[0], "Campo eSocial (linha 1): falta o campo: Signature");
}

TEST(EsocialSchemas, ErrorsNameTheFieldInPortuguese) {
    struct Case {
        QByteArray from, to;
        QString expected;
    } cases[] = {
        {"<perApur>2026-01</perApur>", "<perApur>01/2026</perApur>",
         "Campo evtFechaEvPer/ideEvento/perApur (linha 1): o valor '01/2026' não está no formato exigido ([2]{1}\\d{3})"},
        {"<evtRemun>S</evtRemun>", "<evtRemun>X</evtRemun>",
         "Campo evtFechaEvPer/infoFech/evtRemun (linha 1): o valor 'X' não é um dos permitidos: 'S', 'N'"},
        {"<nrInsc>12345678</nrInsc>", "<nrInsc>123</nrInsc>",
         "Campo evtFechaEvPer/ideEmpregador/nrInsc (linha 1): o valor '123' não está no formato exigido ([A-Z0-9]{8}|\\d{11}|[A-Z0-9]{12}\\d{2})"},
        {"<tpAmb>2</tpAmb>", "", "Campo evtFechaEvPer/ideEvento/procEmi (linha 1): campo fora do lugar; esperado: tpAmb"},
    };
    for (const Case& c : cases) {
        QByteArray xml = WithId(Closing("2026-01"));
        ASSERT_TRUE(xml.contains(c.from)) << c.from.constData();
        xml.replace(c.from, c.to);
        QStringList errors = ValidateEvent(xml, "S-1299", Signature::Optional);
        ASSERT_FALSE(errors.isEmpty()) << c.to.constData();
        EXPECT_EQ(errors[0], c.expected) << errors.join('\n').toStdString();
    }
    EXPECT_EQ(ValidateEvent("<eSocial", "S-1299", Signature::Optional).value(0), "XML mal formado:");
}

TEST(EsocialSignature, SignedEventValidatesVerifiesAndFailsAfterOneByte) {
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    EXPECT_EQ(cert->subject(), "EMPRESA DEMONSTRACAO LTDA:12345678000195");
    EXPECT_EQ(cert->cnpj(), "12345678000195");
    EXPECT_GT(cert->notAfter(), cert->notBefore());

    QByteArray signedXml = cert->sign(WithId(Closing("2026-01")));
    EXPECT_EQ(ValidateEvent(signedXml, "S-1299", Signature::Required), QStringList());
    for (const char* part : {"<SignatureMethod Algorithm=\"http://www.w3.org/2001/04/xmldsig-more#rsa-sha256\"/>",
                             "<Reference URI=\"\">", "http://www.w3.org/2000/09/xmldsig#enveloped-signature",
                             "<CanonicalizationMethod Algorithm=\"http://www.w3.org/TR/2001/REC-xml-c14n-20010315\"/>",
                             "<X509Certificate>"})
        EXPECT_TRUE(signedXml.contains(part)) << part;
    EXPECT_EQ(signedXml.count("<X509Certificate>"), 1);
    QString why;
    EXPECT_TRUE(VerifySignature(signedXml, &why)) << why.toStdString();

    // One byte of the content changed: the digest no longer matches.
    QByteArray tampered = signedXml;
    tampered.replace("<perApur>2026-01</perApur>", "<perApur>2026-02</perApur>");
    EXPECT_FALSE(VerifySignature(tampered, &why));
    EXPECT_EQ(why, "A assinatura não confere com o conteúdo do evento.");

    // The signature checks with the xmlsec1 program too, and fails the same way.
    const QString xmlsec = QStandardPaths::findExecutable("xmlsec1");
    ASSERT_FALSE(xmlsec.isEmpty()) << "xmlsec1 is installed by scripts/deps.sh";
    TempDir tmp;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(tmp.file(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    QString out;
    EXPECT_TRUE(folha::testing::RunTool(xmlsec, {"--verify", "--trusted-pem", tc.pem, write("ok.xml", signedXml)}, &out))
        << out.toStdString();
    EXPECT_FALSE(folha::testing::RunTool(xmlsec, {"--verify", "--trusted-pem", tc.pem, write("mau.xml", tampered)}));
}

TEST(EsocialSignature, WrongPasswordOrDamagedFileIsRefused) {
    const auto& tc = folha::testing::ThrowawayCertificate();
    try {
        Certificate::load(tc.pfx, "errada");
        FAIL();
    } catch (const UserError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("A senha do certificado %1 não confere.").arg(tc.pfx));
    }
    TempDir tmp;
    QFile damaged(tmp.file("x.pfx"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("isto não é um certificado");
    damaged.close();
    EXPECT_THROW(Certificate::load(damaged.fileName(), tc.password), UserError);
    EXPECT_THROW(Certificate::load(tmp.file("nenhum.pfx"), tc.password), UserError);
}

// A register of events over a database of the backend under test.
class EsocialRegisterTest : public ::testing::Test {
protected:
    TempDir tmp;
    std::unique_ptr<Database> db = folha::testing::OpenTestDatabase(tmp.path());
    ScriptedUi ui;
    QString perApur = "2026-01";
    QString remuneration = "S";

    GenerateResult run(const Certificate* cert = nullptr, QDateTime now = QDateTime(QDate(2026, 2, 5), QTime(9, 30, 0))) {
        GenerateRequest r;
        r.year = 2026;
        r.month = 1;
        r.certificate = cert;
        r.now = now;
        r.builders = {[this](Context& ctx, std::vector<Draft>& out) {
            out.push_back({"S-1299", "S-1299|" + ctx.competence(), "", ctx.competence(), Closing(perApur, remuneration)});
        }};
        return Generate(*db, TestEmployer(), r, ui);
    }
};

TEST_F(EsocialRegisterTest, VersionsAreKeptAndAcceptedOnesAreRectified) {
    GenerateResult first = run();
    EXPECT_EQ(first.stored, 1);
    ASSERT_EQ(first.ids, QStringList{"ID1123456780000002026020509300000001"});
    EventRegister reg(*db);
    EXPECT_EQ(reg.byId(first.ids[0])->status, status::Validated);

    // Same content: nothing new, whatever the clock.
    GenerateResult again = run(nullptr, QDateTime(QDate(2026, 2, 5), QTime(9, 31, 0)));
    EXPECT_EQ(again.stored, 0);
    EXPECT_EQ(again.unchanged, 1);

    // Accepted, then changed: the new version rectifies the receipt.
    reg.setStatus(first.ids[0], status::Accepted);
    reg.setReceipt(first.ids[0], "1.1.0000000000000000001");
    remuneration = "N";
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    GenerateResult changed = run(cert.get());
    ASSERT_EQ(changed.stored, 1);
    EXPECT_EQ(changed.signedCount, 1);
    auto second = reg.byId(changed.ids[0]);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->version, 2);
    EXPECT_EQ(second->indRetif, 2);
    EXPECT_EQ(second->rectifies, "1.1.0000000000000000001");
    EXPECT_EQ(second->status, status::Signed);
    EXPECT_TRUE(VerifySignature(second->xml));
    EXPECT_EQ(reg.list({}).size(), 1u);
    EXPECT_EQ(reg.list(AllVersions()).size(), 2u);

    // An invalid event is kept with its errors and never signed.
    perApur = "2026-13";
    GenerateResult bad = run(cert.get());
    ASSERT_EQ(bad.invalid, 1);
    auto third = reg.byId(bad.ids[0]);
    EXPECT_EQ(third->status, status::Generated);
    EXPECT_FALSE(third->xml.contains("Signature"));
    EXPECT_TRUE(third->messages.startsWith("Campo evtFechaEvPer/ideEvento/perApur")) << third->messages.toStdString();
}

TEST_F(EsocialRegisterTest, CancelKeepsNothing) {
    ui.cancelAfterSteps = 0;
    EXPECT_THROW(run(), UserError);
    EXPECT_TRUE(EventRegister(*db).list(AllVersions()).empty());
}

// A builder of many events hands them over as it goes: the generation signs
// and stores whole slices while the builder still runs, in the order built,
// and a failure or a cancel after some slices were stored keeps nothing.
TEST_F(EsocialRegisterTest, DraftsHandedOverAsBuiltAreStoredInOrderOrNotAtAll) {
    struct Case {
        const char* name;
        int failAfter;   // the builder throws after this many drafts (-1: never)
        int cancelAfter; // progress steps before a cancel (-1: never)
        int stored;
    };
    const Case cases[] = {{"completa", -1, -1, 600}, {"falha do montador", 450, -1, 0}, {"cancelada", -1, 300, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        auto base = folha::testing::OpenTestDatabase(dir.path());
        ScriptedUi seen;
        seen.cancelAfterSteps = c.cancelAfter;
        size_t mostHeld = 0;
        GenerateRequest r;
        r.year = 2026;
        r.month = 1;
        r.now = QDateTime(QDate(2026, 2, 5), QTime(9, 30, 0));
        r.builders = {[&](Context& ctx, std::vector<Draft>& out) {
            for (int k = 1; k <= 600; ++k) {
                ctx.flush(out);
                if (k == c.failAfter) throw UserError("sem mapeamento");
                out.push_back({"S-1299", QStringLiteral("S-1299|%1").arg(k), "", ctx.competence(), Closing("2026-01")});
                mostHeld = std::max(mostHeld, out.size());
            }
        }};
        GenerateResult g;
        if (c.stored == 0) {
            EXPECT_THROW(Generate(*base, TestEmployer(), r, seen), UserError);
        } else {
            g = Generate(*base, TestEmployer(), r, seen);
            EXPECT_EQ(g.built, 600);
        }
        EXPECT_LE(mostHeld, 256u);
        EXPECT_EQ(seen.texts("progress").last(), "end");
        const auto kept = EventRegister(*base).list(AllVersions());
        ASSERT_EQ(int(kept.size()), c.stored);
        if (c.stored == 0) continue;
        ASSERT_EQ(g.ids.size(), 600);
        EXPECT_EQ(g.ids.first(), "ID1123456780000002026020509300000001");
        EXPECT_EQ(g.ids.last(), "ID1123456780000002026020509300000600");
        EXPECT_EQ(EventRegister(*base).byId(g.ids[299])->subject, "S-1299|300");
    }
}

// An identifier is numbered within its second; when the second's numbers
// are used up (another generation made 99 999 in it), the next second is
// taken, never a number twice nor a refusal.
TEST_F(EsocialRegisterTest, IdentifiersPastASecondsNumbersTakeTheNextSecond) {
    EventRegister reg(*db);
    StoredEvent full;
    full.id = QStringLiteral("ID1123456780000002026020509300099999");
    full.type = "S-1299";
    full.subject = "S-1299|outro";
    full.xml = WithId(Closing("2026-01"));
    reg.insert(full);
    const QDateTime at(QDate(2026, 2, 5), QTime(9, 30, 0));
    EXPECT_EQ(reg.newId("1", "12.345.678/0001-90", at), "ID1123456780000002026020509300100001");
    EXPECT_EQ(reg.newId("1", "12.345.678/0001-90", at), "ID1123456780000002026020509300100002");
    EXPECT_EQ(reg.newId("1", "12.345.678/0001-90", at.addSecs(5)), "ID1123456780000002026020509300500001");
}

TEST_F(EsocialRegisterTest, BatchesHoldFiftyEventsAndValidate) {
    EventRegister reg(*db);
    std::vector<StoredEvent> events;
    const auto& tc = folha::testing::ThrowawayCertificate();
    auto cert = Certificate::load(tc.pfx, tc.password);
    QByteArray signedXml = cert->sign(WithId(Closing("2026-01")));
    for (int i = 0; i < 51; ++i) {
        StoredEvent e;
        e.id = QStringLiteral("ID11234567800000020260205093000%1").arg(i + 1, 5, 10, QChar('0'));
        e.type = "S-1299";
        e.xml = signedXml;
        events.push_back(e);
    }
    auto batches = MakeBatches(TestEmployer(), "98765432000198", events);
    ASSERT_EQ(batches.size(), 2u);
    EXPECT_EQ(batches[0].ids.size(), 50);
    EXPECT_EQ(batches[1].ids.size(), 1);
    EXPECT_EQ(ValidateBatch(batches[0].xml), QStringList());
    EXPECT_TRUE(batches[1].xml.contains("<ideTransmissor><tpInsc>1</tpInsc><nrInsc>98765432000198</nrInsc></ideTransmissor>"));
    // The event inside the batch is the signed one, byte for byte.
    EXPECT_TRUE(batches[1].xml.contains(signedXml.mid(signedXml.indexOf("?>") + 2).trimmed()));
}
