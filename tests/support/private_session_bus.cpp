#include "private_session_bus.h"

#include "process_runner.h"

#include <chrono>
#include <fstream>
#include <stdexcept>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamsel::testing {

namespace {

constexpr std::chrono::milliseconds StartLimit{10000};
constexpr std::chrono::milliseconds StopLimit{5000};

// The session bus's usual rules without its service folders: a call to a name nobody owns must
// fail, not start whatever notification daemon the machine has installed.
std::string configuration(const std::string& socketPath)
{
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" + socketPath + "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

int remainingMs(std::chrono::steady_clock::time_point deadline)
{
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The first line the daemon prints, which it does once it listens; empty if none came in time.
std::string firstLine(int fd, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::string text;
    while (text.find('\n') == std::string::npos) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, remainingMs(deadline)) != 1)
            return {};
        char chunk[256];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0)
            return {};
        text.append(chunk, static_cast<size_t>(got));
    }
    return text.substr(0, text.find('\n'));
}

bool endsWithin(int processFd, std::chrono::milliseconds limit)
{
    pollfd ended{processFd, POLLIN, 0};
    return poll(&ended, 1, static_cast<int>(limit.count())) == 1;
}

}  // namespace

PrivateSessionBus::PrivateSessionBus()
{
    const std::string configPath = folder_.path() + "/bus.conf";
    std::ofstream(configPath) << configuration(folder_.path() + "/bus");

    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe for the bus daemon's address");
    addressPipe_ = pipeEnds[0];
    std::vector<std::string> args{TAMSEL_DBUS_DAEMON, "--config-file=" + configPath, "--nofork", "--print-address=1"};
    // The daemon must stop on SIGTERM whatever the test program does with its signals.
    pid_ = spawnAsFromShell(std::move(args), pipeEnds[1]);
    close(pipeEnds[1]);
    if (pid_ < 0) {
        close(addressPipe_);
        throw std::runtime_error("cannot start " TAMSEL_DBUS_DAEMON);
    }
    // Through syscall(): Debian 12's <sys/pidfd.h> declares pidfd_open without C linkage.
    processFd_ = static_cast<int>(syscall(SYS_pidfd_open, pid_, 0));
    address_ = firstLine(addressPipe_, StartLimit);
    if (address_.empty() || processFd_ < 0) {
        stop();
        throw std::runtime_error("the bus daemon did not start");
    }
}

PrivateSessionBus::~PrivateSessionBus()
{
    stop();
}

void PrivateSessionBus::stop()
{
    kill(pid_, SIGTERM);
    if (processFd_ < 0 || !endsWithin(processFd_, StopLimit)) {
        kill(pid_, SIGKILL);
        if (processFd_ >= 0)
            endsWithin(processFd_, StopLimit);
    }
    // Never blocks: the daemon has ended, or, killed and still not gone, stays for the system to reap.
    waitpid(pid_, nullptr, WNOHANG);
    if (processFd_ >= 0)
        close(processFd_);
    close(addressPipe_);
}

}  // namespace tamsel::testing
