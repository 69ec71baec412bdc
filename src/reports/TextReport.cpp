#include "TextReport.h"

#include "DbError.h"

#include <algorithm>

namespace folha {

const QString TextReport::SupplierLine = QStringLiteral("Zorvan Sistemas - Folha de Pagamento");
const QString TextReport::SystemName = QStringLiteral("FOLHA DE PAGAMENTO");

TextReport::TextReport(PageSink& sink, int width, int linesPerPage)
    : sink_(sink), width_(std::clamp(width, 1, MaxColumns)), linesPerPage_(std::clamp(linesPerPage, 1, MaxLines)) {}

void TextReport::beginJob(const ReportJobInfo& info) {
    page_ = 1;
    clear();
    sink_.begin(info);
}

void TextReport::clear() {
    lines_.clear();
    lastLine_ = 0;
}

void TextReport::putText(int line, int column, const QString& text) {
    if (line < 1 || line > MaxLines || column < 1 || column > width_ || text.isEmpty()) return;
    if (int(lines_.size()) < line) lines_.resize(line);
    TextLine& row = lines_[line - 1];
    if (TextLine::isControl(text[0])) {
        row.put(column - 1, text);
    } else {
        const qsizetype count = std::min<qsizetype>(text.size(), width_ - column + 1);
        const bool plain = row.controls.isEmpty() &&
                           std::none_of(text.cbegin(), text.cbegin() + count, TextLine::isControl);
        if (plain) {
            // No control cell on either side: the characters go over the
            // cells as one piece.
            if (row.cells.size() < column - 1 + count) row.cells.resize(column - 1 + count, u' ');
            row.cells.replace(column - 1, count, text.constData(), count);
        } else {
            for (qsizetype i = 0; i < count; ++i) row.put(column - 1 + i, text[i]);
        }
    }
    lastLine_ = std::max(lastLine_, line);
}

int TextReport::pageHeader(const QString& title, const QString& subtitle, const QString& filter) {
    clear();
    const QDateTime when = clock_.isValid() ? clock_ : QDateTime::currentDateTime();
    const int right = width_ - 15;
    putText(1, 1, company_ + QStringLiteral(":") + SystemName);
    putText(1, right, QStringLiteral("DATA.:") + when.date().toString(QStringLiteral("dd/MM/yyyy")));
    putText(2, 1, SupplierLine);
    putText(2, right, QStringLiteral("HORA.:  ") + when.time().toString(QStringLiteral("hh:mm:ss")));
    putText(3, 1, title);
    if (sheetOnce_) {
        putText(3, right, QStringLiteral("FOLHA:") + QString::number(page_));
        sheetOnce_ = false;
    } else {
        putText(3, right, QStringLiteral("PAG..:") + QStringLiteral("%1").arg(page_, 10, 10, QLatin1Char('0')));
    }
    int line = 4;
    const QString shownFilter = omitFilter_ ? QString() : filter;
    if (!subtitle.isEmpty() || !shownFilter.isEmpty()) {
        QString text = subtitle;
        if (!shownFilter.isEmpty()) text += QStringLiteral(" - ") + shownFilter;
        putText(line++, 1, text);
    }
    putText(line, 1, QString(width_, QLatin1Char('-')));
    return line;
}

void TextReport::requireLines(int lines) const {
    if (lines > linesPerPage_)
        throw UserError(QStringLiteral("Linhas por página insuficientes: %1. O cabeçalho do relatório e a primeira "
                                       "linha de dados ocupam %2 linhas.")
                            .arg(linesPerPage_)
                            .arg(lines));
}

void TextReport::flushPage(int usedLines) {
    TextPage page;
    page.number = page_;
    page.width = width_;
    const int count = usedLines > 0 ? std::min(usedLines, MaxLines) : lastLine_;
    page.lines.reserve(count);
    for (int i = 0; i < count; ++i) {
        TextLine row = i < int(lines_.size()) ? lines_[size_t(i)] : TextLine();
        row.close();
        page.lines.push_back(std::move(row));
    }
    sink_.page(page);
    ++page_;
}

void TextReport::endJob() {
    clear();
    sink_.end();
}

} // namespace folha
