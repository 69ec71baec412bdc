#include "TfoEmiFolhadePagamento.h"

#include "DesktopReport.h"
#include "PayrollBookLayout.h"
#include "JobScreen.h"
#include "Session.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folha {

namespace {

QLineEdit* Field(QWidget* parent, const QString& name, const QString& text, int width) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setMaximumWidth(width);
    return e;
}

} // namespace

TfoEmiFolhadePagamento::TfoEmiFolhadePagamento(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui) {
    setObjectName(PayrollBookScreen);
    setWindowTitle(QStringLiteral("Emissao da Folha de Pagamento"));
    auto* layout = new QVBoxLayout(this);

    // Order and range.
    auto* top = new QHBoxLayout;
    auto* orderGroup = new QGroupBox(QStringLiteral("Ordem"), this);
    orderGroup->setObjectName(QStringLiteral("Rg1"));
    auto* orderLayout = new QVBoxLayout(orderGroup);
    Rg1Codigo = new QRadioButton(QStringLiteral("Codigo"), orderGroup);
    Rg1Nome = new QRadioButton(QStringLiteral("Nome"), orderGroup);
    Rg1Cargo = new QRadioButton(QStringLiteral("Cargo"), orderGroup);
    for (QRadioButton* b : {Rg1Codigo, Rg1Nome, Rg1Cargo})
        orderLayout->addWidget(b);
    top->addWidget(orderGroup);

    auto* rangeGroup = new QGroupBox(this);
    auto* range = new QFormLayout(rangeGroup);
    lbInicio = new QLabel(rangeGroup);
    lbFinal = new QLabel(rangeGroup);
    eFtInicio = Field(rangeGroup, QStringLiteral("eFtInicio"), {}, 320);
    eFtFinal = Field(rangeGroup, QStringLiteral("eFtFinal"), {}, 320);
    range->addRow(lbInicio, eFtInicio);
    range->addRow(lbFinal, eFtFinal);
    top->addWidget(rangeGroup, 1);
    layout->addLayout(top);

    // Categories, special retirement, status.
    auto* middle = new QHBoxLayout;
    auto* categories = new QGroupBox(QStringLiteral("Vinculos"), this);
    auto* catGrid = new QGridLayout(categories);
    for (int i = 0; i < 5; ++i) {
        eVinculo[i] = Field(categories, QStringLiteral("eVinculo%1").arg(i + 1), QStringLiteral("0"), 40);
        catGrid->addWidget(new QLabel(QStringLiteral("Vinculos (%1)").arg(i + 1), categories), 0, i);
        catGrid->addWidget(eVinculo[i], 1, i);
    }
    catGrid->addWidget(new QLabel(QStringLiteral("0- Todos"), categories), 2, 0, 1, 5);
    epercAposent = Field(categories, QStringLiteral("epercAposent"), QStringLiteral("99"), 40);
    catGrid->addWidget(new QLabel(QStringLiteral("% Aposent. Especial"), categories), 3, 0, 1, 3);
    catGrid->addWidget(epercAposent, 3, 3);
    catGrid->addWidget(new QLabel(QStringLiteral("99- Todos"), categories), 3, 4);
    chkQuebraFunc = new QCheckBox(QStringLiteral("Emite uma folha para cada Vinculo"), categories);
    chkQuebraFunc->setObjectName(QStringLiteral("chkQuebraFunc"));
    catGrid->addWidget(chkQuebraFunc, 4, 0, 1, 5);
    middle->addWidget(categories);

    auto* status = new QGroupBox(QStringLiteral("Emitir Funcionários"), this);
    status->setObjectName(QStringLiteral("RadioGroup1"));
    auto* statusLayout = new QVBoxLayout(status);
    RadioGroup1Todos = new QRadioButton(QStringLiteral("[T]odos"), status);
    RadioGroup1Ativos = new QRadioButton(QStringLiteral("[A]tivos"), status);
    RadioGroup1Inativos = new QRadioButton(QStringLiteral("[I]nativos"), status);
    for (QRadioButton* b : {RadioGroup1Todos, RadioGroup1Ativos, RadioGroup1Inativos})
        statusLayout->addWidget(b);
    RadioGroup1Todos->setChecked(true);
    middle->addWidget(status);
    layout->addLayout(middle);

    // The INSS summary's typed amounts.
    auto* amounts = new QGroupBox(QStringLiteral("Resumo do INSS"), this);
    auto* grid = new QGridLayout(amounts);
    ePercProlabore = Field(amounts, QStringLiteral("ePercProlabore"), QStringLiteral("0"), 100);
    eValorProlabore = Field(amounts, QStringLiteral("eValorProlabore"), QStringLiteral("0"), 140);
    ewDescrOutr = Field(amounts, QStringLiteral("ewDescrOutr"), QStringLiteral("Outro valor"), 260);
    ewVlr_Outro = Field(amounts, QStringLiteral("ewVlr_Outro"), QStringLiteral("0"), 140);
    ewOper_Outro = new QComboBox(amounts);
    ewOper_Outro->setObjectName(QStringLiteral("ewOper_Outro"));
    ewOper_Outro->addItems({QStringLiteral("S"), QStringLiteral("D"), QStringLiteral("N")});
    ewOper_Outro->setCurrentIndex(2);
    ewVlr_Juros = Field(amounts, QStringLiteral("ewVlr_Juros"), QStringLiteral("0"), 140);
    grid->addWidget(new QLabel(QStringLiteral("% Prolabore"), amounts), 0, 0);
    grid->addWidget(ePercProlabore, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Valor Prolabore"), amounts), 0, 2);
    grid->addWidget(eValorProlabore, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("Descrição Outros"), amounts), 1, 0);
    grid->addWidget(ewDescrOutr, 1, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Valor Outro"), amounts), 2, 0);
    grid->addWidget(ewVlr_Outro, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Oper. Outro"), amounts), 2, 2);
    grid->addWidget(ewOper_Outro, 2, 3);
    grid->addWidget(new QLabel(QStringLiteral("Valor Juros\\Mora"), amounts), 3, 0);
    grid->addWidget(ewVlr_Juros, 3, 1);
    layout->addWidget(amounts);

    layout->addWidget(new QLabel(QStringLiteral("Observacoes"), this));
    mObservacoes = new QPlainTextEdit(this);
    mObservacoes->setObjectName(QStringLiteral("mObservacoes"));
    mObservacoes->setFixedHeight(mObservacoes->fontMetrics().lineSpacing() * 6);
    layout->addWidget(mObservacoes);

    auto* buttons = new QHBoxLayout;
    BotaoImprimir = new QPushButton(QStringLiteral("&Imprimir"), this);
    BotaoImprimir->setObjectName(QStringLiteral("BotaoImprimir"));
    BotaoImprimir->setDefault(true);
    BotaoFechar = new QPushButton(QStringLiteral("&Fechar"), this);
    BotaoFechar->setObjectName(QStringLiteral("BotaoFechar"));
    buttons->addStretch();
    buttons->addWidget(BotaoImprimir);
    buttons->addWidget(BotaoFechar);
    layout->addLayout(buttons);

    for (QRadioButton* b : {Rg1Codigo, Rg1Nome, Rg1Cargo})
        connect(b, &QRadioButton::toggled, this, [this](bool on) {
            if (on) setOrder(order());
        });
    connect(BotaoImprimir, &QPushButton::clicked, this, [this] { print(); });
    connect(BotaoFechar, &QPushButton::clicked, this, &QWidget::close);
    Rg1Codigo->setChecked(true);
    setOrder(BookOrder::Code);
    restoreFields();
}

QList<QLineEdit*> TfoEmiFolhadePagamento::keptFields() const {
    QList<QLineEdit*> fields{eFtInicio, eFtFinal};
    for (QLineEdit* e : eVinculo)
        fields << e;
    fields << epercAposent << ePercProlabore << eValorProlabore << ewDescrOutr << ewVlr_Outro << ewVlr_Juros;
    return fields;
}

void TfoEmiFolhadePagamento::restoreFields() {
    const QString order = ui::RestoreScreenField(session_, PayrollBookScreen, QStringLiteral("Rg1"));
    if (order.isEmpty()) return; // never used: the defaults
    try {
        setOrder(ReadBookOrder(order));
    } catch (const UserError&) {
    }
    for (QLineEdit* e : keptFields())
        e->setText(ui::RestoreScreenField(session_, PayrollBookScreen, e->objectName()));
    chkQuebraFunc->setChecked(ui::RestoreScreenField(session_, PayrollBookScreen,
                                                     chkQuebraFunc->objectName()) == QLatin1String("S"));
    const QString status = ui::RestoreScreenField(session_, PayrollBookScreen, QStringLiteral("RadioGroup1"));
    (status == QLatin1String("A")   ? RadioGroup1Ativos
     : status == QLatin1String("I") ? RadioGroup1Inativos
                                    : RadioGroup1Todos)
        ->setChecked(true);
    const int op = ewOper_Outro->findText(
        ui::RestoreScreenField(session_, PayrollBookScreen, ewOper_Outro->objectName()));
    if (op >= 0) ewOper_Outro->setCurrentIndex(op);
}

void TfoEmiFolhadePagamento::rememberFields() {
    const PayrollBookInputs t = inputs();
    ui::RememberScreenField(session_, PayrollBookScreen, QStringLiteral("Rg1"), t.order);
    for (QLineEdit* e : keptFields())
        ui::RememberScreenField(session_, PayrollBookScreen, e->objectName(), e->text());
    ui::RememberScreenField(session_, PayrollBookScreen, chkQuebraFunc->objectName(),
                            t.groupByCategory ? QStringLiteral("S") : QStringLiteral("N"));
    ui::RememberScreenField(session_, PayrollBookScreen, QStringLiteral("RadioGroup1"), t.status);
    ui::RememberScreenField(session_, PayrollBookScreen, ewOper_Outro->objectName(), t.otherOperation);
}

QWidget* TfoEmiFolhadePagamento::create(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoEmiFolhadePagamento(session, ui, parent);
}

BookOrder TfoEmiFolhadePagamento::order() const {
    if (Rg1Nome->isChecked()) return BookOrder::Name;
    if (Rg1Cargo->isChecked()) return BookOrder::Cargo;
    return BookOrder::Code;
}

void TfoEmiFolhadePagamento::setOrder(BookOrder order) {
    QRadioButton* button = order == BookOrder::Name    ? Rg1Nome
                           : order == BookOrder::Cargo ? Rg1Cargo
                                                       : Rg1Codigo;
    if (!button->isChecked()) {
        button->setChecked(true); // comes back here through toggled
        return;
    }
    const BookRangeFields f = RangeFieldsOf(order);
    lbInicio->setText(f.firstCaption);
    lbFinal->setText(f.lastCaption);
    eFtInicio->setText(f.firstDefault);
    eFtFinal->setText(f.lastDefault);
}

PayrollBookInputs TfoEmiFolhadePagamento::inputs() const {
    PayrollBookInputs t;
    t.order = order() == BookOrder::Name    ? QStringLiteral("Nome")
              : order() == BookOrder::Cargo ? QStringLiteral("Cargo")
                                            : QStringLiteral("Codigo");
    t.first = eFtInicio->text();
    t.last = eFtFinal->text();
    t.categories.clear();
    for (QLineEdit* e : eVinculo)
        t.categories << e->text();
    t.retirementPercent = epercAposent->text();
    t.groupByCategory = chkQuebraFunc->isChecked();
    t.status = RadioGroup1Ativos->isChecked()     ? QStringLiteral("A")
               : RadioGroup1Inativos->isChecked() ? QStringLiteral("I")
                                                  : QStringLiteral("T");
    t.prolaborePercent = ePercProlabore->text();
    t.prolaboreValue = eValorProlabore->text();
    t.otherDescription = ewDescrOutr->text();
    t.otherValue = ewVlr_Outro->text();
    t.otherOperation = ewOper_Outro->currentText();
    t.interest = ewVlr_Juros->text();
    const QString observations = mObservacoes->toPlainText();
    if (!observations.isEmpty()) t.observations = observations.split(QLatin1Char('\n'));
    return t;
}

bool TfoEmiFolhadePagamento::print(bool askSetup, const QString& pdfPath) {
    const UiOwner owner(ui_, this);
    PayrollBookOptions options;
    try {
        options = ReadPayrollBookInputs(inputs());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    rememberFields();
    options.branchCode = CurrentBranchKey(session_);
    DesktopReportRequest request;
    request.info = {PayrollBookTitle.trimmed(), PayrollBookScreen};
    request.width = PayrollBookWidth;
    request.titlesLine = PayrollBookTitlesLine();
    request.layout = PayrollBookReportLayout();
    request.pdfPath = pdfPath;
    return RunDesktopReport(
        this, session_, ui_, request,
        [&](TextReport& report) { return !ComposePayrollBook(session_, ui_, options, report).cancelled; },
        askSetup);
}

} // namespace folha
