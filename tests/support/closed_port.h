#pragma once

namespace tamsel::testing {

// A loopback port that nobody listens on: bound by the system's choice, then closed again, so
// a connect there is refused.
int closedLoopbackPort();

}  // namespace tamsel::testing
