#include "TfoCadastro.h"

#include "EmployeeLookups.h"
#include "LayoutStore.h"
#include "RegisterModel.h"
#include "RegisterService.h"
#include "SelectionQuery.h"
#include "Session.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace folha {

using registers::RegisterDef;
using registers::RegisterModel;
using registers::RegisterService;

const QString TfoCadastro::CloseRefusedText =
    QStringLiteral("Sistema em modo de inclusão\\alteração. Grave ou cancele as alterações para sair da tela!");
const QString TfoCadastro::DiscardText = QStringLiteral("Descartar as alterações?");
const QString TfoCadastro::RestoreColumnsText = QStringLiteral("Para concluir esta alteração, a tela será fechada!!!");

TfoCadastro::TfoCadastro(Session& session, UserInterface& ui, const RegisterDef& def, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui), def_(def),
      table_(Registry::instance().require(def.table)) {
    service_ = std::make_unique<RegisterService>(session_, def_, ui_);
    QList<PanelField> fields;
    for (const FieldDef& f : table_.fields) fields << PanelField{f.name, {}};
    build(fields, def_.screen + QStringLiteral("_Grid"));
}

TfoCadastro::TfoCadastro(Session& session, UserInterface& ui, const RegisterDef& def, QWidget* parent, DeferBuild)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui), def_(def),
      table_(Registry::instance().require(def.table)) {
    service_ = std::make_unique<RegisterService>(session_, def_, ui_);
}

TfoCadastro::~TfoCadastro() = default;

QString TfoCadastro::iniDir() const {
    return session_.values.IniDir.isEmpty() ? session_.installation().programFile(QStringLiteral("ini"))
                                            : session_.values.IniDir;
}

QAbstractItemModel* TfoCadastro::createGridModel() {
    model_ = new RegisterModel(session_.folha(), table_, this);
    return model_;
}

