#pragma once
// The group "Empresas" of the government-file screens: the installation's
// companies the signed-in user may reach, with a tick column; the company
// open in the program starts ticked. The ticked codes are the companies of
// the run. Only while "Proc.Varias Empresas" is ticked may other companies be
// ticked; otherwise the run takes the company open.

#include "GovCompanies.h"

#include <QDate>
#include <QGroupBox>
#include <QList>
#include <functional>

class QCheckBox;
class QDialog;
class QVBoxLayout;
class QLineEdit;
class QStandardItemModel;
class QTableView;
class QToolButton;

namespace folha {

class Session;
class UserInterface;

class GovCompanyGrid : public QGroupBox {
    Q_OBJECT
public:
    GovCompanyGrid(Session& session, QCheckBox* severalCompanies, QWidget* parent = nullptr);

    QTableView* view() const { return view_; }
    int rowCount() const;
    int codeAt(int row) const;
    QString nameAt(int row) const;
    bool isTicked(int row) const;
    void setTicked(int code, bool ticked);
    // The companies of the run, in the list's order.
    QList<int> tickedCodes() const;
    // The ticked companies opened for the run, as `folha` opens them; a
    // company the user may not reach is refused (UserError).
    gov::TickedCompanies open() const;

private:
    void updateEnabled();
    Session& session_;
    QCheckBox* several_;
    QStandardItemModel* model_;
    QTableView* view_;
};

// The foot of a government-file screen: "Proc.Varias Empresas", the
// companies' grid and the buttons "Gerar" (which calls `generate`) and
// "Fechar", added to the screen's layout.
struct GovScreenFoot {
    QCheckBox* severalCompanies;
    GovCompanyGrid* companies;
};
GovScreenFoot AddGovScreenFoot(Session& session, QDialog* screen, QVBoxLayout* layout,
                               const std::function<void()>& generate);

// The code of the responsible party (RESPONSA) with its lookup button
// ("...", or F2 in the box), which opens the selection dialog over the
// registered parties. The box starts on the party this screen used last in
// the company open, or on the only one registered; `remember` keeps the
// code typed for the company.
class ResponsibleField : public QWidget {
    Q_OBJECT
public:
    ResponsibleField(Session& session, UserInterface& ui, const QString& screen, const QString& name, QWidget* parent);
    QLineEdit* box() const { return box_; }
    QToolButton* button() const { return button_; }
    void pick();
    void remember() const;
    static const QString LookupQuery; // " SELECT COD_RES as Codigo, NOME as Descricao FROM RESPONSA "

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& session_;
    UserInterface& ui_;
    QString screen_;
    QLineEdit* box_;
    QToolButton* button_;
};

// The closing message of a written file: "Arquivo gerado com sucesso:", its
// path and its record count.
void AnnounceGovFile(UserInterface& ui, const gov::GovFileResult& result);

// A date box of the government-file screens ("99/99/9999").
QLineEdit* GovDateBox(const QString& name, QWidget* parent);
// Its date; an invalid one for a box left empty. Refuses (UserError naming
// `caption`) a date that is not one.
QDate GovDateOf(const QLineEdit* box, const QString& caption);

} // namespace folha
