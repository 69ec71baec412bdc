#include "TfoArquivoBanco.h"

#include "AuditLog.h"
#include "BankFile.h"
#include "BankReturn.h"
#include "JobScreen.h"
#include "Registry.h"
#include "Session.h"
#include "Table.h"
#include "TextRoutines.h"
#include "TypedInput.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace folha {

const QString TfoArquivoBanco::Caption = QStringLiteral("Zorvan - Arquivo de Pagamento (Banco):");
const QString TfoArquivoBanco::ScreenName = QStringLiteral("TfoArquivoBanco");

TfoArquivoBanco::TfoArquivoBanco(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    auto add = [&](const QString& caption, QWidget* w, QWidget* beside = nullptr) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(w);
        grid->addWidget(label, row, 0);
        grid->addWidget(w, row, 1);
        if (beside) grid->addWidget(beside, row, 2);
        ++row;
    };
    auto edit = [&](const char* name, int width, int length) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaximumWidth(width);
        box->setMaxLength(length);
        return box;
    };

    // What the branch proposes: its sheet, its month and its paying bank.
    std::optional<Record> branch;
    try {
        branch = Table(session_.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session_)});
    } catch (const UserError&) {
    }
    sheet_ = new QComboBox(this);
    sheet_->setObjectName(QStringLiteral("cbFolha"));
    for (const CodeEntry& c : sheetTypeCodes())
        if (bank::PayableSheets().contains(c.value)) sheet_->addItem(c.text, c.value);
    competence_ = edit("evCompetencia", 70, 7);
    competence_->setInputMask(QStringLiteral("99/9999"));
    bank_ = edit("evBanco", 40, 3);
    bankName_ = new QLabel(this);
    bankName_->setObjectName(QStringLiteral("lbNomeBanco"));
    paymentDate_ = edit("evDataPagamento", 90, 10);
    paymentDate_->setInputMask(QStringLiteral("99/99/9999"));
    from_ = edit("evInicio", 70, 6);
    to_ = edit("evFinal", 70, 6);
    otherBanks_ = new QComboBox(this);
    otherBanks_->setObjectName(QStringLiteral("cbOutrosBancos"));
    otherBanks_->addItem(QStringLiteral("TED"));
    otherBanks_->addItem(QStringLiteral("PIX (dados da conta)"));
    output_ = new QLineEdit(this);
    output_->setObjectName(QStringLiteral("evArquivo"));
    output_->setMinimumWidth(320);
    auto* choose = new QPushButton(QStringLiteral("..."), this);
    choose->setObjectName(QStringLiteral("btEscolher"));
    choose->setMaximumWidth(30);
    if (branch) {
        const int at = sheet_->findData(branch->text(QStringLiteral("TIPO_FOL")).trimmed());
        if (at >= 0) sheet_->setCurrentIndex(at);
        const QDate payroll = branch->date(QStringLiteral("DATA_FOLHA"));
        if (payroll.isValid()) competence_->setText(payroll.toString(QStringLiteral("MM/yyyy")));
        bank_->setText(branch->text(QStringLiteral("BCO_PAGTO")).trimmed());
        nextSequence_ = int(branch->number(QStringLiteral("NSA_PAGTO")).truncated()) + 1;
        fileVersion_ = branch->text(QStringLiteral("VER_ARQ")).trimmed();
        batchVersion_ = branch->text(QStringLiteral("VER_LOTE")).trimmed();
    }
    add(QStringLiteral("Folha"), sheet_);
    add(QStringLiteral("Competência"), competence_);
    add(QStringLiteral("Banco Pagador"), bank_, bankName_);
    add(QStringLiteral("Data do Pagamento"), paymentDate_);
    add(QStringLiteral("Funcionário Inicial"), from_);
    add(QStringLiteral("Funcionário Final"), to_);
    add(QStringLiteral("Outros Bancos"), otherBanks_);
    add(QStringLiteral("Arquivo"), output_, choose);
    grid->setColumnStretch(3, 1);

    report_ = new QPlainTextEdit(this);
    report_->setObjectName(QStringLiteral("mmResultado"));
    report_->setReadOnly(true);
    report_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    report_->setMinimumSize(640, 200);
    layout->addWidget(report_, 1);

    auto* buttons = new QHBoxLayout;
    layout->addLayout(buttons);
    auto* generateButton = new QPushButton(QStringLiteral("&Gerar"), this);
    generateButton->setObjectName(QStringLiteral("btGerar"));
    auto* returnButton = new QPushButton(QStringLiteral("Ler &Retorno"), this);
    returnButton->setObjectName(QStringLiteral("btRetorno"));
    auto* closeButton = new QPushButton(QStringLiteral("&Fechar"), this);
    closeButton->setObjectName(QStringLiteral("btFechar"));
    buttons->addStretch(1);
    buttons->addWidget(generateButton);
    buttons->addWidget(returnButton);
    buttons->addWidget(closeButton);

    connect(bank_, &QLineEdit::textChanged, this, [this] { showBank(); });
    connect(choose, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Arquivo de pagamento"), output_->text());
        if (!path.isEmpty()) output_->setText(path);
    });
    connect(generateButton, &QPushButton::clicked, this, [this] { generate(); });
    connect(returnButton, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Arquivo de retorno do banco"),
                                                          QFileInfo(output_->text()).absolutePath());
        if (!path.isEmpty()) readReturn(path);
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    showBank();
    ui::MoveOnWithEnter(this);
}

