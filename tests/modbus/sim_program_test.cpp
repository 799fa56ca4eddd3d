// The simulator as the station meets it: the zc4160-sim program driven on its
// standard input, and the process it runs.

#include "modbus/SimLine.h"

#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <utility>
#include <unistd.h>

using namespace std::chrono;

namespace {

// zc4160-sim as a child process with its standard input and output on pipes.
class SimProgram {
public:
    explicit SimProgram(std::vector<std::string> args)
    {
        const char* exe = std::getenv("ZC4160_SIM");
        if (!exe)
            return;
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], STDIN_FILENO);
            dup2(out[1], STDOUT_FILENO);
            std::vector<char*> argv{const_cast<char*>(exe)};
            for (auto& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(exe, argv.data());
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~SimProgram()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        if (stdin_ >= 0)
            close(stdin_);
        if (stdout_ >= 0)
            close(stdout_);
    }
    bool running() const { return pid_ > 0; }
    void send(const std::string& line)
    {
        const std::string text = line + "\n";
        ASSERT_EQ(write(stdin_, text.data(), text.size()), ssize_t(text.size()));
    }
    void closeInput()
    {
        close(stdin_);
        stdin_ = -1;
    }
    // The next line it prints, empty after 5 s of silence.
    std::string readLine()
    {
        const auto deadline = steady_clock::now() + seconds(5);
        while (true) {
            if (auto eol = buffer_.find('\n'); eol != std::string::npos) {
                std::string line = buffer_.substr(0, eol);
                buffer_.erase(0, eol + 1);
                return line;
            }
            const int left = int(duration_cast<milliseconds>(deadline - steady_clock::now()).count());
            pollfd fd{stdout_, POLLIN, 0};
            if (left <= 0 || poll(&fd, 1, left) <= 0)
                return {};
            char buf[256];
            const ssize_t n = read(stdout_, buf, sizeof buf);
            if (n <= 0)
                return {};
            buffer_.append(buf, size_t(n));
        }
    }
    // Everything it prints until it ends its output (5 s at most).
    std::string readAll()
    {
        const auto deadline = steady_clock::now() + seconds(5);
        while (true) {
            const int left = int(duration_cast<milliseconds>(deadline - steady_clock::now()).count());
            pollfd fd{stdout_, POLLIN, 0};
            if (left <= 0 || poll(&fd, 1, left) <= 0)
                break;
            char buf[256];
            const ssize_t n = read(stdout_, buf, sizeof buf);
            if (n <= 0)
                break;
            buffer_.append(buf, size_t(n));
        }
        return std::exchange(buffer_, {});
    }
    // Processor time the child has used so far, in seconds.
    double cpuSeconds() const
    {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
        // Fields after the command name in parentheses: state is field 3,
        // utime and stime are fields 14 and 15.
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        long long utime = 0, stime = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14)
                utime = std::stoll(field);
            if (i == 15)
                stime = std::stoll(field);
        }
        return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
    }
    int waitExit()
    {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string buffer_;
};

} // namespace

