#pragma once

#include "body_sink.h"
#include "interruption.h"
#include "resolver.h"
#include "transport.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tamsel::net {

// The buffered, blocking TCP connection under one client. Every wait honours the client's
// ReadTimeout and its Interruption.
class Connection {
public:
    static constexpr std::size_t RecvBufferSize = 32768;
    static constexpr std::size_t MaxLineLength = 16384;

    Connection(Resolver resolver, Connector connector, const Interruption& interruption);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setReadTimeout(int ms) { readTimeout_ = ms; }
    int readTimeout() const { return readTimeout_; }

    // `timeoutMs` of 0 or -1 waits as long as the system lets a connect take.
    void connect(const std::string& host, int port, int timeoutMs);
    void disconnect();
    // Notices a close by the peer first, closing this side then.
    bool connected();
    // Takes in whatever has arrived within 1 ms, noticing a close; neither runs out nor fails on a close.
    void probe();

    // A line without its LF and one CR before it. When the peer's close is noticed while part of
    // a line is buffered, returns an empty line and leaves that part buffered.
    std::string readLine();
    // Appends `count` bytes to `sink`; false when the peer closed first (the sink keeps every byte
    // that came). Fails on a timeout or socket error, again keeping every byte that came.
    bool readExact(std::size_t count, BodySink& sink);
    // Appends everything up to the peer's close.
    void readUntilClose(BodySink& sink);

    // While a batch is open, writes collect in memory; closing the batch sends them in one write.
    void openWriteBatch();
    void closeWriteBatch();
    void write(std::string_view bytes);

private:
    enum class Received { Data, Closed };
    Received receive();
    std::size_t buffered() const { return input_.size() - consumed_; }
    std::size_t moveBuffered(std::size_t most, BodySink& sink);
    void compactInput();
    void send(std::string_view bytes);
    void closeSocket();

    Resolver resolver_;
    Connector connector_;
    const Interruption& interruption_;
    std::unique_ptr<Transport> transport_;
    std::string input_;
    std::size_t consumed_ = 0;
    std::size_t searched_ = 0;
    bool closed_ = false;
    std::optional<std::string> batch_;
    int readTimeout_ = 0;
};

}  // namespace tamsel::net
