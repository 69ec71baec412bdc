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
    cells_.clear();
    lastLine_ = 0;
}

void TextReport::putText(int line, int column, const QString& text) {
    if (line < 1 || line > MaxLines || column < 1 || column > width_ || text.isEmpty()) return;
    if (int(cells_.size()) < line) cells_.resize(line);
    QStringList& row = cells_[line - 1];
    auto place = [&](int col, const QString& cell) {
        if (col > width_) return false;
        while (row.size() < col) row << QStringLiteral(" ");
        row[col - 1] = cell;
        return true;
    };
    if (IsControlCell(text)) {
        place(column, text);
    } else {
        for (int i = 0; i < text.size(); ++i)
            if (!place(column + i, QString(text[i]))) break;
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
        QStringList row = i < int(cells_.size()) ? cells_[i] : QStringList();
        const int end = row.indexOf(EndOfLineMark);
        if (end >= 0) row = row.mid(0, end);
        while (!row.isEmpty() && row.last() == QLatin1String(" ")) row.removeLast();
        page.lines.push_back(row);
    }
    sink_.page(page);
    ++page_;
}

void TextReport::endJob() {
    clear();
    sink_.end();
}

} // namespace folha
