// `folha bank-file` and `folha bank-return` on the demo's January 2026: the
// salary file of the paying bank with the employee without an account left
// out, the nets of the sheet as the statements print them, and the bank's
// answer read back, whole and cut short.
#include "DemoInstallationCli.h"
#include "FixedRecords.h"
#include "FolhaProcess.h"
#include "Fixed.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <QFile>

#include <gtest/gtest.h>

using folha::test::FolhaRun;
using folha::test::RunFolha;

namespace {

class BankCli : public folha::test::DemoInstallationCli {
protected:
    FolhaRun run(const QStringList& args) { return RunFolha(root.path(), args); }
    QStringList lines(const QString& path) { return folha::test::records::CrlfRecords(path, 240); }

    TempDir out;
};

TEST_F(BankCli, SalaryFileOfTheDemoMonthAndItsReturn) {
    const QString file = out.file("PAG104.REM");
    const QStringList args = {"bank-file", "--company", "3", "--branch", "001", "--sheet", "F",
                              "--payment-date", "05/02/2026", "--output", file};
    FolhaRun r = run(args);
    // Written, with the employee without an account listed (status 1).
    ASSERT_EQ(r.status, 1) << r.err.toStdString() << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("Excluído 000013 MATEUS HORAS EXTRAS")) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("sem conta bancária no cadastro"));
    EXPECT_TRUE(r.out.contains("Banco 104, folha F de 01/2026, arquivo nº 1: 2 lote(s)")) << r.out.toStdString();

    const QStringList l = lines(file);
    ASSERT_GE(l.size(), 6);
    for (const QString& rec : l) EXPECT_EQ(rec.size(), 240);
    EXPECT_TRUE(l.first().startsWith("10400000"));
    EXPECT_EQ(l.first().mid(102, 30).trimmed(), QString("CAIXA ECONOMICA FEDERAL"));
    EXPECT_EQ(l.last().mid(23, 6).toInt(), l.size());

    // Same bank in batch 1, Banco do Brasil (000003) and Bradesco (000007) by TED in batch 2;
    // the amounts are the sheet's nets (event 142, the role of the net).
    qint64 cents = 0;
    QStringList batch2;
    for (const QString& rec : l)
        if (rec.mid(7, 1) == "3" && rec.mid(13, 1) == "A") {
            cents += rec.mid(119, 15).toLongLong();
            if (rec.mid(3, 4) == "0002") batch2 << rec.mid(73, 6) + " " + rec.mid(20, 3);
            EXPECT_NE(rec.mid(73, 6), QString("000013"));
        }
    EXPECT_EQ(batch2, (QStringList{"000003 001", "000007 237"}));
    FolhaRun nets = run({"sql", "--company", "3",
                         "select sum(VALOR) from OCORRENC where OCORRANO = '2026' and OCORRMES = '01' and "
                         "TIPOFOLHA = 'F' and HCODIGO = '142' and CODFUN <> '000013'"});
    ASSERT_EQ(nets.status, 0) << nets.err.toStdString();
    const std::optional<folha::Fixed> sum = folha::Fixed::parse(nets.out.split('\n').value(1).trimmed());
    ASSERT_TRUE(sum.has_value()) << nets.out.toStdString();
    EXPECT_EQ(sum->raw(), cents * 100) << nets.out.toStdString();

    // The same output again is refused without --yes; with it, the next number.
    EXPECT_NE(run(args).status, 0);
    FolhaRun again = run(args + QStringList{"--yes"});
    EXPECT_TRUE(again.out.contains("arquivo nº 2")) << again.out.toStdString();

    // The bank's answer: paid, but the Banco do Brasil account refused.
    QByteArray answer;
    for (QString rec : lines(file)) {
        if (rec.mid(7, 1) == "0") rec[142] = '2';
        if (rec.mid(7, 1) == "3" && rec.mid(13, 1) == "A")
            rec.replace(230, 10, rec.mid(73, 6) == "000003" ? "AN        " : "00        ");
        answer += rec.toLatin1() + "\r\n";
    }
    const QString ret = out.file("PAG104.RET");
    QFile f(ret);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(answer);
    f.close();
    FolhaRun back = run({"bank-return", ret});
    EXPECT_EQ(back.status, 1) << back.err.toStdString();
    EXPECT_TRUE(back.out.contains("Recusado")) << back.out.toStdString();
    EXPECT_TRUE(back.out.contains("AN - Conta corrente/DV do favorecido inválido"));
    EXPECT_TRUE(back.out.contains("; agendados: 0; recusados: 1"));

    // Cut short in the middle of its third record: the line is named, nothing else is said.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(answer.left(2 * 242 + 50));
    f.close();
    FolhaRun cut = run({"bank-return", ret});
    EXPECT_NE(cut.status, 0);
    EXPECT_TRUE(cut.err.contains("linha 3: o registro tem 50 posições")) << cut.err.toStdString();
}

TEST_F(BankCli, RefusesAWrongBankOrSheet) {
    FolhaRun r = run({"bank-file", "--company", "3", "--sheet", "F", "--bank", "999", "--payment-date",
                      "05/02/2026", "--output", out.file("x.REM")});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("Banco sem perfil de arquivo de pagamento: 999")) << r.err.toStdString();
    r = run({"bank-file", "--company", "3", "--sheet", "Q", "--payment-date", "05/02/2026", "--output",
             out.file("x.REM")});
    EXPECT_NE(r.status, 0);
    EXPECT_TRUE(r.err.contains("Folha sem arquivo de pagamento: Q")) << r.err.toStdString();
}

} // namespace
