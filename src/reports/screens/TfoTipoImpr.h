#pragma once
// The print set-up screen ("Tipo de Impressão"): the printer or other
// destination, density, text or graphic mode, lines per page and, in
// graphic mode, the orientation. "OK" stores the choices for the rest of the
// program run; every report reads them.

#include "PrintSettings.h"

#include <QDialog>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace folha {

class Session;

class TfoTipoImpr : public QDialog {
    Q_OBJECT
public:
    // `installedPrinters` are the printers of the system (QPrinterInfo's by
    // default) and `defaultPrinter` the one preselected.
    TfoTipoImpr(Session& session, QWidget* parent = nullptr);
    TfoTipoImpr(Session& session, const QStringList& installedPrinters, const QString& defaultPrinter,
                QWidget* parent = nullptr);

    static const QString Caption; // "Tipo de Impressão"

    // What the person does (the tests call these too).
    void chooseDestination(const QString& entryText);
    void chooseCondensed(bool condensed);
    void chooseGraphic(bool graphic);
    void choosePortrait(bool portrait);
    void setLinesText(const QString& text);
    void turnRemoteOff(); // click on the remote-printing notice
    void confirm();       // "OK"

    // What the screen shows.
    QStringList entries() const;
    QString linesText() const;
    bool orientationShown() const;
    QString noticeText() const;
    // The note shown when the system has no printer (empty when it has).
    QString printerNoteText() const;
    // The settings "OK" stored (also in RunPrintSettings()).
    const PrintSettings& chosen() const { return chosen_; }

    // The screen on the demo's settings, for pictures.
    static QWidget* createForGrab(Session& session, class UserInterface& ui, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(const QStringList& installedPrinters, const QString& defaultPrinter);
    void modeChanged();
    void recomputeLines();
    void showNotice();
    PrintSettings current() const;

    Session& session_;
    QList<PrinterEntry> printers_;
    QComboBox* printerBox_ = nullptr;
    QRadioButton* condensed_ = nullptr;
    QRadioButton* normal_ = nullptr;
    QRadioButton* graphic_ = nullptr;
    QRadioButton* text_ = nullptr;
    QRadioButton* portrait_ = nullptr;
    QRadioButton* landscape_ = nullptr;
    QGroupBox* orientationGroup_ = nullptr;
    QLineEdit* lines_ = nullptr;
    QLabel* notice_ = nullptr;
    QLabel* printerNote_ = nullptr;
    QLabel* folder_ = nullptr;
    bool remoteEnabled_ = false;
    bool serverFile_ = false;
    PrintSettings chosen_;
};

} // namespace folha
