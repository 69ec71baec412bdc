#include "TfoCadastro.h"

#include "DbError.h"
#include "DesktopReport.h"
#include "EmployeeLookups.h"
#include "LayoutStore.h"
#include "Listings.h"
#include "PrintSettings.h"
#include "RegisterModel.h"
#include "RegisterService.h"
#include "SelecaoMultipla.h"
#include "SelectionQuery.h"
#include "Session.h"
#include "TextRoutines.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace folha {

using registers::RegisterDef;
using registers::RegisterModel;
using registers::RegisterService;

const QString TfoCadastro::CloseRefusedText =
    QStringLiteral("Sistema em modo de inclusão\\alteração. Grave ou cancele as alterações para sair da tela!");
const QString TfoCadastro::RestoreColumnsText = QStringLiteral("Para concluir esta alteração, a tela será fechada!!!");

namespace {

const QString HelpSite = QStringLiteral("http://www.zorvan.com.br/");

const QString ListDialogCaption = QStringLiteral("Aguarde o procedimento...");
const QString ListDialogText =
    QStringLiteral("Escolha as colunas presentes no relatório, e configure o posicionamento e tamanho através do grid :");
const QString ListGridHint = QStringLiteral(
    "Clique na seta (parte superior) para adicionar ou remover colunas; Altere a ordem das colunas; Aumente ou diminua o tamanho das colunas;");
const QString ListErrorText = QStringLiteral("Erro ao gerar relatório padronizado :");

// The list layout is kept in the grid-layout format, under the name the
// list file has: a grid layout saved in a scratch folder and copied.
void saveLayoutTo(const QString& file, const QTableView* view) {
    QTemporaryDir scratch;
    SaveGridLayout(scratch.path(), QStringLiteral("lista"), view);
    QFile::remove(file);
    QFile::copy(QDir(scratch.path()).filePath(QStringLiteral("lista.ini")), file);
}

void loadLayoutFrom(const QString& file, QTableView* view) {
    if (!QFile::exists(file)) return;
    QTemporaryDir scratch;
    QFile::copy(file, QDir(scratch.path()).filePath(QStringLiteral("lista.ini")));
    LoadGridLayout(scratch.path(), QStringLiteral("lista"), view);
}

// Widths, order and visibility of one grid's columns given to another
// over the same model.
void copyColumns(const QTableView* from, QTableView* to) {
    const QHeaderView* src = from->horizontalHeader();
    QHeaderView* dst = to->horizontalHeader();
    const int columns = from->model() ? from->model()->columnCount() : 0;
    for (int c = 0; c < columns; ++c) {
        dst->setSectionHidden(c, src->isSectionHidden(c));
        dst->resizeSection(c, src->sectionSize(c));
    }
    for (int visual = 0; visual < columns; ++visual) {
        const int logical = src->logicalIndex(visual);
        if (dst->visualIndex(logical) != visual) dst->moveSection(dst->visualIndex(logical), visual);
    }
}

// The text of a masked box as stored: the digits of a CPF, CNPJ, PIS or
// CEP; a date box as typed, empty when nothing was typed.
QString boxValue(const QLineEdit* line, const FieldDef& f) {
    const QString text = line->text();
    if (line->inputMask().isEmpty()) return text;
    if (OnlyDigits(text).isEmpty()) return {};
    if (f.type == FieldType::Date) return text;
    return OnlyDigits(text);
}

} // namespace

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

