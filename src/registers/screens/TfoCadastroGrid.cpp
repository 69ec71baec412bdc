#include "TfoCadastro.h"

#include "LayoutStore.h"
#include "References.h"
#include "RegisterModel.h"
#include "TextRoutines.h"
#include "UserInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace folha {

// The grid panel: search bar over the grid.
void TfoCadastro::buildGridPanel() {
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
        chars = std::max(chars, columnChars(c));
        const int titleWidth = grid_->horizontalHeader()->fontMetrics().horizontalAdvance(title) + 24;
        grid_->horizontalHeader()->resizeSection(c, std::max(charWidth * std::min(chars + 2, 60) + 8, titleWidth));
    }
    gridLayout_->addWidget(grid_, 1);
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfoCadastro::gridHeaderClicked);
    connect(grid_, &QWidget::customContextMenuRequested, this, &TfoCadastro::showGridMenu);
}

int TfoCadastro::columnChars(int column) const {
    return model_ && column < int(table_.fields.size()) ? table_.fields[size_t(column)].displayWidth() : 0;
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

// --- Search ----------------------------------------------------------------

QStringList TfoCadastro::searchLabels() const { return FillFieldLabels(table_); }

QString TfoCadastro::fieldOfLabel(const QString& label) const { return FieldNameByLabel(table_, label); }

void TfoCadastro::search(const QString& field, const QString& typed, bool filtering) {
    if (!model_ || field.isEmpty()) return;
    // A code typed short is the code: "10" finds 000010.
    QString text = typed;
    if (const FieldDef* f = table_.field(field))
        if (const int width = registers::CompletedCodeWidth(table_, *f); width && !text.isEmpty() && OnlyDigits(text) == text)
            text = CompletedCode(text, width);
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

} // namespace folha
