#pragma once

#include <stdexcept>
#include <string>

namespace tamsel::net {

// Every failure of an HttpClient operation; what() is the message.
class HttpError : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// An answer whose status the client does not accept: the message is the status line as received.
class HttpStatusError : public HttpError {
public:
    HttpStatusError(int code, const std::string& statusLine, std::string errorText);
    int code() const { return code_; }
    const std::string& errorText() const { return errorText_; }

private:
    int code_;
    std::string errorText_;
};

// The operation was ended from outside, by its abort flag ("Operation aborted") or its deadline
// ("Read Timeout"): whatever the client was doing then, the operation fails.
class InterruptedError : public HttpError {
public:
    using HttpError::HttpError;
};

// The peer closed the connection while more was expected: "Connection Closed Gracefully.".
class ConnectionClosedError : public HttpError {
public:
    ConnectionClosedError();
};

// A failure of the socket layer, numbered after the Windows Sockets error codes so that the
// message text is the same on every platform: "Socket Error # <number>\r\n<text>".
class SocketError : public HttpError {
public:
    explicit SocketError(int number);
    int number() const { return number_; }

private:
    int number_;
};

std::string socketErrorMessage(int number);

// The socket error number of a POSIX errno value, and of a getaddrinfo failure code.
int socketErrorFromErrno(int errnoValue);
int socketErrorFromResolver(int gaiError, int errnoValue);

}  // namespace tamsel::net
