#pragma once

#include <string>

namespace tamsel::app {

// The hosts ("host" or "host:port") the window talks to. The programs pass their
// build-time hosts; tests point them at loopback servers.
struct AppHosts {
    std::string searchHost;  // the marketplace's item search
    std::string itemHost;    // the marketplace's item pages
    std::string siteHost;    // the maker's web site: version file, archive, information pages
    std::string softHost;    // the maker's second web site, of its software
};

}  // namespace tamsel::app
