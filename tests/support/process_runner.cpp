#include "process_runner.h"

#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace tamsel::testing {
namespace {

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::vector<std::string> outputLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

pid_t spawnAsFromShell(std::vector<std::string> args, int outputFd, int errorFd)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
    if (errorFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, errorFd, 2);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ) != 0)
        pid = -1;
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

ProcessRun runProcess(std::vector<std::string> args, std::chrono::milliseconds limit,
                      const std::function<bool()>& signalWhen, int signal)
{
    char outPath[] = "/tmp/tamsel-run-out-XXXXXX";
    char errPath[] = "/tmp/tamsel-run-err-XXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);
    ProcessRun run;
    if (const pid_t pid = spawnAsFromShell(std::move(args), outFd, errFd); pid > 0) {
        int status = 0;
        const auto giveUp = std::chrono::steady_clock::now() + limit;
        bool signalled = false;
        // Polls rather than blocks so that a hung program is killed at the limit.
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (!signalled && signalWhen && signalWhen()) {
                kill(pid, signal);
                signalled = true;
            }
            if (std::chrono::steady_clock::now() > giveUp) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    close(outFd);
    close(errFd);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    unlink(outPath);
    unlink(errPath);
    return run;
}

}  // namespace tamsel::testing
