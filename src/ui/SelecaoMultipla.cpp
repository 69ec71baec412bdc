#include "SelecaoMultipla.h"

#include "LayoutStore.h"

#include <QColor>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlField>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolButton>
#include <QValidator>
#include <QVBoxLayout>

namespace folha::ui {

using namespace folha::registers;

const QString TFoSelecaoMultipla::Caption = QStringLiteral("Filtro de Seleção Multipla :");
const QString TFoSelecaoMultipla::Footer = QStringLiteral(
    "Pressione F3 para fechar tela de seleção com o resultado atual ou ESC para sair sem alterar a seleção atual");

namespace {

// Typed text in capitals.
class UpperValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input = input.toUpper();
        return Acceptable;
    }
};

QToolButton* toolButton(const QString& text, const QString& hint, const QString& name) {
    auto* b = new QToolButton;
    b->setText(text);
    b->setToolTip(hint);
    b->setObjectName(name);
    b->setMinimumSize(40, 30);
    return b;
}

} // namespace

TFoSelecaoMultipla::TFoSelecaoMultipla(Database& db, std::unique_ptr<SelectionList> list, const QString& resultColumn,
                                       const QString& quote, QLineEdit* box, int maximum, UserInterface& ui,
                                       const QString& iniDir, QWidget* parent)
    : QDialog(parent), db_(db), list_(std::move(list)), resultColumn_(resultColumn), quote_(quote), box_(box),
      ui_(ui), iniDir_(iniDir), selection_(maximum) {
    setObjectName(QStringLiteral("TFoSelecaoMultipla"));
    setWindowTitle(Caption);
    resize(760, 520);

    auto* filter = new QGroupBox(QStringLiteral("Opções de Filtro"));
    searchIn_ = new QComboBox;
    searchIn_->setObjectName(QStringLiteral("PesquisarEm"));
    searchIn_->addItems({CodeColumn, DescriptionColumn});
    value_ = new QLineEdit;
    value_->setObjectName(QStringLiteral("Valor"));
    value_->setValidator(new UpperValidator(value_));
    logical_ = new QComboBox;
    logical_->setObjectName(QStringLiteral("Logico"));
    logical_->addItems({SearchModeText(SearchMode::StartsWith), SearchModeText(SearchMode::Contains)});
    logical_->setCurrentText(SearchModeText(SearchMode::Contains));
    locate_ = new QPushButton(QStringLiteral("  Localizar"));
    locate_->setObjectName(QStringLiteral("Localizar"));
    locate_->setAutoDefault(false);
    auto* fl = new QHBoxLayout(filter);
    fl->addWidget(new QLabel(QStringLiteral("Pesquisar Em")));
    fl->addWidget(searchIn_);
    fl->addWidget(new QLabel(QStringLiteral("Valor")));
    fl->addWidget(value_, 1);
    fl->addWidget(new QLabel(QStringLiteral("Lógico")));
    fl->addWidget(logical_);
    fl->addWidget(locate_);

    listModel_ = new QSqlQueryModel(this);
    listView_ = new QTableView;
    listView_->setObjectName(QStringLiteral("Lista"));
    listView_->setModel(listModel_);
    listView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    listView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    listView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    listView_->verticalHeader()->hide();
    listView_->horizontalHeader()->setStretchLastSection(true);
    listView_->horizontalHeader()->setSectionsClickable(true);

    auto* add = toolButton(QStringLiteral(">"), QStringLiteral("Adiciona Item P/ Filtro"), QStringLiteral("Adiciona"));
    auto* remove = toolButton(QStringLiteral("<"), QStringLiteral("Remove Item do Filtro"), QStringLiteral("Remove"));
    auto* clear = toolButton(QStringLiteral("<<"), QStringLiteral("Limpa Itens Selecionados"), QStringLiteral("Limpa"));
    auto* ok = toolButton(QStringLiteral("F3"), QStringLiteral("F3 - Confirma Seleção"), QStringLiteral("Confirma"));
    auto* cancel = toolButton(QStringLiteral("Esc"), QStringLiteral("Cancela Seleção"), QStringLiteral("Cancela"));
    auto* all = toolButton(QStringLiteral(">>"), QStringLiteral("Inserir Todos os Itens do Filtro"), QStringLiteral("InserirTodos"));
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QToolButton* b : {add, all, remove, clear, ok, cancel}) buttons->addWidget(b);
    buttons->addStretch();

    auto* chosen = new QGroupBox(QStringLiteral("Seleção"));
    selectionModel_ = new QStandardItemModel(0, 2, this);
    selectionModel_->setHorizontalHeaderLabels({CodeColumn, DescriptionColumn});
    selectionView_ = new QTableView;
    selectionView_->setObjectName(QStringLiteral("Selecao"));
    selectionView_->setModel(selectionModel_);
    selectionView_->setSelectionBehavior(QAbstractItemView::SelectRows);
    selectionView_->setSelectionMode(QAbstractItemView::SingleSelection);
    selectionView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    selectionView_->verticalHeader()->hide();
    selectionView_->horizontalHeader()->setStretchLastSection(true);
    (new QVBoxLayout(chosen))->addWidget(selectionView_);

    auto* middle = new QHBoxLayout;
    middle->addWidget(listView_, 1);
    middle->addLayout(buttons);
    middle->addWidget(chosen, 1);

    auto* footer = new QLabel(Footer);
    footer->setWordWrap(true);
    auto* main = new QVBoxLayout(this);
    main->addWidget(filter);
    main->addLayout(middle, 1);
    main->addWidget(footer);

    connect(locate_, &QPushButton::clicked, this, &TFoSelecaoMultipla::search);
    connect(value_, &QLineEdit::returnPressed, this, &TFoSelecaoMultipla::search);
    connect(add, &QToolButton::clicked, this, &TFoSelecaoMultipla::addCurrent);
    connect(remove, &QToolButton::clicked, this, &TFoSelecaoMultipla::removeCurrent);
    connect(clear, &QToolButton::clicked, this, &TFoSelecaoMultipla::clearSelection);
    connect(ok, &QToolButton::clicked, this, &TFoSelecaoMultipla::confirm);
    connect(cancel, &QToolButton::clicked, this, &TFoSelecaoMultipla::reject);
    connect(all, &QToolButton::clicked, this, &TFoSelecaoMultipla::insertAll);
    connect(listView_, &QTableView::clicked, this, [this] { listClicked_ = true; });
    connect(listView_, &QTableView::doubleClicked, this, &TFoSelecaoMultipla::listDoubleClicked);
    connect(selectionView_, &QTableView::doubleClicked, this, &TFoSelecaoMultipla::removeCurrent);
    connect(listView_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TFoSelecaoMultipla::orderByColumn);

    RestoreWindowPlacement(iniDir_, QStringLiteral("TFoSelecaoMultipla"), this);
}

