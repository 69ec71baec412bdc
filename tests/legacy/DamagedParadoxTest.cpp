// Damaged Paradox files, made here from good tables with bytes changed: a
// password, bad version codes, block chains that loop or point past the
// end, truncations, absurd sizes and counts, impossible dates, BCD fields
// of too many places, and random byte flips from a fixed seed. Each is read
// in a child process with a time limit (a damaged file must never hang or
// crash the import), then imported beside a good table on the test's
// backend. Replacing with nothing, the user table without a supervisor, and
// what pxlib says of a file.
#include "FolhaProcess.h"
#include "ImportFixture.h"
#include "ImportParadox.h"
#include "ParadoxExport.h"
#include "ParadoxFile.h"
#include "ScriptedUi.h"
#include "Session.h"
#include "Table.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

using namespace folha;
using namespace folha::legacy;
using namespace folha::legacy::importtest;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes);
}

quint16 le16(const QByteArray& b, qsizetype at) { return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8)); }
void put16(QByteArray& b, qsizetype at, int v) {
    b[at] = char(v & 0xff);
    b[at + 1] = char((v >> 8) & 0xff);
}
void put32(QByteArray& b, qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * i)) & 0xff);
}

// Where things are in a table file, read from its header and its chain.
struct Layout {
    int recordSize, headerSize, blockSize, blocks;
    std::vector<qsizetype> rowAt; // offset of each row, in chain order
    explicit Layout(const QByteArray& b)
        : recordSize(le16(b, 0)), headerSize(le16(b, 2)), blockSize(quint8(b[5]) * 0x400), blocks(le16(b, 0x0C)) {
        for (int block = le16(b, 0x0E); block != 0;) {
            const qsizetype at = headerSize + qsizetype(block - 1) * blockSize;
            const int rows = qint16(le16(b, at + 4)) / recordSize + 1;
            for (int r = 0; r < rows; ++r) rowAt.push_back(at + 6 + qsizetype(r) * recordSize);
            block = le16(b, at);
        }
    }
    qsizetype block(int n) const { return headerSize + qsizetype(n - 1) * blockSize; }
};

// The good tables: bus lines with a BCD amount (several blocks), leaves
// with a date, positions to go in beside the damaged files.
const QList<ParadoxField> lineFields = {
    {"CODIGO", ParadoxType::Alpha, 3, 0}, {"NOME", ParadoxType::Alpha, 30, 0}, {"VALOR", ParadoxType::Bcd, 0, 4}};
const QList<ParadoxField> leaveFields = {
    {"CODFUN", ParadoxType::Alpha, 6, 0}, {"HCODIGO", ParadoxType::Alpha, 3, 0}, {"DATA", ParadoxType::Date, 0, 0}};
constexpr int LineRows = 130, LeaveRows = 200, PositionRows = 10;
constexpr int ValueOffset = 33, DateOffset = 9; // of VALOR and DATA in their records

QByteArray goodTable(const TempDir& tmp, const QString& name) {
    const QString path = tmp.file(QStringLiteral("bons/") + name);
    QDir().mkpath(tmp.file("bons"));
    if (!QFile::exists(path)) {
        if (name == "Linha.DB") {
            ParadoxWriter w(path, lineFields, 850);
            for (int i = 0; i < LineRows; ++i)
                w.append({QStringLiteral("%1").arg(i, 3, 10, QChar('0')), QStringLiteral("LINHA %1").arg(i),
                          QVariant::fromValue(Fixed::fromRaw(qint64(i) * 12345))});
        } else if (name == "AFASTFUN.DB") {
            ParadoxWriter w(path, leaveFields, 850);
            for (int i = 0; i < LeaveRows; ++i)
                w.append({QStringLiteral("%1").arg(i, 6, 10, QChar('0')), QStringLiteral("001"), QDate(2001, 1, 1).addDays(i)});
        } else {
            ParadoxWriter w(path, {{"COD_CARGOS", ParadoxType::Alpha, 3, 0}, {"NOME_CARGO", ParadoxType::Alpha, 40, 0}}, 850);
            for (int i = 0; i < PositionRows; ++i)
                w.append({QStringLiteral("%1").arg(i, 3, 10, QChar('0')), QStringLiteral("CARGO %1").arg(i)});
        }
    }
    return readAll(path);
}

