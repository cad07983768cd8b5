// Against a server library we did not write: chunked answers, keep-alive and redirects.
#include "http_client.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <mutex>
#include <thread>
#include <vector>

using namespace tamsel::net;

namespace {

class HttplibServer {
public:
    HttplibServer()
    {
        server_.Get("/chunked", [](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("text/plain", [](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= 30000) {
                    sink.done();
                    return true;
                }
                const std::string piece(10000, static_cast<char>('a' + offset / 10000));
                return sink.write(piece.data(), piece.size());
            });
        });
        server_.Get("/moved", [this](const httplib::Request& request, httplib::Response& response) {
            noteClientPort(request);
            response.set_redirect("/target?from=moved");
        });
        server_.Get("/target", [this](const httplib::Request& request, httplib::Response& response) {
            noteClientPort(request);
            response.set_content("arrived " + request.get_param_value("from"), "text/plain");
        });
        server_.Post("/form", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content(request.get_param_value("nick") + "|" + request.get_param_value("q"), "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        // Already listening: connections wait in the backlog until the loop accepts them.
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~HttplibServer()
    {
        server_.stop();
        thread_.join();
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    // The client's port of each request so far: one connection gives one port.
    std::vector<int> clientPorts() const
    {
        std::lock_guard guard(mutex_);
        return clientPorts_;
    }

private:
    void noteClientPort(const httplib::Request& request)
    {
        std::lock_guard guard(mutex_);
        clientPorts_.push_back(request.remote_port);
    }

    mutable std::mutex mutex_;
    std::vector<int> clientPorts_;
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace

TEST(HttplibInterop, ChunkedAnswerArrivesWhole)
{
    HttplibServer server;
    HttpClient client;
    client.ReadTimeout = 2000;
    std::string output;
    client.Get(server.url("/chunked"), output);
    EXPECT_EQ(std::string(10000, 'a') + std::string(10000, 'b') + std::string(10000, 'c'), output);
}

TEST(HttplibInterop, RedirectIsFollowedOnKeptConnection)
{
    HttplibServer server;
    HttpClient client;
    client.HandleRedirects = true;
    client.ReadTimeout = 2000;
    std::string output;
    client.Get(server.url("/moved"), output);
    EXPECT_EQ("arrived moved", output);
    const std::vector<int> ports = server.clientPorts();
    ASSERT_EQ(2u, ports.size());
    EXPECT_EQ(ports[0], ports[1]);
}

TEST(HttplibInterop, FormPostIsUnderstood)
{
    HttplibServer server;
    HttpClient client;
    client.ReadTimeout = 2000;
    std::string output;
    client.Post(server.url("/form"), {"nick=a b&c", "q="}, output);
    EXPECT_EQ("a b&c|", output);
}
