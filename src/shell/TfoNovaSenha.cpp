#include "TfoNovaSenha.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace folha {

TfoNovaSenha::TfoNovaSenha(const QString& userName, UserInterface& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
    setObjectName(QStringLiteral("TfoNovaSenha"));
    setWindowTitle(QStringLiteral("Cadastrar Senha"));
    auto* text = new QLabel(
        QStringLiteral("O usuário %1 não tem senha. Cadastre a senha que passará a usar:").arg(userName), this);
    text->setWordWrap(true);
    first_ = new QLineEdit(this);
    second_ = new QLineEdit(this);
    for (QLineEdit* box : {first_, second_}) {
        box->setEchoMode(QLineEdit::Password);
        box->installEventFilter(this);
    }
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Nova senha:"), first_);
    form->addRow(QStringLiteral("Repita a nova senha:"), second_);
    auto* buttons = new QDialogButtonBox(this);
    record_ = buttons->addButton(QStringLiteral("Gravar"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancelar"), QDialogButtonBox::RejectRole);
    record_->setAutoDefault(false);
    cancel->setAutoDefault(false);
    connect(record_, &QPushButton::clicked, this, [this] { recordClicked(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(buttons);
    first_->setFocus();
}

QString TfoNovaSenha::password() const { return result() == QDialog::Accepted ? first_->text() : QString(); }

void TfoNovaSenha::recordClicked() {
    QString problem;
    if (first_->text().trimmed().isEmpty())
        problem = QStringLiteral("A senha não pode ficar em branco.");
    else if (first_->text() != second_->text())
        problem = QStringLiteral("As senhas digitadas não conferem: digite a mesma senha nas duas caixas.");
    if (problem.isEmpty()) {
        accept();
        return;
    }
    ui_.message(MessageKind::Error, problem);
    first_->clear();
    second_->clear();
    first_->setFocus();
}

bool TfoNovaSenha::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == first_)
                second_->setFocus();
            else if (watched == second_)
                recordClicked();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace folha