// A date as the file stores it: big-endian with the sign bit inverted.
void putDate(QByteArray& b, qsizetype at, qint32 days) {
    const quint32 v = quint32(days) ^ 0x80000000u;
    for (int i = 0; i < 4; ++i) b[at + i] = char((v >> (8 * (3 - i))) & 0xff);
}
constexpr qint32 DayOf2000 = 730120; // Paradox's number of 1 January 2000 (1 January of year 1 is day 1)

struct Damage {
    QString name;
    std::function<void(QByteArray&, const Layout&)> change;
    QString reason; // in the message "O arquivo X está danificado: ..."; empty: rows are read
};

// Damages that any table can take.
std::vector<Damage> fileDamages() {
    std::vector<Damage> d = {
        {"senha1", [](QByteArray& b, const Layout&) { put32(b, 0x25, 0x1234abcd); }, "protegida por senha"},
        {"senha2", [](QByteArray& b, const Layout&) { put32(b, 0x5C, 0x00c0ffee); }, "protegida por senha"},
        {"proprio", [](QByteArray& b, const Layout& l) { put16(b, l.block(1), 1); }, "volta ao bloco 1"},
        {"laco", [](QByteArray& b, const Layout& l) { put16(b, l.block(l.blocks), 1); }, "volta ao bloco 1"},
        {"alem", [](QByteArray& b, const Layout& l) { put16(b, l.block(1), l.blocks + 7); }, "aponta para o bloco"},
        {"blocos+1", [](QByteArray& b, const Layout& l) { put16(b, 0x0C, l.blocks + 1); }, "arquivo truncado"},
        {"blocos-max", [](QByteArray& b, const Layout&) { put16(b, 0x0C, 0xffff); }, "número de blocos inválido"},
        {"blocos-7fff", [](QByteArray& b, const Layout&) { put16(b, 0x0C, 0x7fff); }, "arquivo truncado"},
        {"linhas+1", [](QByteArray& b, const Layout&) { put32(b, 0x06, quint32(qint32(le16(b, 6)) + 1)); }, "o cabeçalho conta"},
        {"linhas-1", [](QByteArray& b, const Layout&) { put32(b, 0x06, quint32(qint32(le16(b, 6)) - 1)); }, "o cabeçalho conta"},
        {"linhas-neg", [](QByteArray& b, const Layout&) { put32(b, 0x06, 0xffffffffu); }, "número de linhas inválido"},
        {"registro-0", [](QByteArray& b, const Layout&) { put16(b, 0, 0); }, "não é uma tabela Paradox"},
        {"registro+1", [](QByteArray& b, const Layout& l) { put16(b, 0, l.recordSize + 1); }, "os campos somam"},
        {"registro-enorme", [](QByteArray& b, const Layout&) { put16(b, 0, 0xffff); }, "não cabe num bloco"},
        {"cabecalho-impar", [](QByteArray& b, const Layout&) { put16(b, 2, 0x801); }, "não é uma tabela Paradox"},
        {"cabecalho-enorme", [](QByteArray& b, const Layout&) { put16(b, 2, 0xf800); }, "arquivo truncado"},
        {"campos-0", [](QByteArray& b, const Layout&) { put16(b, 0x21, 0); }, "número de campos inválido"},
        {"campos-enorme", [](QByteArray& b, const Layout&) { put16(b, 0x21, 1000); }, "número de campos inválido"},
        {"primeiro-0", [](QByteArray& b, const Layout&) { put16(b, 0x0E, 0); }, "o cabeçalho conta"},
        {"bloco-usado", [](QByteArray& b, const Layout& l) { put16(b, l.block(1) + 4, 0x7fff); }, "bloco de dados 1 é inválido"},
        {"bloco-negativo", [](QByteArray& b, const Layout& l) { put16(b, l.block(2) + 4, -l.recordSize - 1); }, "bloco de dados 2 é inválido"},
        {"tamanho-bloco", [](QByteArray& b, const Layout&) { b[5] = 5; }, "não é uma tabela Paradox"},
        {"indice", [](QByteArray& b, const Layout&) { b[4] = 1; }, "é um índice Paradox"},
    };
    for (int code : {0, 2, 3, 4, 13, 14, 15, 16, 255})
        d.push_back({QStringLiteral("versao-%1").arg(code), [code](QByteArray& b, const Layout&) { b[0x39] = char(code); },
                     QStringLiteral("versão do Paradox não suportada (código %1)").arg(code)});
    for (double part : {0.0, 0.001, 0.03, 0.2, 0.5, 0.9, 0.999})
        d.push_back({QStringLiteral("truncado-%1").arg(part), [part](QByteArray& b, const Layout& l) {
                         const qsizetype keep = part < 0.2 ? qsizetype(part * l.headerSize * 30) : qsizetype(part * b.size());
                         b.truncate(std::min(keep, b.size() - 1));
                     },
                     QString()}); // the reason depends on where the cut falls
    return d;
}

