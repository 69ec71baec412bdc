#pragma once
// Where text reports are written for printing.

#include "Session.h"

namespace folha {

struct PrintFolders {
    QString localDir;    // local print folder (local path)
    QString remoteDir;   // remote print folder as configured
    QString remoteDrive; // remote-desktop client drive
};

// Local folder: "ConfigZorvan.ini" [DirImpTmp] Dir, or "c:\" when empty;
// remote folder: [DirImpTmpTS] Dir of the same file; remote drive: the
// branch parameter "DirImpTmp", replaced by the remote folder when that is
// set, and "C" when still empty.
PrintFolders ResolvePrintTempDir(Session& session);

} // namespace folha
