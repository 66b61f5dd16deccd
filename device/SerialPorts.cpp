#include "device/SerialPorts.h"

#include <QDir>

#include <algorithm>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace varnilog {

namespace {

QString modeText(mode_t mode) {
    QString text = S_ISCHR(mode)   ? QStringLiteral("c")
                   : S_ISDIR(mode) ? QStringLiteral("d")
                                   : QStringLiteral("-");
    const char letters[] = "rwx";
    for (int bit = 8; bit >= 0; --bit)
        text += (mode & (1u << bit)) ? QLatin1Char(letters[(8 - bit) % 3]) : QLatin1Char('-');
    return text;
}

bool processHasGroup(gid_t gid) {
    if (getegid() == gid)
        return true;
    const int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    const int got = count > 0 ? getgroups(count, groups.data()) : 0;
    return std::find(groups.begin(), groups.begin() + std::max(got, 0), gid) !=
           groups.begin() + std::max(got, 0);
}

bool accountHasGroup(gid_t gid) {
    const passwd* user = getpwuid(geteuid());
    if (!user)
        return false;
    int count = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0) {
        groups.resize(static_cast<std::size_t>(count));
        if (getgrouplist(user->pw_name, user->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    return std::find(groups.begin(), groups.begin() + count, gid) != groups.begin() + count;
}

} // namespace

QStringList boardPorts(const QString& devDir) {
    QStringList ports;
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        QStringList names =
            QDir(devDir).entryList({QLatin1String(prefix) + QLatin1Char('*')}, QDir::System | QDir::Files);
        const qsizetype skip = qsizetype(std::char_traits<char>::length(prefix));
        std::sort(names.begin(), names.end(), [skip](const QString& a, const QString& b) {
            return a.mid(skip).toInt() < b.mid(skip).toInt();
        });
        ports += names;
    }
    return ports;
}

bool portUnchosen(const QString& portName) {
    const QString name = portName.trimmed();
    if (name.isEmpty())
        return true;
    bool number = false;
    return name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) && (name.mid(3).toInt(&number), number);
}

QString portToOpen(const QString& configured, const QStringList& presentBoardPorts) {
    if (!portUnchosen(configured))
        return configured;
    return presentBoardPorts.isEmpty() ? QString() : presentBoardPorts.front();
}

std::optional<PortAccess> portAccess(const QString& devicePath) {
    struct stat st {};
    if (::stat(devicePath.toLocal8Bit().constData(), &st) != 0)
        return std::nullopt;
    PortAccess access;
    const passwd* owner = getpwuid(st.st_uid);
    access.owner = owner ? QString::fromLocal8Bit(owner->pw_name) : QString::number(st.st_uid);
    const group* grp = getgrgid(st.st_gid);
    access.group = grp ? QString::fromLocal8Bit(grp->gr_name) : QString::number(st.st_gid);
    access.mode = modeText(st.st_mode);
    access.groupMayUse = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.sessionInGroup = processHasGroup(st.st_gid);
    access.accountInGroup = access.sessionInGroup || accountHasGroup(st.st_gid);
    return access;
}

} // namespace varnilog
