#include "TfoGerarGRRF.h"

#include "AuditLog.h"
#include "GovCompanyGrid.h"
#include "GovOutput.h"
#include "Grrf.h"
#include "JobScreen.h"
#include "Session.h"
#include "TypedInput.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoGerarGRRF::Caption = QStringLiteral("Zorvan - Gerar GRRF:");
const QString TfoGerarGRRF::ScreenName = QStringLiteral("TfoGerarGRRF");

TfoGerarGRRF::TfoGerarGRRF(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(ScreenName);
    setWindowTitle(Caption);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    layout->addLayout(grid);
    int row = 0;
    auto add = [&](const QString& caption, QWidget* w) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(w);
        grid->addWidget(label, row, 0);
        grid->addWidget(w, row, 1);
        ++row;
    };
    auto edit = [&](const char* name, const char* text, int width, int length) {
        auto* box = new QLineEdit(QString::fromLatin1(text), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setMaximumWidth(width);
        box->setMaxLength(length);
        return box;
    };
    collectionDate_ = GovDateBox(QStringLiteral("evDtaPagFgts"), this);
    noticeDate_ = GovDateBox(QStringLiteral("evDtaAvPrev"), this);
    pisFrom_ = edit("evInicio", "00000000000", 110, 11);
    pisTo_ = edit("evFinal", "99999999999", 110, 11);
    responsible_ = new ResponsibleField(session_, ui_, ScreenName, QStringLiteral("evCod_Res"), this);
    withdrawal_ = edit("evCodSaque", "", 60, 3);
    add(QStringLiteral("Data recolheimento GRRF"), collectionDate_);
    add(QStringLiteral("Data aviso previo"), noticeDate_);
    add(QStringLiteral("PIS Inicial"), pisFrom_);
    add(QStringLiteral("Pis Final"), pisTo_);
    add(QStringLiteral("Codigo Responsavel"), responsible_);
    add(QStringLiteral("Código Saque"), withdrawal_);
    previousMonth_ = new QCheckBox(QStringLiteral("Mês Anterior"), this);
    previousMonth_->setObjectName(QStringLiteral("chkMesAnterior"));
    grid->addWidget(previousMonth_, row++, 0, 1, 2);
    grid->setColumnStretch(2, 1);

    const GovScreenFoot foot = AddGovScreenFoot(session_, this, layout, [this] { generate(); });
    several_ = foot.severalCompanies;
    companies_ = foot.companies;
    ui::MoveOnWithEnter(this);
}

void TfoGerarGRRF::done(int result) {
    responsible_->remember();
    QDialog::done(result);
}

bool TfoGerarGRRF::generate() {
    const UiOwner owner(ui_, this);
    responsible_->remember();
    gov::GovFileResult result;
    try {
        gov::TickedCompanies companies = companies_->open();
        gov::GrrfOptions o;
        o.branchCode = CurrentBranchKey(session_);
        o.collectionDate = GovDateOf(collectionDate_, QStringLiteral("Data recolheimento GRRF"));
        o.noticeDate = GovDateOf(noticeDate_, QStringLiteral("Data aviso previo"));
        o.pisFrom = TypedPis(pisFrom_->text(), QStringLiteral("PIS Inicial"));
        o.pisTo = TypedPis(pisTo_->text(), QStringLiteral("Pis Final"));
        o.responsible = responsible_->box()->text();
        o.closingNotice = false;
        o.withdrawalCode = withdrawal_->text();
        o.previousMonth = previousMonth_->isChecked();
        o.companies = companies.list;
        o.outputPath = session_.installation().localPath(gov::GrrfRun::SystemPath);
        o.companionPath = session_.installation().localPath(gov::GrrfRun::CompanionSystemPath);
        gov::GrrfRun run(session_.folha(), ui_);
        result = run.run(o);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    if (!result.written) return false;
    WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), ScreenName, gov::GrrfAudit(result),
                    session_.signIn.CurrentUserCode, ui_);
    AnnounceGovFile(ui_, result);
    return true;
}

QWidget* TfoGerarGRRF::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoGerarGRRF(session, ui, parent);
}

} // namespace folha
