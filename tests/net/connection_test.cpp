#include "connection.h"

#include "http_error.h"
#include "memory_transport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

using namespace tamsel::net;
using Piece = MemoryTransport::Piece;

namespace {

// A connection over one scripted memory peer.
struct ScriptedConnection {
    explicit ScriptedConnection(std::vector<Piece> script)
        : connection([](const std::string&) -> std::string { throw SocketError(11001); },
                     [script](const std::string&, int, const SlicedWait&) {
                         return std::make_unique<MemoryTransport>(script, nullptr);
                     },
                     interruption)
    {
        connection.setReadTimeout(60000);  // no test here waits for it to run out
        connection.connect("127.0.0.1", 80, 0);
    }
    Interruption interruption;
    Connection connection;
};

std::string failureOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const HttpError& error) {
        return error.what();
    }
    return "no failure";
}

}  // namespace

TEST(ConnectionReadLine, DropsLineEndsButKeepsInnerCarriageReturn)
{
    ScriptedConnection peer({MemoryTransport::data("one\r\ntwo\nth\rree\r\n")});
    EXPECT_EQ("one", peer.connection.readLine());
    EXPECT_EQ("two", peer.connection.readLine());
    EXPECT_EQ("th\rree", peer.connection.readLine());
}

TEST(ConnectionReadLine, LimitIsSixteenKibiCharactersCountingCarriageReturn)
{
    const std::string longest(16384, 'x');
    ScriptedConnection fits({MemoryTransport::data(longest + "\n")});
    EXPECT_EQ(longest, fits.connection.readLine());

    ScriptedConnection withCr({MemoryTransport::data(longest + "\r\n")});
    EXPECT_EQ("Max line length exceeded.", failureOf([&] { withCr.connection.readLine(); }));

    ScriptedConnection endless({MemoryTransport::data(longest), MemoryTransport::data("yy"), MemoryTransport::silence()});
    EXPECT_EQ("Max line length exceeded.", failureOf([&] { endless.connection.readLine(); }));
}

TEST(ConnectionReadLine, PartialLineThenCloseGivesEmptyLineThenClosedFailure)
{
    ScriptedConnection peer({MemoryTransport::data("part"), MemoryTransport::closed()});
    EXPECT_EQ("", peer.connection.readLine());
    EXPECT_EQ("Connection Closed Gracefully.", failureOf([&] { peer.connection.readLine(); }));
}

TEST(ConnectionReadExact, LeavesTheRestBuffered)
{
    ScriptedConnection peer({MemoryTransport::data("abcdef\n")});
    std::string text;
    BodySink sink(text);
    EXPECT_TRUE(peer.connection.readExact(3, sink));
    EXPECT_EQ("abc", text);
    EXPECT_EQ("def", peer.connection.readLine());
}

TEST(ConnectionReadUntilClose, TakesBufferedAndLaterBytes)
{
    ScriptedConnection peer({MemoryTransport::data("line\nrest"), MemoryTransport::data(" more"), MemoryTransport::closed()});
    EXPECT_EQ("line", peer.connection.readLine());
    std::string text;
    BodySink sink(text);
    peer.connection.readUntilClose(sink);
    EXPECT_EQ("rest more", text);
}

TEST(ConnectionSocketErrors, ResetFailsAtOnceKeepingBytesThatCame)
{
    ScriptedConnection reset({MemoryTransport::data("ab"), MemoryTransport::error(10054)});
    std::string text;
    BodySink sink(text);
    EXPECT_EQ("Socket Error # 10054\r\nConnection reset by peer.", failureOf([&] { reset.connection.readUntilClose(sink); }));
    EXPECT_EQ("ab", text);
}

TEST(ConnectionSocketErrors, AbortWithBytesBufferedActsAsClose)
{
    ScriptedConnection aborted({MemoryTransport::data("partial"), MemoryTransport::error(10053)});
    EXPECT_EQ("", aborted.connection.readLine());
    EXPECT_FALSE(aborted.connection.connected());
    EXPECT_EQ("Connection Closed Gracefully.", failureOf([&] { aborted.connection.readLine(); }));
}

