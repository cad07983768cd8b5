#include "http_client.h"

#include "form_encoding.h"
#include "net_text.h"
#include "socket_transport.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace tamsel::net {

namespace {

constexpr std::size_t MaxHeaderLineLength = 1024;
constexpr std::size_t SendPieceSize = 32768;
constexpr int StatusBodyTimeoutMs = 2000;
constexpr int RedirectBodyTimeoutMs = 4000;

bool isFoldPoint(char c)
{
    return c == ' ' || c == '\t' || c == ',';
}

std::string_view trimEnd(std::string_view text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// A header line longer than 1024 characters is folded after blanks, tabs or commas outside
// double quotes; each continuation begins with one blank.
std::string foldHeaderLine(std::string_view line)
{
    std::string folded;
    while (line.size() > MaxHeaderLineLength) {
        std::size_t lastFit = std::string_view::npos;
        std::size_t firstAfter = std::string_view::npos;
        bool quoted = false;
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (!quoted && i > 0 && isFoldPoint(line[i])) {
                if (i < MaxHeaderLineLength)
                    lastFit = i;
                else {
                    firstAfter = i;
                    break;
                }
            }
        }
        const std::size_t breakAt = lastFit != std::string_view::npos ? lastFit : firstAfter;
        if (breakAt == std::string_view::npos)
            break;
        folded += trimEnd(line.substr(0, breakAt + 1));
        folded += "\r\n ";
        line.remove_prefix(breakAt + 1);
        while (!line.empty() && isFoldPoint(line.front()))
            line.remove_prefix(1);
    }
    folded += trimEnd(line);
    return folded;
}

// The chunk size of a size line: hex digits up to the first blank, 0 when it is not a number.
std::size_t chunkSize(const std::string& line)
{
    const std::string_view digits = std::string_view(line).substr(0, line.find(' '));
    if (digits.empty())
        return 0;
    std::uint64_t size = 0;
    for (char c : digits) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return 0;
        if (size > (std::numeric_limits<std::uint64_t>::max() >> 4))
            throw HttpError("Chunk size out of range.");
        size = (size << 4) | static_cast<std::uint64_t>(digit);
    }
    if (size > MaxBodySize)
        throw HttpError(BodyTooLarge);
    return static_cast<std::size_t>(size);
}

// Gives the connection a read timeout of its own for one body, and the client's back however the
// read ends.
class BodyTimeout {
public:
    BodyTimeout(Connection& connection, int ms, int clientMs) : connection_(connection), clientMs_(clientMs)
    {
        connection_.setReadTimeout(ms);
    }
    ~BodyTimeout() { connection_.setReadTimeout(clientMs_); }
    BodyTimeout(const BodyTimeout&) = delete;
    BodyTimeout& operator=(const BodyTimeout&) = delete;

private:
    Connection& connection_;
    int clientMs_;
};

// Interim answers, 204 and 304 never carry a body, whatever their head announces: waiting for one
// would only run into the read timeout, and bytes after the head belong to the next answer.
bool hasBody(int statusCode)
{
    return statusCode / 100 != 1 && statusCode != 204 && statusCode != 304;
}

}  // namespace

HttpClient::HttpClient() : HttpClient(systemResolve, SocketTransport::connect) {}

HttpClient::HttpClient(Resolver resolver, Connector connector)
    : connection_(std::move(resolver), std::move(connector), interruption_)
{
}

HttpClient::~HttpClient()
{
    connection_.disconnect();
}

void HttpClient::Get(const std::string& url, std::string& output)
{
    std::string collected;
    BodySink collector(collected);
    try {
        exchange(Method::Get, url, nullptr, collector);
    } catch (...) {
        if (!collected.empty())
            output = std::move(collected);
        throw;
    }
    if (!collected.empty())
        output = std::move(collected);
}

void HttpClient::Get(const std::string& url, const BodyConsumer& consumer)
{
    BodySink collector(consumer);
    exchange(Method::Get, url, nullptr, collector);
}

void HttpClient::Post(const std::string& url, const std::vector<std::string>& formLines, std::string& output)
{
    std::string collected;
    BodySink collector(collected);
    try {
        post(url, formLines, collector);
    } catch (...) {
        output = std::move(collected);
        throw;
    }
    output = std::move(collected);
}

