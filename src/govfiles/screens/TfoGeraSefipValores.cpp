#include "TfoGeraSefipValores.h"

#include "SefipAdditional.h"
#include "Session.h"
#include "SignIn.h"
#include "UserInterface.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

const QString TfoGeraSefip_RecebeValoresEmpresa::Caption = QStringLiteral("Informe os valores:");

TfoGeraSefip_RecebeValoresEmpresa::TfoGeraSefip_RecebeValoresEmpresa(UserInterface& ui, const QString& companyText,
                                                                     QWidget* parent)
    : QDialog(parent), ui_(ui) {
    using Kind = gov::SefipAdditionalField::Kind;
    setObjectName(QStringLiteral("TfoGeraSefip_RecebeValoresEmpresa"));
    setWindowTitle(Caption);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    if (!companyText.isEmpty()) {
        auto* company = new QLabel(QStringLiteral("Empresa: ") + companyText, this);
        company->setObjectName(QStringLiteral("lblEmpresa"));
        layout->addWidget(company);
    }
    auto* group = new QGroupBox(QStringLiteral("Dados adicionais da empresa"), this);
    auto* grid = new QGridLayout(group);
    layout->addWidget(group);

    int row = -1;
    QHBoxLayout* line = nullptr;
    QString rowCaption;
    QLineEdit* previous = nullptr;
    for (const gov::SefipAdditionalField& f : gov::SefipAdditionalFields()) {
        auto* box = new QLineEdit(group);
        box->setObjectName(f.control);
        box->setText(f.initial);
        switch (f.kind) {
        case Kind::Money:
            box->setAlignment(Qt::AlignRight);
            box->setMaximumWidth(130);
            break;
        case Kind::Type:
            box->setMaxLength(1);
            box->setMaximumWidth(40);
            break;
        case Kind::Digits:
        case Kind::Taker:
            box->setMaxLength(f.width);
            box->setMaximumWidth(f.width > 5 ? 110 : 60);
            break;
        case Kind::Period:
            box->setInputMask(QStringLiteral("!90/0000"));
            box->setMaximumWidth(80);
            break;
        }
        if (!f.pairedWithPrevious || !line) {
            ++row;
            rowCaption = f.caption;
            auto* label = new QLabel(f.caption, group);
            label->setBuddy(box);
            grid->addWidget(label, row, 0);
            line = new QHBoxLayout;
            grid->addLayout(line, row, 1);
        } else if (f.caption != rowCaption) {
            line->addWidget(new QLabel(f.caption, group));
        } else if (f.kind == Kind::Period) {
            line->addWidget(new QLabel(QStringLiteral("a"), group));
        }
        line->addWidget(box);
        boxes_.insert(f.control, box);
        if (previous) setTabOrder(previous, box);
        previous = box;
        // Enter goes on to the next box, as Tab does.
        connect(box, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    }
    for (int r = 0; r <= row; ++r)
        if (auto* item = grid->itemAtPosition(r, 1))
            if (auto* l = qobject_cast<QHBoxLayout*>(item->layout())) l->addStretch();

    auto* buttons = new QHBoxLayout;
    continue_ = new QPushButton(QStringLiteral("Continuar..."), this);
    continue_->setObjectName(QStringLiteral("btnContinuar"));
    cancel_ = new QPushButton(QStringLiteral("Cancelar..."), this);
    cancel_->setObjectName(QStringLiteral("btnCancelar"));
    // Enter in a box moves on; it never presses a button by itself.
    for (QPushButton* b : {continue_, cancel_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    buttons->addStretch();
    buttons->addWidget(continue_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(continue_, &QPushButton::clicked, this, &TfoGeraSefip_RecebeValoresEmpresa::continueClicked);
    connect(cancel_, &QPushButton::clicked, this, &TfoGeraSefip_RecebeValoresEmpresa::cancelClicked);
}

void TfoGeraSefip_RecebeValoresEmpresa::continueClicked() {
    QHash<QString, QString> typed;
    for (auto it = boxes_.cbegin(); it != boxes_.cend(); ++it) typed.insert(it.key(), it.value()->text());
    try {
        values_ = gov::ReadSefipAdditional(typed);
    } catch (const UserError& e) {
        values_.reset();
        // Shown at once, even while the run gathers its warnings for the
        // end, and over this dialog.
        const UiOwner owning(ui_, this);
        ui_.message(MessageKind::Information, e.message());
        return;
    }
    accept();
}

void TfoGeraSefip_RecebeValoresEmpresa::cancelClicked() {
    values_.reset();
    reject();
}

std::optional<gov::SefipAdditionalValues> TfoGeraSefip_RecebeValoresEmpresa::ask(UserInterface& ui,
                                                                               const gov::SefipCompany& company,
                                                                               QWidget* parent) {
    TfoGeraSefip_RecebeValoresEmpresa dialog(ui, QStringLiteral("%1 - %2").arg(company.code).arg(company.name), parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.values();
}

QWidget* TfoGeraSefip_RecebeValoresEmpresa::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    // The company open, as the run asks for it.
    const int code = session.signIn.CurrentCompanyCode;
    QString name;
    try {
        if (auto company = SignIn(session).company(code)) name = company->name;
    } catch (const std::exception&) {
    }
    return new TfoGeraSefip_RecebeValoresEmpresa(ui, QStringLiteral("%1 - %2").arg(code).arg(name), parent);
}

} // namespace folha
