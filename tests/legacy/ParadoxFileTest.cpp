// Paradox files written with pxlib's writer and read back: every field type
// the writer makes, nulls, negative and exact BCD, memos in the record and in
// the memo file, and the code page of the header.
#include "ParadoxFile.h"
#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace folha;
using namespace folha::legacy;

namespace {

QList<ParadoxField> everyType() {
    return {
        {"NOME", ParadoxType::Alpha, 30, 0},     {"NASC", ParadoxType::Date, 0, 0},
        {"FILHOS", ParadoxType::Short, 0, 0},    {"CODIGO", ParadoxType::Long, 0, 0},
        {"SALARIO", ParadoxType::Currency, 0, 2}, {"HORAS", ParadoxType::Number, 0, 0},
        {"ATIVO", ParadoxType::Logical, 0, 0},   {"OBS", ParadoxType::Memo, 20, 0},
        {"ENTRADA", ParadoxType::Time, 0, 0},    {"ALTERADO", ParadoxType::Timestamp, 0, 0},
        {"SEQ", ParadoxType::AutoInc, 0, 0},     {"VALOR", ParadoxType::Bcd, 0, 4},
    };
}

Fixed fx(const char* text) { return *Fixed::parse(QString::fromLatin1(text)); }

} // namespace

TEST(ParadoxFile, EveryTypeReadsBackAsWritten) {
    TempDir tmp;
    const QString path = tmp.file("TIPOS.DB");
    const QString longMemo = QStringLiteral("Observação longa que não cabe no registro e vai para o arquivo de memos: ÀÉÎÕÜ ç");
    const QList<QVariantList> rows = {
        {QStringLiteral("JOSÉ DA CONCEIÇÃO"), QDate(1980, 2, 29), 3, 123456, QVariant::fromValue(fx("4321.55")),
         QVariant::fromValue(fx("-12.3456")), true, QStringLiteral("curta"), QTime(8, 30, 15),
         QDateTime(QDate(2013, 4, 30), QTime(23, 59, 58)), 1, QVariant::fromValue(fx("98765432109.1234"))},
        {QStringLiteral("MARIA"), QDate(1900, 1, 1), -7, -2000000000, QVariant::fromValue(fx("0")),
         QVariant::fromValue(fx("0.0001")), false, longMemo, QTime(0, 0), QDateTime(QDate(1999, 12, 31), QTime(0, 0)), 2,
         QVariant::fromValue(fx("-0.5"))},
        {QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
         QVariant(), 3, QVariant()},
    };
    {
        ParadoxWriter writer(path, everyType(), 850);
        for (const auto& r : rows) writer.append(r);
    }
    ParadoxReader reader(path);
    EXPECT_EQ(reader.codePage(), 850);
    ASSERT_EQ(reader.rowCount(), rows.size());
    ASSERT_EQ(reader.fields().size(), everyType().size());
    for (int i = 0; i < everyType().size(); ++i) {
        EXPECT_EQ(reader.fields()[i].name, everyType()[i].name);
        EXPECT_EQ(reader.fields()[i].type, everyType()[i].type) << i;
    }
    for (int n = 0; n < rows.size(); ++n) {
        const QVariantList got = reader.row(n);
        for (int i = 0; i < rows[n].size(); ++i) {
            const QVariant& want = rows[n][i];
            const QVariant& v = got[i];
            SCOPED_TRACE(QStringLiteral("row %1 field %2").arg(n).arg(everyType()[i].name).toStdString());
            if (want.isNull()) {
                EXPECT_TRUE(v.isNull()) << v.toString().toStdString();
            } else if (everyType()[i].type == ParadoxType::Bcd) {
                // Exact decimal text, never a binary fraction.
                EXPECT_EQ(*Fixed::parse(v.toString()), want.value<Fixed>()) << v.toString().toStdString();
            } else if (want.typeId() == qMetaTypeId<Fixed>()) {
                EXPECT_EQ(v.value<Fixed>(), want.value<Fixed>());
            } else {
                EXPECT_EQ(v, want) << v.toString().toStdString() << " / " << want.toString().toStdString();
            }
        }
    }
}

TEST(ParadoxFile, TextIsStoredInTheHeadersCodePage) {
    TempDir tmp;
    // "Ç" is 0x80 in CP850 and 0xC7 in CP1252.
    const struct {
        int codePage;
        char cedilla;
    } cases[] = {{850, char(0x80)}, {1252, char(0xC7)}};
    for (const auto& c : cases) {
        const QString path = tmp.file(QStringLiteral("CP%1.DB").arg(c.codePage));
        {
            ParadoxWriter writer(path, {{"NOME", ParadoxType::Alpha, 10, 0}}, c.codePage);
            writer.append({QStringLiteral("AÇO")});
        }
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll().contains(QByteArray("A") + c.cedilla + "O")) << c.codePage;
        ParadoxReader reader(path);
        EXPECT_EQ(reader.codePage(), c.codePage);
        EXPECT_EQ(reader.row(0).value(0).toString(), QStringLiteral("AÇO"));
    }
}

TEST(ParadoxFile, UnreadableFilesSayWhy) {
    TempDir tmp;
    const QString good = tmp.file("BOM.DB");
    {
        ParadoxWriter writer(good, {{"NOME", ParadoxType::Alpha, 40, 0}});
        for (int i = 0; i < 500; ++i) writer.append({QStringLiteral("LINHA %1").arg(i)});
    }
    QFile in(good);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray bytes = in.readAll();
    auto write = [&](const QString& name, const QByteArray& data) {
        QFile out(tmp.file(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(data);
        return tmp.file(name);
    };
    const struct {
        QString file;
        QByteArray data;
        QString message;
    } cases[] = {
        {"TRUNCADO.DB", bytes.left(bytes.size() * 2 / 3), "O arquivo TRUNCADO.DB está danificado: arquivo truncado, faltam"},
        {"CABECALHO.DB", bytes.left(1000), "O arquivo CABECALHO.DB está danificado: arquivo truncado, o cabeçalho"},
        {"TEXTO.DB", QByteArray("CODFUN;NOME\n000001;JOSE\n").repeated(200), "O arquivo TEXTO.DB está danificado: não é uma tabela Paradox"},
        {"VAZIO.DB", QByteArray(), "O arquivo VAZIO.DB está danificado: não é uma tabela Paradox"},
    };
    for (const auto& c : cases) {
        const QString path = write(c.file, c.data);
        try {
            ParadoxReader reader(path);
            for (int n = 0; n < reader.rowCount(); ++n) reader.row(n);
            ADD_FAILURE() << "no error for " << c.file.toStdString();
        } catch (const ParadoxError& e) {
            EXPECT_TRUE(e.message().startsWith(c.message)) << e.message().toStdString();
        }
    }
    EXPECT_EQ(ParadoxReader(good).rowCount(), 500);
}
