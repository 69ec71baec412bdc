#include "PayrollScreens.h"

#include "AuditLog.h"
#include "EmployeeChoice.h"
#include "EscolheFunc.h"
#include "JobScreen.h"
#include "Registry.h"
#include "Table.h"
#include "TextRoutines.h"
#include "Undo.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace folha {

namespace {


QPushButton* button(const QString& caption, const char* name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

// The buttons of a job screen, right-aligned under its fields.
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (QPushButton* b : buttons) row->addWidget(b);
    return row;
}

} // namespace

// ---------------------------------------------------------------- payroll

const QString TfoCalculosFolha::ScreenName = QStringLiteral("TfoCalculosFolha");

TfoCalculosFolha::TfoCalculosFolha(Session& session, UserInterface& ui, QWidget* parent)
    : JobScreen(session, ui, ScreenName, parent) {
    setWindowTitle(QStringLiteral("Calculos da Folha"));
    makeRange(QStringLiteral("Funcionário Inicial:"), QStringLiteral("Funcionário Final:"));
    familyAllowance_ = new QCheckBox(QStringLiteral("Sal. Familia <S/N>?:"), this);
    familyAllowance_->setObjectName(QStringLiteral("cbSalFamilia"));
    familyAllowance_->setLayoutDirection(Qt::RightToLeft);
    automatic_ = new QCheckBox(QStringLiteral("Automatico <S/N>?:"), this);
    automatic_->setObjectName(QStringLiteral("cbAutomatico"));
    automatic_->setLayoutDirection(Qt::RightToLeft);
    calculate_ = button(QStringLiteral("Calcular"), "BotaoCalcularFolha", this);
    close_ = button(QStringLiteral("Fechar"), "BotaoFechar", this);
    employees_ = new QProgressBar(this);
    employees_->setObjectName(QStringLiteral("ProgressoFuncionarios"));
    employees_->setValue(0);
    rows_ = new QProgressBar(this);
    rows_->setObjectName(QStringLiteral("ProgressoOcorrencias"));
    rows_->setValue(0);
    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("Log"));
    log_->setReadOnly(true);
    log_->setMinimumHeight(120);
    variables_ = new ui::BranchVariables(session, this);

    auto* checks = new QVBoxLayout;
    checks->addWidget(familyAllowance_, 0, Qt::AlignLeft);
    checks->addWidget(automatic_, 0, Qt::AlignLeft);
    auto* left = new QVBoxLayout;
    left->addWidget(range());
    left->addLayout(checks);
    left->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(variables_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(employees_);
    main->addWidget(rows_);
    main->addWidget(log_, 1);
    main->addLayout(buttonRow({calculate_, close_}));

    connect(calculate_, &QPushButton::clicked, this, &TfoCalculosFolha::BotaoCalcularFolhaClick);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
}

QWidget* TfoCalculosFolha::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoCalculosFolha(session, ui, parent);
}

namespace {
// What a calculation tells at its end besides the employees calculated.
QStringList NotCalculatedLines(int notCalculated) {
    if (notCalculated == 0) return {};
    return {QStringLiteral("%1 funcionário(s) não calculado(s)").arg(notCalculated)};
}
} // namespace

void TfoCalculosFolha::BotaoCalcularFolhaClick() {
    variables_->refresh();
    runJob({calculate_}, log_, employees_, rows_, [this](ui::JobUi& jobUi, const Range& range) {
        payroll::RunOptions options;
        options.firstEmployee = range.first;
        options.lastEmployee = range.last;
        options.branchCode = CurrentBranchKey(session_);
        options.familyAllowance = familyAllowance_->isChecked();
        options.defaultHours = automatic_->isChecked();
        options.userCode = session_.signIn.CurrentUserCode;
        options.closingNotice = false;
        payroll::PayrollRun run(session_.folha(), jobUi);
        lastRun_ = run.run(options);
        Outcome done;
        done.started = true;
        done.cancelled = lastRun_->cancelled;
        done.count = lastRun_->employeesCalculated;
        done.what = QStringLiteral("funcionário(s) calculado(s)");
        done.more = NotCalculatedLines(lastRun_->employeesNotCalculated);
        done.audit = payroll::AuditOf(options, *lastRun_);
        return done;
    });
}

// ---------------------------------------------------------------- advance

const QString TfoCalcAdiantamento::ScreenName = QStringLiteral("TfoCalcAdiantamento");

