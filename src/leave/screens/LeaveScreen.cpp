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
    : JobScreen(session, ui, setup.screenClass, parent), setup_(std::move(setup)) {
    setWindowTitle(setup_.caption);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* inputs = new QVBoxLayout;
    inputs->addWidget(makeRange(QStringLiteral("Cod. Func. Inicial"), QStringLiteral("Cod. Func. Final")));
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

    if (setup_.remembersMonths) {
        const QString months = ui::RestoreScreenField(session_, setup_.screenClass, MonthsKey);
        if (!months.isEmpty()) months_->setText(months);
    }

    connect(runButton_, &QPushButton::clicked, this, [this] { run(); });
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
}

void LeaveScreen::rememberFields() {
    JobScreen::rememberFields();
    if (setup_.remembersMonths) ui::RememberScreenField(session_, setup_.screenClass, MonthsKey, months_->text());
}

std::optional<leave::LeaveSummary> LeaveScreen::run() {
    std::optional<leave::LeaveSummary> summary;
    variables_->refresh();
    runJob({runButton_, closeButton_}, log_, progress_, nullptr, [&](ui::JobUi& jobUi, const Range& range) {
        leave::LeaveOptions o;
        o.branchCode = CurrentBranchKey(session_);
        o.firstEmployee = range.first;
        o.lastEmployee = range.last;
        o.commissionMonths = months_->text();
        o.userCode = session_.signIn.CurrentUserCode;
        o.closingNotice = false;
        std::unique_ptr<leave::LeaveCalc> calc = calculation(session_.folha(), jobUi);
        const leave::LeaveSummary done = calc->run(o);
        Outcome outcome;
        if (done.refused) {
            if (months_->text().trimmed().isEmpty()) months_->setFocus();
            return outcome;
        }
        summary = done;
        outcome.started = true;
        outcome.cancelled = done.cancelled;
        outcome.count = done.employeesCalculated;
        outcome.what = QStringLiteral("funcionário(s) calculado(s)");
        if (done.employeesNotCalculated > 0)
            outcome.more << QStringLiteral("%1 funcionário(s) não calculado(s)").arg(done.employeesNotCalculated);
        outcome.audit = calc->audit(o, done);
        return outcome;
    });
    return summary;
}

// ------------------------------------------------------------------ screens

TfoCalcFeriasMedias::TfoCalcFeriasMedias(Session& session, UserInterface& ui, QWidget* parent)
    : LeaveScreen(session, ui,
                  {QStringLiteral("TfoCalcFeriasMedias"), QStringLiteral("Calculo das Férias e Médias"),
                   QStringLiteral("Calcular"), true, false},
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
                   false, false},
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
                   QStringLiteral("Imprimir"), false, true},
                  parent) {}

std::unique_ptr<leave::LeaveCalc> TfoCalcResciHorasExtras::calculation(Database& db, UserInterface& ui) const {
    return std::make_unique<leave::TerminationCalc>(db, ui);
}

QWidget* TfoCalcResciHorasExtras::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoCalcResciHorasExtras(session, ui, parent);
}

} // namespace folha
