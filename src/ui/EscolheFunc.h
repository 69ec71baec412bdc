#pragma once
// The employee chooser: competence, sheet type and employee whose events the
// events entry shows. Opens at the branch's working competence and sheet
// type and remembers the last employee picked during the run.

#include "Session.h"
#include "UserInterface.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace folha::ui {

class TfoEscolheFunc : public QDialog {
    Q_OBJECT
public:
    TfoEscolheFunc(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    // Fills the boxes from the branch (as showing the dialog does).
    void prepare();
    // The pick button: the selection dialog on the employees, at most one.
    void pickEmployee();

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

    // Set only by "Escolher".
    bool confirmed() const { return confirmed_; }
    QString year() const;
    QString month() const;
    QString sheetText() const;
    QString employeeText() const;
    void setEmployeeText(const QString& text);
    // Opens on this period instead of the branch's (a caller's filter
    // bar); empty values keep the branch's.
    void setPeriod(const QString& year, const QString& month, const QString& sheetLetter);

    static const QString Caption;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int r) override;

private:
    Session& session_;
    UserInterface& ui_;
    bool confirmed_ = false;
    QString wantedYear_, wantedMonth_, wantedSheet_;
    QLineEdit* year_;
    QLineEdit* month_;
    QComboBox* sheet_;
    QLineEdit* employee_;
    QToolButton* pick_;
    QPushButton* choose_;
    QPushButton* cancel_;
};

} // namespace folha::ui
