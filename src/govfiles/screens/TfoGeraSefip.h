#pragma once
// "Zorvan - Geração da SEFIP:": the inputs of the month's SEFIP file, the
// companies of the installation with a tick column, and "Gerar", which runs
// the same file run as `folha sefip`, asking each company's additional
// values when the run reaches it, and closes the screen once the file is
// written.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace folha {

class Session;
class UserInterface;
class GovCompanyGrid;
class ResponsibleField;
namespace ui {
class EmployeeRange;
}

class TfoGeraSefip : public QDialog {
    Q_OBJECT
public:
    TfoGeraSefip(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    static const QString Caption;
    static const QString ScreenName; // "TfoGeraSefip", settings file and audit log

    // "Gerar". Returns whether the file was written.
    bool generate();

    GovCompanyGrid* companies() const { return companies_; }
    ResponsibleField* responsible() const { return responsible_; }
    ui::EmployeeRange* employees() const { return employees_; }

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    void done(int result) override;

private:
    QLineEdit* edit(const QString& name, const QString& text, int width);
    Session& session_;
    UserInterface& ui_;
    QLineEdit* competence_;
    QComboBox* sheet_;
    ui::EmployeeRange* employees_;
    QLineEdit* pisFrom_;
    QLineEdit* pisTo_;
    QCheckBox* individual_;
    QCheckBox* oldCbo_;
    QLineEdit* collection_;
    QLineEdit* modality_;
    QLineEdit* remittance_;
    QLineEdit* fgtsIndicator_;
    QLineEdit* fgtsDate_;
    QLineEdit* inssIndicator_;
    QLineEdit* inssDate_;
    ResponsibleField* responsible_;
    QCheckBox* several_;
    GovCompanyGrid* companies_;
};

} // namespace folha
