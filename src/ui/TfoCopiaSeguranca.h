#pragma once
// "Cópia de Segurança": a supervisor writes a copy of the whole
// installation to a file, or puts one back, with the same engine job as
// `folha backup` and `folha restore`. The screen says where the data lives
// (the server and its database, or the installation's folder).

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace folha {

class Session;
class UserInterface;

class TfoCopiaSeguranca : public QDialog {
    Q_OBJECT
public:
    TfoCopiaSeguranca(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    static const QString Caption;

    // "Gravar cópia" and "Restaurar": each checks its file box, runs the
    // job, tells the result and writes the audit entry. True when done.
    bool writeCopy();
    bool restoreCopy();

    QLineEdit* copyFileBox() const { return copyFile_; }
    QLineEdit* restoreFileBox() const { return restoreFile_; }
    QLabel* whereLabel() const { return where_; }

    // The screen for a supervisor; another level is told so and gets none.
    static QWidget* create(Session& session, UserInterface& ui, QWidget* parent);

private:
    // Checks the file box, runs the job (which returns what to tell) and
    // writes the audit entry.
    bool runJob(QLineEdit* box, const std::function<QString(const QString&)>& job, const QString& action,
                const QString& auditText);
    Session& session_;
    UserInterface& ui_;
    QLabel* where_ = nullptr;
    QLineEdit* copyFile_ = nullptr;
    QLineEdit* restoreFile_ = nullptr;
};

} // namespace folha
