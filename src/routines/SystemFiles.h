#pragma once
// The files a job may never write its output over, nor read as a report:
// the installation's databases and settings. A folder is the system's when it
// holds a database ("dados.sqlite") or the program folder's settings
// ("Aliases.ini", "Servidor.ini", "CfgFolha.ini"); everything in it or below
// it is the system's, and so is any file that is a database, wherever it
// lies. Links are followed, so no other name reaches them either.

#include <QString>

namespace folha {

// Empty when a job may write `path`; else the reason, for a message.
QString SystemFileProblem(const QString& path);
// Throws UserError "O arquivo de saída é uma base de dados do sistema: ..."
// when `path` is a system file or lies in a system folder. For a folder that
// receives several files, the folder itself is checked.
void RefuseSystemOutput(const QString& path);
// A report file read back (the spreadsheet export): a text file, never a
// database or a file of the system's folders. Throws UserError saying why.
void RefuseNonReportInput(const QString& path);

} // namespace folha
