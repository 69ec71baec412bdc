// The legal tables and the current law's INSS and IRRF, against figures
// worked out by hand from the acts.
#include "CalculationTrail.h"
#include "Database.h"
#include "LawRules.h"
#include "LegalTables.h"
#include "LegalTablesEdit.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <gtest/gtest.h>

using namespace folha;
using namespace folha::law;

namespace {

Fixed F(const char* s) { return *Fixed::parse(QString::fromLatin1(s)); }
const LegalTables& Shipped() { return LegalTables::shipped(); }

} // namespace

TEST(LegalTables, ShippedTablesAreWholeAndCoverEveryCompetenceSinceMarch2020) {
    EXPECT_EQ(Shipped().faults(), QStringList());
    for (QDate d(2020, 3, 1); d <= QDate(2026, 12, 1); d = d.addMonths(1)) {
        const QString c = d.toString(QStringLiteral("yyyyMM"));
        for (const char* kind : {"INSS", "IRRF", "IRRFDEP", "SALFAM", "SALMIN", "FGTS", "FGTSAPREND", "FGTSMULTA"})
            EXPECT_FALSE(Shipped().inForce(QLatin1String(kind), c).empty()) << kind << " " << c.toStdString();
    }
    EXPECT_TRUE(Shipped().inForce(QStringLiteral("INSS"), QStringLiteral("202002")).empty());
    EXPECT_EQ(Shipped().single(QStringLiteral("SALMIN"), QStringLiteral("202304"))->value, F("1302"));
    EXPECT_EQ(Shipped().single(QStringLiteral("SALMIN"), QStringLiteral("202305"))->value, F("1320"));
    EXPECT_EQ(Shipped().single(QStringLiteral("SALMIN"), QStringLiteral("202601"))->value, F("1621"));
    EXPECT_EQ(Shipped().single(QStringLiteral("IRRFSIMPL"), QStringLiteral("202401"))->value, F("528"));
    EXPECT_EQ(Shipped().single(QStringLiteral("IRRFSIMPL"), QStringLiteral("202402"))->value, F("564.80"));
    EXPECT_FALSE(Shipped().single(QStringLiteral("IRRFSIMPL"), QStringLiteral("202304")));
    EXPECT_TRUE(Shipped().inForce(QStringLiteral("IRRFREDUCAO"), QStringLiteral("202512")).empty());
    EXPECT_EQ(Shipped().single(QStringLiteral("SALFAM"), QStringLiteral("202601"))->value, F("67.54"));
    EXPECT_EQ(Shipped().single(QStringLiteral("SALFAM"), QStringLiteral("202601"))->limit, F("1980.38"));
}

