#pragma once
// The main window: the sign-in cycle, who is signed in, and the menu bar
// that opens every other screen.

#include <QMainWindow>
#include <functional>

class QLabel;
class QAction;

namespace folha {

class Session;
class UserInterface;
class TfoLogin;
struct MenuEntry;

class TfoMenuFolha : public QMainWindow {
    Q_OBJECT
public:
    TfoMenuFolha(Session& session, UserInterface& ui, QWidget* parent = nullptr);
    ~TfoMenuFolha() override;

    // Log-off: the sign-in screen, modal. Without any confirmed sign-in the
    // program ends; otherwise the caption shows the signed-in state.
    void logOff();
    // Opens the screen of a menu entry; returns it (null when the entry has
    // no screen built).
    QWidget* open(const MenuEntry& entry);
    // The menu action of an entry, by its path ("Cadastros > Bancos").
    QAction* action(const QString& path) const;
    // Shows the sign-in values in the status bar, and where the clerk
    // works (company, branch, competence, sheet) there and in the caption.
    void showSignedIn();
    // Reads the company, branch and competence again into the caption and
    // the status bar.
    void showWorkingPlace();

    QString userPanelText() const;
    QString versionPanelText() const;
    QString placePanelText() const;

    // How the sign-in screen is run; exec() unless the tests drive it.
    std::function<int(TfoLogin&)> runLogin;
    // Whether the first show of the window opens the sign-in screen.
    bool signInOnFirstShow = true;
    // Whether the window, shown, is fitted into its screen (a picture drawn
    // without a screen keeps its designed size).
    bool keepOnScreen = true;

signals:
    // The program is to end (exit button, "Sair do Sistema", no sign-in).
    void terminateRequested();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildMenus();
    void terminate();
    Session& session_;
    UserInterface& ui_;
    QLabel* userPanel_;
    QLabel* versionPanel_;
    QLabel* placePanel_;
    bool firstShowDone_ = false;
    QList<QPair<QString, QAction*>> actions_;
};

} // namespace folha