TFoSelecaoMultipla::~TFoSelecaoMultipla() = default;

void TFoSelecaoMultipla::prepare() {
    if (searchIn_->findText(DescriptionColumn) >= 0) searchIn_->setCurrentText(DescriptionColumn);
    search();
    if (!box_) return;
    try {
        for (const QString& code : CodesOfBoxText(box_->text(), quote_)) {
            const BoundQuery q = list_->lookup(code);
            QSqlQuery row = db_.exec(q.statement, q.params);
            if (row.next()) appendRow(row.value(0).toString(), row.value(1).toString(), false);
        }
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

bool TFoSelecaoMultipla::integerColumn(const QString& column) const {
    const QSqlRecord record = listModel_->record();
    const int i = record.indexOf(column);
    if (i < 0) return false;
    switch (record.field(i).metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return true;
    default:
        return false;
    }
}

void TFoSelecaoMultipla::search() {
    // A failing list (a caller's query the database refuses) is told, not
    // thrown through the event loop.
    try {
        runSearch();
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

void TFoSelecaoMultipla::runSearch() {
    SearchRequest request;
    request.column = searchIn_->currentText();
    request.value = value_->text();
    request.mode = SearchModeFromText(logical_->currentText());
    request.integerField = integerColumn(request.column);
    request.ordering = ordering_;
    const BoundQuery q = list_->query(request);
    QSqlQuery query(db_.connection());
    if (!query.prepare(db_.translate(q.statement))) throw DbError(DatabaseErrorText(query.lastError()));
    for (const QVariant& v : q.params) query.addBindValue(v);
    if (!query.exec()) throw DbError(DatabaseErrorText(query.lastError()));
    listModel_->setQuery(std::move(query));
    if (listModel_->rowCount() > 0)
        listView_->selectionModel()->setCurrentIndex(listModel_->index(0, 0), QItemSelectionModel::NoUpdate);
}

void TFoSelecaoMultipla::orderByColumn(int section) {
    const QString column = listModel_->headerData(section, Qt::Horizontal).toString();
    const QString field = list_->fieldOf(column);
    if (field.isEmpty()) return;
    ordering_ = QStringLiteral("Order by ") + field;
    for (int i = 0; i < listModel_->columnCount(); ++i)
        listModel_->setHeaderData(i, Qt::Horizontal, QVariant(), Qt::ForegroundRole);
    search();
    listModel_->setHeaderData(section, Qt::Horizontal, QColor(Qt::gray), Qt::ForegroundRole);
}

void TFoSelecaoMultipla::appendRow(const QString& code, const QString& description, bool moveOn) {
    switch (selection_.add(code, description)) {
    case Selection::AddResult::AtMaximum:
        ui_.message(MessageKind::Warning, MaximumReachedText);
        return;
    case Selection::AddResult::AlreadySelected:
        break;
    case Selection::AddResult::Added:
        showSelection();
        break;
    }
    if (moveOn) {
        const QModelIndex next = listModel_->index(listView_->currentIndex().row() + 1, 0);
        if (next.isValid()) listView_->selectionModel()->setCurrentIndex(next, QItemSelectionModel::NoUpdate);
    }
}

void TFoSelecaoMultipla::showSelection() {
    selectionModel_->removeRows(0, selectionModel_->rowCount());
    for (const Selection::Row& r : selection_.rows())
        selectionModel_->appendRow({new QStandardItem(r.code), new QStandardItem(r.description)});
}

void TFoSelecaoMultipla::addCurrent() {
    const int row = listView_->currentIndex().row();
    if (selection_.atMaximum()) {
        ui_.message(MessageKind::Warning, MaximumReachedText);
        return;
    }
    if (row < 0) return;
    appendRow(listModel_->index(row, 0).data().toString(), listModel_->index(row, 1).data().toString(), true);
}

void TFoSelecaoMultipla::listDoubleClicked() {
    listClicked_ = true;
    if (selection_.atMaximum()) {
        ui_.message(MessageKind::Warning, MaximumReachedText);
        return;
    }
    addCurrent();
    if (selection_.maximum() == 1) confirm();
}

void TFoSelecaoMultipla::removeCurrent() {
    const int row = selectionView_->currentIndex().row();
    if (row < 0) return;
    selection_.removeAt(row);
    showSelection();
}

void TFoSelecaoMultipla::clearSelection() {
    selection_.clear();
    showSelection();
}

int TFoSelecaoMultipla::listRowCount() {
    while (listModel_->canFetchMore()) listModel_->fetchMore();
    return listModel_->rowCount();
}

void TFoSelecaoMultipla::insertAll() {
    const QModelIndexList marked = listView_->selectionModel()->selectedRows();
    if (!marked.isEmpty()) {
        QList<int> rows;
        for (const QModelIndex& i : marked) rows << i.row();
        std::sort(rows.begin(), rows.end());
        for (int row : rows) {
            if (selection_.atMaximum()) {
                ui_.message(MessageKind::Warning, MaximumReachedText);
                break;
            }
            appendRow(listModel_->index(row, 0).data().toString(), listModel_->index(row, 1).data().toString(), false);
        }
        return;
    }
    if (!value_->text().isEmpty()) {
        const int count = listRowCount();
        for (int row = 0; row < count; ++row) {
            if (selection_.atMaximum()) {
                ui_.message(MessageKind::Warning, MaximumReachedText);
                break;
            }
            appendRow(listModel_->index(row, 0).data().toString(), listModel_->index(row, 1).data().toString(), false);
        }
        return;
    }
    ui_.message(MessageKind::Error, NothingToInsertText);
}

void TFoSelecaoMultipla::confirm() {
    if (selection_.isEmpty() && !selection_.cleared() && listClicked_) addCurrent();
    result_ = selection_.resultText(resultColumn_, quote_);
    SetSelectedCodesText(result_);
    if (box_) box_->setText(result_);
    confirmed_ = true;
    accept();
}

void TFoSelecaoMultipla::keyPressEvent(QKeyEvent* event) {
    // The keys the list, the boxes and the buttons leave unused come here.
    if (event->key() == Qt::Key_F3) {
        confirm();
        event->accept();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() != value_) {
        if (!selection_.isEmpty()) confirm();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFoSelecaoMultipla::done(int r) {
    SaveWindowPlacement(iniDir_, QStringLiteral("TFoSelecaoMultipla"), this);
    QDialog::done(r);
}

QWidget* TFoSelecaoMultipla::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    SelectionSource source{QStringLiteral(" SELECT CODFUN as Codigo, NOME as Descricao FROM \"CADFUN.DB\" CADFUN "),
                           {}, {}, QStringLiteral("CODFUN"), QStringLiteral("NOME")};
    auto* box = new QLineEdit(parent);
    box->hide();
    box->setText(QStringLiteral("'000001','000003'"));
    auto* d = new TFoSelecaoMultipla(session.folha(), std::make_unique<QuerySelectionList>(source),
                                     CodeColumn, QStringLiteral("'"), box, 10, ui, {}, parent);
    box->setParent(d);
    d->prepare();
    return d;
}

QString SelectMultiple(Session& session, UserInterface& ui, const QString& databaseName, const QString& baseQuery,
                       const QString& condition, const QString& ordering, const QString& codeField,
                       const QString& descriptionField, const QString& resultColumn, const QString& quote,
                       QLineEdit* box, int maximum, QWidget* parent, bool* confirmed) {
    SelectionSource source{baseQuery, condition, ordering, codeField, descriptionField};
    TFoSelecaoMultipla dialog(session.alias(databaseName), std::make_unique<QuerySelectionList>(source), resultColumn,
                              quote, box, maximum, ui, session.values.IniDir, parent);
    dialog.prepare();
    dialog.exec();
    if (confirmed) *confirmed = dialog.confirmed();
    if (dialog.confirmed()) return dialog.result();
    return box ? box->text() : QString();
}

} // namespace folha::ui
