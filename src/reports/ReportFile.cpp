#include "ReportFile.h"

#include "DbError.h"
#include "PrintFolders.h"
#include "Session.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>

namespace folha {

namespace {

const QByteArray LineEnd("\r\n");
const QString LineSpacing = QStringLiteral("\x1b" "2"); // ESC "2": 1/6-inch line spacing

QByteArray Latin1(const QString& text) { return text.toLatin1(); }

// The client drive of remote printing: the first line of the client's
// "ImpTmp.txt" up to the ":", or the configured drive.
QString RemoteDrive(Session& session, const PrintFolders& folders) {
    QFile file(session.installation().localPath(QStringLiteral("\\\\tsClient\\C\\ImpTmp.txt")));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        const QString first = QString::fromLatin1(file.readLine()).trimmed();
        const QString drive = first.section(QLatin1Char(':'), 0, 0).trimmed();
        if (!drive.isEmpty()) return drive;
    }
    QString drive = folders.remoteDrive;
    drive.remove(QLatin1Char(':'));
    drive.remove(QLatin1Char('\\'));
    return drive.isEmpty() ? QStringLiteral("C") : drive;
}

} // namespace

QByteArray TextPageBytes(const TextPage& page, const QString& density) {
    QByteArray bytes;
    if (!density.isEmpty()) bytes += Latin1(density + LineSpacing);
    for (const TextLine& line : page.lines) {
        // A line with nothing drawn but blanks is written as one blank.
        const bool blank = std::all_of(line.cells.cbegin(), line.cells.cend(),
                                       [](QChar c) { return TextLine::isControl(c) || c.isSpace(); });
        if (blank)
            bytes += ' ';
        else
            bytes += Latin1(line.text());
        bytes += LineEnd;
    }
    return bytes;
}

ReportFileSink::ReportFileSink(const QString& path, const QString& density, PageEnd pageEnd)
    : path_(path), density_(density), pageEnd_(pageEnd) {}

void ReportFileSink::begin(const ReportJobInfo&) {
    file_ = std::make_unique<QFile>(path_);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw UserError(QStringLiteral("Não foi possível gravar o arquivo do relatório %1: %2")
                            .arg(QDir::toNativeSeparators(path_), file_->errorString()));
}

void ReportFileSink::page(const TextPage& page) {
    if (!file_) begin({});
    QByteArray bytes = TextPageBytes(page, density_);
    if (pageEnd_ == PageEnd::FormFeed) bytes += '\f';
    if (file_->write(bytes) != bytes.size())
        throw UserError(QStringLiteral("Erro gravando o arquivo do relatório %1: %2")
                            .arg(QDir::toNativeSeparators(path_), file_->errorString()));
}

void ReportFileSink::end() {
    if (!file_) begin({});
    if (!file_->flush())
        throw UserError(QStringLiteral("Erro gravando o arquivo do relatório %1: %2")
                            .arg(QDir::toNativeSeparators(path_), file_->errorString()));
    file_->close();
    file_.reset();
}

QString ReportFileName(const QDateTime& when) {
    return QStringLiteral("TMP") + when.toString(QStringLiteral("yyyyMMddhhmmss")) + QStringLiteral(".IMP");
}

QString ReportFolder(Session& session, const PrintSettings& settings) {
    const PrintFolders folders = ResolvePrintTempDir(session);
    QString folder = folders.localDir;
    if (settings.destination == PrintDestination::RemoteFile)
        folder = session.installation().localPath(QStringLiteral("\\\\tsclient\\") + RemoteDrive(session, folders) +
                                                  QStringLiteral("\\"));
    if (!QDir().mkpath(folder))
        throw UserError(QStringLiteral("Não foi possível criar a pasta de impressão %1").arg(QDir::toNativeSeparators(folder)));
    return folder;
}

void RemoveOldReportFiles(const QString& folder, const QDate& today) {
    static const QRegularExpression name(QStringLiteral("^tmp(.*)\\.imp$"), QRegularExpression::CaseInsensitiveOption);
    const QString day = today.toString(QStringLiteral("yyyyMMdd"));
    QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files)) {
        const auto match = name.match(file);
        if (!match.hasMatch()) continue;
        if (match.captured(1).left(8) != day) dir.remove(file);
    }
}

QString NewReportFile(Session& session, const PrintSettings& settings, const QDateTime& when) {
    const QString folder = ReportFolder(session, settings);
    RemoveOldReportFiles(folder, when.date());
    // Two reports in the same second get the next free second's name.
    QDateTime moment = when;
    QString path = QDir(folder).filePath(ReportFileName(moment));
    while (QFileInfo::exists(path)) {
        moment = moment.addSecs(1);
        path = QDir(folder).filePath(ReportFileName(moment));
    }
    return path;
}

std::vector<TextPage> ReadReportFile(const QString& path, int width) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw UserError(QStringLiteral("Não foi possível ler o arquivo do relatório %1: %2")
                            .arg(QDir::toNativeSeparators(path), file.errorString()));
    QString text = QString::fromLatin1(file.readAll());
    text.remove(QChar('\f'));
    QStringList lines = text.split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();

    std::vector<TextPage> pages;
    auto startsPage = [](const QString& line) {
        return line.size() >= 3 && (line[0] == QChar(15) || line[0] == QChar(18)) && line[1] == QChar(27) &&
               line[2] == QLatin1Char('2');
    };
    bool densityPages = !lines.isEmpty() && startsPage(lines.first());
    for (QString line : lines) {
        bool fresh = pages.empty();
        if (densityPages) {
            if (startsPage(line)) {
                fresh = true;
                line = line.mid(3);
            }
        } else if (line.contains(QStringLiteral(":FOLHA DE PAGAMENTO"))) {
            fresh = true;
        }
        if (fresh) {
            TextPage page;
            page.number = int(pages.size()) + 1;
            page.width = width;
            pages.push_back(page);
        }
        pages.back().lines.push_back(line == QLatin1String(" ") ? TextLine() : TextLine::fromText(line));
    }
    if (width <= 0)
        for (TextPage& page : pages) {
            int widest = 1;
            for (const TextLine& l : page.lines) widest = std::max(widest, int(l.size()));
            page.width = widest;
        }
    return pages;
}

QString RemoteFileReadyMessage() {
    return QStringLiteral("O relatorio já pode ser impresso...\r\n \r\no arquivo foi gerado na pasta\r\n \r\nC:\\\r\n "
                          "\r\nMinimize o Remote Desktop, e dê um duplo clique no\r\n \r\nícone ImpTmp do seu desktop.");
}

void SendRawToQueue(const QString& queue, const QString& filePath) {
    QProcess lp;
    lp.start(QStringLiteral("lp"), {QStringLiteral("-d"), queue, QStringLiteral("-o"), QStringLiteral("raw"), filePath});
    if (!lp.waitForStarted(10000))
        throw UserError(QStringLiteral("Não foi possível enviar o relatório à impressora %1: o comando \"lp\" não "
                                       "está disponível neste computador.")
                            .arg(queue));
    lp.closeWriteChannel();
    if (!lp.waitForFinished(60000) || lp.exitStatus() != QProcess::NormalExit || lp.exitCode() != 0) {
        const QString why = QString::fromLocal8Bit(lp.readAllStandardError()).trimmed();
        throw UserError(QStringLiteral("A impressora %1 recusou o relatório%2").arg(queue, why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why));
    }
}

} // namespace folha
