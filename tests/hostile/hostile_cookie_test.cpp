// Set-cookie lines a hostile server can send: they never break the next request, and only the
// cookies the jar's rules accept travel with it.
#include "hostile_fetch.h"
#include "socket_transport.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tamsel::testing;
using namespace tamsel::net;
using namespace std::string_literals;

namespace {

// The names these tests use stand for the loopback server; every other name is unknown.
std::string resolveTestNames(const std::string& host)
{
    if (host == "www.example.com" || host == "ample.com")
        return "127.0.0.1";
    throw SocketError(11001);
}

// The "Cookie" value of a request, with folded continuation lines joined again; empty when none.
// A value longer than a header line may be is folded, even right after the header's name.
std::string cookieOf(const std::string& request)
{
    const std::size_t at = request.find("\r\nCookie:");
    if (at == std::string::npos)
        return {};
    std::string value;
    std::size_t from = at + 9;
    for (;;) {
        const std::size_t end = request.find("\r\n", from);
        value += request.substr(from, end - from);
        if (request.compare(end + 2, 1, " ") != 0)
            break;
        value += ' ';
        from = end + 3;
    }
    return value.substr(std::min(value.find_first_not_of(' '), value.size()));
}

struct HostileCookies {
    std::string name;
    std::string setCookieLines;
    std::string cookie;           // the "Cookie" value of the next request
    std::string nextHost = "www.example.com";
};

void PrintTo(const HostileCookies& row, std::ostream* out)
{
    *out << row.name;
}

std::string hundredCookies()
{
    std::string lines;
    for (int i = 0; i < 100; ++i)
        lines += "Set-cookie: c" + std::to_string(i) + "=v" + std::to_string(i) + "; path=/\r\n";
    return lines;
}

std::string hundredCookiesSent()
{
    std::string value;
    for (int i = 99; i >= 0; --i)
        value += (value.empty() ? "c" : "; c") + std::to_string(i) + "=v" + std::to_string(i);
    return value;
}

const std::string Big = "big=" + std::string(4996, 'x');

class HostileCookieTest : public ::testing::TestWithParam<HostileCookies> {};

TEST_P(HostileCookieTest, NextRequestCarriesOnlyTheAcceptedCookies)
{
    const HostileCookies& row = GetParam();
    ScriptedServer server;
    const std::string port = std::to_string(server.port());
    server.addConnection({ScriptedServer::receive(),
                          ScriptedServer::send("HTTP/1.1 302 Found\r\nLocation: http://" + row.nextHost + ":" + port +
                                               "/next\r\n" + row.setCookieLines +
                                               "Connection: close\r\nContent-Length: 0\r\n\r\n")});
    server.addConnection(
        {ScriptedServer::receive(), ScriptedServer::send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok")});

    HttpClient client(resolveTestNames, SocketTransport::connect);
    client.HandleRedirects = true;
    client.ReadTimeout = HostileReadTimeoutMs;
    const Outcome outcome = fetch(client, "http://www.example.com:" + port + "/first");
    EXPECT_EQ("", outcome.failure);
    EXPECT_EQ("ok", outcome.output);
    ASSERT_EQ(2u, server.requests().size());
    EXPECT_EQ(row.cookie, cookieOf(server.requests()[1]));
}

const HostileCookies rows[] = {
    {"EmptyLineStoresNothingThatIsSent", "Set-cookie: \r\nSet-cookie: ok=1; path=/\r\n", "ok=1"},
    {"LoneSemicolonStoresNothingThatIsSent", "Set-cookie: ;\r\nSet-cookie: ok=1; path=/\r\n", "ok=1"},
    {"FiveThousandBytesTravelWhole", "Set-cookie: " + Big + "; path=/\r\n", Big},
    {"HundredInOneAnswerAllTravel", hundredCookies(), hundredCookiesSent()},
    {"PathOfALoneQuoteIsNoPath", "Set-cookie: q=1; path=\"\r\nSet-cookie: ok=1; path=/\r\n", "ok=1"},
    {"ControlCharactersDropTheCookie",
     "Set-cookie: bad=a\x01z; path=/\r\nSet-cookie: cr=a\rX-Injected: 1; path=/\r\nSet-cookie: nul=a\0z; path=/\r\n"
     "Set-cookie: ok=1; path=/\r\n"s,
     "ok=1"},
    {"SuffixThatIsNoParentDomainIsDropped",
     "Set-cookie: a=1; domain=ample.com; path=/\r\nSet-cookie: b=2; domain=.ample.com; path=/\r\n"
     "Set-cookie: c=3; domain=.example.com; path=/\r\nSet-cookie: d=4; domain=example.com; path=/\r\n",
     "c=3"},
    {"ParentDomainCookieDoesNotGoToASuffixHost",
     "Set-cookie: a=1; domain=ample.com; path=/\r\nSet-cookie: c=3; domain=.example.com; path=/\r\n", "",
     "ample.com"},
};

INSTANTIATE_TEST_SUITE_P(SetCookie, HostileCookieTest, ::testing::ValuesIn(rows),
                         [](const auto& info) { return info.param.name; });

}  // namespace
