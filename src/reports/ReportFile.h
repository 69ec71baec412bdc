#pragma once
// The report file: the text form of a report as a printer takes it. Each
// page starts with the density code and ESC "2" (1/6-inch line spacing)
// when a density is set; each line is its cells up to the end-of-line mark,
// a line with no visible character written as one blank, each followed by
// CR LF. Characters are written in Latin-1 (ISO 8859-1), as the legacy
// printers and viewers read them.

#include "PageSink.h"
#include "PrintSettings.h"

#include <QDateTime>
#include <QFile>
#include <memory>

namespace folha {

class Session;

// The bytes of one page in text mode.
QByteArray TextPageBytes(const TextPage& page, const QString& density);

// Writes the pages to a file (a report file "TMP….IMP", or any path). For a
// text printer each page ends with a form feed, so continuous forms start
// every page at the top of a sheet.
class ReportFileSink : public PageSink {
public:
    enum class PageEnd { Plain, FormFeed };
    ReportFileSink(const QString& path, const QString& density, PageEnd pageEnd = PageEnd::Plain);
    void begin(const ReportJobInfo& info) override;
    void page(const TextPage& page) override;
    void end() override;
    const QString& path() const { return path_; }

private:
    QString path_;
    QString density_;
    PageEnd pageEnd_;
    std::unique_ptr<QFile> file_;
};

// "TMP" + date and time as numbers ("TMP20261207161530.IMP").
QString ReportFileName(const QDateTime& when);
// The folder report files go to: the local print folder, or for remote
// printing the client drive's folder (created when missing).
QString ReportFolder(Session& session, const PrintSettings& settings);
// Removes "Tmp*.IMP" files of the folder whose date part is not today's.
void RemoveOldReportFiles(const QString& folder, const QDate& today);
// A new report file path in the report folder, after removing older days'
// files.
QString NewReportFile(Session& session, const PrintSettings& settings, const QDateTime& when);

// The pages of a report file read back (split at the density code that
// starts each page, or at the first header line when there is none); used
// by the preview and the spreadsheet export. Form feeds are dropped.
std::vector<TextPage> ReadReportFile(const QString& path, int width = 0);

// The closing message of the remote-desktop text file.
QString RemoteFileReadyMessage();

// Raw text to a print queue ("lp -d QUEUE -o raw FILE"); throws UserError
// when the queue refuses it.
void SendRawToQueue(const QString& queue, const QString& filePath);

} // namespace folha
