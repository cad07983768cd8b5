// One Get or Post of an HttpClient against scripted connections: each connection plays one answer
// text (a second and third one serve redirects), handed over in reads cut at the input's split
// points, and ends with the peer's close or with silence.
//
// Input: a flags byte, a count of split points, two bytes per split point, then up to three
// answer texts separated by "\nNEXT\n".
#include "fuzz_input.h"
#include "http_client.h"
#include "memory_transport.h"

#include <algorithm>
#include <deque>

namespace {

using namespace tamsel::net;
using tamsel::fuzz::FuzzInput;
using tamsel::fuzz::require;

constexpr std::string_view ConnectionSeparator = "\nNEXT\n";
constexpr std::size_t MostConnections = 3;
constexpr std::size_t MostSplitPoints = 16;

enum Flags : std::uint8_t {
    Post = 1 << 0,
    FollowRedirects = 1 << 1,
    SilentEnd = 1 << 2,     // the peer goes quiet instead of closing
    Version1_0 = 1 << 3,
    NoCookies = 1 << 4,
};

// The scripted peer, ending in silence when asked. A silent peer lets the client's deadline pass at
// once, so every wait that would run out does so at the next slice without real waiting.
class ScriptedPeer : public Transport {
public:
    ScriptedPeer(std::vector<MemoryTransport::Piece> script, bool silentEnd, HttpClient& client)
        : script_(std::move(script), log), silentEnd_(silentEnd), client_(client)
    {
    }

    ReadResult readSome(char* buffer, std::size_t capacity, std::chrono::milliseconds wait) override
    {
        const ReadResult result = script_.readSome(buffer, capacity, wait);
        if (result.status != ReadStatus::Closed || !silentEnd_)
            return result;
        client_.setDeadline(Clock::now());
        return {ReadStatus::TimedOut, 0};
    }
    std::size_t writeSome(std::string_view bytes, std::chrono::milliseconds wait) override
    {
        return script_.writeSome(bytes, wait);
    }
    void close() override {}

    // Everything the client sent on this connection.
    std::shared_ptr<std::string> log = std::make_shared<std::string>();

private:
    MemoryTransport script_;
    bool silentEnd_;
    HttpClient& client_;
};

std::vector<MemoryTransport::Piece> cutIntoReads(const std::string& answer, const std::vector<std::size_t>& cuts)
{
    std::vector<MemoryTransport::Piece> pieces;
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        if (cut <= from || cut >= answer.size())
            continue;
        pieces.push_back(MemoryTransport::data(answer.substr(from, cut - from)));
        from = cut;
    }
    if (from < answer.size())
        pieces.push_back(MemoryTransport::data(answer.substr(from)));
    return pieces;
}

// What the client sends is built from the answers' Location and cookies; whatever they hold, it
// must stay well-formed lines: no control character but a tab and the CR of a CR LF.
bool wellFormedLines(const std::string& sent)
{
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const auto c = static_cast<unsigned char>(sent[i]);
        if (c == '\r' && i + 1 < sent.size() && sent[i + 1] == '\n')
            continue;
        if (c == '\n' && i > 0 && sent[i - 1] == '\r')
            continue;
        if ((c < 0x20 && c != '\t') || c == 0x7F)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t flags = input.byte();
    std::vector<std::size_t> cuts(input.byte() % (MostSplitPoints + 1));
    for (std::size_t& cut : cuts)
        cut = input.twoBytes();
    std::sort(cuts.begin(), cuts.end());

    std::deque<std::vector<MemoryTransport::Piece>> scripts;
    for (const std::string& answer : input.texts(ConnectionSeparator, MostConnections))
        scripts.push_back(cutIntoReads(answer, cuts));

    HttpClient* client = nullptr;
    std::vector<std::shared_ptr<std::string>> sent;
    const bool silentEnd = (flags & SilentEnd) != 0;
    auto connector = [&](const std::string&, int, const SlicedWait&) -> std::unique_ptr<Transport> {
        if (scripts.empty())
            throw SocketError(10061);
        // Each connection gets the waits a fresh peer would: earlier silence does not carry over.
        client->setDeadline(Clock::now() + std::chrono::hours(1));
        auto peer = std::make_unique<ScriptedPeer>(std::move(scripts.front()), silentEnd, *client);
        scripts.pop_front();
        sent.push_back(peer->log);
        return peer;
    };
    auto resolver = [](const std::string&) -> std::string { throw SocketError(11001); };

    HttpClient http(resolver, connector);
    client = &http;
    http.HandleRedirects = (flags & FollowRedirects) != 0;
    http.ReadTimeout = 1000;
    http.AllowCookies = (flags & NoCookies) == 0;
    if (flags & Version1_0)
        http.ProtocolVersion = HttpVersion::pv1_0;

    std::string output;
    try {
        if (flags & Post)
            http.Post("http://127.0.0.1/search_auction.htm", {"nick=a b", "q=", "filter="}, output);
        else
            http.Get("http://127.0.0.1/itemlist/default.htm?&cat=0", output);
    } catch (const HttpError&) {
        // Every failure of the exchange is one of these; anything else escapes and is a finding.
    }
    // The body is made of bytes that arrived: never more than the whole input.
    require(output.size() <= size);
    for (const auto& bytes : sent)
        require(wellFormedLines(*bytes));
    return 0;
}
