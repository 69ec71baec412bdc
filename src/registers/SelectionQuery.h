#pragma once
// The queries behind the multiple-selection dialog: the list a caller
// supplies (its first two columns named Codigo and Descricao), searched by
// code or by description, and the selection the user builds from it. Every
// typed value reaches the database as a bound parameter.

#include "Database.h"

#include <QList>
#include <QString>
#include <QVariantList>
#include <memory>

namespace folha::registers {

// "Lógico" of the search: "Contendo" or "Iniciando".
enum class SearchMode { Contains, StartsWith };
QString SearchModeText(SearchMode mode);
// "Iniciando" reads as StartsWith; anything else as Contains (the default).
SearchMode SearchModeFromText(const QString& text);

// "Pesquisar Em": the list column searched.
inline const QString CodeColumn = QStringLiteral("Codigo");
inline const QString DescriptionColumn = QStringLiteral("Descricao");

// The typed text as the literal part of a LIKE pattern: its wildcards ("%",
// "_") and the escape character itself preceded by `escape`, so they match
// as typed (the statement says "ESCAPE" with the same character).
QString LikeLiteral(const QString& typed, QChar escape = QLatin1Char('\\'));

// A statement with its bound values.
struct BoundQuery {
    QString statement;
    QVariantList params;
};

// What the user asks the list for.
struct SearchRequest {
    QString column;            // CodeColumn or DescriptionColumn; empty lists everything
    QString value;             // typed value; empty lists everything
    SearchMode mode = SearchMode::Contains;
    bool integerField = false; // the searched table field is an integer field
    QString ordering;          // "Order by FIELD" after a click on a column title; empty keeps the caller's
};

// A list the dialog shows and searches.
class SelectionList {
public:
    virtual ~SelectionList() = default;
    // The list's statement for a search.
    virtual BoundQuery query(const SearchRequest& request) const = 0;
    // The row (Codigo, Descricao) of the list whose Codigo equals `code`.
    virtual BoundQuery lookup(const QString& code) const = 0;
    // The table field behind a list column (for the column-title ordering).
    virtual QString fieldOf(const QString& column) const = 0;
};

// The list of a caller's query: base query, condition (a complete WHERE
// clause or empty), ordering (or empty), the table fields behind Codigo and
// Descricao.
struct SelectionSource {
    QString baseQuery;
    QString condition;
    QString ordering;
    QString codeField;
    QString descriptionField;
};

class QuerySelectionList : public SelectionList {
public:
    explicit QuerySelectionList(SelectionSource source) : source_(std::move(source)) {}
    // Base query, condition, then when a column and a value are given the
    // search clause on that column's field: for a text field
    // UPPER(field) like (?) with the value in capitals followed by % (and
    // preceded by % for "Contendo"); for an integer field field = ? with the
    // value unchanged. Joined by " and " after a condition, by " Where "
    // without one. Then the ordering.
    BoundQuery query(const SearchRequest& request) const override;
    BoundQuery lookup(const QString& code) const override;
    QString fieldOf(const QString& column) const override;
    const SelectionSource& source() const { return source_; }

private:
    SelectionSource source_;
};

// The selection box: rows (Codigo, Descricao) in the order they were added,
// up to a maximum.
class Selection {
public:
    struct Row {
        QString code;
        QString description;
    };
    enum class AddResult { Added, AlreadySelected, AtMaximum };

    explicit Selection(int maximum = 1) : maximum_(maximum) {}
    int maximum() const { return maximum_; }
    AddResult add(const QString& code, const QString& description);
    bool atMaximum() const { return rows_.size() >= maximum_; }
    bool contains(const QString& code) const;
    void removeAt(int row);
    // Empties the selection and sets the cleared mark.
    void clear();
    bool cleared() const { return cleared_; }
    const QList<Row>& rows() const { return rows_; }
    int size() const { return int(rows_.size()); }
    bool isEmpty() const { return rows_.isEmpty(); }
    // Each row's value of the result column (CodeColumn or
    // DescriptionColumn) between quote characters, joined by commas.
    QString resultText(const QString& resultColumn, const QString& quote) const;

private:
    int maximum_;
    QList<Row> rows_;
    bool cleared_ = false;
};

// The codes held by a caller's box: every quote character removed, split at
// the commas, blanks around each code dropped, empty parts skipped.
QStringList CodesOfBoxText(const QString& text, const QString& quote);

// The program-wide selected-codes text: the last confirmed selection, read
// by the register screens' F7.
QString SelectedCodesText();
void SetSelectedCodesText(const QString& text);

// Messages of the dialog.
inline const QString MaximumReachedText =
    QStringLiteral("O numero máximo de registros possiveis de selecionar já foi ultrapassado!");
inline const QString NothingToInsertText =
    QStringLiteral("Selecione um ou mais registros, ou faça alguma pesquisa para selecionar os registros!");

} // namespace folha::registers
