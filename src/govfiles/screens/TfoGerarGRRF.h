#pragma once
// "Zorvan - Gerar GRRF:": the inputs of the GRRF file of the month's
// terminations, the companies of the installation with a tick column, and
// "Gerar", which runs the same file run as `folha grrf`.

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace folha {

class Session;
class UserInterface;
class GovCompanyGrid;
class ResponsibleField;

class TfoGerarGRRF : public QDialog {
    Q_OBJECT
public:
    TfoGerarGRRF(Session& session, UserInterface& ui, QWidget* parent = nullptr);

    static const QString Caption;
    static const QString ScreenName; // "TfoGerarGRRF", for the audit log

    // "Gerar". Returns whether the file was written.
    bool generate();

    GovCompanyGrid* companies() const { return companies_; }
    ResponsibleField* responsible() const { return responsible_; }

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

protected:
    void done(int result) override;

private:
    Session& session_;
    UserInterface& ui_;
    QLineEdit* collectionDate_;
    QLineEdit* noticeDate_;
    QLineEdit* pisFrom_;
    QLineEdit* pisTo_;
    ResponsibleField* responsible_;
    QLineEdit* withdrawal_;
    QCheckBox* previousMonth_;
    QCheckBox* several_;
    GovCompanyGrid* companies_;
};

} // namespace folha