// Each bracket's part cut to the centavo; nothing above the ceiling.
TEST(LegalTables, InssProgressiveAtEveryBracketEdgeAndAboveTheCeiling) {
    const struct {
        const char* competence;
        const char* base;
        const char* inss;
    } cases[] = {
        {"202003", "1045.00", "78.37"},   {"202003", "2089.60", "172.38"}, {"202003", "3134.40", "297.75"},
        {"202003", "6101.06", "713.08"},  {"202012", "7101.06", "713.08"}, {"202003", "3000.00", "281.62"},
        {"202101", "1100.00", "82.50"},   {"202106", "2203.48", "181.81"}, {"202101", "3305.22", "314.01"},
        {"202112", "6433.57", "751.97"},  {"202101", "7433.57", "751.97"}, {"202201", "1212.00", "90.90"},
        {"202201", "2427.35", "200.28"},  {"202201", "3641.03", "345.92"}, {"202201", "7087.22", "828.38"},
        {"202212", "8087.22", "828.38"},  {"202301", "1302.00", "97.65"},  {"202304", "3000.00", "263.32"},
        {"202304", "7507.49", "877.22"},  {"202305", "1320.00", "99.00"},  {"202305", "3000.00", "263.05"},
        {"202312", "7507.49", "876.95"},  {"202401", "1412.00", "105.90"}, {"202401", "2666.68", "218.82"},
        {"202401", "4000.03", "378.82"},  {"202401", "7786.02", "908.85"}, {"202412", "8786.02", "908.85"},
        {"202501", "1518.00", "113.85"},  {"202501", "2793.88", "228.67"}, {"202501", "4190.83", "396.30"},
        {"202501", "8157.41", "951.62"},  {"202512", "9157.41", "951.62"}, {"202601", "1621.00", "121.57"},
        {"202601", "2902.84", "236.93"},  {"202601", "4354.27", "411.10"}, {"202601", "8475.55", "988.07"},
        {"202612", "20000.00", "988.07"}, {"202601", "3000.00", "248.58"}, {"202601", "1621.01", "121.57"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InssProgressive(Shipped(), QLatin1String(c.competence), F(c.base), QStringLiteral("INSS")).amount, F(c.inss))
            << c.competence << " " << c.base;
    EXPECT_EQ(InssCeiling(Shipped(), QStringLiteral("202601")), F("8475.55"));
    const Worked w = InssProgressive(Shipped(), QStringLiteral("202601"), F("3000"), QStringLiteral("INSS 2026"));
    EXPECT_TRUE(w.trail.startsWith(QStringLiteral(
        "INSS 2026: 1.621,00 × 7,5 % = 121,57 + (2.902,84 - 1.621,00) × 9 % = 115,36 + (3.000,00 - 2.902,84) × 12 % = 11,65 => 248,58")))
        << w.trail.toStdString();
    EXPECT_TRUE(w.trail.contains(QStringLiteral("Portaria Interministerial MPS/MF nº 13")));
}

// The monthly IRRF: legal deductions or the simplified one, whichever
// taxes less; the 2026 reduction on the income; nothing up to 10,00.
TEST(LegalTables, IrrfAtEachEdgeWithDependantsSimplifiedAndTheReduction) {
    const struct {
        const char* competence;
        const char* income;
        const char* inss;
        int dependants;
        const char* tax;
        bool simplified;
    } cases[] = {
        {"202003", "1903.98", "0", 0, "0", false},        // exempt up to the limit
        {"202003", "2826.65", "0", 0, "69.20", false},    // 211,9988 => 212,00 - 142,80
        {"202003", "3751.05", "0", 0, "207.86", false},
        {"202003", "4664.68", "0", 0, "413.42", false},
        {"202003", "4664.69", "0", 0, "413.43", false},   // 27,5 % - 869,36
        {"202003", "5000.00", "550.00", 2, "279.80", false},
        {"202305", "2640.00", "0", 0, "0", true},         // simplified: 2.112,00, exempt
        {"202305", "3000.00", "263.05", 0, "27.00", true}, // simplified 2.472,00 => 27,00; legal => 47,01
        {"202305", "3000.00", "263.05", 3, "0", false},    // legal 2.168,18 exempt
        {"202402", "2826.65", "0", 0, "0", true},
        {"202402", "5000.00", "518.82", 1, "302.84", false},
        {"202505", "2428.80", "0", 0, "0", false},
        {"202505", "3036.00", "0", 0, "0", true},          // the new exemption with the simplified deduction
        {"202505", "10000.00", "951.62", 0, "1579.57", false},
        {"202601", "3000.00", "248.58", 0, "0", true},
        {"202601", "5000.00", "518.82", 0, "0", true},      // reduced to zero
        {"202601", "5000.01", "518.82", 0, "0", true},      // 312,89 - (978,62 - 665,73)
        {"202601", "6000.00", "658.82", 0, "380.34", false}, // 560,09 - (978,62 - 798,87)
        {"202601", "7000.00", "798.82", 1, "697.85", false}, // 744,46 − (978,62 − 932,015 = 46,605 → 46,61)
        {"202601", "7350.00", "847.82", 0, "879.37", false}, // 978,62 - 978,62: no reduction left
        {"202601", "7350.01", "847.82", 0, "879.37", false},
        {"202601", "20000.00", "988.07", 2, "4215.28", false},
    };
    for (const auto& c : cases) {
        IrrfInputs in;
        in.income = F(c.income);
        in.inss = F(c.inss);
        in.dependants = c.dependants;
        const IrrfResult r = IrrfCurrent(Shipped(), QLatin1String(c.competence), in, QStringLiteral("IRRF"));
        EXPECT_EQ(r.tax, F(c.tax)) << c.competence << " " << c.income << "\n" << r.trail.toStdString();
        EXPECT_EQ(r.simplified, c.simplified) << c.competence << " " << c.income;
    }
    // Each edge of the 2023, 2024 and 2025 tables on the legal deductions
    // alone: the limit taxes at its own bracket, a centavo more at the next
    // (2.826,65 × 7,5 % = 212,00 − 158,40; 2.826,66 × 15 % = 424,00 − 370,40).
    const struct {
        const char* competence;
        const char* base;
        const char* tax;
    } edges[] = {
        {"202305", "2112.00", "0"},      {"202305", "2112.01", "0"},      {"202305", "2826.65", "53.60"},
        {"202305", "2826.66", "53.60"},  {"202305", "3751.05", "192.26"}, {"202305", "4664.69", "397.83"},
        {"202402", "2259.21", "0"},      {"202402", "2826.65", "42.56"},  {"202402", "3751.06", "181.22"},
        {"202402", "4664.68", "386.78"}, {"202402", "4664.69", "386.79"}, {"202505", "2428.81", "0"},
        {"202505", "2826.65", "29.84"},  {"202505", "3751.05", "168.50"}, {"202505", "4664.68", "374.06"},
        {"202505", "4664.69", "374.06"},
    };
    for (const auto& e : edges) {
        IrrfInputs edge;
        edge.income = F(e.base);
        edge.simplifiedAllowed = false;
        EXPECT_EQ(IrrfCurrent(Shipped(), QLatin1String(e.competence), edge, {}).tax, F(e.tax)) << e.competence << " " << e.base;
    }
    // The reduction only from 01/2026, and only when asked.
    IrrfInputs in;
    in.income = F("5000");
    in.inss = F("518.82");
    EXPECT_EQ(IrrfCurrent(Shipped(), QStringLiteral("202512"), in, {}).tax, F("312.89"));
    in.reductionAllowed = false;
    EXPECT_EQ(IrrfCurrent(Shipped(), QStringLiteral("202601"), in, {}).tax, F("312.89"));
    in.simplifiedAllowed = false;
    EXPECT_EQ(IrrfCurrent(Shipped(), QStringLiteral("202601"), in, {}).tax, F("332.78"));
    // 2.528,80 × 7,5 % = 189,66 - 182,16 = 7,50: not withheld, but on the 13th salary it is.
    in.income = F("2528.80");
    in.inss = Fixed();
    EXPECT_EQ(IrrfCurrent(Shipped(), QStringLiteral("202601"), in, {}).tax, Fixed());
    in.smallTaxWaived = false;
    EXPECT_EQ(IrrfCurrent(Shipped(), QStringLiteral("202601"), in, {}).tax, F("7.50"));
}

TEST(LegalTables, NoticeDaysAndRestDays) {
    const struct {
        QDate admission, leaving;
        int days;
    } cases[] = {
        {{2025, 3, 1}, {2026, 1, 20}, 30},  {{2025, 1, 20}, {2026, 1, 20}, 33}, {{2022, 1, 5}, {2026, 1, 20}, 42},
        {{2022, 1, 21}, {2026, 1, 20}, 39}, {{2000, 1, 1}, {2026, 1, 20}, 90},  {{2006, 1, 20}, {2026, 1, 20}, 90},
    };
    for (const auto& c : cases) EXPECT_EQ(NoticeDays(c.admission, c.leaving), c.days) << c.admission.toString().toStdString();
    // January 2026: four Sundays and New Year's day; November 2023 has no 20th yet, 2024 has.
    EXPECT_EQ(DaysOfMonth(2026, 1, NationalHolidays(2026)).restDays, 5);
    EXPECT_EQ(DaysOfMonth(2026, 1, NationalHolidays(2026)).workingDays, 26);
    EXPECT_FALSE(NationalHolidays(2023).contains(QDate(2023, 11, 20)));
    EXPECT_EQ(DaysOfMonth(2024, 11, NationalHolidays(2024)).restDays, 4 + 3); // Sundays, 2nd (Sat), 15th, 20th
}

TEST(LegalTables, RefusesOverlapsIncompleteBracketsAndBadLines) {
    const struct {
        const char* csv;
        const char* fault;
    } cases[] = {
        {"INSS;01/2027;;1;1700,00;7,5;;;Portaria X\nINSS;01/2027;;3;5000,00;12;;;Portaria X\n", "faixas incompletas"},
        {"INSS;01/2027;;1;1700,00;7,5;;;Portaria X\nINSS;01/2027;;2;1600,00;9;;;Portaria X\n", "maior que o da anterior"},
        {"SALMIN;06/2025;06/2026;1;;;;1700,00;Decreto X\n", "sobrepõe"},
        {"SALMIN;01/2027;;1;;;;1700,00;\n", "fonte"},
        {"IRRF;01/2027;;1;2500,00;0;0;;Lei X\nIRRF;01/2027;;2;3000,00;7,5;190;;Lei X\n", "última faixa não tem limite"},
    };
    for (const auto& c : cases) {
        try {
            Shipped().merged(ReadLegalCsv(QString::fromUtf8(c.csv)));
            ADD_FAILURE() << "accepted: " << c.csv;
        } catch (const LegalTablesError& e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).contains(QString::fromUtf8(c.fault))) << e.what();
        }
    }
    for (const char* bad : {"INSS;13/2027;;1;1,00;7,5;;;X", "XPTO;01/2027;;1;;;;1;X", "SALMIN;01/2027;;1;;;;abc;X", "SALMIN;01/2027"}) {
        EXPECT_THROW(ReadLegalCsv(QString::fromLatin1(bad)), LegalTablesError) << bad;
    }
}

