// tamsel-cli as a user runs it, against a scripted loopback server.
#include "scripted_server.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using tamsel::testing::ScriptedServer;

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

CliRun runCli(std::vector<std::string> args)
{
    char outPath[] = "/tmp/tamsel-cli-out-XXXXXX";
    char errPath[] = "/tmp/tamsel-cli-err-XXXXXX";
    const int outFd = mkstemp(outPath);
    const int errFd = mkstemp(errPath);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    posix_spawn_file_actions_adddup2(&actions, errFd, 2);
    args.insert(args.begin(), TAMSEL_CLI_PATH);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    CliRun run;
    if (posix_spawn(&pid, TAMSEL_CLI_PATH, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > giveUp) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(outFd);
    close(errFd);
    run.out = slurp(outPath);
    run.err = slurp(errPath);
    unlink(outPath);
    unlink(errPath);
    return run;
}

}  // namespace

TEST(TamselCli, GetWritesBodyByteForByte)
{
    ScriptedServer server;
    const std::string body("bytes\0\xB5\xEA\r\n", 10);
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n" + body)});
    const auto run = runCli({"get", "--user-agent", "Probe/2", server.url("/p.htm")});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(body, run.out);
    EXPECT_EQ("", run.err);
    ASSERT_EQ(1u, server.requests().size());
    EXPECT_NE(std::string::npos, server.requests()[0].find("\r\nUser-Agent: Probe/2\r\n"));
}

TEST(TamselCli, StatusFailureReportsMessageAndCode)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone")});
    const auto run = runCli({"get", server.url("/missing")});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_EQ("error: HTTP/1.1 404 Not Found\nstatus: 404\n", run.err);
}

TEST(TamselCli, TimeoutStillWritesBytesThatCame)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\npart"), ScriptedServer::hold()});
    const auto run = runCli({"get", "--timeout", "200", server.url("/")});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("part", run.out);
    EXPECT_EQ("error: Read Timeout\n", run.err);
}

TEST(TamselCli, PostSendsFormAndNoRedirectsRefusesTheMove)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /b\r\nContent-Length: 0\r\n\r\n")});
    const auto run = runCli({"post", "--no-redirects", server.url("/f"), "nick=a b", "q="});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("error: HTTP/1.1 302 Found\nstatus: 302\n", run.err);
    ASSERT_EQ(1u, server.requests().size());
    const std::string request = server.requests()[0];
    EXPECT_EQ(0u, request.find("POST /f HTTP/1.0\r\n"));
    EXPECT_EQ("nick=a+b&q=&", request.substr(request.find("\r\n\r\n") + 4));
}

TEST(TamselCli, PostFollowsRedirectByDefault)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: /b\r\nConnection: close\r\n\r\n")});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send("HTTP/1.0 200 OK\r\n\r\nposted")});
    const auto run = runCli({"post", server.url("/a"), "x=1"});
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ("posted", run.out);
}

TEST(TamselCli, WrongArgumentsShowUsage)
{
    EXPECT_EQ(2, runCli({}).exitCode);
    EXPECT_EQ(2, runCli({"get"}).exitCode);
    EXPECT_EQ(2, runCli({"get", "--timeout", "soon", "http://127.0.0.1/"}).exitCode);
    EXPECT_EQ(2, runCli({"post", "http://127.0.0.1/"}).exitCode);
}
