#include "TfoCadTabelasLegais.h"

#include "DbError.h"
#include "LayoutStore.h"
#include "LegalTablesEdit.h"
#include "Session.h"
#include "TypedInput.h"
#include "UserInterface.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace folha {

using law::LegalRow;
using law::LegalTables;
using law::LegalTablesError;

const QString TfoCadTabelasLegais::ScreenName = QStringLiteral("TfoCadTabelasLegais");

namespace {

const char* const Titles[] = {"Tipo", "Início", "Fim", "Faixa", "Limite", "Alíquota %", "Deduzir", "Valor", "Fonte"};

int kindOrder(const QString& kind) {
    const auto& kinds = law::LegalKinds();
    for (size_t i = 0; i < kinds.size(); ++i)
        if (kind == QLatin1String(kinds[i].code)) return int(i);
    return int(kinds.size());
}

QString kindCaption(const QString& kind) {
    for (const auto& k : law::LegalKinds())
        if (kind == QLatin1String(k.code)) return QString::fromUtf8(k.caption);
    return {};
}

// The rows as the grid shows them: by kind in the order of the kinds, then
// first competence and bracket; the cells as the CSV writes them.
QList<QStringList> gridLines(const LegalTables& tables) {
    std::vector<LegalRow> rows = tables.rows();
    std::stable_sort(rows.begin(), rows.end(), [](const LegalRow& a, const LegalRow& b) {
        return std::tuple(kindOrder(a.kind), a.start, a.bracket) < std::tuple(kindOrder(b.kind), b.start, b.bracket);
    });
    QList<QStringList> lines;
    for (const LegalRow& r : rows) {
        QStringList f = law::LegalCsvCells(r);
        // Amounts as the other grids show them ("2.089,60"); the rates as typed.
        const std::pair<int, Fixed> amounts[] = {{TfoCadTabelasLegais::Limit, r.limit},
                                                 {TfoCadTabelasLegais::Deduct, r.deduct},
                                                 {TfoCadTabelasLegais::Value, r.value}};
        for (const auto& [column, amount] : amounts)
            if (!f.value(column).isEmpty()) f[column] = MoneyText(amount);
        lines << f;
    }
    return lines;
}

} // namespace

TfoCadTabelasLegais::TfoCadTabelasLegais(Session& session, UserInterface& ui, QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), ui_(ui), editable_(law::MayChangeLegalTables(session)) {
    setObjectName(ScreenName);
    setWindowTitle(session_.signIn.WindowCaptionPrefix.isEmpty() ? QStringLiteral("Tabelas Legais")
                                                                  : session_.signIn.WindowCaptionPrefix);
    resize(1000, 600);
    RestoreWindowPlacement(session_.values.IniDir.isEmpty() ? session_.installation().programFile(QStringLiteral("ini"))
                                                            : session_.values.IniDir,
                           ScreenName, this);

    auto* outer = new QVBoxLayout(this);
    auto* header = new QLabel(QStringLiteral("                  Cadastro e Consulta de Tabelas Legais:"), this);
    header->setObjectName(QStringLiteral("lbCabecalho"));
    QFont hf = header->font();
    hf.setBold(true);
    hf.setPointSizeF(hf.pointSizeF() * 1.3);
    header->setFont(hf);
    outer->addWidget(header);
    auto* note = new QLabel(editable_ ? QStringLiteral("Altere as células, insira ou copie linhas e grave: as tabelas são "
                                                       "conferidas por inteiro antes de gravar. Competências em MM/AAAA, "
                                                       "valores com vírgula; a fonte é o ato, número e data.")
                                      : QStringLiteral("Somente usuários de nível SUP alteram as tabelas legais; aqui elas "
                                                       "podem ser consultadas."),
                            this);
    note->setObjectName(QStringLiteral("lbNota"));
    note->setWordWrap(true);
    outer->addWidget(note);

    auto* body = new QHBoxLayout;
    outer->addLayout(body, 1);
    model_ = new QStandardItemModel(0, Columns, this);
    for (int c = 0; c < Columns; ++c) model_->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(Titles[c]));
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("grdTabelas"));
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setEditTriggers(editable_ ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::AnyKeyPressed
                                     : QAbstractItemView::NoEditTriggers);
    body->addWidget(grid_, 1);

    auto* side = new QVBoxLayout;
    body->addLayout(side);
    connect(addButton(QStringLiteral("btInserir"), QStringLiteral(" F2 - Inserir linha"), editable_), &QPushButton::clicked,
            this, &TfoCadTabelasLegais::insertLine);
    connect(addButton(QStringLiteral("btCopiar"), QStringLiteral(" F3 - Nova vigência"), editable_), &QPushButton::clicked,
            this, &TfoCadTabelasLegais::copyTable);
    connect(addButton(QStringLiteral("btExcluir"), QStringLiteral(" F4 - Excluir linha"), editable_), &QPushButton::clicked,
            this, &TfoCadTabelasLegais::deleteLine);
    connect(addButton(QStringLiteral("btGravar"), QStringLiteral(" F8 - Gravar"), editable_), &QPushButton::clicked, this,
            &TfoCadTabelasLegais::save);
    connect(addButton(QStringLiteral("btCancelar"), QStringLiteral(" Cancelar"), editable_), &QPushButton::clicked, this,
            &TfoCadTabelasLegais::reload);
    connect(addButton(QStringLiteral("btImportar"), QStringLiteral(" Importar CSV..."), editable_),
            &QPushButton::clicked, this, &TfoCadTabelasLegais::chooseCsv);
    side->addStretch();
    connect(addButton(QStringLiteral("btSair"), QStringLiteral(" F12 - Sair"), true), &QPushButton::clicked, this,
            &QWidget::close);
    for (QPushButton* b : buttons_) side->insertWidget(b->objectName() == QLatin1String("btSair") ? side->count() : side->count() - 1, b);

    description_ = new QLabel(this);
    description_->setObjectName(QStringLiteral("lbDescricao"));
    description_->setWordWrap(true);
    description_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    outer->addWidget(description_);

    connect(model_, &QStandardItemModel::itemChanged, this, [this] {
        if (!loading_) changed_ = true;
    });
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { describeCurrent(); });
    reload();
}

