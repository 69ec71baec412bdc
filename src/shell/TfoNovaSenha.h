#pragma once
// The first password of a user who has none (as old user tables bring):
// typed twice, never blank. Enter in the first box moves to the second;
// Enter in the second records it when both agree.

#include "UserInterface.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace folha {

class TfoNovaSenha : public QDialog {
    Q_OBJECT
public:
    TfoNovaSenha(const QString& userName, UserInterface& ui, QWidget* parent = nullptr);

    QString password() const;
    QLineEdit* firstBox() const { return first_; }
    QLineEdit* secondBox() const { return second_; }

    // The record button: both boxes agree and are not blank, else the
    // person is told and the boxes are cleared.
    void recordClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    UserInterface& ui_;
    QLineEdit* first_;
    QLineEdit* second_;
    QPushButton* record_;
};

} // namespace folha
