#include "TFSCRIPT.h"

#include "AuditLog.h"
#include "DbError.h"
#include "Session.h"
#include "SqlConsole.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace folha {

const QString TFSCRIPT::Caption = QStringLiteral("CONSOLE DE COMANDOS SQL :");
const QString TFSCRIPT::InitialScript = QStringLiteral("DIGITE AQUI O SCRIPT A SER EXECUTADO...");

TFSCRIPT::TFSCRIPT(Session& session, UserInterface& ui, QWidget* parent)
    : QDialog(parent), session_(session), ui_(ui) {
    setObjectName(QStringLiteral("TFSCRIPT"));
    setWindowTitle(Caption);
    resize(900, 620);

    auto* scriptGroup = new QGroupBox(QStringLiteral("SCRIPT :"), this);
    auto* scriptLayout = new QVBoxLayout(scriptGroup);
    script_ = new QPlainTextEdit(scriptGroup);
    script_->setObjectName(QStringLiteral("mScript"));
    script_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    script_->setPlainText(InitialScript);
    scriptLayout->addWidget(script_);

    auto* side = new QGridLayout;
    side->addWidget(new QLabel(QStringLiteral("Tabela"), this), 0, 0, 1, 2);
    tables_ = new QComboBox(this);
    tables_->setObjectName(QStringLiteral("cbTabela"));
    tables_->setMinimumWidth(200);
    side->addWidget(tables_, 1, 0, 1, 2);
    side->addWidget(new QLabel(QStringLiteral("Campo"), this), 2, 0, 1, 2);
    fields_ = new QListWidget(this);
    fields_->setObjectName(QStringLiteral("lbCampo"));
    side->addWidget(fields_, 3, 0, 1, 1);
    auto* insertButton = new QPushButton(QStringLiteral(">>"), this);
    insertButton->setObjectName(QStringLiteral("BotaoInserirCampo"));
    insertButton->setToolTip(QStringLiteral("Insere o campo no script"));
    insertButton->setFixedWidth(40);
    side->addWidget(insertButton, 3, 1, Qt::AlignTop);
    update_ = new QCheckBox(QStringLiteral("UPDATE"), this);
    update_->setObjectName(QStringLiteral("cbUpdate"));
    update_->setToolTip(QStringLiteral("Marque para executar um comando que altera dados"));
    side->addWidget(update_, 4, 0, 1, 2);
    execute_ = new QPushButton(QStringLiteral("   EXECUTAR"), this);
    execute_->setObjectName(QStringLiteral("BotaoExecutar"));
    side->addWidget(execute_, 5, 0, 1, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(scriptGroup, 1);
    top->addLayout(side);

    model_ = new QStandardItemModel(this);
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DBGrid"));
    grid_->setModel(model_);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);

    auto* navigation = new QHBoxLayout;
    const struct {
        const char* text;
        const char* hint;
        void (TFSCRIPT::*move)();
    } buttons[] = {{"|<", "Primeiro", &TFSCRIPT::first},
                   {"<", "Anterior", &TFSCRIPT::previous},
                   {">", "Próximo", &TFSCRIPT::next},
                   {">|", "Último", &TFSCRIPT::last}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(QString::fromUtf8(b.text), this);
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setFixedWidth(40);
        navigation->addWidget(button);
        connect(button, &QPushButton::clicked, this, b.move);
    }
    status_ = new QLabel(this);
    navigation->addSpacing(12);
    navigation->addWidget(status_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 2);
    layout->addLayout(navigation);
    layout->addWidget(grid_, 3);

    connect(tables_, &QComboBox::currentIndexChanged, this, [this] { fillFields(); });
    connect(insertButton, &QPushButton::clicked, this, [this] { insertField(); });
    connect(fields_, &QListWidget::itemDoubleClicked, this, [this] { insertField(); });
    connect(execute_, &QPushButton::clicked, this, [this] { execute(); });
}

void TFSCRIPT::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (tables_->count() == 0) fillTables();
}