void HttpClient::Post(const std::string& url, const std::vector<std::string>& formLines, const BodyConsumer& consumer)
{
    BodySink collector(consumer);
    post(url, formLines, collector);
}

void HttpClient::post(const std::string& url, const std::vector<std::string>& formLines, BodySink& collector)
{
    if (contentType_.empty() || equalsIgnoreCase(contentType_, "text/html"))
        contentType_ = "application/x-www-form-urlencoded";
    std::vector<std::string> lines = formLines;
    const std::string body = encodeForm(lines, (HTTPOptions & hoForceEncodeParams) != 0);
    if (connection_.connected())
        connection_.disconnect();

    const HttpVersion remembered = ProtocolVersion;
    if ((HTTPOptions & hoKeepOrigProtocol) == 0)
        ProtocolVersion = HttpVersion::pv1_0;
    try {
        exchange(Method::Post, url, &body, collector);
    } catch (...) {
        ProtocolVersion = remembered;
        throw;
    }
    ProtocolVersion = remembered;
}

void HttpClient::exchange(Method method, const std::string& url, const std::string* body, BodySink& collector)
{
    redirectCount_ = 0;
    bodyCutShort_ = false;
    std::string next = url;
    try {
        for (;;) {
            ++redirectCount_;
            target_.merge(next);
            connectToTarget();
            connection_.setReadTimeout(ReadTimeout);
            sendRequest(method, body);

            // The status line of each head, interim ones included, is paid from the same budget.
            std::size_t linesLeft = MaxHeaderLines + 1;
            readHead(linesLeft);
            while (head_.statusCode() == 100)
                readHead(linesLeft);

            const int code = head_.statusCode();
            const std::string location = head_.value("Location");
            if ((code / 100 == 3 && code != 304) || !location.empty()) {
                if (!HandleRedirects)
                    failOnStatus();
                // Only a final answer's body reaches the collector, so there is nothing to cut back.
                discardRedirectBody();
                if (redirectCount_ >= RedirectMaximum)
                    break;
                next = location;
                continue;
            }
            if (code / 100 != 2)
                failOnStatus();
            if (!connection_.connected())
                throw HttpError("Undefined situation");
            if (answerHeadHook_)
                answerHeadHook_();
            if (hasBody(code))
                bodyCutShort_ = !readBody(collector);
            break;
        }
    } catch (...) {
        if (!keepAlive())
            connection_.disconnect();
        throw;
    }
    if (!keepAlive())
        connection_.disconnect();
    redirectCount_ = 0;
}

void HttpClient::connectToTarget()
{
    if (equalsIgnoreCase(target_.protocol(), "HTTPS"))
        throw HttpError("IOHandler value is not valid");
    // A redirect to another protocol keeps a port other than 80 and 443, so the merge lets it
    // through; this client only speaks plain HTTP, and never to an "ftp" or "file" URL.
    if (!equalsIgnoreCase(target_.protocol(), "HTTP"))
        throw HttpError("");
    const int port = target_.portNumber();
    if (target_.host() != connectedHost_ || port != connectedPort_) {
        connection_.disconnect();
        connectedHost_ = target_.host();
        connectedPort_ = port;
    }
    if (ProtocolVersion == HttpVersion::pv1_0 && requestConnection_.empty())
        requestConnection_ = "keep-alive";
    if (!keepAlive())
        connection_.disconnect();
    if (connection_.connected())
        connection_.probe();
    if (!connection_.connected())
        connection_.connect(connectedHost_, connectedPort_, ReadTimeout);
}

