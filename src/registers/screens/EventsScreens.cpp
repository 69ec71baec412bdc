#include "EventsScreens.h"

#include "CalculationTrail.h"
#include "DbError.h"
#include "EscolheFunc.h"
#include "References.h"
#include "SelecaoMultipla.h"
#include "Session.h"
#include "TextRoutines.h"
#include "TypedBoxes.h"
#include "TypedInput.h"
#include "UserInterface.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace folha {

using registers::EventsEntry;
using registers::EventsFilter;

namespace {

// The columns of the events grid query, with the table that describes each.
struct GridColumn {
    const char* table;
    const char* field;
};
const GridColumn EventColumns[] = {
    {"OCORRENC", "OCORRANO"},   {"OCORRENC", "OCORRMES"},   {"OCORRENC", "TIPOFOLHA"},  {"OCORRENC", "HCODIGO"},
    {"OCORRENC", "CODFUN"},     {"OCORRENC", "REFER"},      {"OCORRENC", "VALOR"},      {"OCORRENC", "CENTCUSTO"},
    {"OCORRENC", "FLAG"},       {"OCORRENC", "DT_INIFERI"}, {"OCORRENC", "DT_FINFERI"}, {"OCORRENC", "DT_IGOZFER"},
    {"OCORRENC", "DT_FGOZFER"}, {"OCORRENC", "DT_IABOFER"}, {"OCORRENC", "DT_FABOFER"}, {"HISTFP", "HNOME"},
    {"CADFUN", "NOME"},         {"centcust", "DESC_CUSTO"},
};
constexpr int KeyColumns = 5;

const FieldDef* columnDef(const GridColumn& c) {
    const TableDef* t = Registry::instance().table(QString::fromLatin1(c.table));
    return t ? t->field(QString::fromLatin1(c.field)) : nullptr;
}

// A grid value as the grid shows it: dates dd/MM/yyyy, amounts "3.100,50".
QString cellText(const QVariant& v, const FieldDef* f) {
    if (v.isNull()) return {};
    if (f && f->type == FieldType::Date) {
        const QDate d = v.toDate();
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : v.toString();
    }
    // Amounts and hours with the decimal comma, as the register grids show them.
    if (f && f->type == FieldType::Number) {
        if (const std::optional<Fixed> amount = Fixed::fromVariant(v); amount && f->money) return MoneyText(*amount);
        return v.toString().replace(QLatin1Char('.'), QLatin1Char(','));
    }
    return v.toString();
}

QList<TfoCadastro::PanelField> entryFields() {
    return {{"OCORRANO", QStringLiteral("Ano")},
            {"OCORRMES", QStringLiteral("Mês")},
            {"TIPOFOLHA", QStringLiteral("Tipo Folha")},
            {"HCODIGO", QStringLiteral("Código \\ Descrição do Histórico")},
            {"CODFUN", QStringLiteral("Código \\ Nome do Funcionário")},
            {"REFER", QStringLiteral("Refer")},
            {"VALOR", QStringLiteral("Valor")},
            {"FLAG", QStringLiteral("Flag")}};
}

} // namespace

// --- Shared by the entry and the query ---------------------------------------

TfoOcorrencias::TfoOcorrencias(Session& session, UserInterface& ui, const registers::RegisterDef& def,
                               bool withEventCode, QWidget* parent)
    : TfoCadastro(session, ui, def, parent, DeferBuild{}), entry_(session, ui) {
    (void)withEventCode;
}

namespace {

// The grid's rows, read a page at a time as the view scrolls: a month of a
// large company is never read whole.
class EventRows : public QStandardItemModel {
public:
    EventRows(int columns, QObject* parent) : QStandardItemModel(0, columns, parent) {}
    std::function<int(int offset)> readPage; // appends up to a page; returns the rows read
    bool atEnd = true;
    static constexpr int PageSize = 200;
    bool canFetchMore(const QModelIndex& parent) const override { return !parent.isValid() && !atEnd && readPage; }
    void fetchMore(const QModelIndex& parent) override {
        if (!canFetchMore(parent)) return;
        atEnd = readPage(rowCount()) < PageSize;
    }
    // Reads every page left (before a search over the grid's lines).
    void fetchAll() {
        while (canFetchMore({})) fetchMore({});
    }
};

} // namespace

