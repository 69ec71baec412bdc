#include "HtmlReport.h"

#include "DbError.h"

#include <QDir>

namespace folha {

HtmlSink::HtmlSink(const QString& path) : path_(path) {}

void HtmlSink::begin(const ReportJobInfo& info) {
    file_ = std::make_unique<QFile>(path_);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw UserError(QStringLiteral("Não foi possível gravar a página do relatório %1: %2")
                            .arg(QDir::toNativeSeparators(path_), file_->errorString()));
    const QString head =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"pt-BR\">\n<head>\n<meta charset=\"utf-8\">\n<title>") +
        info.title.toHtmlEscaped() +
        QStringLiteral("</title>\n<style>\n"
                       "pre.page { font-family: \"Liberation Mono\", \"Courier New\", monospace; font-size: 10pt; margin: 0; }\n"
                       "pre.page + pre.page { page-break-before: always; break-before: page; }\n"
                       "@media screen { pre.page + pre.page { border-top: 1px dashed #999; padding-top: 1em; } }\n"
                       "</style>\n</head>\n<body>\n");
    file_->write(head.toUtf8());
}

void HtmlSink::page(const TextPage& page) {
    if (!file_) begin({});
    QString html = QStringLiteral("<pre class=\"page\">");
    for (int i = 0; i < int(page.lines.size()); ++i) {
        html += page.visibleText(i).toHtmlEscaped();
        html += QLatin1Char('\n');
    }
    html += QStringLiteral("</pre>\n");
    file_->write(html.toUtf8());
}

void HtmlSink::end() {
    if (!file_) begin({});
    file_->write(QByteArrayLiteral("</body>\n</html>\n"));
    if (!file_->flush())
        throw UserError(QStringLiteral("Erro gravando a página do relatório %1: %2")
                            .arg(QDir::toNativeSeparators(path_), file_->errorString()));
    file_->close();
    file_.reset();
}

} // namespace folha
