#pragma once
// The SQL console of the maintenance tools: a supervisor types one
// statement, picks table and field names from the database's own catalogue,
// and browses a query's rows in a read-only grid. Without "UPDATE" the
// statement runs read-only; with it, it changes data in one transaction and
// leaves an audit entry.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStandardItemModel;
class QTableView;

namespace folha {

class Session;
class UserInterface;

class TFSCRIPT : public QDialog {
    Q_OBJECT
public:
    TFSCRIPT(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    static const QString Caption;
    static const QString InitialScript;
    // The rows a query shows at most.
    static constexpr int MaxGridRows = 10000;

    // "   EXECUTAR": runs the script, shows a query's rows in the grid and
    // then "Script executado"; an error is shown and the screen stays.
    // Returns whether the script ran.
    bool execute();
    // ">>": the chosen field, with a blank on each side, at the cursor.
    void insertField();
    // Fills "Tabela" with the database's tables (on showing) and "Campo"
    // with the chosen table's fields.
    void fillTables();
    void fillFields();

    // Grid navigation; the current row (-1 with no rows).
    void first();
    void previous();
    void next();
    void last();
    int currentRow() const;

    QPlainTextEdit* scriptBox() const { return script_; }
    QComboBox* tableBox() const { return tables_; }
    QListWidget* fieldList() const { return fields_; }
    QCheckBox* updateBox() const { return update_; }
    QPushButton* executeButton() const { return execute_; }
    QTableView* grid() const { return grid_; }
    QStandardItemModel* gridModel() const { return model_; }
    QString statusText() const;

    // The screen for a supervisor; another level is told so and gets none.
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void moveTo(int row);
    Session& session_;
    UserInterface& ui_;
    QPlainTextEdit* script_ = nullptr;
    QComboBox* tables_ = nullptr;
    QListWidget* fields_ = nullptr;
    QCheckBox* update_ = nullptr;
    QPushButton* execute_ = nullptr;
    QTableView* grid_ = nullptr;
    QStandardItemModel* model_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace folha
