// The government's totals of January 2026 for the demo's company 3, made as
// the government would from the demo's own calculated rows, imported and
// reconciled with the payroll: nothing differs; then altered files, each
// difference found and nothing else; a damaged file kept out by name; the
// same file twice storing nothing new.

#include "DemoBuilder.h"
#include "DemoCompany.h"
#include "Generator.h"
#include "PayrollBook.h"
#include "Reconciliation.h"
#include "Schemas.h"
#include "ScriptedUi.h"
#include "TempDir.h"
#include "TextReport.h"
#include "TestBackend.h"
#include "TextRoutines.h"
#include "Transmission.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

#include <map>

using namespace folha;
using namespace folha::esocial;

namespace {

const char* const kNs = "http://www.esocial.gov.br/schema/evt/";

struct WorkerTotals {
    QString cpf;
    Fixed inssBase, inssBase13, inss, irrf, irrf13, fgtsBase, fgts;
};

// The demo is built once; each test starts without any totals.
class Reconciliation : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        session_ = new Session(Installation(dir_->path()));
        ScriptedUi ui;
        BuildDemo(*session_, ui);
        auto row = Table(session_->companyListDb(), "EmpresaFOLHA").find({3});
        ASSERT_TRUE(row.has_value());
        db_ = session_->openCompanyDirectory(session_->companyDirectory(row->text("Diretorio"))).release();
        employer_ = EmployerOf(*db_, 3, QStringLiteral("DEMO"));
    }
    static void TearDownTestSuite() {
        delete db_;
        delete session_;
        delete dir_;
    }
    void SetUp() override { db_->execWrite("DELETE FROM ESOCTOT"); }

    // The month's totals per worker as the payroll wrote them, by the fixed
    // occurrences of each item.
    std::map<QString, WorkerTotals> payrollTotals() {
        std::map<QString, QString> role;
        auto f = db_->exec("SELECT FCODIGO, FHISTORICO FROM FIXAOCOR");
        while (f.next()) role[f.value(1).toString().trimmed()] = f.value(0).toString().trimmed();
        std::map<QString, WorkerTotals> out;
        auto q = db_->exec("SELECT O.CODFUN, O.HCODIGO, O.VALOR, C.NR_CPF FROM OCORRENC O, CADFUN C WHERE C.CODFUN = O.CODFUN "
                           "AND O.OCORRANO = '2026' AND O.OCORRMES = '01' AND O.TIPOFOLHA IN ('F', 'I', 'A', 'D')");
        while (q.next()) {
            WorkerTotals& w = out[q.value(0).toString().trimmed()];
            w.cpf = QString::number(Fixed::fromVariant(q.value(3)).value_or(Fixed()).truncated()).rightJustified(11, '0');
            const QString r = role[q.value(1).toString().trimmed()];
            const Fixed v = Fixed::fromVariant(q.value(2)).value_or(Fixed());
            if (r == "013") w.inssBase += v;
            if (r == "015") w.inssBase13 += v;
            if (r == "012" || r == "014") w.inss += v;
            if (r == "016" || r == "020") w.irrf += v;
            if (r == "018") w.irrf13 += v;
            if (r == "031") w.fgtsBase += v;
            if (r == "032" || r == "067") w.fgts += v;
        }
        return out;
    }

    QString id() {
        return QStringLiteral("ID1") + employer_.nrInsc + QStringLiteral("000000") + QStringLiteral("20260205093000") +
               QStringLiteral("%1").arg(++sequence_, 5, 10, QChar('0'));
    }
    static QString m(Fixed v) { return RoundValue(2, v).toString(2); }
    QString head(const char* root, bool withIndApuracao, bool withReceipt) {
        QString s = QStringLiteral("<eSocial xmlns=\"%1%2/v_S_01_03_00\"><%2 Id=\"%3\"><ideEvento>").arg(kNs, root, id());
        if (withReceipt) s += "<nrRecArqBase>1.2.0000000000000000001</nrRecArqBase>";
        if (withIndApuracao) s += "<indApuracao>1</indApuracao>";
        s += "<perApur>2026-01</perApur></ideEvento><ideEmpregador><tpInsc>1</tpInsc><nrInsc>" + employer_.nrInsc +
             "</nrInsc></ideEmpregador>";
        return s;
    }

    // One file per worker and kind, and the company's two, named by kind.
    std::map<QString, QString> files() {
        std::map<QString, QString> out;
        Fixed inss, fgtsBase, fgts;
        for (const auto& [code, w] : payrollTotals()) {
            QString cs = head("evtBasesTrab", true, true) + "<ideTrabalhador><cpfTrab>" + w.cpf + "</cpfTrab></ideTrabalhador>";
            if (!w.inss.isZero()) cs += "<infoCpCalc><tpCR>108201</tpCR><vrCpSeg>" + m(w.inss) + "</vrCpSeg><vrDescSeg>" + m(w.inss) + "</vrDescSeg></infoCpCalc>";
            cs += "<infoCp><classTrib>99</classTrib><ideEstabLot><tpInsc>1</tpInsc><nrInsc>" + employer_.fullInsc +
                  "</nrInsc><codLotacao>001</codLotacao><infoCategIncid><matricula>" + code + "</matricula><codCateg>101</codCateg>";
            if (!w.inssBase.isZero()) cs += "<infoBaseCS><ind13>0</ind13><tpValor>11</tpValor><valor>" + m(w.inssBase) + "</valor></infoBaseCS>";
            if (!w.inssBase13.isZero()) cs += "<infoBaseCS><ind13>1</ind13><tpValor>11</tpValor><valor>" + m(w.inssBase13) + "</valor></infoBaseCS>";
            if (!w.inss.isZero()) cs += "<infoBaseCS><ind13>0</ind13><tpValor>21</tpValor><valor>" + m(w.inss) + "</valor></infoBaseCS>";
            cs += "</infoCategIncid></ideEstabLot></infoCp></evtBasesTrab></eSocial>";
            out["S-5001-" + code] = cs;

            QString ir = head("evtIrrfBenef", false, true) + "<ideTrabalhador><cpfBenef>" + w.cpf + "</cpfBenef>";
            if (!w.irrf.isZero() || !w.irrf13.isZero()) {
                ir += "<totInfoIR><consolidApurMen><CRMen>056107</CRMen><vlrRendTrib>0.00</vlrRendTrib><vlrRendTrib13>0.00</vlrRendTrib13>"
                      "<vlrPrevOficial>0.00</vlrPrevOficial><vlrPrevOficial13>0.00</vlrPrevOficial13><vlrCRMen>" + m(w.irrf) +
                      "</vlrCRMen><vlrCR13Men>" + m(w.irrf13) + "</vlrCR13Men>";
                for (const char* zero : {"vlrParcIsenta65", "vlrParcIsenta65Dec", "vlrDiarias", "vlrAjudaCusto", "vlrIndResContrato",
                                         "vlrAbonoPec", "vlrRendMoleGrave", "vlrRendMoleGrave13", "vlrAuxMoradia", "vlrBolsaMedico",
                                         "vlrBolsaMedico13", "vlrJurosMora", "vlrIsenOutros"})
                    ir += QStringLiteral("<%1>0.00</%1>").arg(zero);
                ir += "</consolidApurMen></totInfoIR>";
            }
            ir += "</ideTrabalhador></evtIrrfBenef></eSocial>";
            out["S-5002-" + code] = ir;

            QString fg = head("evtBasesFGTS", true, true) + "<ideTrabalhador><cpfTrab>" + w.cpf + "</cpfTrab></ideTrabalhador><infoFGTS>"
                         "<ideEstab><tpInsc>1</tpInsc><nrInsc>" + employer_.fullInsc + "</nrInsc><ideLotacao><codLotacao>001</codLotacao>"
                         "<tpLotacao>01</tpLotacao><infoTrabFGTS><matricula>" + code + "</matricula><codCateg>101</codCateg>";
            if (!w.fgtsBase.isZero())
                fg += "<infoBaseFGTS><basePerApur><tpValor>11</tpValor><indIncid>1</indIncid><remFGTS>" + m(w.fgtsBase) + "</remFGTS>" +
                      (w.fgts.isZero() ? QString() : "<dpsFGTS>" + m(w.fgts) + "</dpsFGTS>") + "</basePerApur></infoBaseFGTS>";
            fg += "</infoTrabFGTS></ideLotacao></ideEstab></infoFGTS></evtBasesFGTS></eSocial>";
            out["S-5003-" + code] = fg;
            inss += RoundValue(2, w.inss);
            fgtsBase += RoundValue(2, w.fgtsBase);
            fgts += RoundValue(2, w.fgts);
        }
        out["S-5011"] = head("evtCS", true, false) + "<infoCS><nrRecArqBase>1.2.0000000000000000009</nrRecArqBase><indExistInfo>1</indExistInfo>"
                        "<infoCPSeg><vrDescCP>" + m(inss) + "</vrDescCP><vrCpSeg>" + m(inss) + "</vrCpSeg></infoCPSeg>"
                        "<infoContrib><classTrib>99</classTrib></infoContrib></infoCS></evtCS></eSocial>";
        out["S-5013"] = head("evtFGTS", true, false) + "<infoFGTS><nrRecArqBase>1.2.0000000000000000009</nrRecArqBase><indExistInfo>1</indExistInfo>"
                        "<ideEstab><tpInsc>1</tpInsc><nrInsc>" + employer_.fullInsc + "</nrInsc><ideLotacao><codLotacao>001</codLotacao>"
                        "<tpLotacao>01</tpLotacao><infoBaseFGTS><basePerApur><tpValor>11</tpValor><indIncid>1</indIncid><baseFGTS>" +
                        m(fgtsBase) + "</baseFGTS><vrFGTS>" + m(fgts) + "</vrFGTS></basePerApur></infoBaseFGTS></ideLotacao></ideEstab>"
                        "</infoFGTS></evtFGTS></eSocial>";
        return out;
    }

    int stored() {
        auto q = db_->exec("SELECT COUNT(*) FROM ESOCTOT");
        return q.next() ? q.value(0).toInt() : -1;
    }

    void import(const std::map<QString, QString>& f) {
        for (const auto& [name, xml] : f) EXPECT_TRUE(StoreTotals(*db_, xml.toUtf8(), name + ".xml")) << name.toStdString();
    }

    static inline TempDir* dir_ = nullptr;
    static inline Session* session_ = nullptr;
    static inline Database* db_ = nullptr;
    static inline Employer employer_;
    int sequence_ = 0;
};