// Each file is read whole by a child process of its own, a few at a time;
// a child not done within `seconds` is killed and counted as a hang.
struct Outcome {
    enum Kind { Rows, Refused, Hang, Crash } kind = Crash;
    int rows = 0, unreadableRows = 0;
    QString text;
};

[[noreturn]] void readAndReport(const QString& path, int fd) {
    QByteArray out;
    try {
        ParadoxReader reader(path);
        int bad = 0;
        for (int n = 0; n < reader.rowCount(); ++n) {
            QList<UnreadableValue> unreadable;
            reader.row(n, &unreadable);
            bad += unreadable.isEmpty() ? 0 : 1;
        }
        out = QStringLiteral("R %1 %2").arg(reader.rowCount()).arg(bad).toUtf8();
    } catch (const ParadoxError& e) {
        out = "E " + e.message().toUtf8();
    }
    for (qsizetype done = 0; done < out.size();) {
        const ssize_t n = ::write(fd, out.constData() + done, size_t(out.size() - done));
        if (n <= 0) break;
        done += n;
    }
    ::_exit(0);
}

// FOLHA_TEST_CHILD_SECONDS gives more time under valgrind.
std::vector<Outcome> readInChildren(const QStringList& paths, int atOnce = 4) {
    const int seconds = qEnvironmentVariableIntValue("FOLHA_TEST_CHILD_SECONDS") > 0 ? qEnvironmentVariableIntValue("FOLHA_TEST_CHILD_SECONDS") : 4;
    struct Running {
        pid_t pid;
        int fd;
        int index;
        QElapsedTimer clock;
    };
    std::vector<Outcome> outcomes(size_t(paths.size()));
    std::vector<Running> running;
    int next = 0;
    while (next < paths.size() || !running.empty()) {
        while (next < paths.size() && int(running.size()) < atOnce) {
            int fds[2];
            if (::pipe(fds) != 0) return outcomes;
            const pid_t pid = ::fork();
            if (pid == 0) {
                ::close(fds[0]);
                readAndReport(paths[next], fds[1]);
            }
            ::close(fds[1]);
            running.push_back({pid, fds[0], next++, {}});
            running.back().clock.start();
        }
        for (auto it = running.begin(); it != running.end();) {
            int status = 0;
            Outcome& o = outcomes[size_t(it->index)];
            if (::waitpid(it->pid, &status, WNOHANG) == 0) {
                if (it->clock.elapsed() <= seconds * 1000) {
                    ++it;
                    continue;
                }
                ::kill(it->pid, SIGKILL);
                ::waitpid(it->pid, &status, 0);
                o.kind = Outcome::Hang;
            } else {
                QByteArray text;
                char buffer[4096];
                for (ssize_t n; (n = ::read(it->fd, buffer, sizeof buffer)) > 0;) text.append(buffer, n);
                o.text = QString::fromUtf8(text);
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || text.isEmpty()) {
                    o.kind = Outcome::Crash;
                    o.text = QStringLiteral("status %1 %2").arg(status).arg(o.text);
                } else if (text.startsWith("R ")) {
                    o.kind = Outcome::Rows;
                    o.rows = o.text.section(' ', 1, 1).toInt();
                    o.unreadableRows = o.text.section(' ', 2, 2).toInt();
                } else {
                    o.kind = Outcome::Refused;
                    o.text = o.text.mid(2);
                }
            }
            ::close(it->fd);
            it = running.erase(it);
        }
        ::usleep(1000);
    }
    return outcomes;
}

QString damagedPrefix(const QString& file) { return QStringLiteral("O arquivo %1 está danificado: ").arg(file); }

// The damaged files of the corpus, with the reason each must give (empty
// when any outcome but a hang or a crash will do).
struct CorpusFile {
    QString path;
    QString table; // file name
    QString damage;
    QString reason;
};

