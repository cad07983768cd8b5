// tamsel-cli as a user runs it, against a scripted loopback server.
#include "process_runner.h"
#include "scripted_server.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using tamsel::testing::ScriptedServer;

namespace {

tamsel::testing::ProcessRun runCli(std::vector<std::string> args)
{
    args.insert(args.begin(), TAMSEL_CLI_PATH);
    return tamsel::testing::runProcess(args, 20s);
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

TEST(TamselCli, ABodyCutShortIsWrittenButFails)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nonly-this"),
                          ScriptedServer::close()});
    const auto run = runCli({"get", server.url("/")});
    EXPECT_EQ(1, run.exitCode);
    EXPECT_EQ("only-this", run.out);
    EXPECT_EQ("error: the answer ended before its Content-Length\n", run.err);
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
    EXPECT_EQ(1, runCli({}).exitCode);
    EXPECT_EQ(1, runCli({"get"}).exitCode);
    EXPECT_EQ(1, runCli({"get", "--timeout", "soon", "http://127.0.0.1/"}).exitCode);
    EXPECT_EQ(1, runCli({"post", "http://127.0.0.1/"}).exitCode);
}

TEST(TamselCli, UnknownOptionOrCommandIsAOneLineUsageError)
{
    for (const char* word : {"--frobnicate", "-v", "fetch"}) {
        const auto run = runCli({word, "http://127.0.0.1/"});
        EXPECT_EQ(1, run.exitCode) << word;
        EXPECT_EQ("", run.out) << word;
        EXPECT_EQ(0u, run.err.find("tamsel-cli: unknown ")) << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << run.err;
    }
}

TEST(TamselCli, HelpListsTheCommandsAndVersionNamesTheBuild)
{
    const auto help = runCli({"--help"});
    EXPECT_EQ(0, help.exitCode);
    EXPECT_EQ("", help.err);
    for (const char* command : {"\n  get ", "\n  post ", "\n  detect ", "\n  history "})
        EXPECT_NE(std::string::npos, help.out.find(command)) << command;

    // The release the window's update check compares against the maker's version file.
    const auto version = runCli({"--version"});
    EXPECT_EQ(0, version.exitCode);
    EXPECT_EQ("tamsel-cli 1.09\n", version.out);
}
