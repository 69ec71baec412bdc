#pragma once
// The multiple-selection dialog: the user searches a list, moves rows into
// the selection and confirms; the chosen values come back as one text, each
// in the caller's quote character, joined by commas, and are written into the
// caller's box.

#include "SelectionQuery.h"
#include "Session.h"
#include "UserInterface.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;
class QSqlQueryModel;
class QStandardItemModel;
class QTableView;
class QToolButton;
class QPushButton;

namespace folha::ui {

class TFoSelecaoMultipla : public QDialog {
    Q_OBJECT
public:
    // `box` holds the current selection and receives the result; it may be
    // null. `iniDir` keeps the window placement (empty: none).
    TFoSelecaoMultipla(Database& db, std::unique_ptr<registers::SelectionList> list, const QString& resultColumn,
                       const QString& quote, QLineEdit* box, int maximum, UserInterface& ui,
                       const QString& iniDir = {}, QWidget* parent = nullptr);
    ~TFoSelecaoMultipla() override;

    // Lists every row and selects the rows of the box's codes (the dialog
    // is then ready to be shown).
    void prepare();

    // The dialog on company 1's employees of a signed-in session, up to ten
    // rows, two of them selected.
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

    const registers::Selection& selection() const { return selection_; }
    // The text of the last confirmation.
    QString result() const { return result_; }
    bool confirmed() const { return confirmed_; }

    void search();
    void addCurrent();
    void removeCurrent();
    void clearSelection();
    void insertAll();
    void confirm();

    static const QString Caption;
    static const QString Footer;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int r) override;

private:
    void listDoubleClicked();
    void runSearch();
    void orderByColumn(int section);
    void appendRow(const QString& code, const QString& description, bool moveOn);
    void showSelection();
    bool integerColumn(const QString& column) const;
    int listRowCount();

    Database& db_;
    std::unique_ptr<registers::SelectionList> list_;
    QString resultColumn_;
    QString quote_;
    QLineEdit* box_;
    UserInterface& ui_;
    QString iniDir_;
    registers::Selection selection_;
    QString ordering_;
    bool listClicked_ = false;
    bool confirmed_ = false;
    QString result_;

    QComboBox* searchIn_;
    QLineEdit* value_;
    QComboBox* logical_;
    QPushButton* locate_;
    QTableView* listView_;
    QSqlQueryModel* listModel_;
    QTableView* selectionView_;
    QStandardItemModel* selectionModel_;
};

// Opens the dialog over the caller's query on the database of `databaseName`
// (an alias of the session) and waits for the user. Returns the chosen text
// when confirmed; otherwise the box's text (empty without a box), untouched.
QString SelectMultiple(Session& session, UserInterface& ui, const QString& databaseName, const QString& baseQuery,
                       const QString& condition, const QString& ordering, const QString& codeField,
                       const QString& descriptionField, const QString& resultColumn, const QString& quote,
                       QLineEdit* box, int maximum, QWidget* parent = nullptr, bool* confirmed = nullptr);

} // namespace folha::ui
