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

struct TextPage {
    int number = 1;  // page counter of the job, from 1
    int width = 80;  // columns
    // The lines of the page, each as its cells up to the end-of-line mark or
    // the page width, trailing blanks dropped (an empty line is blank).
    std::vector<QStringList> lines;

    // A line as text: its cells concatenated (control strings included).
    QString lineText(int index) const { return lines[index].join(QString()); }
    // A line without control strings: what is drawn.
    QString visibleText(int index) const;
};

// A control string: any cell whose text compares below " ", that is, whose
// first character is a code below the blank (a drawn cell never starts with
// one), so only that character is looked at.
inline bool IsControlCell(const QString& cell) { return !cell.isEmpty() && cell.at(0) < u' '; }

} // namespace folha
