#include "TfoCadastro.h"

#include "DesktopReport.h"
#include "LayoutStore.h"
#include "Listings.h"
#include "PrintSettings.h"
#include "Session.h"
#include "UserInterface.h"

#include <QAbstractItemView>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>

namespace folha {

namespace {

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
} // namespace

QString TfoCadastro::listLayoutFile() const {
    const QString folder = session_.installation().programFile(QStringLiteral("RelCfg"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(def_.screen + QStringLiteral(".cfg"));
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
