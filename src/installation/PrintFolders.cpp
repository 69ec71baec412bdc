#include "PrintFolders.h"

#include "BranchParameters.h"
#include "IniFile.h"

namespace folha {

PrintFolders ResolvePrintTempDir(Session& session) {
    PrintFolders p;
    const QString ini = session.installation().programFile(QStringLiteral("ConfigZorvan.ini"));
    QString local = ReadIniValue(ini, QStringLiteral("DirImpTmp"), QStringLiteral("Dir"));
    if (local.isEmpty()) local = QStringLiteral("c:\\");
    p.localDir = session.installation().localPath(local);
    p.remoteDir = ReadIniValue(ini, QStringLiteral("DirImpTmpTS"), QStringLiteral("Dir"));
    QString drive;
    try {
        drive = GetBranchParameter(session.zorvan(), session.signIn.CurrentBranchCodeText.isEmpty()
                                                         ? QString::number(session.signIn.CurrentBranchCode)
                                                         : session.signIn.CurrentBranchCodeText,
                                   QStringLiteral("DirImpTmp"));
    } catch (const DbError&) {
    }
    if (!p.remoteDir.isEmpty()) drive = p.remoteDir;
    if (drive.isEmpty()) drive = QStringLiteral("C");
    p.remoteDrive = drive;
    return p;
}

} // namespace folha
