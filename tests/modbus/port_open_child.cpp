// A second station's link in a process of its own: opens port 1 (the
// device ZC4160_PORT1 names) at 38400 baud, even parity, as "打开" does,
// prints "open <result>", and with --hold keeps the port until standard
// input ends; with --again it opens it a second time, as a second "打开"
// does, and prints that result too; with --baud INDEX it opens at that
// baud index instead. With --plain it is a program that takes no lock
// instead: it opens the device with open(2) alone and prints
// "plain <errno>" (0 when it opened). With --as-nobody it first becomes
// the user nobody, for whom the kernel's checks hold as for an operator
// (root passes some of them); it prints "cannot drop" and ends where it
// cannot.

#include "platform/modbus/modbus_rtu.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace {

bool BecomeNobody()
{
    if (::getuid() != 0 && ::geteuid() != 0)
        return true;   // an ordinary user already
    const passwd* pw = ::getpwnam("nobody");
    if (!pw)
        return false;
    return ::setgroups(0, nullptr) == 0 && ::setgid(pw->pw_gid) == 0 && ::setuid(pw->pw_uid) == 0;
}

int PlainOpen()
{
    const char* device = std::getenv("ZC4160_PORT1");
    const int fd = device ? ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC) : -1;
    if (fd < 0)
        return device ? errno : ENOENT;
    ::close(fd);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    bool hold = false, plain = false, again = false;
    int32_t baudIndex = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0) {
            hold = true;
        } else if (std::strcmp(argv[i], "--again") == 0) {
            again = true;
        } else if (std::strcmp(argv[i], "--plain") == 0) {
            plain = true;
        } else if (std::strcmp(argv[i], "--baud") == 0 && i + 1 < argc) {
            baudIndex = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--as-nobody") == 0 && !BecomeNobody()) {
            std::printf("cannot drop\n");
            return 2;
        }
    }
    if (plain) {
        std::printf("plain %d\n", PlainOpen());
        return 0;
    }
    int32_t result = OpenPort_Modbus(1, baudIndex, 2);
    std::printf("open %d\n", int(result));
    if (again) {
        result = OpenPort_Modbus(1, baudIndex, 2);
        std::printf("open %d\n", int(result));
    }
    std::fflush(stdout);
    if (hold && result == 0) {
        char discard[64];
        while (::read(STDIN_FILENO, discard, sizeof discard) > 0) {
        }
    }
    ClosePort_Modbus(1);
    return 0;
}