TfoCalcAdiantamento::TfoCalcAdiantamento(Session& session, UserInterface& ui, QWidget* parent)
    : JobScreen(session, ui, ScreenName, parent) {
    setWindowTitle(QStringLiteral("Calculo do Adiantamento"));
    makeRange(QStringLiteral("Funcionário Inicial:"), QStringLiteral("Funcionário Final:"));
    baseOnSalary_ = new QComboBox(this);
    baseOnSalary_->setObjectName(QStringLiteral("cbBaseSalario"));
    baseOnSalary_->addItems({QStringLiteral("Sim"), QStringLiteral("Não")});
    baseMonth_ = new QLineEdit(this);
    baseMonth_->setObjectName(QStringLiteral("eFtAnoMesBase"));
    baseMonth_->setMaxLength(6);
    baseMonth_->setMaximumWidth(90);
    baseEvent_ = new QLineEdit(this);
    baseEvent_->setObjectName(QStringLiteral("eFtOcorrenciaBase"));
    baseEvent_->setMaxLength(3);
    baseEvent_->setMaximumWidth(60);
    writeNet_ = new QCheckBox(QStringLiteral("Gravar o Liquido"), this);
    writeNet_->setObjectName(QStringLiteral("cbGravarLiquido"));
    calculate_ = button(QStringLiteral("Calcular"), "BotaoCalcular", this);
    close_ = button(QStringLiteral("Fechar"), "BotaoFechar", this);
    variables_ = new ui::BranchVariables(session, this);

    auto* base = new QFormLayout;
    base->addRow(QStringLiteral("Base no Salário:"), baseOnSalary_);
    base->addRow(QStringLiteral("Ano e Mês da Base"), baseMonth_);
    base->addRow(QStringLiteral("Ocorrência na Base"), baseEvent_);
    base->addRow(QString(), writeNet_);
    auto* left = new QVBoxLayout;
    left->addWidget(range());
    left->addLayout(base);
    left->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(variables_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addLayout(buttonRow({calculate_, close_}));

    connect(calculate_, &QPushButton::clicked, this, &TfoCalcAdiantamento::BotaoCalcularClick);
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    // The base month starts at the working period of the branch.
    try {
        if (auto branch = Table(session.folha(), QStringLiteral("Filial")).find({CurrentBranchKey(session)}))
            baseMonth_->setText(CompetenceOfDate(branch->date("DATA_FOLHA")));
    } catch (const UserError&) {
        // A branch that cannot be read leaves the month to be typed; the run says why.
    }
}

QWidget* TfoCalcAdiantamento::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoCalcAdiantamento(session, ui, parent);
}

void TfoCalcAdiantamento::BotaoCalcularClick() {
    variables_->refresh();
    runJob({calculate_}, nullptr, nullptr, nullptr, [this](ui::JobUi& jobUi, const Range& range) {
        payroll::AdvanceOptions options;
        options.firstEmployee = range.first;
        options.lastEmployee = range.last;
        payroll::SetTypedAdvanceBase(options, baseOnSalary_->currentText(), baseMonth_->text(), baseEvent_->text());
        options.branchCode = CurrentBranchKey(session_);
        options.writeNet = writeNet_->isChecked();
        options.closingNotice = false;
        payroll::AdvanceRun run(session_.folha(), jobUi);
        lastRun_ = run.run(options);
        Outcome done;
        done.started = !lastRun_->refused;
        done.cancelled = lastRun_->cancelled;
        done.count = lastRun_->employeesCalculated;
        done.what = QStringLiteral("adiantamento(s) calculado(s)");
        done.more = NotCalculatedLines(lastRun_->employeesNotCalculated);
        done.audit = payroll::AuditOf(options, *lastRun_);
        return done;
    });
}

// ------------------------------------------------------------------- undo

TfoDescalcularFolha::TfoDescalcularFolha(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent), session_(session), ui_(ui) {
    setObjectName(QStringLiteral("TfoDescalcularFolha"));
    setWindowTitle(QStringLiteral("Descalcular"));
    auto readOnly = [this](const char* name, int length, int width) {
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        box->setMaxLength(length);
        box->setMaximumWidth(width);
        return box;
    };
    year_ = readOnly("eFtAno", 4, 60);
    month_ = readOnly("eFtMes", 2, 40);
    sheet_ = new QComboBox(this);
    sheet_->setObjectName(QStringLiteral("cbTipoFolha"));
    for (const CodeEntry& e : sheetTypeCodes()) sheet_->addItem(e.text);
    sheet_->setCurrentIndex(-1);
    sheet_->setEnabled(false); // filled only through "Período"
    code_ = readOnly("eFtCodFun", 6, 80);
    name_ = new QLineEdit(this);
    name_->setObjectName(QStringLiteral("NomeFuncionario"));
    name_->setReadOnly(true);
    name_->setFocusPolicy(Qt::NoFocus);
    name_->setMinimumWidth(260);
    period_ = button(QStringLiteral("Período"), "BotaoPeriodo", this);
    undo_ = button(QStringLiteral("Descalcular"), "BotaoDescalcular", this);
    exit_ = button(QStringLiteral("Sair"), "BotaoSair", this);

    auto* yearMonth = new QHBoxLayout;
    yearMonth->addWidget(year_);
    yearMonth->addWidget(new QLabel(QStringLiteral("Mês"), this));
    yearMonth->addWidget(month_);
    yearMonth->addStretch();
    auto* employee = new QHBoxLayout;
    employee->addWidget(code_);
    employee->addWidget(name_, 1);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ano"), yearMonth);
    form->addRow(QStringLiteral("Tipo Folha"), sheet_);
    form->addRow(QStringLiteral("Código \\ Nome do Funcionário"), employee);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addStretch();
    main->addLayout(buttonRow({period_, undo_, exit_}));

    connect(period_, &QPushButton::clicked, this, [this] { BotaoPeriodoClick(); });
    connect(undo_, &QPushButton::clicked, this, &TfoDescalcularFolha::BotaoDescalcularClick);
    connect(exit_, &QPushButton::clicked, this, &QWidget::close);
    connect(code_, &QLineEdit::textChanged, this, &TfoDescalcularFolha::locateEmployee);
}

