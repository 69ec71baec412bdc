#include "EscolheFunc.h"

#include "LayoutStore.h"
#include "EmployeeChoice.h"
#include "SelecaoMultipla.h"
#include "TypedBoxes.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace folha::ui {

using namespace folha::registers;

const QString TfoEscolheFunc::Caption = QStringLiteral("Zorvan - Folha de Pagamento - Escolha o filtro:");

TfoEscolheFunc::TfoEscolheFunc(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(QStringLiteral("TfoEscolheFunc"));
    setWindowTitle(Caption);
    setModal(true);
    setMinimumWidth(420);

    year_ = new QLineEdit;
    year_->setObjectName(QStringLiteral("Ano"));
    year_->setInputMask(QStringLiteral("9999"));
    year_->setMaximumWidth(70);
    month_ = new QLineEdit;
    month_->setObjectName(QStringLiteral("Mes"));
    month_->setInputMask(QStringLiteral("99"));
    month_->setMaximumWidth(40);
    sheet_ = new QComboBox;
    sheet_->setObjectName(QStringLiteral("TipoFolha"));
    for (const CodeEntry& e : sheetTypeCodes()) sheet_->addItem(e.text);
    employee_ = new QLineEdit;
    employee_->setObjectName(QStringLiteral("CodFunc"));
    employee_->setMaximumWidth(110);
    CompleteCodeOnLeave(employee_, 6);
    pick_ = new QToolButton;
    pick_->setObjectName(QStringLiteral("Pesquisa"));
    pick_->setText(QStringLiteral("..."));
    pick_->setToolTip(QStringLiteral("Pesquisa"));
    choose_ = new QPushButton(QStringLiteral("Escolher"));
    choose_->setObjectName(QStringLiteral("Escolher"));
    cancel_ = new QPushButton(QStringLiteral("Cancelar"));
    cancel_->setObjectName(QStringLiteral("Cancelar"));
    for (QPushButton* b : {choose_, cancel_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* period = new QHBoxLayout;
    period->addWidget(year_);
    period->addWidget(new QLabel(QStringLiteral("Mês")));
    period->addWidget(month_);
    period->addStretch();
    auto* code = new QHBoxLayout;
    code->addWidget(employee_);
    code->addWidget(pick_);
    code->addStretch();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Ano"), period);
    form->addRow(QStringLiteral("Tipo Folha"), sheet_);
    form->addRow(QStringLiteral("Cod. Func."), code);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(choose_);
    buttons->addWidget(cancel_);
    auto* main = new QVBoxLayout(this);
    main->addLayout(form);
    main->addLayout(buttons);

    setTabOrder(year_, month_);
    setTabOrder(month_, sheet_);
    setTabOrder(sheet_, employee_);
    setTabOrder(employee_, pick_);
    setTabOrder(pick_, choose_);
    setTabOrder(choose_, cancel_);

    connect(pick_, &QToolButton::clicked, this, &TfoEscolheFunc::pickEmployee);
    connect(choose_, &QPushButton::clicked, this, [this] {
        confirmed_ = true;
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, &TfoEscolheFunc::reject);

    RestoreWindowPlacement(session_.values.IniDir, QStringLiteral("TfoEscolheFunc"), this);
}

void TfoEscolheFunc::prepare() {
    try {
        const ChooserStart start =
            ChooserStartValues(session_.folha(), session_.signIn.CurrentBranchCodeText, employee_->text());
        year_->setText(start.year);
        month_->setText(start.month);
        sheet_->setCurrentText(start.sheetText);
        employee_->setText(start.employee);
        if (!wantedYear_.isEmpty()) year_->setText(wantedYear_);
        if (!wantedMonth_.isEmpty()) month_->setText(wantedMonth_);
        if (!wantedSheet_.isEmpty()) {
            for (int i = 0; i < sheet_->count(); ++i)
                if (sheet_->itemText(i).startsWith(wantedSheet_ + QLatin1Char(' '))) sheet_->setCurrentIndex(i);
        }
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

void TfoEscolheFunc::pickEmployee() {
    TFoSelecaoMultipla dialog(session_.folha(), std::make_unique<EmployeeSelectionList>(), CodeColumn,
                              QStringLiteral("'"), employee_, 1, ui_, session_.values.IniDir, this);
    dialog.prepare();
    dialog.exec();
    RememberChosenEmployee(employee_->text());
}

QString TfoEscolheFunc::year() const { return year_->text(); }
QString TfoEscolheFunc::month() const { return month_->text(); }
QString TfoEscolheFunc::sheetText() const { return sheet_->currentText(); }
QString TfoEscolheFunc::employeeText() const { return employee_->text(); }
void TfoEscolheFunc::setEmployeeText(const QString& text) { employee_->setText(text); }
void TfoEscolheFunc::setPeriod(const QString& year, const QString& month, const QString& sheetLetter) {
    wantedYear_ = year;
    wantedMonth_ = month;
    wantedSheet_ = sheetLetter;
}

void TfoEscolheFunc::showEvent(QShowEvent* event) {
    prepare();
    QDialog::showEvent(event);
}

void TfoEscolheFunc::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfoEscolheFunc::done(int r) {
    SaveWindowPlacement(session_.values.IniDir, QStringLiteral("TfoEscolheFunc"), this);
    QDialog::done(r);
}

QWidget* TfoEscolheFunc::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    auto* d = new TfoEscolheFunc(session, ui, parent);
    d->prepare();
    return d;
}

} // namespace folha::ui
