// Redirects and connections a hostile or broken server can offer.
#include "hostile_fetch.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tamsel::testing;

namespace {

std::string redirectTo(const std::string& locationLines)
{
    return "HTTP/1.1 302 Found\r\n" + locationLines + "Content-Length: 0\r\n\r\n";
}

const std::string Final = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok";

}  // namespace

TEST(HostileRedirect, FirstOfTwoLocationsIsFollowed)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send(redirectTo("Location: /first\r\nLocation: /second\r\n")),
                          ScriptedServer::receive(), ScriptedServer::send(Final)});
    const Outcome outcome = fetch(server.url("/dir/a.htm"));
    EXPECT_EQ("ok", outcome.output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("GET /first HTTP/1.1", requestLine(server.requests()[1]));
}

TEST(HostileRedirect, EmptyLocationFetchesTheCurrentDirectory)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(redirectTo("Location: \r\n")),
                          ScriptedServer::receive(), ScriptedServer::send(Final)});
    const Outcome outcome = fetch(server.url("/dir/a.htm"));
    EXPECT_EQ("ok", outcome.output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ("GET /dir/ HTTP/1.1", requestLine(server.requests()[1]));
}

struct ForeignLocation {
    std::string name;
    std::string location;
    std::string failure;
};

void PrintTo(const ForeignLocation& row, std::ostream* out)
{
    *out << row.name;
}

class HostileRedirectProtocol : public ::testing::TestWithParam<ForeignLocation> {};

// Only plain HTTP is spoken, on whatever port the current target has: nothing goes out for
// another protocol, and nothing is fetched a second time from this server.
TEST_P(HostileRedirectProtocol, FailsBeforeAnyFurtherRequest)
{
    ScriptedServer server;
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send(redirectTo("Location: " + GetParam().location + "\r\n")),
                          ScriptedServer::receive(), ScriptedServer::send(Final)});
    server.addConnection({ScriptedServer::receive(), ScriptedServer::send(Final)});
    const Outcome outcome = fetch(server.url("/dir/a.htm"));
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(GetParam().failure, outcome.failure);
    EXPECT_EQ("", outcome.output);
    EXPECT_EQ(1u, server.requests().size());
    EXPECT_LT(outcome.elapsed, HangBound);
}

const ForeignLocation foreignLocations[] = {
    {"Https", "https://127.0.0.1/x", "IOHandler value is not valid"},
    {"Ftp", "ftp://127.0.0.1/x", ""},
    {"File", "file:///etc/passwd", ""},
    {"ControlCharacter", "/x\rX-Injected: 1", "Invalid character in URL."},
};

INSTANTIATE_TEST_SUITE_P(Locations, HostileRedirectProtocol, ::testing::ValuesIn(foreignLocations),
                         [](const auto& info) { return info.param.name; });

TEST(HostileConnection, PortNobodyListensOnIsRefusedAtOnce)
{
    // A bound socket that never listens keeps the port ours and answers a connect with a reset.
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(0, bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address));
    ASSERT_EQ(0, getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length));

    const Outcome outcome = fetch("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/");
    ::close(fd);
    EXPECT_EQ("Socket Error # 10061\r\nConnection refused.", outcome.failure);
    EXPECT_LT(outcome.elapsed, HangBound);
}
