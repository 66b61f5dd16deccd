#include "device/SerialPorts.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

using namespace varnilog;

// A configuration that names no port of this system ("COM1" of a new one) takes the first board
// adapter present, in number order; without any there is nothing to open and the user is asked.
TEST(SerialPortsTest, StartTakesTheBoardsAdapterWhenNoPortWasChosen) {
    QTemporaryDir dev;
    for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyACM0", "ttyS0", "tty1"})
        test::writeFile(dev.filePath(QString::fromUtf8(name)), {});
    const QStringList present = boardPorts(dev.path());
    EXPECT_EQ(present, QStringList({"ttyUSB2", "ttyUSB10", "ttyACM0"}));
    const struct {
        const char* configured;
        QStringList ports;
        const char* opened;
    } rows[] = {
        {"COM1", present, "ttyUSB2"}, {"com3", {"ttyACM0"}, "ttyACM0"},
        {"", present, "ttyUSB2"},     {"COM1", {}, ""},
        {"ttyS0", present, "ttyS0"},  {"/dev/pts/3", {}, "/dev/pts/3"},
        {"COMX", {}, "COMX"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.configured);
        EXPECT_EQ(portToOpen(QString::fromUtf8(r.configured), r.ports), QString::fromUtf8(r.opened));
    }
}

// Joining the device's group is advised only where it helps: a member of dialout facing a root-only
// device must ask for access (the wording: CoreMessagesTest).
TEST(SerialPortsTest, ThePermissionAdviceFitsTheDevicesOwnerGroupAndMode) {
    const struct {
        const char* what;
        PortAccess access;
        PortAccessFix fix;
    } rows[] = {
        {"not in the group", {"root", "dialout", "crw-rw----", true, false, false}, PortAccessFix::JoinGroup},
        {"joined, not logged in again",
         {"root", "dialout", "crw-rw----", true, false, true},
         PortAccessFix::LogInAgain},
        {"in dialout, root-only device",
         {"root", "root", "crw-------", false, true, true},
         PortAccessFix::AskForAccess},
        {"in the group, still refused",
         {"root", "uucp", "crw-rw----", true, true, true},
         PortAccessFix::AskForAccess},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(portAccessFix(r.access), r.fix);
    }

    // Read from a real file: its owner and mode as ls shows them.
    QTemporaryDir dir;
    const QString device = dir.filePath("ttyUSB0");
    test::writeFile(device, {});
    QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner);
    const std::optional<PortAccess> access = portAccess(device);
    ASSERT_TRUE(access);
    EXPECT_EQ(access->owner, QString::fromLocal8Bit(getpwuid(geteuid())->pw_name));
    EXPECT_EQ(access->mode, "-rw-------");
    EXPECT_FALSE(access->groupMayUse);
    EXPECT_TRUE(access->sessionInGroup); // the file's group is the creator's
    EXPECT_FALSE(portAccess(dir.filePath("missing")));
}