std::vector<CorpusFile> buildCorpus(const TempDir& tmp) {
    std::vector<CorpusFile> corpus;
    std::mt19937 random(20240611);
    for (const QString& table : {QStringLiteral("Linha.DB"), QStringLiteral("AFASTFUN.DB")}) {
        const QByteArray good = goodTable(tmp, table);
        const Layout layout(good);
        // The n-th damaged file of each table goes into folder n.
        int n = 0;
        auto add = [&](const QString& name, const QByteArray& bytes, const QString& reason) {
            const QString dir = tmp.file(QStringLiteral("corpus/%1").arg(n++));
            QDir().mkpath(dir);
            writeAll(QDir(dir).filePath(table), bytes);
            corpus.push_back({QDir(dir).filePath(table), table, name, reason});
        };
        for (const Damage& d : fileDamages()) {
            QByteArray b = good;
            d.change(b, layout);
            add(d.name, b, d.reason);
        }
        // Values: dates of ±2 000 000 000 days and before 1900; BCD fields
        // of more than 32 places and bad digits.
        if (table == "AFASTFUN.DB") {
            for (qint32 days : {2000000000, -2000000000, DayOf2000 - 100 * 365 - 30, 1}) {
                QByteArray b = good;
                putDate(b, layout.rowAt[5] + DateOffset, days);
                add(QStringLiteral("data%1").arg(days), b, QString());
            }
        } else {
            for (int places : {33, 40, 63, 255}) {
                QByteArray b = good;
                b[0x78 + 2 * 2 + 1] = char(places);
                add(QStringLiteral("bcd%1").arg(places), b, QString());
            }
            QByteArray b = good;
            b[layout.rowAt[3] + ValueOffset + 5] = char(0xcc);
            add("bcd-digito", b, QString());
        }
        // Random flips, half of them in the header.
        for (int i = 0; i < 50; ++i) {
            QByteArray b = good;
            const int flips = 1 + int(random() % 6);
            for (int f = 0; f < flips; ++f) {
                const qsizetype span = i % 2 ? layout.headerSize : b.size();
                b[qsizetype(random() % quint32(span))] = char(random() & 0xff);
            }
            add(QStringLiteral("aleatorio%1").arg(i), b, QString());
        }
    }
    return corpus;
}

// A user table of code, name and level, wider than the registry's so that
// it can hold what the import must refuse.
void WriteUsers(const QString& dir, const QList<QStringList>& rows, const char* password) {
    QDir().mkpath(dir);
    ParadoxWriter w(QDir(dir).filePath("Usuarios.DB"), {{"Codigo", ParadoxType::Alpha, 6, 0},
                                                         {"Nome", ParadoxType::Alpha, 80, 0},
                                                         {"Nivel", ParadoxType::Alpha, 20, 0},
                                                         {"Senha", ParadoxType::Alpha, 20, 0}});
    for (const QStringList& r : rows) w.append({r[0], r[1], r[2], QString::fromLatin1(password)});
}

// What the summary and the refusals say, for comparing two runs.
QString countsOf(const ImportResult& r) {
    QStringList lines;
    for (const TableImport& t : r.tables)
        lines << QStringLiteral("%1 %2 %3 %4 %5").arg(t.table).arg(t.read).arg(t.imported).arg(t.refused).arg(t.error);
    for (const RefusedRow& x : r.refusals) lines << QStringLiteral("%1 %2 %3 %4").arg(x.table).arg(x.row).arg(x.field, x.reason);
    return lines.join('\n');
}

} // namespace

