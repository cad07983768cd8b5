#pragma once

#include "connection.h"
#include "cookie_jar.h"
#include "http_error.h"
#include "response_head.h"
#include "url.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tamsel::net {

enum class HttpVersion { pv1_0, pv1_1 };

enum HttpOption : unsigned {
    hoInProcessAuth = 1u << 0,  // no effect: the client does no authentication
    hoKeepOrigProtocol = 1u << 1,
    hoForceEncodeParams = 1u << 2,
};

// A server is untrusted: beyond this many lines an answer head fails.
inline constexpr std::size_t MaxHeaderLines = 256;

// A plain-HTTP/1.x client for one operation (Get or Post), following redirects and keeping
// cookies within it. Every failure is an HttpError; the output text is written before it is
// raised and then holds the part of the body that arrived.
class HttpClient {
public:
    // Real sockets and the system's resolver.
    HttpClient();
    // Test seams: where host names resolve and how connections open.
    HttpClient(Resolver resolver, Connector connector);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    std::string UserAgent = "Mozilla/3.0 (compatible; Tamsel HTTP client)";
    bool HandleRedirects = false;
    int RedirectMaximum = 15;
    int ReadTimeout = 0;  // milliseconds for every read and for the connect; 0: no limit
    HttpVersion ProtocolVersion = HttpVersion::pv1_1;
    unsigned HTTPOptions = hoForceEncodeParams;
    bool AllowCookies = true;

    // The request carries no extra headers, so there is nothing to clear; callers ask anyway.
    void clearRequestHeaders() {}

    // Writes `output` only when at least one body byte arrived.
    void Get(const std::string& url, std::string& output);
    // Always writes `output`, empty when no body byte arrived. Goes out as HTTP/1.0 unless
    // HTTPOptions holds hoKeepOrigProtocol.
    void Post(const std::string& url, const std::vector<std::string>& formLines, std::string& output);

    // The same operations handing the body to `consumer` piece by piece as it arrives, instead
    // of collecting it: the pieces add up to what the output text would hold.
    void Get(const std::string& url, const BodyConsumer& consumer);
    void Post(const std::string& url, const std::vector<std::string>& formLines, const BodyConsumer& consumer);

    // The operation ends by then: a wait that would pass it fails with "Read Timeout".
    void setDeadline(std::chrono::steady_clock::time_point deadline) { interruption_.setDeadline(deadline); }
    // Once *abort is true, the operation fails within 125 ms with "Operation aborted".
    void setAbortFlag(const std::atomic<bool>* abort) { interruption_.setAbortFlag(abort); }

    // The last operation's answer body ended before its announced Content-Length: the peer
    // closed early. The operation itself still succeeds with the bytes that came.
    bool bodyCutShort() const { return bodyCutShort_; }

    // Called in an operation once the head of its successful final answer is in, before the body
    // is read: a caller can get ready for the answer meanwhile.
    void setAnswerHeadHook(std::function<void()> hook) { answerHeadHook_ = std::move(hook); }

private:
    enum class Method { Get, Post };

    void post(const std::string& url, const std::vector<std::string>& formLines, BodySink& collector);
    void exchange(Method method, const std::string& url, const std::string* body, BodySink& collector);
    void connectToTarget();
    void sendRequest(Method method, const std::string* body);
    void readHead(std::size_t& linesLeft);
    // False when the peer closed before the announced Content-Length.
    bool readBody(BodySink& sink);
    void readChunkedBody(BodySink& sink);
    void discardRedirectBody();
    [[noreturn]] void failOnStatus();
    bool keepAlive();

    Interruption interruption_;
    Connection connection_;
    RequestTarget target_;
    std::string connectedHost_;
    int connectedPort_ = 0;
    std::string contentType_ = "text/html";
    std::string requestConnection_;
    ResponseHead head_;
    std::unique_ptr<CookieJar> cookies_;
    int redirectCount_ = 0;
    bool bodyCutShort_ = false;
    std::function<void()> answerHeadHook_;
};

}  // namespace tamsel::net