// The divergences as "worker|item|payroll|government", the company's as "|item|".
QStringList Found(const ReconciliationResult& r) {
    QStringList found;
    for (const Divergence& d : r.divergences)
        found << (d.worker.isEmpty() ? QStringLiteral("|%1|").arg(d.item)
                                     : QStringLiteral("%1|%2|%3|%4").arg(d.worker, d.item, d.payroll.toString(2), d.government.toString(2)));
    return found;
}

// The lines of a report `compose` writes.
template <typename Compose>
QStringList ReportLines(int width, Compose compose) {
    struct Capture : PageSink {
        QStringList lines;
        void page(const TextPage& p) override {
            for (int i = 0; i < int(p.lines.size()); ++i) lines << p.visibleText(i);
        }
    } sink;
    TextReport report(sink, width, 66);
    report.setClock(QDateTime(QDate(2026, 2, 5), QTime(9, 30)));
    report.beginJob({"Conferência", "TfoEsocialConferencia"});
    compose(report);
    report.endJob();
    return sink.lines;
}
QStringList ReportLines(const ReconciliationResult& r) {
    return ReportLines(kReconciliationWidth, [&](TextReport& report) { ComposeReconciliation(report, r); });
}

// Bruno (000002), 3.000,00 a month: INSS 248,58 (7,5 % of 1.621,00 + 9 % of
// 1.281,84 + 12 % of 97,16), FGTS 8 % = 240,00: the files carry the
// payroll's own figures.
TEST_F(Reconciliation, TotalsMadeFromThePayrollShowNoDifference) {
    auto totals = payrollTotals();
    ASSERT_TRUE(totals.count("000002"));
    EXPECT_EQ(totals["000002"].inssBase, Fixed::fromInt(3000));
    EXPECT_EQ(m(totals["000002"].inss), "248.58");
    EXPECT_EQ(totals["000002"].fgtsBase, Fixed::fromInt(3000));
    EXPECT_EQ(m(totals["000002"].fgts), "240.00");

    const auto f = files();
    for (const auto& [name, xml] : f) {
        const QString schema = name.startsWith("S-5001") ? "S-1.3/evtBasesTrab.xsd" : name.startsWith("S-5002") ? "S-1.3/evtIrrfBenef.xsd"
                               : name.startsWith("S-5003") ? "S-1.3/evtBasesFGTS.xsd" : name == "S-5011" ? "S-1.3/evtCS.xsd" : "S-1.3/evtFGTS.xsd";
        EXPECT_EQ(ValidateDocument(xml.toUtf8(), schema, Signature::Optional), QStringList()) << name.toStdString();
    }
    import(f);
    EXPECT_EQ(stored(), int(f.size()));
    // The same files again: nothing new.
    for (const auto& [name, xml] : f) EXPECT_FALSE(StoreTotals(*db_, xml.toUtf8(), name + ".xml"));
    EXPECT_EQ(stored(), int(f.size()));

    ReconciliationResult r = Reconcile(*db_, 2026, 1);
    EXPECT_EQ(r.workers, int(totals.size()));
    EXPECT_EQ(r.missing, QStringList());
    EXPECT_EQ(Found(r), QStringList());
    const QStringList lines = ReportLines(r);
    EXPECT_TRUE(lines.contains("Sem divergências")) << lines.join('\n').toStdString();
}

