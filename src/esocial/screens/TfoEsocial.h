#pragma once
// "eSocial": the company's events by competence and status, generated for
// a competence (signed with the office's certificate), each one's XML and
// schema errors, and the export of the signed events with their batches;
// the sending to the eSocial with each batch's and event's result, a
// rejected event sent again, the government's totals imported and
// reconciled with the payroll.

#include "EventRegister.h"
#include "Reconciliation.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace folha {

class Session;
class UserInterface;

class TfoEsocial : public QDialog {
    Q_OBJECT
public:
    TfoEsocial(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    static const QString Caption;
    static const QString ScreenName;

    // The events of the filter, in the grid.
    void refresh();
    // "Gerar": the competence's events; `password` of the certificate when
    // one is chosen (the button asks it). Returns whether anything was kept.
    bool generate(const QByteArray& password);
    // "Exportar": the signed events of the filter and their batches in `dir`.
    bool exportTo(const QString& dir);
    // "Certificado": the A1 file and its password, checked and kept in the settings.
    bool chooseCertificate(const QString& file, const QByteArray& password);

    // "Enviar": the competence's signed events to the eSocial with the
    // certificate's `password`; `server` ("https://host:port") replaces the
    // settings' server (the tests' stand-in). Shows the batches after.
    bool send(const QByteArray& password, const QString& server = {});
    // "Lotes": asks the batches still in processing (`password` needed only
    // then) and shows every batch of the competence with its events' results.
    bool showBatches(const QByteArray& password, const QString& server = {});
    // "Reenviar": the selected rejected event back to be sent as it is.
    bool resendSelected();
    // "Importar totais": the totals files (S-5001…S-5013) of a folder.
    bool importTotals(const QString& dir);
    // "Conferir totais": the government's totals against the payroll, shown
    // in the lower pane; with `print`, the report goes to the print set-up.
    esocial::ReconciliationResult reconcile(bool print);

    QLineEdit* competence() const { return competence_; }
    QComboBox* status() const { return status_; }
    QTableWidget* grid() const { return grid_; }
    QPlainTextEdit* detail() const { return detail_; }
    QLabel* certificateLabel() const { return certificate_; }
    const std::vector<esocial::StoredEvent>& shown() const { return shown_; }

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

private:
    void showDetail();
    void showSettings();
    QByteArray askPassword();
    bool batchesWaiting();

    Session& session_;
    UserInterface& ui_;
    QLineEdit* competence_;
    QComboBox* status_;
    QComboBox* type_;
    QCheckBox* allVersions_;
    QLabel* certificate_;
    QTableWidget* grid_;
    QPlainTextEdit* detail_;
    std::vector<esocial::StoredEvent> shown_;
};

} // namespace folha