void TfoCadastro::build(const QList<PanelField>& panelFields, const QString& gridName) {
    setObjectName(def_.screen);
    gridName_ = gridName;
    setWindowTitle(session_.signIn.WindowCaptionPrefix);
    resize(900, 560);
    RestoreWindowPlacement(iniDir(), def_.screen, this);

    auto* outer = new QVBoxLayout(this);
    header_ = new QLabel(def_.header(), this);
    header_->setObjectName(QStringLiteral("lbCabecalho"));
    QFont hf = header_->font();
    hf.setBold(true);
    hf.setPointSizeF(hf.pointSizeF() * 1.3);
    header_->setFont(hf);
    header_->setTextFormat(Qt::PlainText);
    outer->addWidget(header_);

    auto* body = new QHBoxLayout;
    outer->addLayout(body, 1);
    sidePanel_ = new QWidget(this);
    sidePanel_->setObjectName(QStringLiteral("pnLateral"));
    sideLayout_ = new QVBoxLayout(sidePanel_);
    sideLayout_->setContentsMargins(0, 0, 0, 0);
    body->addWidget(sidePanel_);

    auto* right = new QVBoxLayout;
    body->addLayout(right, 1);

    buildGridPanel();
    right->addWidget(gridPanel_, 1);

    buildEditPanel(panelFields);
    right->addWidget(editPanel_, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lbModo"));
    outer->addWidget(status_);

    buildSidePanel();

    // Search bar behaviour.
    searchFields_->addItems(searchLabels());
    connect(searchFields_, &QComboBox::textActivated, this, &TfoCadastro::chooseSearchLabel);
    connect(searchBox_, &QLineEdit::textEdited, this, [this](const QString& text) {
        search(searchField_, text, filterBox_->isChecked());
    });

    clearFilters();
    LoadGridLayout(iniDir(), gridName_, grid_);
    saveLayoutOnClose_ = true;
    showBrowsing();
    if (gridModel_->rowCount() > 0) setCurrentRow(0);

    // The F-keys and Enter wherever the focus is.
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

// --- State --------------------------------------------------------------

bool TfoCadastro::editing() const { return editing_.has_value(); }

QString TfoCadastro::statusText() const { return status_->text(); }
QString TfoCadastro::headerText() const { return header_->text(); }
QAbstractItemModel* TfoCadastro::gridModel() const { return gridModel_; }
void TfoCadastro::updateStatus() {
    if (!gridModel_)
        status_->setText(QStringLiteral("Modo: Inativo"));
    else if (!editing_)
        status_->setText(QStringLiteral("Modo: Navegação"));
    else
        status_->setText(mode_ == QLatin1String("I") ? QStringLiteral("Modo: Inclusão") : QStringLiteral("Modo: Alteração"));
}

void TfoCadastro::showBrowsing() {
    editPanel_->hide();
    gridPanel_->show();
    sidePanel_->show();
    updateStatus();
}

void TfoCadastro::showEditing(bool inserting) {
    gridPanel_->hide();
    sidePanel_->hide();
    editPanel_->show();
    if (pages_) pages_->setCurrentIndex(0);
    (void)inserting;
    updateStatus();
}

// --- Actions --------------------------------------------------------------

Record TfoCadastro::newRow() { return service_->newRecord(); }

std::optional<Record> TfoCadastro::rowToEdit() {
    const int row = currentRow();
    if (!model_ || row < 0) return std::nullopt;
    std::optional<Record> stored = service_->reread(model_->record(row));
    if (!stored) return std::nullopt;
    hold_.reset();
    if (std::optional<RowLock> held = service_->beginEdit(*stored)) hold_.emplace(std::move(*held));
    if (!hold_) return std::nullopt;
    return stored;
}

void TfoCadastro::post(const Record& row, bool inserting) { service_->save(row, inserting); }

void TfoCadastro::removeCurrent() {
    const int row = currentRow();
    if (!model_ || row < 0) return;
    if (service_->remove(model_->record(row))) {
        model_->reload();
        setCurrentRow(std::min(row, model_->rowCount() - 1));
    }
}

void TfoCadastro::panelShown(bool inserting) {
    if (inserting) {
        clearDescriptions();
        setKeyBoxesEnabled(true);
    } else {
        fillDescriptions();
        setKeyBoxesEnabled(def_.keyEditable);
    }
    focusFirstEnabled();
}

void TfoCadastro::insertRow() {
    if (readOnly_ || editing_) return;
    try {
        Record row = newRow();
        mayClose_ = false;
        mode_ = QStringLiteral("I");
        editing_ = row;
        originalKey_.clear();
        loadPanel(row);
        showEditing(true);
        panelShown(true);
        shownTexts_ = panelTexts();
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

void TfoCadastro::editRow() {
    if (readOnly_ || editing_) return;
    try {
        std::optional<Record> row = rowToEdit();
        if (!row) return;
        mayClose_ = false;
        mode_ = QStringLiteral("E");
        editing_ = row;
        originalKey_ = row->keyValues();
        loadPanel(*row);
        showEditing(false);
        panelShown(false);
        shownTexts_ = panelTexts();
    } catch (const UserError& e) {
        hold_.reset();
        ui_.message(MessageKind::Error, e.message());
    }
}

bool TfoCadastro::saveRow() {
    if (!editing_) return false;
    const bool inserting = mode_ == QLatin1String("I");
    Record row = *editing_;
    try {
        storePanel(row);
        post(row, inserting);
    } catch (const UserError& e) {
        // The row stays on the panel: correct it and save again, or cancel.
        ui_.message(MessageKind::Error, e.message());
        return false;
    }
    editing_.reset();
    hold_.reset();
    mayClose_ = true;
    refresh();
    showBrowsing();
    if (model_) setCurrentRow(model_->rowOfKey(row.keyValues()));
    grid_->setFocus();
    return true;
}

void TfoCadastro::cancelRow() {
    if (!editing_) return;
    editing_.reset();
    hold_.reset();
    mayClose_ = true;
    showBrowsing();
    grid_->setFocus();
}

bool TfoCadastro::panelChanged() const { return editing_ && panelTexts() != shownTexts_; }

void TfoCadastro::escapeRow() {
    if (!editing_) return;
    if (panelChanged() && !ui_.question(DiscardText, QuestionKind::YesNoDefaultNo)) return;
    cancelRow();
}

void TfoCadastro::deleteRow() {
    if (readOnly_ || editing_ || gridModel_->rowCount() == 0 || currentRow() < 0) return;
    try {
        removeCurrent();
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

void TfoCadastro::refresh() {
    if (model_) model_->reload();
}

void TfoCadastro::selectRow() {
    const int row = currentRow();
    if (row < 0 || def_.searchField.isEmpty()) return;
    if (model_) {
        registers::SetSelectedCodesText(model_->record(row).text(def_.searchField).trimmed());
        return;
    }
    for (int c = 0; c < gridModel_->columnCount(); ++c)
        if (gridModel_->headerData(c, Qt::Horizontal).toString().compare(def_.searchField, Qt::CaseInsensitive) == 0)
            registers::SetSelectedCodesText(gridModel_->index(row, c).data().toString().trimmed());
}

void TfoCadastro::closeEvent(QCloseEvent* event) {
    if (!mayClose_) {
        ui_.message(MessageKind::Error, CloseRefusedText);
        event->ignore();
        return;
    }
    SaveGridLayout(iniDir(), gridName_, grid_, saveLayoutOnClose_);
    SaveWindowPlacement(iniDir(), def_.screen, this);
    event->accept();
}

} // namespace folha
