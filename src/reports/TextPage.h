#pragma once
// One finished page of a text report: fixed-width lines of cells. A cell
// holds one character, or one control string (a printer code such as the
// condensed density chr(15)) that takes no column when drawn.

#include <QString>
#include <QStringList>
#include <vector>

namespace folha {

// The end-of-line mark: a line ends at the first cell that holds it.
inline const QString EndOfLineMark = QString(QChar(26));

// One line of cells. The characters are kept as one string, a character a
// cell, so a line is written and drawn without looking at its cells one by
// one. A control cell holds the first character of its control string (a
// code below the blank, which no drawn cell holds); the control strings
// themselves are kept apart, in the order of their cells.
struct TextLine {
    QString cells;
    QStringList controls;

    // Each character of the text in a cell of its own; a character below
    // the blank is a control cell of one character.
    static TextLine fromText(const QString& text);

    static bool isControl(QChar c) { return c < u' '; }
    qsizetype size() const { return cells.size(); }
    bool isEmpty() const { return cells.isEmpty(); }
    // The cells that are drawn (the characters that are not control codes).
    qsizetype visibleSize() const { return cells.size() - controls.size(); }

    // Sets one cell (0-based) to a character, or to a control string when
    // `cell` starts below the blank; the line grows with blanks to reach it.
    void put(qsizetype at, QChar c);
    void put(qsizetype at, const QString& cell);
    // Ends the line before its first end-of-line mark and drops its
    // trailing blanks.
    void close();

    // The cells in a row, control strings included.
    QString text() const;
    // The drawn cells only.
    QString visible() const;

    bool operator==(const TextLine&) const = default;

private:
    void grow(qsizetype at);
    // The index in `controls` of the control cells before cell `at`.
    qsizetype controlsBefore(qsizetype at) const;
};

struct TextPage {
    int number = 1;  // page counter of the job, from 1
    int width = 80;  // columns
    // The lines of the page, each as its cells up to the end-of-line mark or
    // the page width, trailing blanks dropped (an empty line is blank).
    std::vector<TextLine> lines;

    // A line as text: its cells concatenated (control strings included).
    QString lineText(int index) const { return lines[size_t(index)].text(); }
    // A line without control strings: what is drawn.
    QString visibleText(int index) const { return lines[size_t(index)].visible(); }
};

} // namespace folha