// Next year's table closes the open one the month before it begins; the
// export reads back to the same rows.
TEST(LegalTables, NextYearsTableClosesTheOpenOneAndTheCsvRoundTrips) {
    const LegalTables t = Shipped().merged(ReadLegalCsv(QStringLiteral("SALMIN;01/2027;;1;;;;1.700,00;Decreto 99.999, de 30/12/2026\n")));
    EXPECT_EQ(t.single(QStringLiteral("SALMIN"), QStringLiteral("202612"))->value, F("1621"));
    EXPECT_EQ(t.single(QStringLiteral("SALMIN"), QStringLiteral("202612"))->end, QStringLiteral("202612"));
    EXPECT_EQ(t.single(QStringLiteral("SALMIN"), QStringLiteral("202701"))->value, F("1700"));
    EXPECT_EQ(ReadLegalCsv(WriteLegalCsv(t.rows())), t.rows());
}

TEST(LegalTables, StoredInTheSharedDatabaseWithTheShippedRowsAdded) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path());
    LegalTables loaded = LoadLegalTables(*db);
    EXPECT_EQ(loaded.rows(), Shipped().rows());
    // The installation's own table stays; a newer shipped table is added.
    const LegalTables own = Shipped().merged(ReadLegalCsv(QStringLiteral("SALMIN;01/2027;;1;;;;1.700,00;Decreto X\n")));
    StoreLegalTables(*db, own);
    EXPECT_EQ(LoadLegalTables(*db).rows(), own.rows());
}