// Every file of the corpus ends, in a child, within the time limit: rows
// read or "O arquivo X está danificado: ...", never a hang or a crash. Then
// each goes through the import beside a good table, which goes in.
TEST(DamagedParadox, CorpusEndsInTimeAndGoodTablesGoIn) {
    TempDir tmp;
    const std::vector<CorpusFile> corpus = buildCorpus(tmp);
    ASSERT_GT(corpus.size(), 180u);
    QStringList paths;
    for (const CorpusFile& c : corpus) paths << c.path;
    const std::vector<Outcome> read = readInChildren(paths);
    std::map<QString, Outcome> outcomes;
    int refused = 0, rows = 0;
    for (size_t i = 0; i < corpus.size(); ++i) {
        const CorpusFile& c = corpus[i];
        const Outcome& o = read[i];
        SCOPED_TRACE((c.path + QLatin1Char(' ') + c.damage).toStdString());
        ASSERT_NE(o.kind, Outcome::Hang) << "did not end in time";
        ASSERT_NE(o.kind, Outcome::Crash) << o.text.toStdString();
        if (o.kind == Outcome::Refused) {
            ++refused;
            EXPECT_TRUE(o.text.startsWith(damagedPrefix(c.table))) << o.text.toStdString();
        } else {
            ++rows;
        }
        if (!c.reason.isEmpty()) {
            EXPECT_EQ(o.kind, Outcome::Refused);
            EXPECT_TRUE(o.text.startsWith(damagedPrefix(c.table)) && o.text.contains(c.reason)) << o.text.toStdString();
        }
        outcomes[c.path] = o;
    }
    EXPECT_GT(refused, 50);
    EXPECT_GT(rows, 10);

    // The import, on the test's backend: a folder at a time, its damaged
    // files beside the good positions, replacing what the one before left.
    Fresh fresh;
    const QByteArray positions = goodTable(tmp, "Cargos.DB");
    std::map<QString, ImportResult> results;
    for (const CorpusFile& c : corpus) {
        const QString dir = QFileInfo(c.path).path();
        if (results.count(dir)) continue;
        writeAll(QDir(dir).filePath("Cargos.DB"), positions);
        results[dir] = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, dir, false, true), fresh.ui);
    }
    for (const CorpusFile& c : corpus) {
        SCOPED_TRACE((c.path + QLatin1Char(' ') + c.damage).toStdString());
        const Outcome& o = outcomes[c.path];
        const ImportResult& r = results[QFileInfo(c.path).path()];
        const TableImport* damaged = reportOf(r, QFileInfo(c.table).completeBaseName() == "Linha" ? "Linha" : "AFASTFUN");
        ASSERT_NE(damaged, nullptr);
        if (o.kind == Outcome::Refused) {
            EXPECT_EQ(damaged->error, o.text);
            EXPECT_EQ(damaged->imported, 0);
        } else {
            EXPECT_TRUE(damaged->error.isEmpty()) << damaged->error.toStdString();
            EXPECT_EQ(damaged->read, o.rows);
            EXPECT_EQ(damaged->imported + damaged->refused, damaged->read);
        }
        const TableImport* good = reportOf(r, "Cargos");
        ASSERT_NE(good, nullptr);
        EXPECT_EQ(good->imported, PositionRows) << good->error.toStdString();
    }
    EXPECT_EQ(rowsOf(*fresh.company, "Cargos"), PositionRows);
}

