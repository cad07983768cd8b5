// One whole detection of the 100-page shop against the in-process simulator, split into
// the time in requests and the time outside them (scanning, hand-overs, analysis, sorting).
#include "codepage.h"
#include "detection_run.h"
#include "headless_host.h"
#include "http_client.h"
#include "listing_requests.h"
#include "listing_scanner.h"
#include "market_simulator.h"

#include <chrono>
#include <cstdio>

using namespace tamsel;
using Clock = std::chrono::steady_clock;

namespace {

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// The scanner's share, measured over the same answers the run receives.
Clock::duration scanTime(const std::string& searchHost, const std::string& seller, int pages)
{
    const ListingRequests requests(searchHost, 10000, nullptr);
    const std::string param = SellerIdParam(seller);
    const std::string viewIndex = TakeViewIndex(requests.postSearchForm(seller).answer).value_or("1");
    Clock::duration total{};
    for (auto order : {ListingOrder::BySales, ListingOrder::Default}) {
        for (int page = 1; page <= pages; ++page) {
            const std::string answer = requests.getListingPage(order, param, viewIndex, page).answer;
            const auto start = Clock::now();
            int32_t totalPage = 0, currentPage = 0;
            ScanPageCounts(answer, totalPage, currentPage);
            for (const auto& segment : ItemSegments(answer)) {
                TItemInfo item;
                ScanDefaultOrderSegment(segment, item);
            }
            total += Clock::now() - start;
        }
    }
    return total;
}

}  // namespace

int main()
{
    sim::MarketSimulator simulator;
    const std::string searchHost = "127.0.0.1:" + std::to_string(simulator.start());
    const std::string seller = "big-shop";

    HeadlessHost host(seller);
    DetectionRun run(host, searchHost);
    const auto start = Clock::now();
    if (!host.runToEnd(run, std::chrono::minutes(2))) {
        std::fprintf(stderr, "the run did not end\n");
        return 1;
    }
    const auto wall = Clock::now() - start;
    const auto requests = simulator.requestCount();
    const auto scanning = scanTime(searchHost, seller, 100);

    std::printf("run of %s: %zu items, %zu requests\n", seller.c_str(), run.items().DefaultOrderItems.size(), requests);
    std::printf("wall time:                  %8.1f ms\n", ms(wall));
    std::printf("host steps (hand-overs, analysis, sort): %8.1f ms\n", ms(host.stepTime()));
    std::printf("scanning (measured apart):  %8.1f ms\n", ms(scanning));
    std::printf("outside requests in all:    %8.1f ms\n", ms(host.stepTime() + scanning));
    return 0;
}