TEST(SimProgram, ServesOnItsLinkAndTakesFaultCommandsOnStandardInput)
{
    char pattern[] = "/tmp/zc4160-test.XXXXXX";
    const std::string dir = mkdtemp(pattern);
    const std::string link = dir + "/line";
    SimProgram sim({"--link", link, "--station", "5", "--no-process"});
    ASSERT_TRUE(sim.running()) << "ZC4160_SIM names the simulator";
    EXPECT_NE(sim.readLine().find(link), std::string::npos);   // says where its line is
    setenv("ZC4160_PORT9", link.c_str(), 1);
    ASSERT_EQ(OpenPort_Modbus(9, 3, 2), 0);

    int32_t v = 0;
    EXPECT_EQ(Get_4X_DX(9, 5, 3201, 1, &v), 0);
    EXPECT_EQ(v, 192);
    sim.send("set 1 -40");
    EXPECT_EQ(sim.readLine(), "1 = -40");
    EXPECT_EQ(Get_4X_DX(9, 5, 1, 1, &v), 0);
    EXPECT_EQ(v, -40);

    const struct { const char* name; int32_t code; } faults[] = {
        {"silent", modbus::kNoAnswer}, {"crc", modbus::kDamaged}, {"exception", modbus::kException},
        {"station", modbus::kDamaged}, {"closed", modbus::kPortNotOpen},
    };
    for (const auto& f : faults) {
        sim.send(std::string("fault ") + f.name);
        EXPECT_EQ(sim.readLine(), std::string("fault ") + f.name);
        EXPECT_EQ(Set_4X_D1(9, 5, 309, 1), f.code) << f.name;
        sim.send("fault none");
        EXPECT_NE(sim.readLine().find("fault none"), std::string::npos);
        EXPECT_EQ(Set_4X_D1(9, 5, 309, 2), 0) << f.name;
    }

    // One lost answer, then it answers again.
    sim.send("silence 1");
    EXPECT_EQ(sim.readLine(), "silence 1");
    EXPECT_EQ(Set_4X_D1(9, 5, 309, 1), modbus::kNoAnswer);
    EXPECT_EQ(Set_4X_D1(9, 5, 309, 2), 0);

    sim.send("log");
    EXPECT_EQ(sim.readLine(), "station 5 function 3 register 3201 count 1");

    // With its input closed it serves on until a signal stops it, waiting
    // rather than spinning on the closed input.
    sim.closeInput();
    std::this_thread::sleep_for(milliseconds(100));
    const double before = sim.cpuSeconds();
    std::this_thread::sleep_for(seconds(1));
    EXPECT_LT(sim.cpuSeconds() - before, 0.3);   // a spin would use the whole second
    EXPECT_EQ(Get_4X_DX(9, 5, 309, 1, &v), 0);
    EXPECT_EQ(v, 2);
    ClosePort_Modbus(9);
    std::filesystem::remove_all(dir);
}

TEST(SimProgram, HelpListsTheOptionsAndCommands)
{
    SimProgram sim({"--help"});
    ASSERT_TRUE(sim.running());
    const std::string help = sim.readAll();
    for (const char* part : {"--link PATH", "--station", "--baud", "fault none|silent|crc",
                             "garbage", "late",
                             "silence N", "function 3", "exception 1", "quit"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
    EXPECT_EQ(sim.waitExit(), 0);
}

TEST(SimProcess, PvFollowsTheOutputAndTheModeSetsTheOutput)
{
    testsupport::SimLine line{1};
    line->setProcessRunning(true);
    ASSERT_EQ(OpenPort_Modbus(1, 3, 2), 0);
    ASSERT_EQ(Set_4X_D1(1, 1, 309, 1), 0);      // manual
    ASSERT_EQ(Set_4X_D1(1, 1, 301, 800), 0);    // OP 80.0 %
    int32_t status[16] = {};
    const auto deadline = steady_clock::now() + seconds(10);
    while (steady_clock::now() < deadline) {
        ASSERT_EQ(Get_4X_DX(1, 1, 1, 16, status), 0);
        if (status[0] > 300)
            break;
        std::this_thread::sleep_for(milliseconds(50));
    }
    EXPECT_EQ(status[1], 800);   // OP as commanded
    EXPECT_GT(status[0], 300);   // PV rises towards 25 + 10 x 80
    EXPECT_LE(status[0], 825);
    EXPECT_EQ(status[8], 1);     // register 9 shows the manual mode

    ASSERT_EQ(Set_4X_D1(1, 1, 309, 2), 0);      // standby: output off
    std::this_thread::sleep_for(milliseconds(300));
    ASSERT_EQ(Get_4X_DX(1, 1, 1, 16, status), 0);
    EXPECT_EQ(status[1], 0);
    EXPECT_EQ(status[8], 2);
}

TEST(SimProcess, TheClockBlockRunsWithTheComputersClock)
{
    testsupport::SimLine line{1};
    ASSERT_EQ(OpenPort_Modbus(1, 3, 2), 0);
    int32_t clock[8] = {};
    ASSERT_EQ(Get_4X_DX(1, 1, 3001, 8, clock), 0);
    EXPECT_GE(clock[0], 2024);
    EXPECT_TRUE(clock[1] >= 1 && clock[1] <= 12);
    EXPECT_TRUE(clock[2] >= 1 && clock[2] <= 31);
    ASSERT_EQ(Set_4X_D1(1, 1, 3001, 2030), 0);  // setting the year moves the clock
    std::this_thread::sleep_for(milliseconds(250));
    ASSERT_EQ(Get_4X_DX(1, 1, 3001, 8, clock), 0);
    EXPECT_EQ(clock[0], 2030);
}
