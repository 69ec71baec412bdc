#include "Workstation.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace folha {

QString GetWindowsUserName() {
    QString name;
    if (struct passwd* pw = getpwuid(geteuid())) name = QString::fromLocal8Bit(pw->pw_name);
    if (name.isEmpty()) name = qEnvironmentVariable("USER");
    return name.left(21);
}

static QString hostName() {
    char buf[256] = {0};
    if (gethostname(buf, sizeof buf - 1) != 0) return {};
    return QString::fromLocal8Bit(buf);
}

QString GetComputerNameText() { return hostName().left(15); }

QString GetStationIp() {
    QByteArray host = hostName().toLocal8Bit();
    struct addrinfo hints {};
    hints.ai_family = AF_INET;
    struct addrinfo* res = nullptr;
    QString ip = QStringLiteral("127.0.0.1");
    if (!host.isEmpty() && getaddrinfo(host.constData(), nullptr, &hints, &res) == 0 && res) {
        auto* sin = reinterpret_cast<struct sockaddr_in*>(res->ai_addr);
        const auto* b = reinterpret_cast<const unsigned char*>(&sin->sin_addr.s_addr);
        ip = QString::asprintf("%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
    }
    if (res) freeaddrinfo(res);
    return ip;
}

} // namespace folha