QAbstractItemModel* TfoOcorrencias::createGridModel() {
    rows_ = new EventRows(int(std::size(EventColumns)), this);
    for (int c = 0; c < int(std::size(EventColumns)); ++c) {
        const FieldDef* f = columnDef(EventColumns[c]);
        rows_->setHeaderData(c, Qt::Horizontal, f && !f->caption.isEmpty() ? f->caption : QString::fromLatin1(EventColumns[c].field));
    }
    return rows_;
}

int TfoOcorrencias::columnChars(int column) const {
    const FieldDef* f = column < int(std::size(EventColumns)) ? columnDef(EventColumns[column]) : nullptr;
    return f ? f->displayWidth() : 0;
}

void TfoOcorrencias::buildFilterBar(bool withEventCode, bool pickButtons) {
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("*** Filtrar..."), this));
    auto addBox = [&](const QString& caption, const QString& name, int chars) {
        bar->addWidget(new QLabel(caption, this));
        auto* box = new QLineEdit(this);
        box->setObjectName(name);
        box->setMaxLength(chars);
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), box));
        box->setMaximumWidth(box->fontMetrics().averageCharWidth() * (chars + 2) + 12);
        bar->addWidget(box);
        return box;
    };
    year_ = addBox(QStringLiteral("Ano"), QStringLiteral("edAno"), 4);
    month_ = addBox(QStringLiteral("Mês"), QStringLiteral("edMes"), 2);
    bar->addWidget(new QLabel(QStringLiteral("Tipo Folha"), this));
    sheet_ = new QComboBox(this);
    sheet_->setObjectName(QStringLiteral("cbTipoFolha"));
    sheet_->addItem(QString());
    for (const CodeEntry& c : sheetTypeCodes()) sheet_->addItem(c.text, c.value);
    bar->addWidget(sheet_);
    auto addPick = [&](QLineEdit* box, const QString& name, const std::function<void()>& pick) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(QStringLiteral("..."));
        bar->addWidget(button);
        connect(button, &QToolButton::clicked, this, pick);
        (void)box;
    };
    if (withEventCode) {
        eventCode_ = addBox(QStringLiteral("Cod. Histo"), QStringLiteral("edCodHisto"), 3);
        if (pickButtons) addPick(eventCode_, QStringLiteral("btCodHisto"), [this] {
            if (auto* q = qobject_cast<TfoConsOcorrenc*>(this)) q->pickEventCode();
        });
    }
    employee_ = addBox(QStringLiteral("Cod. Func."), QStringLiteral("edCodFunc"), 6);
    ui::CompleteCodeOnLeave(employee_, 6);
    if (eventCode_) ui::CompleteCodeOnLeave(eventCode_, 3);
    if (pickButtons) addPick(employee_, QStringLiteral("btCodFunc"), [this] {
        if (auto* q = qobject_cast<TfoConsOcorrenc*>(this)) q->pickEmployee();
    });
    if (!pickButtons) {
        period_ = new QPushButton(QStringLiteral("Período"), this);
        period_->setObjectName(QStringLiteral("btPeriodo"));
        bar->addWidget(period_);
    }
    bar->addStretch();
    gridPanelLayout()->insertLayout(0, bar);
    for (QWidget* w : {static_cast<QWidget*>(year_), static_cast<QWidget*>(month_), static_cast<QWidget*>(sheet_),
                       static_cast<QWidget*>(eventCode_), static_cast<QWidget*>(employee_), static_cast<QWidget*>(period_)})
        if (w) w->installEventFilter(this);
    for (QToolButton* b : findChildren<QToolButton*>()) b->installEventFilter(this);
}