TEST(ConnectionProbe, NoticesCloseWithoutFailing)
{
    ScriptedConnection peer({MemoryTransport::closed()});
    peer.connection.probe();
    EXPECT_FALSE(peer.connection.connected());
    EXPECT_EQ("Connection Closed Gracefully.", failureOf([&] { peer.connection.write("x"); }));
}

TEST(ConnectionAbort, FlagEndsWaitWithOperationAborted)
{
    ScriptedConnection peer({MemoryTransport::silence()});
    std::atomic<bool> abort{true};
    peer.interruption.setAbortFlag(&abort);
    peer.connection.setReadTimeout(0);
    EXPECT_EQ("Operation aborted", failureOf([&] { peer.connection.readLine(); }));
}

TEST(ConnectionDeadline, PassedDeadlineFailsWithReadTimeout)
{
    ScriptedConnection peer({MemoryTransport::silence()});
    peer.connection.setReadTimeout(0);
    peer.interruption.setDeadline(Clock::now() + std::chrono::milliseconds(30));
    EXPECT_EQ("Read Timeout", failureOf([&] { peer.connection.readLine(); }));
}

TEST(ResolveHost, LocalhostAndDottedAddressesNeedNoLookup)
{
    const Interruption none;
    auto unreachable = [](const std::string&) -> std::string { throw SocketError(11001); };
    EXPECT_EQ("127.0.0.1", resolveHost("LocalHost", unreachable, none));
    EXPECT_EQ("10.1.2.3", resolveHost("10.1.2.3", unreachable, none));
    EXPECT_EQ("Socket Error # 11001\r\nHost not found.", failureOf([&] { resolveHost("10.1.2.256", unreachable, none); }));
    EXPECT_EQ("9.9.9.9", resolveHost("shop.example", [](const std::string&) { return std::string("9.9.9.9"); }, none));
}

// A lookup that hangs (a resolver that does not answer) ends with the operation's abort flag or
// deadline, as every other wait does.
TEST(ResolveHost, AbortAndDeadlineEndAHangingLookup)
{
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool entered = false;
        bool open = false;
    };
    for (const bool byAbort : {true, false}) {
        auto gate = std::make_shared<Gate>();
        const Resolver hanging = [gate](const std::string&) {
            std::unique_lock lock(gate->mutex);
            gate->entered = true;
            gate->changed.notify_all();
            gate->changed.wait_for(lock, std::chrono::seconds(30), [&] { return gate->open; });
            return std::string("9.9.9.9");
        };
        std::atomic<bool> abort{false};
        Interruption interruption;
        interruption.setAbortFlag(&abort);
        if (!byAbort)
            interruption.setDeadline(Clock::now() + std::chrono::milliseconds(200));
        std::thread stopper([&] {
            std::unique_lock lock(gate->mutex);
            gate->changed.wait_for(lock, std::chrono::seconds(10), [&] { return gate->entered; });
            abort = byAbort;
        });
        const auto start = Clock::now();
        EXPECT_EQ(byAbort ? "Operation aborted" : "Read Timeout",
                  failureOf([&] { resolveHost("shop.example", hanging, interruption); }));
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
        stopper.join();
        std::lock_guard lock(gate->mutex);
        gate->open = true;  // the lookup left behind ends
        gate->changed.notify_all();
    }
}

TEST(SocketErrorMessage, MapsErrnoToTheTableRows)
{
    EXPECT_EQ("Socket Error # 10061\r\nConnection refused.", socketErrorMessage(socketErrorFromErrno(ECONNREFUSED)));
    EXPECT_EQ(10054, socketErrorFromErrno(ECONNRESET));
    EXPECT_EQ(10053, socketErrorFromErrno(ECONNABORTED));
    EXPECT_EQ(10060, socketErrorFromErrno(ETIMEDOUT));
    EXPECT_EQ(10051, socketErrorFromErrno(ENETUNREACH));
    EXPECT_EQ(10065, socketErrorFromErrno(EHOSTUNREACH));
    EXPECT_EQ("Socket Error # 10035\r\nOperation would block. ", socketErrorMessage(10035));
    EXPECT_EQ("Socket Error # 11004\r\n", socketErrorMessage(11004));
}