// Values that cannot be read are refused rows with their reason, never
// empty fields; a dry run gives the very counts of the import.
TEST(DamagedParadox, UnreadableValuesAreRefusedRowsInDryRunAndImportAlike) {
    TempDir tmp;
    QByteArray leaves = goodTable(tmp, "AFASTFUN.DB");
    const Layout leaveLayout(leaves);
    const struct {
        int row;
        qint32 days;
        const char* reason; // empty: taken
    } dates[] = {
        {2, 2000000000, "data impossível (2000000000 dias)"},
        {4, -2000000000, "data impossível (-2000000000 dias)"},
        {6, DayOf2000 - 100 * 365 - 30, "data implausível, anterior a 1900 (26/12/1899)"},
        {8, DayOf2000 - 100 * 365 + 30, ""}, // in 1900
    };
    for (const auto& d : dates) putDate(leaves, leaveLayout.rowAt[size_t(d.row)] + DateOffset, d.days);
    QByteArray lines = goodTable(tmp, "Linha.DB");
    lines[0x78 + 2 * 2 + 1] = char(40); // VALOR: 40 places
    // A line without an amount reads as an empty field, not as a refusal.
    const Layout lineLayout(lines);
    for (int i = 0; i < 17; ++i) lines[lineLayout.rowAt[7] + ValueOffset + i] = 0;

    const QString dir = tmp.file("valores");
    QDir().mkpath(dir);
    writeAll(QDir(dir).filePath("AFASTFUN.DB"), leaves);
    writeAll(QDir(dir).filePath("Linha.DB"), lines);
    // Hours that the fixed point holds but a column of 14 whole digits does
    // not: only the database's insert refuses them.
    {
        ParadoxWriter w(QDir(dir).filePath("PLANTOES.DB"),
                        {{"COD_PLANTA", ParadoxType::Alpha, 3, 0}, {"NOME", ParadoxType::Alpha, 30, 0}, {"HRS_NORMA", ParadoxType::Currency, 0, 0}});
        for (int i = 0; i < 20; ++i)
            w.append({QStringLiteral("%1").arg(i, 3, 10, QChar('0')), QStringLiteral("PLANTAO %1").arg(i),
                      QVariant::fromValue(i == 13 ? *Fixed::parse("500000000000000") : Fixed::fromInt(12))});
    }
    Fresh fresh;
    const ImportResult dry = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, dir, true), fresh.ui);
    EXPECT_EQ(rowsOf(*fresh.company, "AFASTFUN"), 0);
    EXPECT_EQ(rowsOf(*fresh.company, "Linha"), 0);
    const ImportResult real = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, dir), fresh.ui);
    EXPECT_EQ(countsOf(dry), countsOf(real));
    ASSERT_NE(reportOf(real, "PLANTOES"), nullptr);
    EXPECT_EQ(reportOf(real, "PLANTOES")->imported, rowsOf(*fresh.company, "PLANTOES"));

    const TableImport* leave = reportOf(real, "AFASTFUN");
    ASSERT_NE(leave, nullptr);
    EXPECT_EQ(leave->refused, 3);
    EXPECT_EQ(leave->imported, LeaveRows - 3);
    EXPECT_EQ(rowsOf(*fresh.company, "AFASTFUN"), LeaveRows - 3);
    EXPECT_EQ(Table(*fresh.company, "AFASTFUN").count("DATA IS NULL"), 0);
    for (const auto& d : dates) {
        const auto it = std::find_if(real.refusals.begin(), real.refusals.end(),
                                     [&](const RefusedRow& r) { return r.table == "AFASTFUN" && r.row == d.row + 1; });
        if (!*d.reason) {
            EXPECT_EQ(it, real.refusals.end()) << d.row;
            continue;
        }
        ASSERT_NE(it, real.refusals.end()) << d.row;
        EXPECT_EQ(it->field, "DATA");
        EXPECT_TRUE(it->reason.startsWith(QString::fromUtf8(d.reason))) << it->reason.toStdString();
    }
    const TableImport* line = reportOf(real, "Linha");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->refused, LineRows - 1); // row 7 has no amount
    EXPECT_EQ(line->imported, 1);
    ASSERT_FALSE(real.refusals.isEmpty());
    EXPECT_TRUE(std::any_of(real.refusals.begin(), real.refusals.end(), [](const RefusedRow& r) {
        return r.table == "Linha" && r.field == "VALOR" && r.reason.contains(QStringLiteral("declara 40 casas decimais"));
    }));
    EXPECT_EQ(Table(*fresh.company, "Linha").count("VALOR IS NULL"), 1);
}

// A replace by a file whose rows are all refused keeps the old rows; the
// user table is never left without a supervisor, in a dry run as in the
// import.
TEST(DamagedParadox, ReplaceKeepsOldRowsAndASupervisor) {
    Fresh fresh;
    TempDir files;
    auto users = [](const QString& dir, const QList<QStringList>& rows) { WriteUsers(dir, rows, "segredo"); };
    users(files.file("bons"), {{"000001", "ANA", "SUP"}, {"000002", "BETO", "OPE"}});
    users(files.file("recusados"), {{"000003", "CARLA", "SUPERVISOR"}, {"000004", "DANI", "OPERADOR"}});
    users(files.file("semsup"), {{"000005", "EDU", "OPE"}});
    Database& signIn = fresh.session.signInDb();
    const ImportResult first = ImportParadox(fresh.installation(), options(ImportMode::Installation, files.file("bons"), false, true), fresh.ui);
    ASSERT_EQ(reportOf(first, "Usuarios")->imported, 2);

    const struct {
        const char* dir;
        bool dryRun;
        qint64 refused;
        const char* error; // start of the table's error; empty: none
        const char* note;
    } cases[] = {
        {"recusados", false, 2, "", "nenhuma linha importada; as linhas existentes (2) foram mantidas"},
        {"recusados", true, 2, "", "nenhuma linha importada; as linhas existentes (2) foram mantidas"},
        {"semsup", false, 0, "nenhum usuário de nível \"SUP\" (supervisor) ficaria", ""},
        {"semsup", true, 0, "nenhum usuário de nível \"SUP\" (supervisor) ficaria", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.dir) + (c.dryRun ? " dry" : ""));
        const ImportResult r = ImportParadox(fresh.installation(), options(ImportMode::Installation, files.file(c.dir), c.dryRun, true), fresh.ui);
        const TableImport* t = reportOf(r, "Usuarios");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->imported, 0);
        EXPECT_EQ(t->refused, c.refused);
        if (*c.error)
            EXPECT_TRUE(t->error.startsWith(QString::fromUtf8(c.error))) << t->error.toStdString();
        else
            EXPECT_TRUE(t->error.isEmpty()) << t->error.toStdString();
        EXPECT_EQ(t->notes.join('\n'), QString::fromUtf8(c.note));
        EXPECT_EQ(rowsOf(signIn, "Usuarios"), 2);
        EXPECT_EQ(Table(signIn, "Usuarios").count("Nivel = ?", {QStringLiteral("SUP")}), 1);
        if (*c.error) {
            EXPECT_TRUE(fresh.ui.texts("log").contains(QStringLiteral("Usuarios.DB: %1").arg(t->error)));
        }
    }
}

