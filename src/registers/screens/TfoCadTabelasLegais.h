#pragma once
// "Cadastros" > "Tabelas Legais": every row of the installation's legal
// tables (INSS, IRRF and its deductions, family allowance, minimum wage,
// FGTS), by kind and first competence, with the act each comes from. A
// supervisor edits the rows in the grid, inserts and deletes lines, copies
// a table as the start of a new validity, and imports a CSV file; "Gravar"
// hands the whole set to the engine, which checks, stores, logs and applies
// it. Other levels only read.

#include "LegalTables.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace folha {

class Session;
class UserInterface;

class TfoCadTabelasLegais : public QWidget {
    Q_OBJECT
public:
    TfoCadTabelasLegais(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static const QString ScreenName;

    // The grid's columns.
    enum Column { Kind, Start, End, Bracket, Limit, Rate, Deduct, Value, Source, Columns };

    // Whether the signed-in user may change the rows.
    bool editable() const { return editable_; }
    // Whether the grid differs from what was read or last saved.
    bool changed() const { return changed_; }
    QTableView* grid() const { return grid_; }
    QStandardItemModel* model() const { return model_; }
    QPushButton* button(const QString& name) const;

    // The actions (F2, F3, F4, F8, "Cancelar", "Importar CSV").
    void insertLine();
    void copyTable();
    void deleteLine();
    bool save();
    void reload();
    bool importCsv(const QString& path);
    void chooseCsv();

    // The rows of the grid as typed; throws LegalTablesError naming each
    // bad line by its number in the grid.
    std::vector<law::LegalRow> gridRows() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void fill(const law::LegalTables& tables);
    void appendRow(const QStringList& cells, int at = -1);
    void describeCurrent();
    void refused(const QString& what, const QStringList& faults);
    QPushButton* addButton(const QString& name, const QString& caption, bool enabled);

    Session& session_;
    UserInterface& ui_;
    bool editable_ = false;
    bool changed_ = false;
    bool loading_ = false; // the grid being filled: no change of the person's
    QTableView* grid_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QLabel* description_ = nullptr;
    QList<QPushButton*> buttons_;
};

} // namespace folha