TEST_F(Reconciliation, EachAlteredFigureIsFoundAndNothingElse) {
    struct Change {
        QString file, from, to;
    };
    struct Case {
        std::vector<Change> changes;
        QStringList expected; // "worker|item|payroll|government"
    };
    // Gisele (000007), 20.000,00 a month, has IRRF withheld: the government's
    // a real more.
    auto totals = payrollTotals();
    const Fixed irrf = RoundValue(2, totals["000007"].irrf);
    ASSERT_GT(irrf, Fixed());
    const Fixed more = irrf + Fixed::fromInt(1);
    std::vector<Case> cases = {
        {{{"S-5002-000007", "<vlrCRMen>" + m(irrf) + "</vlrCRMen>", "<vlrCRMen>" + m(more) + "</vlrCRMen>"}},
         {"000007|IRRF|" + m(irrf) + "|" + m(more)}},
        {{{"S-5013", "<vrFGTS>", "<vrFGTS>9"}}, {"|FGTS|"}},
        {{{"S-5001-000002", "<vrCpSeg>248.58</vrCpSeg>", "<vrCpSeg>250.00</vrCpSeg>"}}, {"000002|Contribuição INSS|248.58|250.00"}},
        {{{"S-5003-000002", "<remFGTS>3000.00</remFGTS><dpsFGTS>240.00</dpsFGTS>", "<remFGTS>3100.00</remFGTS><dpsFGTS>248.00</dpsFGTS>"}},
         {"000002|Base FGTS|3000.00|3100.00", "000002|FGTS|240.00|248.00"}},
        {{{"S-5001-000002", "<tpValor>11</tpValor><valor>3000.00</valor>", "<tpValor>11</tpValor><valor>2999.99</valor>"},
          {"S-5011", "<vrCpSeg>", "<vrCpSeg>1"}},
         {"000002|Base INSS|3000.00|2999.99", "|Contribuição INSS|"}},
    };
    for (const Case& c : cases) {
        db_->execWrite("DELETE FROM ESOCTOT");
        auto f = files();
        for (const Change& ch : c.changes) {
            ASSERT_TRUE(f.count(ch.file)) << ch.file.toStdString();
            ASSERT_TRUE(f[ch.file].contains(ch.from)) << ch.file.toStdString() << ": " << ch.from.toStdString();
            f[ch.file].replace(ch.from, ch.to);
        }
        import(f);
        EXPECT_EQ(Found(Reconcile(*db_, 2026, 1)), c.expected);
    }
    // The last case's report: the line of the difference and the rubricas
    // behind the INSS base.
    ReconciliationResult r = Reconcile(*db_, 2026, 1);
    ASSERT_EQ(r.divergences.size(), 2u);
    EXPECT_EQ(r.divergences[1].name, "Empresa");
    EXPECT_TRUE(r.divergences[0].rubricas.contains("3000.00")) << r.divergences[0].rubricas.toStdString();
    const QStringList lines = ReportLines(r);
    EXPECT_TRUE(lines.filter("Base INSS").value(0).contains("3.000,00")) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines.filter("Base INSS").value(0).contains("2.999,99"));
    EXPECT_TRUE(lines.contains("2 divergência(s)")) << lines.join('\n').toStdString();
}