QPushButton* TfoCadTabelasLegais::addButton(const QString& name, const QString& caption, bool enabled) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setEnabled(enabled);
    b->setFocusPolicy(Qt::NoFocus);
    b->setStyleSheet(QStringLiteral("text-align: left; padding: 3px 6px;"));
    b->setMinimumWidth(150);
    buttons_ << b;
    return b;
}

QPushButton* TfoCadTabelasLegais::button(const QString& name) const {
    for (QPushButton* b : buttons_)
        if (b->objectName() == name) return b;
    return nullptr;
}

void TfoCadTabelasLegais::appendRow(const QStringList& cells, int at) {
    QList<QStandardItem*> items;
    for (int c = 0; c < Columns; ++c) {
        auto* item = new QStandardItem(c < cells.size() ? cells[c] : QString());
        item->setEditable(editable_);
        if (c >= Bracket && c <= Value) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        items << item;
    }
    if (at < 0) model_->appendRow(items);
    else model_->insertRow(at, items);
}

void TfoCadTabelasLegais::fill(const LegalTables& tables) {
    loading_ = true;
    model_->removeRows(0, model_->rowCount());
    QString group;
    bool shaded = false;
    for (const QStringList& cells : gridLines(tables)) {
        // Every other table on a shaded ground, so that the groups stand apart.
        if (cells.value(Kind) + cells.value(Start) != group) {
            group = cells.value(Kind) + cells.value(Start);
            shaded = !shaded;
        }
        appendRow(cells);
        model_->item(model_->rowCount() - 1, Source)->setToolTip(cells.value(Source));
        if (shaded)
            for (int c = 0; c < Columns; ++c)
                model_->item(model_->rowCount() - 1, c)->setBackground(palette().alternateBase());
    }
    loading_ = false;
    grid_->resizeColumnsToContents();
    if (model_->rowCount() > 0) grid_->setCurrentIndex(model_->index(0, 0));
    changed_ = false;
    describeCurrent();
}

void TfoCadTabelasLegais::describeCurrent() {
    const int row = grid_->currentIndex().row();
    if (row < 0) {
        description_->clear();
        return;
    }
    auto cell = [&](int c) { return model_->item(row, c) ? model_->item(row, c)->text().trimmed() : QString(); };
    const QString kind = cell(Kind).toUpper();
    const QString end = cell(End).isEmpty() ? QStringLiteral("em vigor") : QStringLiteral("até ") + cell(End);
    description_->setText(QStringLiteral("%1 - %2, de %3 (%4). Fonte: %5")
                              .arg(kind, kindCaption(kind).isEmpty() ? QStringLiteral("tipo desconhecido") : kindCaption(kind),
                                   cell(Start), end, cell(Source)));
}

void TfoCadTabelasLegais::reload() {
    try {
        fill(law::LoadLegalTables(session_.zorvan()));
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
}

std::vector<LegalRow> TfoCadTabelasLegais::gridRows() const {
    // The grid reads as the CSV does: the same competences and amounts, and
    // each refusal names its line, which is the grid's line.
    QStringList text;
    for (int r = 0; r < model_->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < Columns; ++c) {
            QString t = model_->item(r, c)->text();
            t.replace(QLatin1Char('\n'), QLatin1Char(' '));
            cells << t;
        }
        // A line left blank still counts, so that the numbers stay the grid's.
        text << (cells.join(QString()).trimmed().isEmpty() ? QString() : cells.join(QLatin1Char(';')));
    }
    return law::ReadLegalCsv(text.join(QLatin1Char('\n')));
}

void TfoCadTabelasLegais::insertLine() {
    if (!editable_) return;
    // A new bracket of the current table: its kind, validity and source.
    const int row = grid_->currentIndex().row();
    QStringList cells;
    if (row >= 0) {
        for (int c = 0; c < Columns; ++c) cells << model_->item(row, c)->text();
        cells[Bracket] = QString::number(cells[Bracket].toInt() + 1);
        for (int c : {Limit, Rate, Deduct, Value}) cells[c].clear();
    }
    const int at = row < 0 ? model_->rowCount() : row + 1;
    appendRow(cells, at);
    changed_ = true;
    grid_->setCurrentIndex(model_->index(at, row < 0 ? Kind : Limit));
    grid_->setFocus();
}

