#pragma once

#include <functional>
#include <string>

namespace tamsel::net {

// Turns a host name into an IPv4 address in dotted form; throws SocketError when it cannot.
using Resolver = std::function<std::string(const std::string& host)>;

// The first IPv4 address the system's resolver gives.
std::string systemResolve(const std::string& host);

class Interruption;

// "LOCALHOST" in any case is 127.0.0.1 and a dotted address stays as it is, both without asking
// the resolver; every other name goes to it. The resolver is asked on a thread of its own, so
// that the abort flag and the deadline end the wait as they end every other; a lookup left
// behind finishes on its own and its answer is dropped.
std::string resolveHost(const std::string& host, const Resolver& resolver, const Interruption& interruption);

bool isDottedAddress(const std::string& text);

}  // namespace tamsel::net
