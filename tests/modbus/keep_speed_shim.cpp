// Preloaded into a process, stands in for tcsetattr: every setting is
// applied except the speeds, which stay what the line ran at before, as a
// UART does that cannot run the rate it is asked for.

#include <cerrno>
#include <dlfcn.h>
#include <termios.h>

extern "C" int tcsetattr(int fd, int action, const termios* wanted)
{
    using Real = int (*)(int, int, const termios*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "tcsetattr"));
    if (!real) {
        errno = ENOSYS;
        return -1;
    }
    termios now{};
    if (!wanted || tcgetattr(fd, &now) != 0)
        return real(fd, action, wanted);
    termios kept = *wanted;
    cfsetispeed(&kept, cfgetispeed(&now));
    cfsetospeed(&kept, cfgetospeed(&now));
    return real(fd, action, &kept);
}