void HttpClient::sendRequest(Method method, const std::string* body)
{
    std::string cookie;
    if (cookies_)
        cookie = cookies_->cookieHeader(target_.host(), target_.path(), std::time(nullptr));

    connection_.openWriteBatch();
    connection_.write(std::string(method == Method::Get ? "GET " : "POST ") + target_.resource() + " HTTP/" +
                      (ProtocolVersion == HttpVersion::pv1_0 ? "1.0" : "1.1") + "\r\n");
    auto header = [this](const char* name, const std::string& value) {
        if (!value.empty())
            connection_.write(foldHeaderLine(std::string(name) + ": " + value) + "\r\n");
    };
    header("Connection", requestConnection_);
    header("Content-Type", contentType_);
    if (body)
        header("Content-Length", std::to_string(body->size()));
    header("Host", target_.hostHeader());
    header("Accept", "text/html, */*");
    header("User-Agent", UserAgent);
    header("Cookie", cookie);
    connection_.write("\r\n");
    connection_.closeWriteBatch();

    if (body) {
        for (std::size_t sent = 0; sent < body->size(); sent += SendPieceSize)
            connection_.write(std::string_view(*body).substr(sent, SendPieceSize));
    }
}

void HttpClient::readHead(std::size_t& linesLeft)
{
    auto spendLine = [&linesLeft] {
        if (linesLeft == 0)
            throw HttpError("Response header longer than 256 lines.");
        --linesLeft;
    };
    head_ = {};
    spendLine();
    head_.statusLine = connection_.readLine();
    for (;;) {
        std::string line;
        try {
            line = connection_.readLine();
        } catch (const ConnectionClosedError&) {
            connection_.disconnect();
            break;
        }
        if (line.empty())
            break;
        spendLine();
        head_.lines.push_back(std::move(line));
    }

    if (!cookies_ && AllowCookies)
        cookies_ = std::make_unique<CookieJar>();
    if (cookies_) {
        const std::time_t now = std::time(nullptr);
        for (const char* name : {"Set-cookie", "Set-cookie2"})
            for (const std::string& value : head_.values(name))
                cookies_->store(value, target_.host(), now);
    }
}

bool HttpClient::readBody(BodySink& sink)
{
    const std::int64_t length = parseDecimal(trim(head_.value("Content-Length"))).value_or(-1);
    if (length > 0) {
        if (static_cast<std::uint64_t>(length) > MaxBodySize - sink.size())
            throw HttpError(BodyTooLarge);
        const auto count = static_cast<std::size_t>(length);
        sink.expect(count);
        return connection_.readExact(count, sink);
    }
    if (head_.value("Transfer-Encoding").find("chunked") != std::string::npos) {
        readChunkedBody(sink);
    } else if (length < 0) {
        connection_.readUntilClose(sink);
    }
    return true;
}

void HttpClient::readChunkedBody(BodySink& sink)
{
    for (std::size_t size = chunkSize(connection_.readLine()); size > 0; size = chunkSize(connection_.readLine())) {
        if (size > MaxBodySize - sink.size())
            throw HttpError(BodyTooLarge);
        if (!connection_.readExact(size, sink))
            throw ConnectionClosedError();
        connection_.readLine();
    }
    connection_.readLine();
}

void HttpClient::discardRedirectBody()
{
    if (!connection_.connected() || !hasBody(head_.statusCode()))
        return;
    std::string discarded;
    BodySink sink(discarded);
    const BodyTimeout timeout(connection_, RedirectBodyTimeoutMs, ReadTimeout);
    try {
        readBody(sink);
    } catch (const InterruptedError&) {
        throw;
    } catch (const HttpError&) {
        // What is left of a body that could not be read would pass for the next answer.
        connection_.disconnect();
    }
}

void HttpClient::failOnStatus()
{
    std::string errorBody;
    if (hasBody(head_.statusCode())) {
        BodySink sink(errorBody);
        const BodyTimeout timeout(connection_, StatusBodyTimeoutMs, ReadTimeout);
        readBody(sink);
    }
    throw HttpStatusError(head_.statusCode(), head_.statusLine, std::move(errorBody));
}

bool HttpClient::keepAlive()
{
    if (!connection_.connected())
        return false;
    const std::string connection = head_.value("Connection");
    const std::string proxyConnection = head_.value("Proxy-Connection");
    if (ProtocolVersion == HttpVersion::pv1_0)
        return equalsIgnoreCase(connection, "KEEP-ALIVE") || equalsIgnoreCase(proxyConnection, "KEEP-ALIVE");
    return !equalsIgnoreCase(connection, "CLOSE") && !equalsIgnoreCase(proxyConnection, "CLOSE");
}

}  // namespace tamsel::net
