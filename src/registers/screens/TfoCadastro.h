#pragma once
// The register screen shared by the registers of the "Cadastros" menu: a
// browsing grid with search and filter, an editing panel built from the
// registry's fields, the side panel of F-key actions, the grid list (F9)
// and the rules for closing. The particulars of each register (table,
// title, search field, audit texts, list title) come from its RegisterDef;
// saving, deleting and the audit log are the register service's.

#include "RegisterDefs.h"
#include "Registry.h"
#include "TableRoutines.h"

#include <QMap>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class QVBoxLayout;

namespace folha {

class Session;
class UserInterface;

namespace registers {
class RegisterModel;
class RegisterService;
} // namespace registers

class TfoCadastro : public QWidget {
    Q_OBJECT
public:
    TfoCadastro(Session& session, UserInterface& ui, const registers::RegisterDef& def, QWidget* parent = nullptr);
    ~TfoCadastro() override;

    const registers::RegisterDef& registerDef() const { return def_; }
    const TableDef& tableDef() const { return table_; }

    // The F-key actions.
    void insertRow();      // F2
    void editRow();        // F3
    bool saveRow();        // "Gravar": false when the post was refused (the panel stays)
    void cancelRow();      // "Cancelar"
    // Escape on the panel: cancels, asking DiscardText (default "Não") when
    // a box was changed since the panel was shown.
    void escapeRow();
    // Whether a box of the panel differs from what it showed.
    bool panelChanged() const;
    void deleteRow();      // F4
    virtual void refresh(); // F5 where the screen has it
    virtual void clearFilters(); // F6
    void selectRow();      // F7: the program-wide selected code
    // F9: the layout dialog (unless `askLayout` is false: the saved layout is
    // used), the print set-up (unless `askSetup` is false) and the list.
    bool listGrid(bool askLayout = true, bool askSetup = true);
    // The grid pop-up menu's ">> Colunas do Grid - Restaurar Padrão".
    void restoreGridColumns();

    // The search bar.
    void chooseSearchLabel(const QString& label);
    void setSearchText(const QString& text);
    void setFiltering(bool filtering);
    QString searchField() const { return searchField_; }

    // State as the status labels and the tests read it.
    QString mode() const { return mode_; }
    bool mayClose() const { return mayClose_; }
    bool editing() const;
    QString statusText() const;
    QString headerText() const;
    QTableView* grid() const { return grid_; }
    QAbstractItemModel* gridModel() const;
    int currentRow() const;
    void setCurrentRow(int row);
    QPushButton* actionButton(int fKey) const { return actions_.value(fKey); }
    QTabWidget* pages() const { return pages_; }
    // The box of a field in the editing panel (the line edit, the combo box
    // or, for a code with a pick button, the read-only code box).
    QWidget* fieldBox(const QString& field) const;
    QLabel* descriptionLabel(const QString& field) const;
    QToolButton* pickButton(const QString& field) const;
    QString fieldText(const QString& field) const;
    void setFieldText(const QString& field, const QString& text);
    // The pick button of a code field: the selection dialog on its list, at
    // most one row; the box keeps the code's digits and its description is
    // looked up. `chosen` replaces the dialog (tests): it gets the box and
    // returns false for a cancelled dialog.
    void pickCode(const QString& field, const std::function<bool(QLineEdit*)>& chosen = {});

    // The list file of F9: the program folder's "RelCfg" + screen + ".cfg".
    QString listLayoutFile() const;
    // The text of a list built from the visible grid columns as F9 composes
    // it (used by F9 itself): column positions from the pixel widths / 6.
    struct ListColumnSpec {
        int section;
        int position;
        QString title;
    };
    static QList<ListColumnSpec> ListColumnsOf(const QTableView* grid);

    // A box of the editing panel: its field and caption.
    struct PanelField {
        QString field;
        QString caption; // empty: the registry's
    };

    static const QString CloseRefusedText;
    static const QString DiscardText;
    static const QString RestoreColumnsText;