TEST_F(Reconciliation, DamagedFileIsNamedAndNothingOfItKept) {
    auto f = files();
    const QString good = f["S-5001-000002"];
    struct Case {
        QString xml;
        QString start;
    } cases[] = {
        {good.left(good.size() / 2), "S-5001-000002.xml: não é um XML do eSocial legível"},
        {QString(good).replace("<cpfTrab>", "<cpfTrab>X"), "S-5001-000002.xml: o S-5001 não confere com o esquema"},
    };
    for (const Case& c : cases) {
        try {
            StoreTotals(*db_, c.xml.toUtf8(), "S-5001-000002.xml");
            ADD_FAILURE() << "arquivo danificado aceito";
        } catch (const UserError& e) {
            EXPECT_TRUE(e.message().startsWith(c.start)) << e.message().toStdString();
        }
    }
    EXPECT_EQ(stored(), 0);
    // Without any totals: nothing compared, every kind said missing.
    ReconciliationResult r = Reconcile(*db_, 2026, 1);
    EXPECT_EQ(r.missing, (QStringList{"S-5001", "S-5002", "S-5003", "S-5011", "S-5013"}));
    EXPECT_EQ(Found(r), QStringList());
}

// The guides' figures from the payroll of January 2026: Bruno's line as
// hand-computed above, printed; the totals are the sums of the lines (the
// rates on them are tested with the payroll book below).
TEST_F(Reconciliation, GuideSummaryFromThePayroll) {
    const GuideSummary s = SummarizeGuides(*db_, 2026, 1);
    EXPECT_EQ(s.branch, "001");
    QStringList bruno;
    Fixed base, inss, fgtsBase, fgts;
    for (const GuideWorker& w : s.workers) {
        if (w.worker == "000002") bruno << w.inssBase.toString(2) << w.inss.toString(2) << w.fgtsBase.toString(2) << w.fgts.toString(2);
        base += w.inssBase;
        inss += w.inss;
        fgtsBase += w.fgtsBase;
        fgts += w.fgts;
    }
    EXPECT_EQ(bruno, QStringList({"3000.00", "248.58", "3000.00", "240.00"}));
    EXPECT_EQ(QList<Fixed>({s.inssBase, s.employee, s.fgtsBase, s.fgts}), QList<Fixed>({base, inss, fgtsBase, fgts}));
    const QStringList lines = ReportLines(kGuideSummaryWidth, [&](TextReport& report) { ComposeGuideSummary(report, s); });
    EXPECT_EQ(lines.filter("000002 ").size(), 1);
    EXPECT_TRUE(lines.filter("000002 ").value(0).endsWith("3.000,00         248,58       3.000,00         240,00")) << lines.join('\n').toStdString();
    EXPECT_EQ(lines.filter("FGTS Digital - FGTS do mês: ").size(), 1);
}