void TFSCRIPT::fillTables() {
    try {
        SqlConsole console(session_.folha());
        const QStringList names = console.tableNames();
        const QSignalBlocker block(tables_);
        tables_->clear();
        tables_->addItems(names);
        tables_->setCurrentIndex(names.isEmpty() ? -1 : 0);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    fillFields();
}

void TFSCRIPT::fillFields() {
    fields_->clear();
    if (tables_->currentIndex() < 0) return;
    try {
        SqlConsole console(session_.folha());
        fields_->addItems(console.fieldNames(tables_->currentText()));
        if (fields_->count() > 0) fields_->setCurrentRow(0);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

void TFSCRIPT::insertField() {
    const QListWidgetItem* item = fields_->currentItem();
    if (!item) return;
    script_->textCursor().insertText(QLatin1Char(' ') + item->text() + QLatin1Char(' '));
    script_->setFocus();
}

bool TFSCRIPT::execute() {
    // The previous result goes before the new script runs.
    model_->clear();
    status_->clear();
    const QString statement = script_->toPlainText();
    const bool update = update_->isChecked();
    ConsoleResult result;
    try {
        SqlConsole console(session_.folha());
        result = console.run(statement, update, MaxGridRows);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    if (update) {
        WriteAuditEntry(session_.zorvan(), CurrentBranchNumber(session_), QStringLiteral("TFSCRIPT"),
                        SqlConsole::auditOf(statement, result), session_.signIn.CurrentUserCode, ui_);
        // A table may have been created or dropped: the lists follow.
        const QString table = tables_->currentText();
        fillTables();
        if (tables_->findText(table) >= 0) tables_->setCurrentText(table);
    }
    if (result.query) {
        model_->setHorizontalHeaderLabels(result.columns);
        for (const QVariantList& row : result.rows) {
            QList<QStandardItem*> items;
            items.reserve(row.size());
            for (const QVariant& v : row) {
                auto* item = new QStandardItem(SqlConsole::cellText(v));
                item->setEditable(false);
                if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::LongLong ||
                    v.typeId() == QMetaType::Int)
                    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                items << item;
            }
            model_->appendRow(items);
        }
        grid_->resizeColumnsToContents();
        status_->setText(result.truncated
                             ? QStringLiteral("%1 registro(s) exibido(s); a consulta tem mais registros")
                                   .arg(result.rows.size())
                             : QStringLiteral("%1 registro(s)").arg(result.rows.size()));
        first();
    } else {
        status_->setText(QStringLiteral("%1 registro(s) afetado(s)").arg(std::max(0, result.rowsAffected)));
    }
    ui_.message(MessageKind::Information, QStringLiteral("Script executado"));
    return true;
}

void TFSCRIPT::moveTo(int row) {
    if (model_->rowCount() == 0) return;
    row = std::clamp(row, 0, model_->rowCount() - 1);
    const QModelIndex index = model_->index(row, std::max(0, grid_->currentIndex().column()));
    grid_->setCurrentIndex(index);
    grid_->scrollTo(index);
}

void TFSCRIPT::first() {
    moveTo(0);
}
void TFSCRIPT::previous() {
    moveTo(currentRow() - 1);
}
void TFSCRIPT::next() {
    moveTo(currentRow() + 1);
}
void TFSCRIPT::last() {
    moveTo(model_->rowCount() - 1);
}

int TFSCRIPT::currentRow() const {
    if (model_->rowCount() == 0) return -1;
    return grid_->currentIndex().isValid() ? grid_->currentIndex().row() : -1;
}

QString TFSCRIPT::statusText() const {
    return status_->text();
}

QWidget* TFSCRIPT::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    try {
        SqlConsole::requireLevel(session.signIn.CurrentUserLevel);
    } catch (const UserError& e) {
        ui.message(MessageKind::Error, e.message());
        return nullptr;
    }
    return new TFSCRIPT(session, ui, parent);
}

} // namespace folha
