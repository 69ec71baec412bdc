#pragma once
// The labour documents: a page of fixed Portuguese text per employee,
// filled with the employee's and the company's data. The text of each
// document is a template kept as data: the defaults ship compiled in, and an
// office copy in "<programa>/Documentos/<Tela>.txt" takes their place.
//
// Template syntax, one line per printed line:
//   # comment                      ignored
//   LINHA COLUNA texto             the text at that line and column
//   texto                          the text at column 1 of the next line
//   (an empty line)                skips one printed line
//   @NOME ... @FIM                 the lines between repeat once per item of
//                                  the list NOME, each time below the last:
//                                  DEPENDENTES (the employee's dependants,
//                                  {NOME_DEPEN}, {DT_NASC}) or a typed list
//                                  (EQUIPAMENTOS: {ITEM}); {SEQ} counts 1, 2...
// Placeholders in the text: {CAMPO} a field of the employee (CADFUN), the
// branch's own fields ({FIL_CIDADE}, {CGC}), {EMPRESA} the branch name,
// {NOME_CARGO}, {IDADE} (on the issue date), the screen's dates {DATA_INICIAL},
// {DATA_FINAL}, {DATA_RECEBIMENTO}, {DATA_EMISSAO}, and any typed extra by
// its name. Dates print dd/mm/yyyy, or "07 de dezembro de 2026" with
// ":extenso" ({DATA_EMISSAO:extenso}).

#include "AmountInWords.h"
#include "TextReport.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <functional>

namespace folha {

class Session;
class UserInterface;

enum class DocumentFilter {
    All,            // every employee in the code range
    VacationNotice, // active, not of category 99, enjoyment start in the interval
};

struct DocumentDef {
    QString screen;  // "TfoRelAvisoFerias"
    QString caption; // "Aviso de Férias"
    DocumentFilter filter = DocumentFilter::All;
    QStringList dates; // the dates the screen asks for ("DATA_INICIAL", ...)
    int width = 80;
    bool usesJob = false; // looks the job up ("Cargo Nao Cadastrado")
    bool usesCostCentre = false; // looks the cost centre up ("Centro de Custo Nao Cadastrado")
    QStringList lists;    // typed lists the screen asks for ("EQUIPAMENTOS")
    bool oneEmployee = false; // typed values belong to one chosen employee
    // Typed values: amounts of money (printed "1.234,56") and plain texts,
    // by placeholder name, with their captions.
    QList<QPair<QString, QString>> amounts;
    QList<QPair<QString, QString>> texts;
    bool textsAreTimetables = false; // each text a day's hours ("08:00-12:00 13:00-17:00")
};

// Every document, in menu order.
const QList<DocumentDef>& Documents();
// By screen class (any case); null when unknown.
const DocumentDef* FindDocument(const QString& screen);

struct DocumentOptions {
    int fromCode = 0;
    int toCode = 999999;
    bool byName = false; // "Ordem": Nome
    QMap<QString, QDate> dates;     // "DATA_EMISSAO" -> date
    QMap<QString, QString> extras;  // typed values by placeholder name
    QMap<QString, QStringList> lists; // typed lists by name ("EQUIPAMENTOS")
    int copies = 1;
};

struct DocumentLine {
    int line = 0;
    int column = 1;
    QString text;
    QString loop; // the list the line repeats for, or empty
};

// "07 de dezembro de 2026".
QString DateInWords(const QDate& date);
// The template's lines, placed.
QList<DocumentLine> ParseDocumentTemplate(const QString& text);
// The office copy when there is one, else the shipped default; empty when
// neither exists.
QString DocumentTemplate(const QString& programDir, const QString& screen);

// The typed extras made ready for printing: each amount of the document
// read the Brazilian way and written back as "1.234,56". Throws UserError
// naming the caption of a value that is not an amount. "{NOME:extenso}" is
// the amount in words, its thousand written as `mil` says.
QMap<QString, QString> DocumentExtras(const DocumentDef& def, const QMap<QString, QString>& typed,
                                      TEscritaMil mil = TEscritaMil::emMil);
// The office's wording of a thousand on documents: "CfgFolha.ini" of the
// program folder, section "Extenso", key "UmMil" = "S" writes UM MIL; absent
// or anything else, MIL.
TEscritaMil OfficeThousandWording(const QString& programDir);
// Everything typed for a document, checked before anything prints: the
// extras as above, each timetable's hours (00:00 to 23:59), the code range
// and the date interval in order. Throws UserError saying what is wrong.
void CheckDocumentOptions(const DocumentDef& def, const DocumentOptions& options);

// Puts one page per selected employee on the report (between the caller's
// beginJob and endJob); a document longer than a page (a long list of
// items) goes on over as many pages as it takes. Returns the pages; shows "Funcionario Nao
// Cadastrado" when the range holds no employee at all, and "Selecione o
// funcionário;" when a one-employee document gets a range.
int ComposeDocument(Session& session, UserInterface& ui, const DocumentDef& def, const DocumentOptions& options,
                    TextReport& report);

// Runs the set once per copy, each copy in its own job: runJob begins a job,
// calls the composer it gets and ends the job. Zero copies print nothing.
// Returns the pages of one set.
int RunDocumentCopies(Session& session, UserInterface& ui, const DocumentDef& def, const DocumentOptions& options,
                      const std::function<void(const std::function<bool(TextReport&)>&)>& runJob);

} // namespace folha