// The command: --installation --replace with a user table whose rows are
// all refused leaves the users as they were.
TEST(DamagedParadoxCli, ReplaceWithRefusedUsersKeepsThem) {
    TempDir root;
    folha::testing::PrepareInstallation(root.path());
    auto write = [](const QString& dir, const QList<QStringList>& rows) { WriteUsers(dir, rows, "zorvan"); };
    write(root.file("antes"), {{"000001", "SUPERVISOR", "SUP"}});
    write(root.file("recusados"), {{"000009", QString(60, QChar('X')), "SUP"}});
    const auto first = test::RunFolha(root.path(), {"import-paradox", "--installation", root.file("antes")});
    ASSERT_EQ(first.status, 0) << first.err.toStdString() << first.out.toStdString();
    const auto again = test::RunFolha(root.path(), {"import-paradox", "--replace", "--installation", root.file("recusados")});
    EXPECT_EQ(again.status, 1) << again.err.toStdString();
    EXPECT_TRUE(again.out.contains(QStringLiteral("Usuarios.DB: nenhuma linha importada; as linhas existentes (1) foram mantidas")))
        << again.out.toStdString();
    ScriptedUi ui;
    Session session{Installation(root.path())};
    session.startUp(ui);
    const auto kept = Table(session.signInDb(), "Usuarios").select();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].text("Codigo"), "000001");
    EXPECT_EQ(kept[0].text("Nivel"), "SUP");
}

// What pxlib prints itself reaches the import's log, never the terminal: a
// table with an empty block in its chain (left so by deletions) is read
// whole, but pxlib miscounts the empty block and prints a complaint.
TEST(DamagedParadox, LibraryMessagesGoToTheLogNotTheTerminal) {
    TempDir tmp;
    QByteArray b = goodTable(tmp, "Linha.DB");
    const Layout l(b);
    const int second = qint16(le16(b, l.block(2) + 4)) / l.recordSize + 1;
    ASSERT_GT(second, 0);
    put16(b, l.block(2) + 4, -l.recordSize); // block 2 left empty
    put32(b, 0x06, quint32(LineRows - second));
    const QString dir = tmp.file("vazio");
    QDir().mkpath(dir);
    writeAll(QDir(dir).filePath("Linha.DB"), b);

    Fresh fresh;
    // The standard error of this process, into a file while the import runs.
    std::fflush(stderr);
    FILE* capture = std::tmpfile();
    ASSERT_NE(capture, nullptr);
    const int saved = ::dup(2);
    ::dup2(::fileno(capture), 2);
    const ImportResult r = ImportParadox(fresh.companyTargets(), options(ImportMode::Company, dir), fresh.ui);
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    std::rewind(capture);
    QByteArray printed;
    char buffer[1024];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, capture)) > 0;) printed.append(buffer, qsizetype(n));
    std::fclose(capture);

    EXPECT_FALSE(printed.contains("Number of records")) << printed.toStdString();
    const TableImport* t = reportOf(r, "Linha");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->imported, LineRows - second) << t->error.toStdString();
    const QString said = QStringLiteral("pxlib: Number of records counted in blocks does not match number of records in header");
    ASSERT_EQ(t->notes.size(), 1);
    EXPECT_TRUE(t->notes[0].startsWith(said)) << t->notes[0].toStdString();
    EXPECT_TRUE(fresh.ui.texts("log").contains(QStringLiteral("Linha.DB: ") + t->notes[0]));
    EXPECT_TRUE(ImportSummaryText(r).contains(QStringLiteral("Linha.DB: ") + t->notes[0]));
}
