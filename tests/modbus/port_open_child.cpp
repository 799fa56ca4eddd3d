// A second station's link in a process of its own: opens port 1 (the
// device ZC4160_PORT1 names) at 38400 baud, even parity, as "打开" does,
// prints "open <result>", and with --hold keeps the port until standard
// input ends; with --again it opens it a second time, as a second "打开"
// does, and prints that result too. With --plain it is a program that takes no lock instead: it
// opens the device with open(2) alone and prints "plain <errno>" (0 when
// it opened). With --without-admin it first gives up the right to pass
// another program's TIOCEXCL, which root has and an operator's user has
// not; it prints "cannot drop" and ends where it cannot.

#include "platform/modbus/modbus_rtu.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

bool DropAdmin()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned word = CAP_SYS_ADMIN / 32, bit = 1u << (CAP_SYS_ADMIN % 32);
    data[word].effective &= ~bit;
    data[word].permitted &= ~bit;
    data[word].inheritable &= ~bit;
    return syscall(SYS_capset, &header, data) == 0;
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hold") == 0) {
            hold = true;
        } else if (std::strcmp(argv[i], "--again") == 0) {
            again = true;
        } else if (std::strcmp(argv[i], "--plain") == 0) {
            plain = true;
        } else if (std::strcmp(argv[i], "--without-admin") == 0 && !DropAdmin()) {
            std::printf("cannot drop\n");
            return 2;
        }
    }
    if (plain) {
        std::printf("plain %d\n", PlainOpen());
        return 0;
    }
    int32_t result = OpenPort_Modbus(1, 3, 2);
    std::printf("open %d\n", int(result));
    if (again) {
        result = OpenPort_Modbus(1, 3, 2);
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
