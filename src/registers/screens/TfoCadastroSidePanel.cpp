#include "TfoCadastro.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QComboBox>
#include <QDesktopServices>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace folha {

namespace {

const QString HelpSite = QStringLiteral("http://www.zorvan.com.br/");

} // namespace

QPushButton* TfoCadastro::addAction(int fKey, const QString& caption, const QString& group, bool enabled) {
    QGroupBox* box = groups_.value(group);
    if (!box) {
        box = new QGroupBox(group, sidePanel_);
        box->setLayout(new QVBoxLayout);
        box->layout()->setContentsMargins(4, 4, 4, 4);
        box->layout()->setSpacing(2);
        groups_.insert(group, box);
        sideLayout_->insertWidget(sideLayout_->count() - 1, box);
    }
    auto* button = new QPushButton(caption, box);
    button->setObjectName(QStringLiteral("btF%1").arg(fKey));
    button->setEnabled(enabled);
    button->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 6px;"));
    button->setFocusPolicy(Qt::NoFocus);
    // Keep the group's keys in order.
    auto* layout = static_cast<QVBoxLayout*>(box->layout());
    int at = layout->count();
    for (int i = 0; i < layout->count(); ++i) {
        auto* other = qobject_cast<QPushButton*>(layout->itemAt(i)->widget());
        if (other && actions_.key(other, 0) > fKey) {
            at = i;
            break;
        }
    }
    layout->insertWidget(at, button);
    actions_.insert(fKey, button);
    button->installEventFilter(this);
    return button;
}

void TfoCadastro::buildSidePanel() {
    sidePanel_->setFixedWidth(170);
    sideLayout_->addStretch();
    // The groups in the order the panel shows them.
    for (const QString& group : {QStringLiteral("Outros"), QStringLiteral("Ajuda"), QStringLiteral("Cadastro"),
                                 QStringLiteral("Filtro"), QStringLiteral("Impressão")}) {
        auto* box = new QGroupBox(group, sidePanel_);
        box->setLayout(new QVBoxLayout);
        box->layout()->setContentsMargins(4, 4, 4, 4);
        box->layout()->setSpacing(2);
        groups_.insert(group, box);
        sideLayout_->insertWidget(sideLayout_->count() - 1, box);
    }
    connect(addAction(12, QStringLiteral(" F12 - Sair"), QStringLiteral("Outros"), true), &QPushButton::clicked, this,
            &QWidget::close);
    connect(addAction(1, QStringLiteral(" F1 - Ajuda"), QStringLiteral("Ajuda"), false), &QPushButton::clicked, this,
            [this] {
                QDesktopServices::openUrl(QUrl(HelpSite + QStringLiteral("Help/Folha/Hlp_") + def_.screen +
                                               QStringLiteral(".html")));
            });
    connect(addAction(2, QStringLiteral(" F2 - Inserir"), QStringLiteral("Cadastro"), !readOnly_),
            &QPushButton::clicked, this, &TfoCadastro::insertRow);
    connect(addAction(3, QStringLiteral(" F3 - Alterar"), QStringLiteral("Cadastro"), !readOnly_),
            &QPushButton::clicked, this, &TfoCadastro::editRow);
    connect(addAction(4, QStringLiteral(" F4 - Excluir"), QStringLiteral("Cadastro"), !readOnly_),
            &QPushButton::clicked, this, &TfoCadastro::deleteRow);
    connect(addAction(5, QStringLiteral(" F5 - Consultar"), QStringLiteral("Cadastro"), false), &QPushButton::clicked,
            this, &TfoCadastro::refresh);
    connect(addAction(6, QStringLiteral(" F6 - Limpar Filtros"), QStringLiteral("Filtro"), true),
            &QPushButton::clicked, this, &TfoCadastro::clearFilters);
    connect(addAction(7, QStringLiteral(" F7 - Selecionar"), QStringLiteral("Filtro"), false), &QPushButton::clicked,
            this, &TfoCadastro::selectRow);
    addAction(8, QStringLiteral(" F8 - Imprimir"), QStringLiteral("Impressão"), false);
    connect(addAction(9, QStringLiteral("F9 - Listar"), QStringLiteral("Impressão"), true), &QPushButton::clicked,
            this, [this] { listGrid(); });
    addAction(10, QStringLiteral("F10 - Enviar Email"), QStringLiteral("Impressão"), false);
}

void TfoCadastro::keyPressEvent(QKeyEvent* event) {
    if (eventFilter(this, event)) return;
    QWidget::keyPressEvent(event);
}

bool TfoCadastro::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    // On the panel: F8 or Ctrl+S saves, Escape cancels (an open list of a
    // box keeps its own keys).
    if (editing_ && !editPanel_->isHidden() && !QApplication::activePopupWidget()) {
        if ((k == Qt::Key_F8 && key->modifiers() == Qt::NoModifier) ||
            (k == Qt::Key_S && key->modifiers() == Qt::ControlModifier)) {
            // The box being typed in is read as when it is left.
            if (auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget())) emit line->editingFinished();
            saveRow();
            return true;
        }
        if (k == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            escapeRow();
            return true;
        }
    }
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12 && key->modifiers() == Qt::NoModifier) {
        const int fKey = k - Qt::Key_F1 + 1;
        if (fKey == 12) {
            close();
            return true;
        }
        // The side panel's actions answer only while browsing.
        QPushButton* button = actions_.value(fKey);
        if (button && button->isEnabled() && !sidePanel_->isHidden()) button->click();
        return true;
    }
    if ((k == Qt::Key_Return || k == Qt::Key_Enter) && !qobject_cast<QPushButton*>(watched)) {
        // Enter moves on as Tab does.
        if (auto* box = qobject_cast<QComboBox*>(watched); box && box->view() && box->view()->isVisible())
            return QWidget::eventFilter(watched, event);
        focusNextChild();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace folha