QWidget* TfoDescalcularFolha::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    auto* screen = new TfoDescalcularFolha(session, ui, parent);
    screen->chooseOnShow = false;
    // The picture shows the branch's period and its first employee.
    try {
        Table cadfun(session.folha(), QStringLiteral("CADFUN"));
        const std::vector<Record> first = cadfun.page({}, {}, {}, 1);
        const registers::ChooserStart start = registers::ChooserStartValues(
            session.folha(), CurrentBranchKey(session), first.empty() ? QString() : first.front().text("CODFUN"));
        screen->setChoice({start.year, start.month, start.sheetText, start.employee});
    } catch (const UserError&) {
        // An empty screen then.
    }
    return screen;
}

void TfoDescalcularFolha::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    if (chooseOnShow) QTimer::singleShot(0, this, [this] { BotaoPeriodoClick(); });
}

TfoDescalcularFolha::Choice TfoDescalcularFolha::current() const {
    return {year_->text(), month_->text(), sheet_->currentIndex() >= 0 ? sheet_->currentText() : QString(),
            code_->text()};
}

QString TfoDescalcularFolha::employeeName() const { return name_->text(); }

void TfoDescalcularFolha::setChoice(const Choice& choice) {
    year_->setText(choice.year.trimmed());
    month_->setText(choice.month.trimmed());
    sheet_->setCurrentIndex(sheet_->findText(choice.sheetText));
    const QString digits = OnlyDigits(choice.employee);
    code_->setText(digits.isEmpty() ? QString() : PadLeft(digits, 6, QChar('0')));
    locateEmployee();
}

void TfoDescalcularFolha::locateEmployee() {
    name_->clear();
    if (code_->text().isEmpty()) return;
    try {
        if (auto employee = Table(session_.folha(), QStringLiteral("CADFUN")).find({code_->text()}))
            name_->setText(employee->text("NOME"));
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

void TfoDescalcularFolha::BotaoPeriodoClick(const std::function<std::optional<Choice>(const Choice&)>& chooser) {
    const UiOwner owner(ui_, this);
    const Choice now = current();
    std::optional<Choice> chosen;
    if (chooser) {
        chosen = chooser(now);
    } else {
        ui::TfoEscolheFunc dialog(session_, ui_, this);
        dialog.setPeriod(now.year, now.month, now.sheetText.left(1));
        if (!now.employee.isEmpty()) dialog.setEmployeeText(now.employee);
        dialog.exec();
        if (dialog.confirmed()) chosen = Choice{dialog.year(), dialog.month(), dialog.sheetText(), dialog.employeeText()};
    }
    if (chosen) setChoice(*chosen);
}

void TfoDescalcularFolha::BotaoDescalcularClick() {
    const UiOwner owner(ui_, this);
    const Choice c = current();
    // The sheet as its letter, as the command line names it.
    const payroll::UndoRequest request{c.year, c.month, c.sheetText.left(1), c.employee};
    removed_ = 0;
    try {
        payroll::PayrollUndo undo(session_.folha(), ui_);
        if (!undo.run(request)) return;
        removed_ = undo.rowsRemoved();
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), QStringLiteral("TfoDescalcularFolha"),
                        undo.audit(request), session_.signIn.CurrentUserCode, ui_);
    } catch (const UserError& e) {
        // The database refused: the screen stays open.
        ui_.message(MessageKind::Error, e.message());
        return;
    }
    close();
}

// ---------------------------------------------------------------- catalog

void RegisterPayrollScreens(
    const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add) {
    add(QStringLiteral("TfoCalculosFolha"), &TfoCalculosFolha::createForGrab);
    add(QStringLiteral("TfoCalcAdiantamento"), &TfoCalcAdiantamento::createForGrab);
    add(QStringLiteral("TfoDescalcularFolha"),
        [](Session& s, UserInterface& ui, QWidget* parent) -> QWidget* { return new TfoDescalcularFolha(s, ui, parent); });
    // The picture: the chooser not opened.
    add(QStringLiteral("TfoDescalcularFolha-grab"), &TfoDescalcularFolha::createForGrab);
}

} // namespace folha
