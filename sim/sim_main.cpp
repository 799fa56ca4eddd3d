// zc4160-sim: the simulated controller as a program of its own. It serves on
// a new pseudo-terminal, links the given path to it, and takes commands on
// standard input (one per line) to inject faults while it runs.

#include "Simulator.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <poll.h>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kHelp =
    "usage: zc4160-sim --link PATH [--station N] [--baud B] [--no-process]\n"
    "\n"
    "Plays the ZC4160 controller as a Modbus RTU slave on a new pseudo-terminal\n"
    "and makes PATH a symbolic link to its line (point the station at it with\n"
    "ZC4160_PORT1=PATH; any Modbus RTU master may open PATH as a serial line).\n"
    "\n"
    "  --link PATH     the link to make (required)\n"
    "  --station N     station address to answer, 1 to 247 (default 1)\n"
    "  --baud B        pace answers at B baud, one character per character\n"
    "                  time (default: at once)\n"
    "  --no-process    hold the live values still (no process simulation)\n"
    "  -h, --help      print this and exit\n"
    "\n"
    "On the line: function 3 (and 4) reads 1 to 125 registers, 6 writes one,\n"
    "16 writes 1 to 123. Register n is protocol address n - 1; every address\n"
    "answers, registers outside the controller's blocks hold 0. Other functions\n"
    "get exception 1, a bad count exception 3, a range past the last address\n"
    "exception 2. Station 0 (broadcast) writes are done and not answered. The\n"
    "line runs without parity on this side, whatever the master sets.\n"
    "\n"
    "Commands on standard input, one a line (the simulator serves on when\n"
    "standard input is closed):\n"
    "  fault none|silent|crc|exception|station|garbage|late|closed\n"
    "                  no fault, no answer, damaged CRC, exception answer,\n"
    "                  answer from another station, random bytes of the\n"
    "                  answer's length, sound answer 300 ms late, line closed\n"
    "                  (the link is removed; 'fault none' makes a new line\n"
    "                  and link)\n"
    "  silence N       leave the next N requests unanswered, then go on\n"
    "  pace B          pace at B baud (0: answer at once)\n"
    "  process on|off  run or hold the process\n"
    "  get REG         print a register (register numbers as the station's)\n"
    "  set REG VALUE   set a register\n"
    "  log             print and clear the requests received\n"
    "  quit            stop (so do SIGINT and SIGTERM)\n";

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

bool ParseInt(const char* text, int lo, int hi, int& out)
{
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!text[0] || *end || v < lo || v > hi)
        return false;
    out = int(v);
    return true;
}

// Handles one command line; false when the simulator should stop.
bool Command(zc4160sim::Simulator& sim, const std::string& line)
{
    std::istringstream in(line);
    std::string word, arg, arg2;
    in >> word >> arg >> arg2;
    int n = 0, v = 0;
    if (word.empty())
        return true;
    if (word == "quit" || word == "exit")
        return false;
    if (word == "fault") {
        if (auto f = zc4160sim::ParseFault(arg)) {
            sim.setFault(*f);
            std::cout << "fault " << zc4160sim::FaultName(*f);
            if (*f == zc4160sim::Fault::None)
                std::cout << ", line " << sim.linkPath() << " -> " << sim.linePath();
            std::cout << std::endl;
        } else {
            std::cout << "unknown fault '" << arg << "'" << std::endl;
        }
    } else if (word == "silence" && ParseInt(arg.c_str(), 0, 1000000, n)) {
        sim.silenceNext(unsigned(n));
        std::cout << "silence " << n << std::endl;
    } else if (word == "pace" && ParseInt(arg.c_str(), 0, 921600, n)) {
        sim.setPacing(n);
        std::cout << "pacing " << n << std::endl;
    } else if (word == "process" && (arg == "on" || arg == "off")) {
        sim.setProcessRunning(arg == "on");
        std::cout << "process " << arg << std::endl;
    } else if (word == "get" && ParseInt(arg.c_str(), 1, 65536, n)) {
        std::cout << n << " = " << sim.reg(n) << std::endl;
    } else if (word == "set" && ParseInt(arg.c_str(), 1, 65536, n)
               && ParseInt(arg2.c_str(), -32768, 65535, v)) {
        sim.setReg(n, v);
        std::cout << n << " = " << sim.reg(n) << std::endl;
    } else if (word == "log") {
        for (const auto& r : sim.requests())
            std::cout << "station " << int(r.station) << " function " << int(r.function)
                      << " register " << r.reg() << (r.function == 6 ? " value " : " count ")
                      << r.countOrValue << "\n";
        sim.clearRequests();
        std::cout << std::flush;
    } else {
        std::cout << "unknown command; --help lists them" << std::endl;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    zc4160sim::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--help" || a == "-h") {
            std::cout << kHelp;
            return 0;
        } else if (a == "--link") {
            options.linkPath = value();
        } else if (a == "--station") {
            if (!ParseInt(value(), 1, 247, options.station)) {
                std::cerr << "zc4160-sim: --station takes 1 to 247\n";
                return 2;
            }
        } else if (a == "--baud") {
            if (!ParseInt(value(), 0, 921600, options.pacingBaud)) {
                std::cerr << "zc4160-sim: --baud takes a rate in bits per second\n";
                return 2;
            }
        } else if (a == "--no-process") {
            options.processRunning = false;
        } else {
            std::cerr << "zc4160-sim: unknown argument '" << a << "'\n" << kHelp;
            return 2;
        }
    }
    if (options.linkPath.empty()) {
        std::cerr << "zc4160-sim: --link PATH is required\n" << kHelp;
        return 2;
    }

    zc4160sim::Simulator sim(options);
    std::string error;
    if (!sim.start(&error)) {
        std::cerr << "zc4160-sim: " << error << "\n";
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    // Started in the background of a terminal, a read of standard input
    // would stop the process; ignored, the read fails and input is left.
    std::signal(SIGTTIN, SIG_IGN);
    std::cout << "zc4160-sim: station " << options.station << " on " << sim.linkPath() << " -> "
              << sim.linePath() << std::endl;

    // Standard input may be closed (started in the background): then the
    // simulator serves on until a signal stops it.
    bool readInput = true;
    std::string pending;
    while (!stopRequested) {
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&fd, readInput ? 1 : 0, 200);
        if (ready <= 0 || !readInput)
            continue;
        char buf[256];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0) {
            // End of input, or input that cannot be read: serve on, and
            // wait on signals only (poll with no descriptor, never a spin).
            readInput = false;
            continue;
        }
        pending.append(buf, size_t(n));
        size_t eol;
        bool quit = false;
        while ((eol = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            if (!Command(sim, line)) {
                quit = true;
                break;
            }
        }
        if (quit)
            break;
    }
    sim.stop();
    return 0;
}
