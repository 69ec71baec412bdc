#pragma once
// The month's events: the entry screen (one employee's events of a
// competence and sheet type, typed, changed and deleted through the events
// entry) and the query screen (every event row, read-only). Both browse
// the events grid query narrowed by their filter bar.

#include "EventsEntry.h"
#include "TfoCadastro.h"

#include <QPointer>

class QDialog;
class QStandardItemModel;

namespace folha {

class TfoOcorrencias : public TfoCadastro {
    Q_OBJECT
public:
    // The filter bar.
    registers::EventsFilter filter() const;
    void setFilter(const registers::EventsFilter& filter);
    // F5: the grid query again with the filter bar's values.
    void refresh() override;
    // F11: the filter bar as the table filter (the search cleared).
    void applyFilter();
    // F6 also empties the filter bar's boxes (the event code excepted).
    void clearFilters() override;
    // The grid line's key: OCORRANO, OCORRMES, TIPOFOLHA, HCODIGO, CODFUN.
    QVariantList lineKey(int row) const;

protected:
    TfoOcorrencias(Session& session, UserInterface& ui, const registers::RegisterDef& def, bool withEventCode,
                   QWidget* parent);
    void buildFilterBar(bool withEventCode, bool pickButtons);
    QAbstractItemModel* createGridModel() override;
    int columnChars(int column) const override;
    void search(const QString& field, const QString& text, bool filtering) override;
    QStringList searchLabels() const override;
    QString fieldOfLabel(const QString& label) const override { return label; }
    // The column of a grid title; -1 when none.
    int columnOfTitle(const QString& title) const;
    // Makes the line of a key current, reading the grid up to it.
    void moveToLine(const QVariantList& key);

    registers::EventsEntry entry_;
    QStandardItemModel* rows_ = nullptr;
    // The search bar's filter, narrowing the grid query ("Filtrar" ticked).
    QString searchField_;
    QString searchText_;
    QLineEdit* year_ = nullptr;
    QLineEdit* month_ = nullptr;
    QComboBox* sheet_ = nullptr;
    QLineEdit* eventCode_ = nullptr;
    QLineEdit* employee_ = nullptr;
    QPushButton* period_ = nullptr;
};

// "Cadastros" > "Ocorrências".
class TfoCadOcorrenc : public TfoOcorrencias {
    Q_OBJECT
public:
    TfoCadOcorrenc(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    // "Período": the employee chooser; on "Escolher" the filter bar takes
    // its values and the grid is read again. `chooser` replaces the dialog
    // (tests): it returns the filter chosen, or nothing for a cancel.
    void choosePeriod(const std::function<std::optional<registers::EventsFilter>()>& chooser = {});
    // Whether showing the screen opens the chooser (the pictures turn it off).
    bool chooseOnShow = true;

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    Record newRow() override;
    std::optional<Record> rowToEdit() override;
    void post(const Record& row, bool inserting) override;
    void removeCurrent() override;
    void panelShown(bool inserting) override;
    void showEvent(QShowEvent* event) override;

private:
    bool shownOnce_ = false;
};

// "Consultas" > "Consulta de Ocorrências": read-only; a double click or
// Enter on a line shows it on the panel, "Voltar" returns to the grid.
// "Memória de cálculo" (Ctrl+F5, on the grid or the panel) shows how the
// calculation made the current line.
class TfoConsOcorrenc : public TfoOcorrencias {
    Q_OBJECT
public:
    TfoConsOcorrenc(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    // The pick buttons of "Cod. Func." and "Cod. Histo": the selection
    // dialog, the digits of the chosen code left in the box.
    void pickEmployee();
    void pickEventCode();
    void showLine();
    void back(); // "Voltar"

    // "Memória de cálculo": the trail of the current line (its rule and
    // formula with the values) in a read-only dialog; a line without one
    // says NoTrailText.
    void showTrail();
    // The text the dialog shows for the current line.
    QString trailText() const;
    // The dialog last opened (null once closed).
    QDialog* trailDialog() const;
    static const QString NoTrailText;
    static QWidget* createForGrabWithTrail(Session& session, UserInterface& ui, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QDialog> trailDialog_;
};

} // namespace folha
