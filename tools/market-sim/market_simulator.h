#pragma once

#include "request_log.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace tamsel::sim {

struct MarketSimulatorOptions {
    int port = 0;  // 0: the system picks a free port
    std::string versionText = "1.09";  // the answer of /quorl/v.php
    std::chrono::milliseconds stallDuration{12000};  // how long fault-stall's page stalls
    int day = 0;  // the day daily-shop shows
    // Not 0: this page of every shop's sales order answers 500, as the marketplace does now and then.
    int failingSalesOrderPage = 0;
    // The host name (Host header, port aside) under which the maker's software site is asked for.
    std::string softwareSiteName = "localhost";
    std::function<void(const std::string& line)> onRequest;  // each log line, in order
    // The newest requests requests() and logLines() keep; requestCount() counts them all.
    std::size_t keptRequests = 20000;
};

// The marketplace's search host and the maker's two web sites on one loopback HTTP server
// (127.0.0.1 only); the software site answers under its own name in the Host header. start() returns once the socket listens; stop() ends every stall,
// waits for the requests in progress and joins the server thread.
class MarketSimulator {
public:
    explicit MarketSimulator(MarketSimulatorOptions options = {});
    ~MarketSimulator();
    MarketSimulator(const MarketSimulator&) = delete;
    MarketSimulator& operator=(const MarketSimulator&) = delete;

    // Returns the port; throws std::runtime_error when the port cannot be bound,
    // std::logic_error when called twice.
    int start();
    void stop();

    int port() const { return port_; }
    std::size_t requestCount() const { return log_.count(); }
    std::vector<RequestRecord> requests() const { return log_.records(); }
    std::vector<std::string> logLines() const;

private:
    void handle(const httplib::Request& request, httplib::Response& response);
    std::string route(const httplib::Request& request, httplib::Response& response);
    std::string serveSearch(const httplib::Request& request, httplib::Response& response);
    std::string serveListing(const httplib::Request& request, httplib::Response& response, bool relayed);
    std::string serveSitePage(const httplib::Request& request, httplib::Response& response);
    std::string serveSoftwareSitePage(const httplib::Request& request, httplib::Response& response);
    std::string ownUrl(const httplib::Request& request) const;
    // Waits out the stall; false when the server stops first.
    bool waitOutStall();

    MarketSimulatorOptions options_;
    RequestLog log_;
    std::unique_ptr<httplib::Server> server_;
    std::thread listener_;
    std::future<void> listenerDone_;
    int port_ = 0;

    std::mutex stallMutex_;
    std::condition_variable stallEnd_;
    bool stopping_ = false;
};

}  // namespace tamsel::sim