    // Adds every register of the "Cadastros" menu to the screen catalog.
    static void registerScreens(
        const std::function<void(const QString&, std::function<QWidget*(Session&, UserInterface&, QWidget*)>)>& add);

protected:
    // What the events screens change: where the grid comes from, which row
    // is inserted, edited, posted, deleted.
    struct DeferBuild {};
    // For subclasses: the screen is built by their call to build().
    TfoCadastro(Session& session, UserInterface& ui, const registers::RegisterDef& def, QWidget* parent, DeferBuild);
    // Builds the screen; subclasses call it from their constructors after
    // their own set-up (the grid model must exist).
    void build(const QList<PanelField>& panelFields, const QString& gridName);
    virtual QAbstractItemModel* createGridModel();
    // The characters a grid column's values take (its field's width); 0: by
    // its title.
    virtual int columnChars(int column) const;
    virtual Record newRow();
    virtual std::optional<Record> rowToEdit();
    virtual void post(const Record& row, bool inserting);
    virtual void removeCurrent();
    virtual void search(const QString& field, const QString& text, bool filtering);
    virtual QStringList searchLabels() const;
    virtual QString fieldOfLabel(const QString& label) const;
    // After the panel is shown for an insert or an edit.
    virtual void panelShown(bool inserting);
    // The side panel's extra buttons of a screen (F5, F11) and its filter bar.
    QPushButton* addAction(int fKey, const QString& caption, const QString& group, bool enabled);
    QVBoxLayout* gridPanelLayout() const { return gridLayout_; }
    QWidget* editPanel() const { return editPanel_; }
    void showBrowsing();
    void showEditing(bool inserting);
    void loadPanel(const Record& row);
    void storePanel(Record& row) const;
    void setKeyBoxesEnabled(bool enabled);
    QStringList panelTexts() const;
    void focusFirstEnabled();
    void fillDescriptions();
    void clearDescriptions();
    QString iniDir() const;

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    Session& session_;
    UserInterface& ui_;
    const registers::RegisterDef& def_;
    const TableDef& table_;
    std::unique_ptr<registers::RegisterService> service_;
    registers::RegisterModel* model_ = nullptr; // null on screens over a query
    std::optional<Record> editing_;
    std::optional<RowLock> hold_;
    QVariantList originalKey_;
    QString mode_;
    bool mayClose_ = true;
    bool saveLayoutOnClose_ = true;
    bool readOnly_ = false;
    QString gridName_;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;

private:
    struct FieldEditor {
        const FieldDef* def = nullptr;
        QLineEdit* line = nullptr;
        QComboBox* combo = nullptr;
        QToolButton* pick = nullptr;
        QLabel* description = nullptr;
    };
    void buildSidePanel();
    void buildGridPanel();
    QWidget* buildEditor(const PanelField& pf, QWidget* parent);
    void buildEditPanel(const QList<PanelField>& fields);
    void updateStatus();
    void gridHeaderClicked(int section);
    void showGridMenu(const QPoint& at);
    bool runList(bool askLayout, bool askSetup);

    QAbstractItemModel* gridModel_ = nullptr;
    QLabel* header_ = nullptr;
    QLabel* status_ = nullptr;
    QWidget* sidePanel_ = nullptr;
    QWidget* gridPanel_ = nullptr;
    QVBoxLayout* gridLayout_ = nullptr;
    QVBoxLayout* sideLayout_ = nullptr;
    QMap<QString, QGroupBox*> groups_;
    QWidget* editPanel_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QComboBox* searchFields_ = nullptr;
    QLineEdit* searchBox_ = nullptr;
    QCheckBox* filterBox_ = nullptr;
    QTableView* grid_ = nullptr;
    QMap<int, QPushButton*> actions_;
    QList<FieldEditor> editors_;
    QStringList shownTexts_; // the panel's boxes as shown for the insert or edit
    QString searchField_;
};

} // namespace folha
