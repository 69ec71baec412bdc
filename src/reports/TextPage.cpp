#include "TextPage.h"

namespace folha {

TextLine TextLine::fromText(const QString& text) {
    TextLine line;
    line.cells = text;
    for (QChar c : text)
        if (isControl(c)) line.controls << QString(c);
    return line;
}

void TextLine::grow(qsizetype at) {
    if (cells.size() <= at) cells.resize(at + 1, u' ');
}

qsizetype TextLine::controlsBefore(qsizetype at) const {
    qsizetype k = 0;
    for (qsizetype i = 0; i < at; ++i)
        if (isControl(cells[i])) ++k;
    return k;
}

void TextLine::put(qsizetype at, QChar c) {
    if (isControl(c)) {
        put(at, QString(c));
        return;
    }
    grow(at);
    if (isControl(cells[at])) controls.removeAt(controlsBefore(at));
    cells[at] = c;
}

void TextLine::put(qsizetype at, const QString& cell) {
    if (cell.isEmpty()) return;
    if (!isControl(cell[0])) {
        put(at, cell[0]);
        return;
    }
    grow(at);
    const qsizetype k = controlsBefore(at);
    if (isControl(cells[at]))
        controls[k] = cell;
    else
        controls.insert(k, cell);
    cells[at] = cell[0];
}

void TextLine::close() {
    if (!controls.isEmpty()) {
        const qsizetype mark = controls.indexOf(EndOfLineMark);
        if (mark >= 0) {
            qsizetype k = -1;
            for (qsizetype i = 0; i < cells.size(); ++i)
                if (isControl(cells[i]) && ++k == mark) {
                    cells.truncate(i);
                    break;
                }
            controls = controls.mid(0, mark);
        }
    }
    qsizetype end = cells.size();
    while (end > 0 && cells[end - 1] == u' ') --end;
    cells.truncate(end);
}

QString TextLine::text() const {
    if (controls.isEmpty()) return cells;
    QString out;
    out.reserve(cells.size());
    qsizetype k = 0;
    for (QChar c : cells) {
        if (isControl(c))
            out += controls[k++];
        else
            out += c;
    }
    return out;
}

QString TextLine::visible() const {
    if (controls.isEmpty()) return cells;
    QString out;
    out.reserve(visibleSize());
    for (QChar c : cells)
        if (!isControl(c)) out += c;
    return out;
}

} // namespace folha