EventsFilter TfoOcorrencias::filter() const {
    EventsFilter f;
    if (!year_) return f;
    f.year = year_->text().trimmed();
    f.month = month_->text().trimmed();
    f.sheet = sheet_->currentData().toString();
    f.employee = OnlyDigits(employee_->text());
    if (eventCode_) f.eventCode = OnlyDigits(eventCode_->text());
    f.searchField = searchField_;
    f.searchText = searchText_;
    return f;
}

void TfoOcorrencias::setFilter(const EventsFilter& f) {
    year_->setText(f.year);
    month_->setText(f.month);
    const int at = sheet_->findData(f.sheet);
    sheet_->setCurrentIndex(at < 0 ? 0 : at);
    employee_->setText(f.employee);
    if (eventCode_) eventCode_->setText(f.eventCode);
}

void TfoOcorrencias::refresh() {
    if (!rows_) return;
    // The filter bar's codes as the grid reads them: "10" is employee 000010.
    if (employee_) employee_->setText(CompletedCode(OnlyDigits(employee_->text()), 6));
    if (eventCode_) eventCode_->setText(CompletedCode(OnlyDigits(eventCode_->text()), 3));
    auto* rows = static_cast<EventRows*>(rows_);
    rows->removeRows(0, rows->rowCount());
    // Each page is the grid query with its bound values, from an offset.
    const registers::BoundQuery q = registers::EventsGridQuery(filter(), true);
    rows->readPage = [this, rows, q](int offset) {
        int read = 0;
        try {
            QVariantList params = q.params;
            params << EventRows::PageSize << offset;
            QSqlQuery result = session_.folha().exec(q.statement + QStringLiteral(" LIMIT ? OFFSET ?"), params);
            while (result.next()) {
                QList<QStandardItem*> line;
                for (int c = 0; c < int(std::size(EventColumns)); ++c) {
                    const FieldDef* f = columnDef(EventColumns[c]);
                    auto* item = new QStandardItem(cellText(result.value(c), f));
                    item->setEditable(false);
                    if (f && f->type == FieldType::Number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
                    line << item;
                }
                rows->appendRow(line);
                ++read;
            }
        } catch (const UserError& e) {
            ui_.message(MessageKind::Error, e.message());
        }
        return read;
    };
    rows->atEnd = false;
    rows->fetchMore({});
    if (rows_->rowCount() > 0) setCurrentRow(0);
}

void TfoOcorrencias::applyFilter() {
    // The filter is taken before the search is cleared: the bar's values
    // narrow the grid, the search bar starts again.
    const EventsFilter f = filter();
    TfoCadastro::clearFilters();
    setFilter(f);
    refresh();
}

void TfoOcorrencias::clearFilters() {
    TfoCadastro::clearFilters();
    if (rows_) search({}, {}, true);
    if (!year_) return;
    year_->clear();
    month_->clear();
    sheet_->setCurrentIndex(0);
    employee_->clear();
}

QVariantList TfoOcorrencias::lineKey(int row) const {
    QVariantList key;
    if (row < 0 || row >= rows_->rowCount()) return key;
    for (int c = 0; c < KeyColumns; ++c) key << rows_->item(row, c)->text();
    return key;
}

QStringList TfoOcorrencias::searchLabels() const {
    QStringList labels;
    for (int c = 0; c < rows_->columnCount(); ++c) labels << rows_->headerData(c, Qt::Horizontal).toString();
    return labels;
}

int TfoOcorrencias::columnOfTitle(const QString& title) const {
    for (int c = 0; c < rows_->columnCount(); ++c)
        if (rows_->headerData(c, Qt::Horizontal).toString() == title) return c;
    // The default search field by name.
    for (int c = 0; c < int(std::size(EventColumns)); ++c)
        if (title.compare(QString::fromLatin1(EventColumns[c].field), Qt::CaseInsensitive) == 0) return c;
    return -1;
}

void TfoOcorrencias::search(const QString& field, const QString& text, bool filtering) {
    // The search is SQL over the grid query: filtering narrows it, otherwise
    // the first matching line is found and the grid read up to it.
    const int column = columnOfTitle(field);
    const QString name = column < 0 ? QString() : QString::fromLatin1(EventColumns[column].field);
    QString wanted = column < 0 ? QString() : text;
    // A code typed short is the code: "10" finds employee 000010.
    if (const FieldDef* f = column < 0 ? nullptr : columnDef(EventColumns[column])) {
        const TableDef* table = Registry::instance().table(QString::fromLatin1(EventColumns[column].table));
        if (const int width = table ? registers::CompletedCodeWidth(*table, *f) : 0)
            if (!wanted.isEmpty() && OnlyDigits(wanted) == wanted) wanted = CompletedCode(wanted, width);
    }
    if (filtering || !searchText_.isEmpty()) {
        searchField_ = filtering ? name : QString();
        searchText_ = filtering ? wanted : QString();
        refresh();
        if (filtering || wanted.isEmpty()) return;
    }
    if (wanted.isEmpty()) return;
    EventsFilter probe = filter();
    probe.searchField = name;
    probe.searchText = wanted;
    QVariantList firstKey;
    try {
        const registers::BoundQuery q = registers::EventsGridQuery(probe, true);
        QSqlQuery found = session_.folha().exec(q.statement + QStringLiteral(" LIMIT 1"), q.params);
        if (!found.next()) return;
        for (int c = 0; c < KeyColumns; ++c) firstKey << cellText(found.value(c), columnDef(EventColumns[c]));
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
        return;
    }
    moveToLine(firstKey);
}

void TfoOcorrencias::moveToLine(const QVariantList& key) {
    auto* rows = static_cast<EventRows*>(rows_);
    for (int r = 0;; ++r) {
        if (r >= rows->rowCount()) {
            if (!rows->canFetchMore({})) return;
            rows->fetchMore({});
            if (r >= rows->rowCount()) return;
        }
        if (lineKey(r) == key) {
            setCurrentRow(r);
            return;
        }
    }
}

// --- The entry screen -----------------------------------------------------------

TfoCadOcorrenc::TfoCadOcorrenc(Session& session, UserInterface& ui, QWidget* parent)
    : TfoOcorrencias(session, ui, EventsEntry::entryDef(), false, parent) {
    build(entryFields(), EventsEntry::entryDef().screen + QStringLiteral("_Grid"));
    buildFilterBar(false, false);
    actionButton(5)->setEnabled(true);
    connect(addAction(11, QStringLiteral(" F11 - Filtrar"), QStringLiteral("Filtro"), true), &QPushButton::clicked,
            this, &TfoOcorrencias::applyFilter);
    connect(period_, &QPushButton::clicked, this, [this] { choosePeriod(); });
    refresh();
}

void TfoCadOcorrenc::showEvent(QShowEvent* event) {
    TfoOcorrencias::showEvent(event);
    if (shownOnce_) return;
    shownOnce_ = true;
    // The branch's working competence and sheet type, then the chooser.
    try {
        setFilter(entry_.branchPeriod());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    if (chooseOnShow) QTimer::singleShot(0, this, [this] { choosePeriod(); });
    else refresh();
}

void TfoCadOcorrenc::choosePeriod(const std::function<std::optional<EventsFilter>()>& chooser) {
    std::optional<EventsFilter> chosen;
    if (chooser) {
        chosen = chooser();
    } else {
        ui::TfoEscolheFunc dialog(session_, ui_, this);
        if (!employee_->text().isEmpty()) dialog.setEmployeeText(employee_->text());
        const EventsFilter current = filter();
        dialog.setPeriod(current.year, current.month, current.sheet);
        dialog.exec();
        if (dialog.confirmed()) {
            EventsFilter f;
            f.year = dialog.year();
            f.month = dialog.month();
            f.employee = OnlyDigits(dialog.employeeText());
            f.sheet = dialog.sheetText().left(1);
            chosen = f;
        }
    }
    if (!chosen) return;
    setFilter(*chosen);
    refresh();
}

Record TfoCadOcorrenc::newRow() { return entry_.newRow(filter()); }

std::optional<Record> TfoCadOcorrenc::rowToEdit() {
    const int row = currentRow();
    if (row < 0) return std::nullopt;
    std::optional<Record> stored = entry_.find(lineKey(row));
    if (!stored) return std::nullopt;
    hold_.reset();
    if (std::optional<RowLock> held = entry_.beginEdit(*stored)) hold_.emplace(std::move(*held));
    if (!hold_) return std::nullopt;
    return stored;
}

void TfoCadOcorrenc::post(const Record& row, bool inserting) {
    entry_.save(row, inserting, originalKey_);
    // Back on the saved line once the grid is read again.
    refresh();
    moveToLine({row.text("OCORRANO"), row.text("OCORRMES"), row.text("TIPOFOLHA"), row.text("HCODIGO"), row.text("CODFUN")});
}

void TfoCadOcorrenc::removeCurrent() {
    const int row = currentRow();
    if (row < 0) return;
    if (entry_.remove(lineKey(row))) refresh();
}

void TfoCadOcorrenc::panelShown(bool inserting) {
    if (inserting) clearDescriptions();
    else fillDescriptions();
    // The key comes from the filter bar; the event code is typed.
    setKeyBoxesEnabled(false);
    if (QWidget* code = fieldBox(QStringLiteral("HCODIGO"))) {
        code->setEnabled(true);
        code->setFocus();
    }
    // The event is typed or picked from its list.
    if (QToolButton* pick = pickButton(QStringLiteral("HCODIGO"))) pick->setEnabled(true);
}

QWidget* TfoCadOcorrenc::createForGrab(Session& session, UserInterface& ui, QWidget* parent) {
    auto* screen = new TfoCadOcorrenc(session, ui, parent);
    screen->chooseOnShow = false;
    return screen;
}

// --- The query screen -----------------------------------------------------------

TfoConsOcorrenc::TfoConsOcorrenc(Session& session, UserInterface& ui, QWidget* parent)
    : TfoOcorrencias(session, ui, EventsEntry::queryDef(), true, parent) {
    readOnly_ = true;
    build(entryFields(), EventsEntry::queryDef().screen + QStringLiteral("_Grid"));
    buildFilterBar(true, true);
    actionButton(5)->setEnabled(true);
    connect(addAction(11, QStringLiteral(" F11 - Filtrar"), QStringLiteral("Filtro"), true), &QPushButton::clicked,
            this, &TfoOcorrencias::applyFilter);
    saveButton_->hide();
    cancelButton_->setText(QStringLiteral("Voltar"));
    connect(cancelButton_, &QPushButton::clicked, this, &TfoConsOcorrenc::back);
    connect(grid(), &QTableView::doubleClicked, this, &TfoConsOcorrenc::showLine);
    // Kept apart from the register's keys: F5 is "Consultar" here too.
    connect(addAction(13, QStringLiteral(" ^F5 - Mostrar"), QStringLiteral("Memória de cálculo"), true),
            &QPushButton::clicked, this, &TfoConsOcorrenc::showTrail);
    actionButton(13)->setObjectName(QStringLiteral("btMemoria"));
    actionButton(13)->setToolTip(QStringLiteral("Ctrl+F5: como o cálculo chegou à linha selecionada"));
    TfoCadastro::clearFilters();
    refresh();
}

const QString TfoConsOcorrenc::NoTrailText = QStringLiteral("Sem memória de cálculo para esta linha.");

bool TfoConsOcorrenc::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F5 && key->modifiers() == Qt::ControlModifier) {
            showTrail();
            return true;
        }
    }
    return TfoOcorrencias::eventFilter(watched, event);
}

