#pragma once
// The spreadsheet export of a text report: the titles line laid over the
// report's columns ("@" ends a column), remembered per report; the
// workbook is written as ".xlsx" and opened in the spreadsheet program
// when asked. The report file is deleted once the export is done or given
// up.

#include "XlsxExport.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace folha {

class Session;
class UserInterface;

class TfoExportarRelExcel : public QDialog {
    Q_OBJECT
public:
    // `proposedTitles` fills the titles line when the report has none
    // remembered (the listing's own columns).
    TfoExportarRelExcel(Session& session, UserInterface& ui, const QString& reportFile, const QString& reportName,
                        const QString& proposedTitles = {}, QWidget* parent = nullptr);

    static const QString Caption;

    // "  Exportar": asks for the file (unless `path` is given), writes the
    // workbook, opens it when "Visualizar no Excel" is ticked, deletes the
    // report file and closes. Returns whether a workbook was written.
    bool exportReport(const QString& path = {});
    // A report that lays out its own lines is cut by that layout: the
    // titles line is then not asked for.
    void setReportLayout(const ReportLayout& layout);
    // "  Restaura": the titles line as it was when the screen opened.
    void restore();

    QLineEdit* titlesBox() const { return titles_; }
    QCheckBox* viewBox() const { return view_; }
    QCheckBox* keepHeaderBox() const { return keepHeader_; }

    static QWidget* createForGrab(Session& session, UserInterface& ui, QWidget* parent);

private:
    Session& session_;
    UserInterface& ui_;
    QString reportFile_;
    QString reportName_;
    QString openingTitles_;
    ReportLayout reportLayout_;
    QLineEdit* titles_ = nullptr;
    QPlainTextEdit* sample_ = nullptr;
    QCheckBox* view_ = nullptr;
    QCheckBox* keepHeader_ = nullptr;
};

} // namespace folha
