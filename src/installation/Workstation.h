#pragma once
// The workstation's identity: user, computer name and address.

#include <QString>

namespace folha {

// The login name of the process's user (at most 21 characters), empty when
// it cannot be read.
QString GetWindowsUserName();
// The first IPv4 address of the machine's host name, dotted decimal
// ("127.0.0.1" when the name resolves to nothing else).
QString GetStationIp();
// The machine's host name, at most 15 characters.
QString GetComputerNameText();

} // namespace folha