// The register's rows against the stored tables: a new table closes the
// open one of its kind, an edited one stands as edited, one left out goes;
// the change names each table.
TEST(LegalTables, RegisterEditsAddChangeAndRemoveWholeTables) {
    const std::vector<LegalRow>& stored = Shipped().rows();
    auto without = [&](const QString& kind, const QString& start) {
        std::vector<LegalRow> rows;
        for (const LegalRow& r : stored)
            if (r.kind != kind || r.start != start) rows.push_back(r);
        return rows;
    };
    auto with = [](std::vector<LegalRow> rows, const char* csv) {
        for (const LegalRow& r : ReadLegalCsv(QString::fromUtf8(csv))) rows.push_back(r);
        return rows;
    };
    struct Case {
        const char* name;
        std::vector<LegalRow> edited;
        QStringList added, changed, removed;
    };
    const Case cases[] = {
        {"nada", stored, {}, {}, {}},
        {"nova vigência", with(stored, "SALMIN;01/2027;;1;;;;1.700,00;Decreto X\n"), {"SALMIN 01/2027"}, {"SALMIN 01/2026"}, {}},
        // The act's citation retyped: the same rate, another source.
        {"fonte corrigida", with(without("FGTSMULTA", "202003"), "FGTSMULTA;03/2020;;1;;40;;;Lei 8.036/1990, art. 18, § 1º\n"),
         {}, {"FGTSMULTA 03/2020"}, {}},
        // The 2026 reduction removed: its kind is left without tables.
        {"tabela excluída", without("IRRFREDUCAO", "202601"), {}, {}, {"IRRFREDUCAO 01/2026"}},
    };
    for (const Case& c : cases) {
        const LegalTables after = EditedLegalTables(Shipped(), c.edited);
        const LegalTablesChange change = CompareLegalTables(Shipped(), after);
        EXPECT_EQ(change.added, c.added) << c.name;
        EXPECT_EQ(change.changed, c.changed) << c.name;
        EXPECT_EQ(change.removed, c.removed) << c.name;
    }
    const LegalTables next = EditedLegalTables(Shipped(), cases[1].edited);
    EXPECT_EQ(next.single("SALMIN", "202612")->end, "202612");
    EXPECT_EQ(next.single("SALMIN", "202701")->value, F("1700"));
    EXPECT_EQ(CompareLegalTables(Shipped(), next).auditText(),
              "Tabelas legais |Incluídas: SALMIN 01/2027 |Alteradas: SALMIN 01/2026");

    // A new table that overlaps a closed one is refused with the fault.
    try {
        EditedLegalTables(Shipped(), with(stored, "SALMIN;06/2025;;1;;;;1.600,00;Decreto Y\n"));
        ADD_FAILURE() << "aceitou uma vigência sobreposta";
    } catch (const LegalTablesError& e) {
        EXPECT_TRUE(e.faults().join('\n').contains("Tabela SALMIN de 01/2026: a vigência se sobrepõe à da tabela de 06/2025."))
            << e.what();
    }
}