void TfoArquivoBanco::showBank() {
    try {
        const bank::BankProfile& p = bank::ProfileOfBank(bank_->text());
        bankName_->setText(p.shortName);
        // The versions that will be written; a wrong one of the branch is
        // said when generating.
        const QString file = fileVersion_.isEmpty() ? p.fileLayoutVersion : fileVersion_;
        const QString batch = batchVersion_.isEmpty() ? p.batchLayoutVersion : batchVersion_;
        bankName_->setToolTip(QStringLiteral("Convênio: %1\nLeiaute %2: arquivo %3, lote %4")
                                  .arg(p.agreementHint, p.layoutName, file, batch));
        if (output_->text().isEmpty() || QFileInfo(output_->text()).fileName().startsWith(QStringLiteral("PAG"))) {
            const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
            output_->setText(QDir(folder).filePath(bank::ProposedFileName(p, QDate::currentDate(), nextSequence_)));
        }
    } catch (const UserError&) {
        bankName_->setText(QStringLiteral("(banco sem perfil)"));
        bankName_->setToolTip({});
    }
}

bool TfoArquivoBanco::generate() {
    const UiOwner owner(ui_, this);
    bank::BankFileResult result;
    try {
        bank::BankFileOptions o;
        o.branchCode = CurrentBranchKey(session_);
        o.sheet = sheet_->currentData().toString();
        const TypedPeriod period = TypedCompetence(competence_->text());
        o.competence = period.year + period.month;
        o.bank = bank_->text();
        o.paymentDate = TypedDate(paymentDate_->text(), QStringLiteral("Data do Pagamento"));
        if (!from_->text().trimmed().isEmpty()) o.firstEmployee = TypedEmployeeCode(from_->text());
        if (!to_->text().trimmed().isEmpty()) o.lastEmployee = TypedEmployeeCode(to_->text());
        o.otherBanks = otherBanks_->currentIndex() == 1 ? bank::OtherBanks::Pix : bank::OtherBanks::Ted;
        o.outputPath = output_->text();
        result = bank::WriteBankFile(session_.folha(), ui_, o);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    QStringList lines;
    for (const bank::BankCreditLine& c : result.credits)
        lines << QStringLiteral("Lote %1 (%2) %3 %4 banco %5 ag. %6 conta %7-%8 %9")
                     .arg(c.batch)
                     .arg(c.form, c.credit.employeeCode, c.credit.name.leftJustified(30, QLatin1Char(' '), true),
                          c.credit.bank, c.credit.agency, c.credit.account, c.credit.accountDigit,
                          MoneyText(c.credit.amount).rightJustified(12));
    for (const bank::BankExclusion& e : result.exclusions)
        lines << QStringLiteral("Excluído %1 %2 (líquido %3): %4").arg(e.employeeCode, e.name, MoneyText(e.net), e.reason);
    if (!result.written) {
        lines << QStringLiteral("Arquivo não gravado.");
        report_->setPlainText(lines.join('\n'));
        return false;
    }
    lines << QStringLiteral("%1: %2 lote(s), %3 crédito(s), %4 registro(s), total %5, arquivo nº %6")
                 .arg(result.path)
                 .arg(result.batches)
                 .arg(result.credits.size())
                 .arg(result.records)
                 .arg(MoneyText(result.total))
                 .arg(result.sequence);
    report_->setPlainText(lines.join('\n'));
    WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName, bank::BankFileAudit(result),
                    session_.signIn.CurrentUserCode, ui_);
    ui_.message(MessageKind::Information,
                QStringLiteral("Arquivo gravado: %1 (%2 crédito(s), %3 excluído(s)).")
                    .arg(result.path)
                    .arg(result.credits.size())
                    .arg(result.exclusions.size()));
    return true;
}

bool TfoArquivoBanco::readReturn(const QString& path) {
    const UiOwner owner(ui_, this);
    try {
        const bank::BankReturnFile file = bank::ReadBankReturn(path);
        report_->setPlainText(bank::BankReturnLines(file).join('\n'));
        return true;
    } catch (const UserError& e) {
        report_->setPlainText(e.message());
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
}

QWidget* TfoArquivoBanco::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoArquivoBanco(session, ui, parent);
}

} // namespace folha
