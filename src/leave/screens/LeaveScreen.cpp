#include "LeaveScreen.h"

#include "AuditLog.h"
#include "DbError.h"
#include "JobScreen.h"
#include "Termination.h"
#include "Thirteenth.h"
#include "Vacation.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

const QString LeaveScreen::MonthsKey = QStringLiteral("MesesComissao");

namespace {
const QString DefaultMonths = QStringLiteral("99");
} // namespace

LeaveScreen::LeaveScreen(Session& session, UserInterface& ui, Setup setup, QWidget* parent)
    : QWidget(parent), session_(session), ui_(ui), setup_(std::move(setup)) {
    setObjectName(setup_.screenClass);
    setWindowTitle(setup_.caption);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* inputs = new QVBoxLayout;
    range_ = new ui::EmployeeRange(session_, ui_, QStringLiteral("Cod. Func. Inicial"), QStringLiteral("Cod. Func. Final"),
                                   ui::EmployeeRange::CodeStyle::Padded, this);
    inputs->addWidget(range_);
    auto* monthsRow = new QHBoxLayout;
    auto* monthsLabel = new QLabel(QStringLiteral("Meses p/ média comiss.:"), this);
    months_ = new QLineEdit(DefaultMonths, this);
    months_->setObjectName(QStringLiteral("eFtMesesComissao"));
    months_->setMaxLength(3);
    months_->setMaximumWidth(50);
    monthsLabel->setBuddy(months_);
    monthsRow->addWidget(monthsLabel);
    monthsRow->addWidget(months_);
    monthsRow->addStretch();
    inputs->addLayout(monthsRow);
    auto* buttons = new QHBoxLayout;
    runButton_ = new QPushButton(setup_.runCaption, this);
    runButton_->setObjectName(QStringLiteral("Botao") + setup_.runCaption);
    runButton_->setDefault(true);
    closeButton_ = new QPushButton(QStringLiteral("Fechar"), this);
    closeButton_->setObjectName(QStringLiteral("BotaoFechar"));
    buttons->addWidget(runButton_);
    buttons->addWidget(closeButton_);
    buttons->addStretch();
    inputs->addLayout(buttons);
    inputs->addStretch();
    top->addLayout(inputs, 1);
    variables_ = new ui::BranchVariables(session_, this);
    top->addWidget(variables_);
    layout->addLayout(top);

    if (setup_.logBox) {
        log_ = new QPlainTextEdit(this);
        log_->setObjectName(QStringLiteral("mmLog"));
        log_->setReadOnly(true);
        log_->setMinimumHeight(120);
        layout->addWidget(log_, 1);
    }
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    layout->addWidget(progress_);

    range_->restore(setup_.screenClass);
    if (setup_.remembersMonths) {
        const QString months = ui::RestoreScreenField(session_, setup_.screenClass, MonthsKey);
        if (!months.isEmpty()) months_->setText(months);
    }
    if (setup_.takesLastChosen) range_->putLastChosen();

    connect(runButton_, &QPushButton::clicked, this, [this] { run(); });
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
}

void LeaveScreen::remember() const {
    range_->remember(setup_.screenClass);
    if (setup_.remembersMonths) ui::RememberScreenField(session_, setup_.screenClass, MonthsKey, months_->text());
}

void LeaveScreen::closeEvent(QCloseEvent* event) {
    remember();
    QWidget::closeEvent(event);
}

std::optional<leave::LeaveSummary> LeaveScreen::run() {
    const UiOwner owning(ui_, this);
    leave::LeaveOptions o;
    o.branchCode = CurrentBranchKey(session_);
    try {
        o.firstEmployee = range_->firstCode();
        o.lastEmployee = range_->lastCode();
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return std::nullopt;
    }
    o.commissionMonths = months_->text();
    o.userCode = session_.signIn.CurrentUserCode;
    remember();

    runButton_->setEnabled(false);
    closeButton_->setEnabled(false);
    struct Enable {
        QPushButton* a;
        QPushButton* b;
        ~Enable() {
            a->setEnabled(true);
            b->setEnabled(true);
        }
    } enable{runButton_, closeButton_};

    if (log_) log_->clear();
    variables_->refresh();
    ui::JobUi jobUi(ui_, log_, progress_);
    std::unique_ptr<leave::LeaveCalc> calc = calculation(session_.folha(), jobUi);
    leave::LeaveSummary summary;
    try {
        summary = calc->run(o);
    } catch (const UserError& e) {
        // A table the run could not read or write, or a calculation running
        // elsewhere: the rows already posted stay.
        ui_.message(MessageKind::Error, e.message());
        return std::nullopt;
    }
    if (summary.refused) {
        if (months_->text().trimmed().isEmpty()) months_->setFocus();
        return std::nullopt;
    }
    WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), setup_.screenClass, calc->audit(o, summary),
                    session_.signIn.CurrentUserCode, ui_);
    return summary;
}

// ------------------------------------------------------------------ screens

TfoCalcFeriasMedias::TfoCalcFeriasMedias(Session& session, UserInterface& ui, QWidget* parent)
    : LeaveScreen(session, ui,
                  {QStringLiteral("TfoCalcFeriasMedias"), QStringLiteral("Calculo das Férias e Médias"),
                   QStringLiteral("Calcular"), true, false, false},
                  parent) {}

std::unique_ptr<leave::LeaveCalc> TfoCalcFeriasMedias::calculation(Database& db, UserInterface& ui) const {
    return std::make_unique<leave::VacationCalc>(db, ui);
}

QWidget* TfoCalcFeriasMedias::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoCalcFeriasMedias(session, ui, parent);
}

TfoCalc13Medias::TfoCalc13Medias(Session& session, UserInterface& ui, QWidget* parent)
    : LeaveScreen(session, ui,
                  {QStringLiteral("TfoCalc13Medias"), QStringLiteral("Calculo 13 e Medias"), QStringLiteral("Calcular"),
                   false, false, false},
                  parent) {}

std::unique_ptr<leave::LeaveCalc> TfoCalc13Medias::calculation(Database& db, UserInterface& ui) const {
    return std::make_unique<leave::ThirteenthCalc>(db, ui);
}

QWidget* TfoCalc13Medias::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoCalc13Medias(session, ui, parent);
}

TfoCalcResciHorasExtras::TfoCalcResciHorasExtras(Session& session, UserInterface& ui, QWidget* parent)
    : LeaveScreen(session, ui,
                  {QStringLiteral("TfoCalcResciHorasExtras"), QStringLiteral("Calculo da Recsão e Media Horas Extras"),
                   QStringLiteral("Imprimir"), false, true, true},
                  parent) {}

std::unique_ptr<leave::LeaveCalc> TfoCalcResciHorasExtras::calculation(Database& db, UserInterface& ui) const {
    return std::make_unique<leave::TerminationCalc>(db, ui);
}

QWidget* TfoCalcResciHorasExtras::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoCalcResciHorasExtras(session, ui, parent);
}

} // namespace folha