void TfoCadTabelasLegais::copyTable() {
    if (!editable_) return;
    // The current table copied as the start of a new validity: the person
    // types its first competence, the new values and the act.
    const int row = grid_->currentIndex().row();
    if (row < 0) return;
    const QString kind = model_->item(row, Kind)->text(), start = model_->item(row, Start)->text();
    int last = row;
    QList<QStringList> copies;
    for (int r = 0; r < model_->rowCount(); ++r) {
        if (model_->item(r, Kind)->text() != kind || model_->item(r, Start)->text() != start) continue;
        QStringList cells;
        for (int c = 0; c < Columns; ++c) cells << model_->item(r, c)->text();
        cells[Start].clear();
        cells[End].clear();
        cells[Source].clear();
        copies << cells;
        last = r;
    }
    for (int i = 0; i < copies.size(); ++i) appendRow(copies[i], last + 1 + i);
    changed_ = true;
    grid_->setCurrentIndex(model_->index(last + 1, Start));
    grid_->setFocus();
}

void TfoCadTabelasLegais::deleteLine() {
    if (!editable_) return;
    const int row = grid_->currentIndex().row();
    if (row < 0) return;
    if (!ui_.question(QStringLiteral("Excluir a linha %1 (%2 de %3, faixa %4)?")
                          .arg(row + 1)
                          .arg(model_->item(row, Kind)->text(), model_->item(row, Start)->text(),
                               model_->item(row, Bracket)->text()),
                      QuestionKind::YesNoDefaultNo))
        return;
    model_->removeRow(row);
    changed_ = true;
    describeCurrent();
}

void TfoCadTabelasLegais::refused(const QString& what, const QStringList& faults) {
    ui_.message(MessageKind::Error, what + QStringLiteral("\n\n") + faults.join(QLatin1Char('\n')));
}

bool TfoCadTabelasLegais::save() {
    if (!editable_) return false;
    const UiOwner owner(ui_, this);
    try {
        const law::LegalTablesChange change = law::SaveLegalTables(session_, ui_, gridRows(), ScreenName);
        if (change.empty()) ui_.message(MessageKind::Information, QStringLiteral("Nenhuma tabela foi alterada."));
        else
            ui_.message(MessageKind::Information,
                        QStringLiteral("Tabelas legais gravadas; os próximos cálculos já as aplicam.\n%1")
                            .arg(change.auditText().section(QLatin1Char('|'), 1).replace(QLatin1String(" |"), QLatin1String("\n"))));
        fill(change.tables);
        return true;
    } catch (const LegalTablesError& e) {
        refused(QStringLiteral("As tabelas legais não foram gravadas:"), e.faults());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    return false;
}

bool TfoCadTabelasLegais::importCsv(const QString& path) {
    if (!editable_) return false;
    const UiOwner owner(ui_, this);
    if (changed_ && !ui_.question(QStringLiteral("As alterações não gravadas da tela serão descartadas. Importar o arquivo?"),
                                  QuestionKind::YesNoDefaultNo))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui_.message(MessageKind::Error, QStringLiteral("Não foi possível abrir o arquivo %1.").arg(path));
        return false;
    }
    try {
        const law::LegalTablesChange change =
            law::ImportLegalTables(session_, ui_, QString::fromUtf8(file.readAll()), ScreenName);
        fill(change.tables);
        ui_.message(MessageKind::Information, change.empty() ? QStringLiteral("O arquivo não altera nenhuma tabela.")
                                                             : QStringLiteral("Tabelas legais importadas de %1.").arg(path));
        return true;
    } catch (const LegalTablesError& e) {
        refused(QStringLiteral("O arquivo %1 não foi importado:").arg(path), e.faults());
    } catch (const UserError& e) {
        ui_.message(MessageKind::Error, e.message());
    }
    return false;
}

void TfoCadTabelasLegais::chooseCsv() {
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Importar tabelas legais"), QString(),
                                                      QStringLiteral("Tabelas legais (*.csv);;Todos os arquivos (*)"));
    if (!path.isEmpty()) importCsv(path);
}

void TfoCadTabelasLegais::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier) {
        const QString names[] = {{}, {}, QStringLiteral("btInserir"), QStringLiteral("btCopiar"), QStringLiteral("btExcluir"),
                                 {}, {}, {}, QStringLiteral("btGravar"), {}, {}, {}, QStringLiteral("btSair")};
        const int k = event->key();
        if (k >= Qt::Key_F1 && k <= Qt::Key_F12) {
            if (QPushButton* b = button(names[k - Qt::Key_F1 + 1]); b && b->isEnabled()) b->click();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void TfoCadTabelasLegais::closeEvent(QCloseEvent* event) {
    if (changed_ && !ui_.question(QStringLiteral("As alterações das tabelas legais não foram gravadas. Sair sem gravar?"),
                                  QuestionKind::YesNoDefaultNo)) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace folha