// A sheet's trails written again hold exactly the new list, whatever of the
// stored one stays, changes or goes; another sheet's and another
// employee's trails are left alone.
TEST(CalculationTrails, WrittenAgainTheyAreExactlyTheNewList) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path());
    const TrailKey april{"000001", "2013", "04", "F"};
    const TrailKey vacation{"000001", "2013", "04", "I"};
    const TrailKey other{"000002", "2013", "04", "F"};
    WriteTrails(*db, vacation, {{"050", "Férias", "30 dias"}});
    WriteTrails(*db, other, {{"110", "INSS", "outro"}});
    auto text = [](const std::vector<TrailRow>& rows) {
        QStringList out;
        for (const TrailRow& r : rows) out << r.event + '|' + r.rule + '|' + r.text;
        return out.join(' ');
    };
    const struct {
        std::vector<TrailRow> written;
        const char* expected;
    } steps[] = {
        {{{"110", "INSS", "a"}, {"001", "Salário", "220"}, {"120", "IRRF", "b"}}, "001|Salário|220 110|INSS|a 120|IRRF|b"},
        // One changed, one gone, one new before, between and after the rest.
        {{{"000", "Novo", "c"}, {"001", "Salário", "220"}, {"115", "Novo", "d"}, {"120", "IRRF", "e"}, {"900", "Fim", ""}},
         "000|Novo|c 001|Salário|220 115|Novo|d 120|IRRF|e 900|Fim|"},
        {{{"120", "IRRF", "e"}}, "120|IRRF|e"},
        {{}, ""},
        {{{"001", "Salário", "220"}}, "001|Salário|220"},
    };
    for (const auto& step : steps) {
        WriteTrails(*db, april, step.written);
        EXPECT_EQ(text(ReadTrails(*db, april)), QString::fromUtf8(step.expected));
    }
    EXPECT_EQ(text(ReadTrails(*db, vacation)), QStringLiteral("050|Férias|30 dias"));
    EXPECT_EQ(text(ReadTrails(*db, other)), QStringLiteral("110|INSS|outro"));
}