// The employer's 20 % and RAT x FAP of the guides add up to the book's
// "Empresa" on the same branch and base. One employee, one INSS base row of
// April 2013 (role 013, event 111 of the synthetic company), no special
// retirement, no partners; the third parties' 5,8 % beside. Hand-computed:
//   23 % FAP 0,5:      RAT 3 x 0,5 = 1,5; 3.000,00 x 21,5 % = 645,00
//   23 % FAP 1,2345:   RAT 3,7035; 2.345,67 x 23,7035 % = 556,0058... = 556,01;
//                      20 % = 469,134 = 469,13, RAT 86,88 (alone 86,87)
//   22 % FAP 2:        RAT 4; 1.000,00 x 24 % = 240,00
//   21 % no FAP (0):   factor 1; 1.000,55 x 21 % = 210,1155 = 210,12
//   20 % FAP 1 (demo): 3.000,00 x 20 % = 600,00, no RAT
//   15 % FAP 2:        no RAT to adjust: 1.000,00 x 15 % = 150,00
//   third parties:     3.000,00 -> 174,00; 2.345,67 -> 136,04886 = 136,05;
//                      1.000,00 -> 58,00; 1.000,55 -> 58,0319 = 58,03
TEST(EmployerRate, GuidesAddUpToTheBookForTheSameBranchAndBase) {
    struct Case {
        const char *rate, *fap, *base, *employer, *ratFap, *thirdParties;
    };
    const Case cases[] = {
        {"23", "0.5", "3000.00", "600.00", "45.00", "174.00"}, {"23", "1.2345", "2345.67", "469.13", "86.88", "136.05"},
        {"22", "2", "1000.00", "200.00", "40.00", "58.00"},    {"21", "0", "1000.55", "200.11", "10.01", "58.03"},
        {"20", "1", "3000.00", "600.00", "0.00", "174.00"},    {"15", "2", "1000.00", "150.00", "0.00", "58.00"},
    };
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path() + "/taxas");
    demo::DemoBuilder::buildSyntheticCompany(*db, 1);
    Table branches(*db, "Filial");
    Table ocorrenc(*db, "OCORRENC");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rate) + " FAP " + c.fap + " base " + c.base);
        Record branch = *branches.find({"001"});
        branch.set("PER_GRPS17", c.rate).set("INDICE_FAP", c.fap);
        branches.update(branch);
        ocorrenc.removeWhere("1 = 1", {});
        Record r = ocorrenc.newRecord();
        r.set("OCORRANO", "2013").set("OCORRMES", "04").set("TIPOFOLHA", "F").set("HCODIGO", "111");
        r.set("CODFUN", "000001").set("REFER", "0").set("VALOR", c.base);
        ocorrenc.insert(r);

        struct Discard : PageSink {
            void page(const TextPage&) override {}
        } sink;
        TextReport report(sink, PayrollBookWidth, 66);
        report.beginJob({});
        ScriptedUi ui;
        const PayrollBookResult book = ComposePayrollBook(*db, ui, PayrollBookOptions(), report);
        report.endJob();
        const GuideSummary guides = SummarizeGuides(*db, 2013, 4);

        const Fixed total = *Fixed::parse(c.employer) + *Fixed::parse(c.ratFap);
        EXPECT_EQ(book.general.inss.company, total);
        EXPECT_EQ(guides.employer.toString(2), c.employer);
        EXPECT_EQ(guides.ratFap.toString(2), c.ratFap);
        EXPECT_EQ(guides.thirdParties.toString(2), c.thirdParties);
    }
}

} // namespace
