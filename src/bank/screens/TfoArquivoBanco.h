#pragma once
// "Zorvan - Arquivo de Pagamento (Banco):" the salary-payment file of the
// branch's sheet for its paying bank (CNAB 240), and the reading of the
// bank's return. "Gerar" runs the same file run as `folha bank-file`,
// "Ler Retorno" the same reading as `folha bank-return`; what they say
// (credits, exclusions, payments made and refused) is shown below.

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace folha {

class Session;
class UserInterface;

class TfoArquivoBanco : public QDialog {
    Q_OBJECT
public:
    TfoArquivoBanco(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    static const QString Caption;
    static const QString ScreenName; // "TfoArquivoBanco", for the audit log

    // "Gerar". Returns whether the file was written.
    bool generate();
    // "Ler Retorno" of the file at `path`. Returns whether it was read.
    bool readReturn(const QString& path);

    QLineEdit* output() const { return output_; }
    QLineEdit* paymentDate() const { return paymentDate_; }
    QPlainTextEdit* report() const { return report_; }

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

private:
    void showBank();
    Session& session_;
    UserInterface& ui_;
    QComboBox* sheet_;
    QLineEdit* competence_;
    QLineEdit* bank_;
    QLabel* bankName_;
    QLineEdit* paymentDate_;
    QLineEdit* from_;
    QLineEdit* to_;
    QComboBox* otherBanks_;
    QLineEdit* output_;
    QPlainTextEdit* report_;
    int nextSequence_ = 1; // the branch's next file number, for the proposed name
    QString fileVersion_, batchVersion_; // the branch's layout versions (page Banco); empty: the profile's
};

} // namespace folha