// The trails of many employees' sheets written at once end as each written
// alone would: kept, changed, emptied or new, past one statement's worth of
// employees; another sheet is left alone. Written again unchanged, they are
// only read.
TEST(CalculationTrails, ManySheetsWrittenAtOnceEndAsEachWrittenAlone) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path());
    auto code = [](int i) { return QStringLiteral("%1").arg(i, 6, 10, QChar('0')); };
    auto trailsOf = [](int i) -> std::vector<TrailRow> {
        switch (i % 4) {
        case 0: return {{"001", "Salário", "220"}, {"110", "INSS", QString::number(i)}}; // as stored
        case 1: return {{"001", "Salário", "220"}, {"120", "IRRF", "novo"}};           // changed
        case 2: return {};                                                              // emptied
        default: return {{"050", "Férias", "30 dias"}};                                 // none stored before
        }
    };
    for (int i = 1; i <= 70; ++i)
        if (i % 4 != 3)
            WriteTrails(*db, {code(i), "2013", "04", "F"}, {{"001", "Salário", "220"}, {"110", "INSS", QString::number(i)}});
    WriteTrails(*db, {code(1), "2013", "04", "I"}, {{"050", "Férias", "30 dias"}});

    std::vector<SheetTrails> sheets;
    for (int i = 1; i <= 70; ++i) sheets.push_back({code(i), trailsOf(i)});
    auto text = [](const std::vector<TrailRow>& rows) {
        QStringList out;
        for (const TrailRow& r : rows) out << r.event + '|' + r.rule + '|' + r.text;
        return out.join(' ');
    };
    for (int pass = 0; pass < 2; ++pass) {
        const quint64 sent = db->statementsRun();
        WriteSheetsTrails(*db, "2013", "04", "F", sheets);
        if (pass == 1) {
            EXPECT_EQ(db->statementsRun() - sent, 2u); // two readings of 64 employees
        }
        for (int i = 1; i <= 70; ++i)
            EXPECT_EQ(text(ReadTrails(*db, {code(i), "2013", "04", "F"})), text(trailsOf(i))) << i;
    }
    EXPECT_EQ(text(ReadTrails(*db, {code(1), "2013", "04", "I"})), QStringLiteral("050|Férias|30 dias"));
}

// The trails of a company made when the trail's key began with the month
// (with a second index by employee) are read, replaced and removed as those
// of a new company: the readings go by employee, which both layouts serve.
TEST(CalculationTrails, ACompanyWithTheFormerKeyKeepsItsTrails) {
    TempDir dir;
    auto db = folha::testing::OpenTestDatabase(dir.path());
    TableDef former = *Registry::instance().table(QStringLiteral("MEMOCALC"));
    former.primaryKey = {"OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO", "CODFUN"};
    db->execDirect(db->createTableStatement(former));
    const IndexDef byEmployee{QStringLiteral("id_memo_func"), {"CODFUN", "OCORRANO", "OCORRMES", "TIPOFOLHA", "HCODIGO"}};
    db->createIndex(former, byEmployee);
    db->forgetSchema();
    db->execWrite(QStringLiteral("INSERT INTO MEMOCALC (OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN, REGRA, TEXTO) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                  {"2013", "04", "F", "110", "000001", "INSS", "1.595,45 × 9 % = 143,59"});

    const TrailKey april{"000001", "2013", "04", "F"};
    ASSERT_EQ(ReadTrails(*db, april).size(), 1u);
    EXPECT_EQ(ReadRowTrail(*db, april, "110")->text, QStringLiteral("1.595,45 × 9 % = 143,59"));
    WriteTrails(*db, april, {{"001", "Salário", "220,00 horas"}, {"110", "INSS", "1.600,00 × 9 % = 144,00"}});
    WriteTrails(*db, {"000002", "2013", "04", "F"}, {{"110", "INSS", ""}});
    const std::vector<TrailRow> rows = ReadTrails(*db, april);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].event, QStringLiteral("001"));
    EXPECT_EQ(rows[1].text, QStringLiteral("1.600,00 × 9 % = 144,00"));
    EXPECT_EQ(RemoveTrails(*db, april), 2);
    EXPECT_TRUE(ReadTrails(*db, april).empty());
    EXPECT_EQ(ReadTrails(*db, {"000002", "2013", "04", "F"}).size(), 1u);
    EXPECT_TRUE(db->hasIndex(former, byEmployee));
}