QString TfoCadastro::listLayoutFile() const {
    const QString folder = session_.installation().programFile(QStringLiteral("RelCfg"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(def_.screen + QStringLiteral(".cfg"));
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

    // The grid panel: search bar over the grid.
    gridPanel_ = new QWidget(this);
    gridPanel_->setObjectName(QStringLiteral("pnGrid"));
    gridLayout_ = new QVBoxLayout(gridPanel_);
    gridLayout_->setContentsMargins(0, 0, 0, 0);
    auto* searchBar = new QHBoxLayout;
    searchBar->addWidget(new QLabel(QStringLiteral("*** Pesquisar..."), gridPanel_));
    searchFields_ = new QComboBox(gridPanel_);
    searchFields_->setObjectName(QStringLiteral("cbCampos"));
    searchFields_->setMinimumWidth(180);
    searchBar->addWidget(searchFields_);
    searchBox_ = new QLineEdit(gridPanel_);
    searchBox_->setObjectName(QStringLiteral("edPesquisa"));
    searchBar->addWidget(searchBox_, 1);
    filterBox_ = new QCheckBox(QStringLiteral("Filtrar"), gridPanel_);
    filterBox_->setObjectName(QStringLiteral("ckFiltrar"));
    filterBox_->setChecked(true);
    searchBar->addWidget(filterBox_);
    gridLayout_->addLayout(searchBar);

    gridModel_ = createGridModel();
    grid_ = new QTableView(gridPanel_);
    grid_->setObjectName(QStringLiteral("DBGrid"));
    grid_->setModel(gridModel_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setSectionsMovable(true);
    grid_->horizontalHeader()->setSectionsClickable(true);
    grid_->setContextMenuPolicy(Qt::CustomContextMenu);
    // Default column widths: the registry's characters, never narrower than
    // the title.
    const int charWidth = grid_->fontMetrics().averageCharWidth();
    for (int c = 0; c < gridModel_->columnCount(); ++c) {
        const QString title = gridModel_->headerData(c, Qt::Horizontal).toString();
        int chars = int(title.size());
        if (model_) chars = std::max(chars, table_.fields[c].displayWidth());
        const int titleWidth = grid_->horizontalHeader()->fontMetrics().horizontalAdvance(title) + 24;
        grid_->horizontalHeader()->resizeSection(c, std::max(charWidth * std::min(chars + 2, 60) + 8, titleWidth));
    }
    gridLayout_->addWidget(grid_, 1);
    right->addWidget(gridPanel_, 1);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfoCadastro::gridHeaderClicked);
    connect(grid_, &QWidget::customContextMenuRequested, this, &TfoCadastro::showGridMenu);

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

QWidget* TfoCadastro::buildEditor(const PanelField& pf, QWidget* parent) {
    FieldEditor e;
    e.def = table_.field(pf.field);
    if (!e.def) return nullptr;
    const FieldDef& f = *e.def;
    QWidget* box = nullptr;
    if (f.lookup) {
        auto* row = new QWidget(parent);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        e.line = new QLineEdit(row);
        e.line->setObjectName(QStringLiteral("ed") + f.name);
        e.line->setReadOnly(f.pickerOnly);
        e.line->setMaximumWidth(e.line->fontMetrics().averageCharWidth() * 8 + 12);
        e.pick = new QToolButton(row);
        e.pick->setObjectName(QStringLiteral("bt") + f.name);
        e.pick->setText(QStringLiteral("..."));
        e.pick->setToolTip(f.lookup->descriptionCaption);
        e.description = new QLabel(row);
        e.description->setObjectName(QStringLiteral("lb") + f.name);
        e.description->setToolTip(f.lookup->descriptionCaption);
        e.description->setFrameShape(QFrame::StyledPanel);
        e.description->setMinimumWidth(240);
        h->addWidget(e.line);
        h->addWidget(e.pick);
        h->addWidget(e.description, 1);
        const QString name = f.name;
        connect(e.pick, &QToolButton::clicked, this, [this, name] { pickCode(name); });
        box = row;
    } else if (!f.codes.isEmpty()) {
        e.combo = new QComboBox(parent);
        e.combo->setObjectName(QStringLiteral("cb") + f.name);
        e.combo->addItem(QString(), QString());
        for (const CodeEntry& c : f.codes) e.combo->addItem(c.text, c.value);
        // A list of long entries keeps the panel's width; the open list shows them whole.
        e.combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        e.combo->setMinimumContentsLength(30);
        e.combo->view()->setMinimumWidth(e.combo->view()->sizeHintForColumn(0) + 24);
        box = e.combo;
    } else {
        e.line = new QLineEdit(parent);
        e.line->setObjectName(QStringLiteral("ed") + f.name);
        QString mask = InputMaskPattern(f.mask);
        if (mask.isEmpty() && f.type == FieldType::Date) mask = InputMaskPattern(InputMask::Date);
        if (!mask.isEmpty()) e.line->setInputMask(mask);
        if (f.type == FieldType::Text && f.size > 0 && mask.isEmpty()) e.line->setMaxLength(f.size);
        const int chars = f.type == FieldType::Memo ? 60 : std::min(std::max(f.displayWidth(), 4), 60);
        e.line->setFixedWidth(e.line->fontMetrics().averageCharWidth() * (chars + 2) + 12);
        box = e.line;
    }
    editors_ << e;
    return box;
}

void TfoCadastro::buildEditPanel(const QList<PanelField>& fields) {
    editPanel_ = new QWidget(this);
    editPanel_->setObjectName(QStringLiteral("pnEdicao"));
    auto* v = new QVBoxLayout(editPanel_);
    v->setContentsMargins(0, 0, 0, 0);

    // One form per page (or one form when the table has no pages).
    QStringList pageNames;
    for (const PanelField& pf : fields) {
        const FieldDef* f = table_.field(pf.field);
        if (f && !f->page.isEmpty() && !pageNames.contains(f->page)) pageNames << f->page;
    }
    const QStringList ordered = table_.pages();
    if (!ordered.isEmpty()) {
        QStringList sorted;
        for (const QString& p : ordered)
            if (pageNames.contains(p)) sorted << p;
        pageNames = sorted;
    }
    QMap<QString, QFormLayout*> forms;
    auto newForm = [this](QWidget* host) {
        auto* scroll = new QScrollArea(host);
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        auto* inner = new QWidget(scroll);
        auto* form = new QFormLayout(inner);
        form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
        scroll->setWidget(inner);
        return std::make_pair(scroll, form);
    };
    QFormLayout* single = nullptr;
    if (pageNames.isEmpty()) {
        auto [scroll, form] = newForm(editPanel_);
        v->addWidget(scroll, 1);
        single = form;
    } else {
        pages_ = new QTabWidget(editPanel_);
        pages_->setObjectName(QStringLiteral("pgPaginas"));
        for (const QString& p : pageNames) {
            auto [scroll, form] = newForm(pages_);
            pages_->addTab(scroll, p);
            forms.insert(p, form);
        }
        v->addWidget(pages_, 1);
    }
    for (const PanelField& pf : fields) {
        const FieldDef* f = table_.field(pf.field);
        if (!f) continue;
        QFormLayout* form = single ? single : forms.value(f->page, forms.value(pageNames.first()));
        QWidget* box = buildEditor(pf, form->parentWidget());
        if (!box) continue;
        // A field the save cannot go without shows so: its caption in bold
        // with an asterisk.
        const QString caption = pf.caption.isEmpty() ? f->caption : pf.caption;
        if (f->required || f->mandatory) {
            auto* label = new QLabel(QStringLiteral("<b>%1 *</b>").arg(caption.toHtmlEscaped()), form->parentWidget());
            label->setToolTip(QStringLiteral("Preenchimento obrigatório"));
            label->setBuddy(box);
            form->addRow(label, box);
        } else {
            form->addRow(caption, box);
        }
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    saveButton_ = new QPushButton(QStringLiteral("Gravar"), editPanel_);
    saveButton_->setObjectName(QStringLiteral("btGravar"));
    cancelButton_ = new QPushButton(QStringLiteral("Cancelar"), editPanel_);
    cancelButton_->setObjectName(QStringLiteral("btCancelar"));
    buttons->addWidget(saveButton_);
    buttons->addWidget(cancelButton_);
    v->addLayout(buttons);
    connect(saveButton_, &QPushButton::clicked, this, [this] { saveRow(); });
    connect(cancelButton_, &QPushButton::clicked, this, &TfoCadastro::cancelRow);
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

int TfoCadastro::currentRow() const {
    const QModelIndex i = grid_->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TfoCadastro::setCurrentRow(int row) {
    if (row < 0 || row >= gridModel_->rowCount()) return;
    int column = grid_->horizontalHeader()->logicalIndex(0);
    for (int v = 0; v < gridModel_->columnCount(); ++v) {
        const int c = grid_->horizontalHeader()->logicalIndex(v);
        if (!grid_->isColumnHidden(c)) {
            column = c;
            break;
        }
    }
    grid_->setCurrentIndex(gridModel_->index(row, std::max(column, 0)));
    grid_->selectRow(row);
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

// --- The editing panel ----------------------------------------------------

QWidget* TfoCadastro::fieldBox(const QString& field) const {
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0)
            return e.line ? static_cast<QWidget*>(e.line) : static_cast<QWidget*>(e.combo);
    return nullptr;
}

QLabel* TfoCadastro::descriptionLabel(const QString& field) const {
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0) return e.description;
    return nullptr;
}

QToolButton* TfoCadastro::pickButton(const QString& field) const {
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0) return e.pick;
    return nullptr;
}

QString TfoCadastro::fieldText(const QString& field) const {
    for (const FieldEditor& e : editors_) {
        if (e.def->name.compare(field, Qt::CaseInsensitive) != 0) continue;
        if (e.combo) return e.combo->currentData().toString();
        return boxValue(e.line, *e.def);
    }
    return {};
}

void TfoCadastro::setFieldText(const QString& field, const QString& text) {
    for (FieldEditor& e : editors_) {
        if (e.def->name.compare(field, Qt::CaseInsensitive) != 0) continue;
        if (e.combo) {
            const int at = e.combo->findData(text.trimmed());
            e.combo->setCurrentIndex(at < 0 ? 0 : at);
        } else {
            e.line->setText(text);
        }
    }
}

void TfoCadastro::loadPanel(const Record& row) {
    for (const FieldEditor& e : editors_) {
        QString text;
        try {
            text = row.text(e.def->name);
        } catch (const DbError&) {
            text.clear();
        }
        setFieldText(e.def->name, text);
    }
}

void TfoCadastro::storePanel(Record& row) const {
    for (const FieldEditor& e : editors_) {
        row.set(e.def->name, fieldText(e.def->name));
    }
}

void TfoCadastro::setKeyBoxesEnabled(bool enabled) {
    for (const FieldEditor& e : editors_) {
        if (!table_.primaryKey.contains(e.def->name, Qt::CaseInsensitive)) continue;
        if (e.line) e.line->setEnabled(enabled);
        if (e.combo) e.combo->setEnabled(enabled);
        if (e.pick) e.pick->setEnabled(enabled);
    }
}

void TfoCadastro::focusFirstEnabled() {
    for (const FieldEditor& e : editors_) {
        QWidget* box = e.line ? static_cast<QWidget*>(e.line) : static_cast<QWidget*>(e.combo);
        if (box && box->isEnabled()) {
            if (pages_) {
                for (int p = 0; p < pages_->count(); ++p)
                    if (pages_->widget(p)->isAncestorOf(box)) {
                        pages_->setCurrentIndex(p);
                        break;
                    }
            }
            box->setFocus();
            return;
        }
    }
}

void TfoCadastro::fillDescriptions() {
    for (const FieldEditor& e : editors_)
        if (e.description && e.def->lookup)
            e.description->setText(registers::LookupDescription(session_.folha(), *e.def->lookup, e.line->text()));
}

void TfoCadastro::clearDescriptions() {
    for (const FieldEditor& e : editors_)
        if (e.description) e.description->clear();
}

void TfoCadastro::pickCode(const QString& field, const std::function<bool(QLineEdit*)>& chosen) {
    const FieldEditor* editor = nullptr;
    for (const FieldEditor& e : editors_)
        if (e.def->name.compare(field, Qt::CaseInsensitive) == 0) editor = &e;
    if (!editor || !editor->def->lookup || !editor->line) return;
    const LookupDef& lookup = *editor->def->lookup;
    try {
        if (chosen) {
            chosen(editor->line);
        } else {
            ui::SelectMultiple(session_, ui_, QStringLiteral("Folha"), lookup.listQuery, {}, {}, lookup.keyField,
                               lookup.descriptionField, registers::CodeColumn, QStringLiteral("'"), editor->line, 1,
                               this);
        }
        // Confirmed or not, the box keeps digits only and its description
        // is looked up again.
        editor->line->setText(registers::PickedCode(editor->line->text()));
        editor->description->setText(registers::LookupDescription(session_.folha(), lookup, editor->line->text()));
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
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

// --- Search ----------------------------------------------------------------

QStringList TfoCadastro::searchLabels() const { return FillFieldLabels(table_); }

QString TfoCadastro::fieldOfLabel(const QString& label) const { return FieldNameByLabel(table_, label); }

void TfoCadastro::search(const QString& field, const QString& text, bool filtering) {
    if (!model_ || field.isEmpty()) return;
    if (filtering) {
        model_->setFilter(field, text);
        if (model_->rowCount() > 0) setCurrentRow(0);
    } else {
        setCurrentRow(model_->findFirst(field, text));
    }
}

void TfoCadastro::chooseSearchLabel(const QString& label) {
    searchField_ = fieldOfLabel(label);
    const int at = searchFields_->findText(label);
    if (at >= 0 && searchFields_->currentIndex() != at) searchFields_->setCurrentIndex(at);
    if (!searchBox_->text().isEmpty()) {
        searchBox_->clear();
        if (filterBox_->isChecked()) search(searchField_, QString(), true);
    }
}

void TfoCadastro::setSearchText(const QString& text) {
    searchBox_->setText(text);
    search(searchField_, text, filterBox_->isChecked());
}

void TfoCadastro::setFiltering(bool filtering) { filterBox_->setChecked(filtering); }

void TfoCadastro::gridHeaderClicked(int section) {
    // A register's columns are its fields in order: the column's label.
    const QStringList labels = searchLabels();
    chooseSearchLabel(model_ && section < labels.size() ? labels[section]
                                                        : gridModel_->headerData(section, Qt::Horizontal).toString());
    searchBox_->setFocus();
}

void TfoCadastro::clearFilters() {
    if (model_) model_->clearFilter();
    searchField_ = def_.searchField;
    const FieldDef* f = table_.field(def_.searchField);
    const int at = f ? searchFields_->findText(f->caption) : -1;
    if (at >= 0) searchFields_->setCurrentIndex(at);
    filterBox_->setChecked(true);
    searchBox_->clear();
}

// --- Grid layout and closing -------------------------------------------------

void TfoCadastro::showGridMenu(const QPoint& at) {
    QMenu menu(this);
    QAction* restore = menu.addAction(QStringLiteral(">> Colunas do Grid - Restaurar Padrão"));
    if (menu.exec(grid_->viewport()->mapToGlobal(at)) == restore) restoreGridColumns();
}

void TfoCadastro::restoreGridColumns() {
    ResetGridLayout(iniDir(), gridName_);
    saveLayoutOnClose_ = false;
    ui_.message(MessageKind::Information, RestoreColumnsText);
    close();
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

void TfoCadastro::keyPressEvent(QKeyEvent* event) {
    if (eventFilter(this, event)) return;
    QWidget::keyPressEvent(event);
}

bool TfoCadastro::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
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

// --- The grid list (F9) ---------------------------------------------------------

QList<TfoCadastro::ListColumnSpec> TfoCadastro::ListColumnsOf(const QTableView* grid) {
    QList<ListColumnSpec> out;
    const QHeaderView* h = grid->horizontalHeader();
    const QAbstractItemModel* model = grid->model();
    // One blank before the first column, so that a spreadsheet titles line
    // can put its "@" there.
    int position = 2;
    for (int visual = 0; visual < h->count(); ++visual) {
        const int section = h->logicalIndex(visual);
        if (h->isSectionHidden(section)) continue;
        out << ListColumnSpec{section, position, model->headerData(section, Qt::Horizontal).toString()};
        position += h->sectionSize(section) / 6;
    }
    return out;
}

bool TfoCadastro::listGrid(bool askLayout, bool askSetup) {
    const UiOwner owner(ui_, this);
    try {
        return runList(askLayout, askSetup);
    } catch (const std::exception& e) {
        const QString text = dynamic_cast<const UserError*>(&e) ? static_cast<const UserError&>(e).message()
                                                                 : QString::fromLocal8Bit(e.what());
        ui_.message(MessageKind::Error, ListErrorText + QStringLiteral("\r\n\r\n") + text);
        return false;
    }
}

bool TfoCadastro::runList(bool askLayout, bool askSetup) {
    const QString file = listLayoutFile();
    if (!QFile::exists(file)) saveLayoutTo(file, grid_);

    // The list's columns: a copy of the grid with the saved layout.
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("TfoLayoutLista"));
    dialog.setWindowTitle(ListDialogCaption);
    auto* v = new QVBoxLayout(&dialog);
    v->addWidget(new QLabel(ListDialogText, &dialog));
    auto* copy = new QTableView(&dialog);
    copy->setObjectName(QStringLiteral("DBGridLista"));
    copy->setModel(gridModel_);
    copy->setToolTip(ListGridHint);
    copy->setEditTriggers(QAbstractItemView::NoEditTriggers);
    copy->horizontalHeader()->setSectionsMovable(true);
    copy->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    copyColumns(grid_, copy);
    loadLayoutFrom(file, copy);
    // The header's menu adds and removes columns.
    connect(copy->horizontalHeader(), &QWidget::customContextMenuRequested, &dialog, [copy](const QPoint& at) {
        QMenu menu(copy);
        for (int c = 0; c < copy->model()->columnCount(); ++c) {
            QAction* a = menu.addAction(copy->model()->headerData(c, Qt::Horizontal).toString());
            a->setCheckable(true);
            a->setChecked(!copy->isColumnHidden(c));
            QObject::connect(a, &QAction::toggled, copy, [copy, c](bool on) { copy->setColumnHidden(c, !on); });
        }
        menu.exec(copy->horizontalHeader()->mapToGlobal(at));
    });
    v->addWidget(copy, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* confirm = new QPushButton(QStringLiteral("Confirmar"), &dialog);
    confirm->setToolTip(QStringLiteral("Clique para salvar o layout do relatório e em seguida imprimir..."));
    auto* cancel = new QPushButton(QStringLiteral("Cancelar"), &dialog);
    cancel->setToolTip(QStringLiteral("Clique para sair sem salvar o layout do relatório e em seguida imprimir..."));
    auto* restore = new QPushButton(QStringLiteral("Restaurar"), &dialog);
    restore->setToolTip(
        QStringLiteral("Clique para sair sem salvar e restaurar o layout original do relatório e em seguida imprimir..."));
    for (QPushButton* b : {confirm, cancel, restore}) buttons->addWidget(b);
    v->addLayout(buttons);
    enum { Confirmed = 1, Cancelled = 2, Restored = 3 };
    connect(confirm, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(Confirmed); });
    connect(cancel, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(Cancelled); });
    connect(restore, &QPushButton::clicked, &dialog, [&dialog] { dialog.done(Restored); });
    dialog.resize(760, 420);
    if (askLayout) {
        const int answer = dialog.exec();
        if (answer == Confirmed) {
            saveLayoutTo(file, copy);
        } else if (answer == Restored) {
            QFile::remove(file);
            copyColumns(grid_, copy);
        } else {
            // The saved layout as it was.
            copyColumns(grid_, copy);
            loadLayoutFrom(file, copy);
        }
    }

    const QList<ListColumnSpec> specs = ListColumnsOf(copy);
    QList<ListColumn> columns;
    for (const ListColumnSpec& s : specs) {
        ListColumn c;
        c.title = s.title;
        c.field = QStringLiteral("C%1").arg(s.section);
        c.column = s.position;
        columns << c;
    }
    DesktopReportRequest request;
    request.info = {def_.listTitle, def_.screen};
    // 100 characters; 160 drawn in landscape.
    request.width = 100;
    request.widthFor = [](const PrintSettings& s) {
        return s.mode == PrintMode::Graphic && !s.portrait() ? 160 : 100;
    };
    QList<ListColumn> titled = columns;
    for (ListColumn& c : titled) c.title = c.title.toUpper();
    const int lastWidth = specs.isEmpty() ? 0 : copy->horizontalHeader()->sectionSize(specs.last().section) / 6;
    request.titlesLine = ColumnTitlesLine(titled, lastWidth);
    if (askSetup) {
        // The list is proposed in text mode with condensed print.
        RunPrintSettings().mode = PrintMode::Text;
        RunPrintSettings().density = DensityCondensed;
    }
    return RunDesktopReport(this, session_, ui_, request, [&](TextReport& report) {
        ListOptions options;
        options.blankLinesAfterTitles = 1;
        options.bottomMargin = 5;
        options.capitalTitles = true;
        ListComposer list(report, def_.listTitle, columns, [](const ListColumn&) { return 0; }, options);
        while (gridModel_->canFetchMore({})) gridModel_->fetchMore({});
        const int rows = gridModel_->rowCount();
        ui_.progressStart(QStringLiteral("Gerando ") + def_.listTitle + QStringLiteral("..."), rows);
        bool stopped = false;
        for (int r = 0; r < rows; ++r) {
            if (ui_.cancelRequested()) {
                stopped = true;
                break;
            }
            if (grid_->isRowHidden(r)) continue; // left out by the search filter
            QVariantMap row;
            for (const ListColumnSpec& s : specs) row.insert(QStringLiteral("C%1").arg(s.section), gridModel_->index(r, s.section).data());
            list.addRow(row);
            ui_.progressStep(r + 1);
        }
        ui_.progressEnd();
        list.finish();
        return !stopped;
    }, askSetup);
}

} // namespace folha
