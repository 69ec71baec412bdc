#pragma once
// "Zorvan - Emissão do Envelope:": the pay statements of the branch's
// current payroll. The employee range with its lookups (remembered), the
// print order, the three messages, the annex of the calculation trail;
// "Gerar" fills the statements and shows
// them in a print preview, from which they are printed; "Enviar por e-mail"
// sends each employee of the range his own statement, protected by password.

#include "PayStatements.h"

#include <optional>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace folha {

class Session;
class UserInterface;

namespace ui {
class EmployeeRange;
}

class TfoRelEnvelope : public QWidget {
    Q_OBJECT
public:
    TfoRelEnvelope(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);
    static const QString ScreenName;

    // "Gerar": fills the statements and shows the preview; with a file name
    // the statements go into that PDF instead of the preview. Returns false
    // when a typed value was refused or the statements could not be made.
    bool BotaoGerarClick(const QString& pdfPath = {});
    // "Enviar por e-mail": says how many statements would go, asks, and
    // sends them with progress and cancel; the failures are shown at the end.
    // Returns false when nothing was sent.
    bool BotaoEmailClick();
    QPushButton* emailButton() const { return email_; }
    // What the last "Gerar" filled.
    const std::optional<PayStatementSummary>& lastRun() const { return lastRun_; }
    // Pages the last preview or PDF drew.
    int lastPages() const { return lastPages_; }

    ui::EmployeeRange* range() const { return range_; }
    QComboBox* orderBox() const { return order_; }
    QLineEdit* messageField(int n) const { return messages_[n - 1]; }
    QPushButton* generateButton() const { return generate_; }
    // "Imprimir memória de cálculo": each employee's calculation trail after his statements.
    QCheckBox* trailBox() const { return trail_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showPreview(StatementOrder order, const std::optional<StatementTrailAnnex>& annex);
    Session& session_;
    UserInterface& ui_;
    ui::EmployeeRange* range_;
    QComboBox* order_;
    QLineEdit* messages_[3];
    QCheckBox* trail_;
    QPushButton* generate_;
    QPushButton* email_;
    QPushButton* close_;
    std::optional<PayStatementSummary> lastRun_;
    int lastPages_ = 0;
};

} // namespace folha
