#include "TfoRelRegiFun.h"

#include "DesktopReport.h"
#include "Session.h"
#include "UserInterface.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace folha {

TfoRelRegiFun::TfoRelRegiFun(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui) {
    setObjectName(EmployeeRegisterScreen);
    setWindowTitle(EmployeeRegisterCaption);
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(EmployeeRegisterCaption, this);
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.2);
    title->setFont(f);
    layout->addWidget(title);

    auto* form = new QFormLayout;
    first_ = new QLineEdit(this);
    first_->setObjectName(QStringLiteral("edCodigoInicial"));
    first_->setMaxLength(6);
    last_ = new QLineEdit(this);
    last_->setObjectName(QStringLiteral("edCodigoFinal"));
    last_->setMaxLength(6);
    form->addRow(QStringLiteral("Código Inicial"), first_);
    form->addRow(QStringLiteral("Código Final"), last_);
    layout->addLayout(form);

    auto* orderGroup = new QGroupBox(QStringLiteral("Ordem"), this);
    auto* orderLayout = new QVBoxLayout(orderGroup);
    byCode_ = new QRadioButton(QStringLiteral("Código"), orderGroup);
    byName_ = new QRadioButton(QStringLiteral("Nome"), orderGroup);
    orderLayout->addWidget(byCode_);
    orderLayout->addWidget(byName_);
    byCode_->setChecked(true);
    layout->addWidget(orderGroup);

    AddPrintButtons(this, layout, [this] { print(); });
    setMinimumWidth(360);
}

EmployeeRegisterOptions TfoRelRegiFun::options() const {
    EmployeeRegisterOptions o;
    o.first = first_->text();
    o.last = last_->text();
    o.order = byName_->isChecked() ? ListingOrder::Name : ListingOrder::Code;
    return o;
}

void TfoRelRegiFun::setOptions(const EmployeeRegisterOptions& options) {
    first_->setText(options.first);
    last_->setText(options.last);
    (options.order == ListingOrder::Name ? byName_ : byCode_)->setChecked(true);
}

bool TfoRelRegiFun::print(bool askSetup) {
    const UiOwner owner(ui_, this);
    DesktopReportRequest request;
    request.info = {EmployeeRegisterCaption, EmployeeRegisterScreen};
    request.width = EmployeeRegisterWidth;
    const EmployeeRegisterOptions chosen = options();
    return RunDesktopReport(this, session_, ui_, request, [&](TextReport& report) {
        return !ComposeEmployeeRegister(session_, ui_, chosen, report).cancelled;
    }, askSetup);
}

QWidget* TfoRelRegiFun::create(Session& session, UserInterface& ui, QWidget* parent) {
    return new TfoRelRegiFun(session, ui, parent);
}

} // namespace folha
