#pragma once
// "Importar Dados (Paradox)": a supervisor picks the folder of an office's
// old Paradox tables, whether they are the company's data or the
// installation's (users, companies, branch parameters), a dry run or a
// replace, and runs the same import as `folha import-paradox`. The rows
// refused and the closing summary go to the log box; the progress has a
// cancel button.

#include "ImportParadox.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace folha {

class Session;
class UserInterface;

class TfoImportaParadox : public QDialog {
    Q_OBJECT
public:
    TfoImportaParadox(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    static const QString Caption;

    // "Importar": checks the folder, runs the import and shows the summary.
    // Returns whether the import ran.
    bool runImport();
    // The options as the boxes hold them.
    legacy::ImportOptions options() const;

    QLineEdit* folderBox() const { return folder_; }
    QRadioButton* companyButton() const { return company_; }
    QRadioButton* installationButton() const { return installation_; }
    QCheckBox* dryRunBox() const { return dryRun_; }
    QCheckBox* replaceBox() const { return replace_; }
    QPlainTextEdit* logBox() const { return log_; }
    QPushButton* importButton() const { return import_; }
    // The last import's result.
    const legacy::ImportResult& result() const { return result_; }

    // The screen for a supervisor; another level is told so and gets none.
    static QWidget* create(Session& session, UserInterface& ui, QWidget* parent);

private:
    void chooseFolder();
    Session& session_;
    UserInterface& ui_;
    QLineEdit* folder_ = nullptr;
    QRadioButton* company_ = nullptr;
    QRadioButton* installation_ = nullptr;
    QCheckBox* dryRun_ = nullptr;
    QCheckBox* replace_ = nullptr;
    QPlainTextEdit* log_ = nullptr;
    QPushButton* import_ = nullptr;
    legacy::ImportResult result_;
};

} // namespace folha