QString TfoConsOcorrenc::trailText() const {
    const QVariantList key = lineKey(currentRow());
    if (key.size() < KeyColumns) return NoTrailText;
    try {
        const law::TrailKey k{key[4].toString(), key[0].toString(), key[1].toString(), key[2].toString()};
        if (const std::optional<law::TrailRow> trail = law::ReadRowTrail(session_.folha(), k, key[3].toString()))
            return law::TrailReading(*trail);
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    return NoTrailText;
}

QDialog* TfoConsOcorrenc::trailDialog() const { return trailDialog_.data(); }

void TfoConsOcorrenc::showTrail() {
    const int row = currentRow();
    if (row < 0) return;
    if (trailDialog_) trailDialog_->close();
    auto cell = [&](const char* field) {
        const int c = columnOfTitle(QString::fromLatin1(field));
        return c < 0 ? QString() : rows_->item(row, c)->text().trimmed();
    };
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("TfoMemoriaCalculo"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QStringLiteral("Memória de cálculo"));
    auto* layout = new QVBoxLayout(dialog);
    auto* heading = new QLabel(QStringLiteral("Evento %1 - %2\nFuncionário %3 - %4\nCompetência %5/%6, folha %7")
                                   .arg(cell("HCODIGO"), cell("HNOME"), cell("CODFUN"), cell("NOME"), cell("OCORRMES"),
                                        cell("OCORRANO"), cell("TIPOFOLHA")),
                               dialog);
    heading->setObjectName(QStringLiteral("lbLinha"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* text = new QPlainTextEdit(trailText(), dialog);
    text->setObjectName(QStringLiteral("edMemoria"));
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(text, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Fechar"));
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->resize(620, 320);
    trailDialog_ = dialog;
    dialog->open();
    buttons->button(QDialogButtonBox::Close)->setFocus();
}

QWidget* TfoConsOcorrenc::createForGrabWithTrail(Session& session, UserInterface& ui, QWidget* parent) {
    // The picture of the trail: the first line the calculation explained.
    auto* screen = new TfoConsOcorrenc(session, ui, parent);
    QTimer::singleShot(0, screen, [screen] {
        for (int r = 0; r < screen->rows_->rowCount() || screen->rows_->canFetchMore({}); ++r) {
            if (r >= screen->rows_->rowCount()) screen->rows_->fetchMore({});
            if (r >= screen->rows_->rowCount()) break;
            screen->setCurrentRow(r);
            if (screen->trailText() != NoTrailText) break;
        }
        screen->showTrail();
    });
    return screen;
}

void TfoConsOcorrenc::pickEmployee() {
    ui::SelectMultiple(session_, ui_, QStringLiteral("Folha"),
                       QStringLiteral(" SELECT CODFUN as Codigo, NOME as Descricao FROM \"CADFUN.DB\" CADFUN "), {}, {},
                       QStringLiteral("CODFUN"), QStringLiteral("NOME"), registers::CodeColumn, QStringLiteral("'"),
                       employee_, 1, this);
    employee_->setText(OnlyDigits(employee_->text()));
}

void TfoConsOcorrenc::pickEventCode() {
    ui::SelectMultiple(session_, ui_, QStringLiteral("Folha"),
                       QStringLiteral(" SELECT HCODIGO as Codigo, HNOME as Descricao FROM \"HISTFP.DB\" HISTFP "), {}, {},
                       QStringLiteral("HCODIGO"), QStringLiteral("HNOME"), registers::CodeColumn, QStringLiteral("'"),
                       eventCode_, 1, this);
    eventCode_->setText(OnlyDigits(eventCode_->text()));
}

void TfoConsOcorrenc::showLine() {
    const int row = currentRow();
    if (row < 0) return;
    for (const PanelField& pf : entryFields()) {
        const int c = columnOfTitle(pf.field);
        if (c >= 0) setFieldText(pf.field, rows_->item(row, c)->text());
        if (QWidget* box = fieldBox(pf.field)) box->setEnabled(false);
    }
    showEditing(false);
    fillDescriptions();
    cancelButton_->setFocus();
}

void TfoConsOcorrenc::back() {
    showBrowsing();
    grid()->setFocus();
}

} // namespace folha
