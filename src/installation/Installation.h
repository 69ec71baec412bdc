#pragma once
// Where the system's files live. The system names fixed Windows paths
// ("c:\arquivos de programas\zorvan\CfgFolha.ini", "c:\CAIXA\SEFIP\SEFIP.TXT");
// every such path lies below one installation root on this machine:
//
//   c:\arquivos de programas\zorvan\...   ->  ROOT/programa/...
//   c:\...  (any other path on a drive)   ->  ROOT/c/...   (drive letter, lower case)
//   \\server\share\...                    ->  ROOT/unc/server/share/...
//   /absolute/path                        ->  unchanged
//   relative\path                         ->  ROOT/programa/relative/path
//
// Names compare without case, as on Windows: an existing file or folder is
// found whatever the case it was written in; a new one takes the case given.
// The root is chosen by --root DIR, else the ZORVAN_ROOT environment
// variable, else the user's data folder ($XDG_DATA_HOME/FolhaZorvan, by
// default ~/.local/share/FolhaZorvan).

#include <QString>

namespace folha {

class Installation {
public:
    explicit Installation(const QString& root);
    // --root option (may be empty) > ZORVAN_ROOT > the user's data folder.
    static Installation choose(const QString& rootOption);
    static QString defaultRoot();

    const QString& root() const { return root_; }
    // The one mapping of the system's Windows paths to this machine.
    QString localPath(const QString& windowsPath) const;

    // The program folder and the files and folders the system names in it.
    static const QString ProgramFolder; // "c:\arquivos de programas\zorvan"
    QString programDir() const;          // with a trailing separator
    QString programFile(const QString& name) const; // programDir() + name
    // The installation's settings, "CfgFolha.ini" in the program folder.
    QString settingsFile() const;

private:
    QString resolveBelow(const QString& base, const QString& relative, bool trailingSlash) const;
    QString root_;
};

} // namespace folha
