// A whole `tamsel-cli detect` against the transfer it cannot do without: the same requests, sent
// by the project's own client in a plain loop to the same server. Their ratio is what the run
// costs beyond its requests; the detect's context switches per handed-over item tell how much of
// that goes to waking threads.
//   tamsel_detect_bench --search-host HOST:PORT [--runs N] [--cli PATH] SELLER
#include "codepage.h"
#include "listing_requests.h"
#include "listing_scanner.h"

#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <vector>

using namespace tamsel;

namespace {

struct Measure {
    double seconds = 0;
    long voluntary = 0;  // context switches: sleeps
    long involuntary = 0;  // context switches: preemptions and yields that gave the core away
    long contextSwitches() const { return voluntary + involuntary; }
};

Measure runDetect(const std::string& cli, const std::string& searchHost, const std::string& seller)
{
    std::vector<std::string> args = {cli, "detect", "--search-host", searchHost, seller};
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    int status = -1;
    rusage usage{};
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        wait4(pid, &status, 0, &usage);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    posix_spawn_file_actions_destroy(&actions);
    if (status != 0) {
        std::fprintf(stderr, "%s detect failed (status %d)\n", cli.c_str(), status);
        std::exit(1);
    }
    return {std::chrono::duration<double>(elapsed).count(), usage.ru_nvcsw, usage.ru_nivcsw};
}

// The run's requests without the run: the search form, then every page of both orders.
// Returns the answers, scanned only once the clock has stopped.
std::vector<std::pair<ListingOrder, std::string>> transfer(const std::string& searchHost, const std::string& seller)
{
    const ListingRequests requests(searchHost, 10000, nullptr);
    const std::string sellerGbk = utf8ToGbk(seller);
    const std::string viewIndex = TakeViewIndex(requests.postSearchForm(sellerGbk).answer).value_or("1");
    const std::string param = SellerIdParam(sellerGbk);
    std::vector<std::pair<ListingOrder, std::string>> answers;
    for (auto order : {ListingOrder::BySales, ListingOrder::Default}) {
        int32_t totalPage = 0, currentPage = 0;
        int page = 1;
        do {
            answers.emplace_back(order, requests.getListingPage(order, param, viewIndex, page).answer);
            ScanPageCounts(answers.back().second, totalPage, currentPage);
        } while (page++ < totalPage);
    }
    return answers;
}

long itemsHandedOver(const std::vector<std::pair<ListingOrder, std::string>>& answers)
{
    long items = 0;
    for (const auto& [order, answer] : answers) {
        for (const auto& segment : ItemSegments(answer)) {
            TItemRecordInfo record;
            TItemInfo item;
            items += order == ListingOrder::BySales ? ScanSalesOrderSegment(segment, record)
                                                    : ScanDefaultOrderSegment(segment, item);
        }
    }
    return items;
}

template <typename T>
T median(std::vector<T> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    std::string searchHost;
    std::string seller;
    std::string cli = TAMSEL_CLI_PATH;
    int runs = 5;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--search-host") == 0 && i + 1 < argc)
            searchHost = argv[++i];
        else if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--cli") == 0 && i + 1 < argc)
            cli = argv[++i];
        else
            seller = argv[i];
    }
    if (searchHost.empty() || seller.empty()) {
        std::fprintf(stderr, "usage: tamsel_detect_bench --search-host HOST:PORT [--runs N] [--cli PATH] SELLER\n");
        return 2;
    }

    std::vector<Measure> detects;
    std::vector<double> transferSeconds;
    std::vector<long> transferSwitches;
    std::size_t requests = 0;
    long items = 0;
    // Interleaved, so that the load of the machine weighs on both alike.
    for (int i = 0; i < runs; ++i) {
        detects.push_back(runDetect(cli, searchHost, seller));

        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        const auto start = std::chrono::steady_clock::now();
        const auto answers = transfer(searchHost, seller);
        transferSeconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        getrusage(RUSAGE_SELF, &after);
        transferSwitches.push_back(after.ru_nvcsw + after.ru_nivcsw - before.ru_nvcsw - before.ru_nivcsw);
        requests = answers.size() + 1;
        items = itemsHandedOver(answers);
    }

    // The run of median time gives the detect's figures.
    std::sort(detects.begin(), detects.end(), [](const Measure& a, const Measure& b) { return a.seconds < b.seconds; });
    const Measure& detect = detects[detects.size() / 2];
    const double plain = median(transferSeconds);
    std::printf("medians of %d runs; %zu requests and %ld handed-over items per run\n", runs, requests, items);
    std::printf("detect:                  %.3f s (%.3f-%.3f), %ld context switches (%ld voluntary)\n", detect.seconds,
                detects.front().seconds, detects.back().seconds, detect.contextSwitches(), detect.voluntary);
    std::printf("transfer alone:          %.3f s, %ld context switches\n", plain, median(transferSwitches));
    std::printf("detect/transfer ratio:   %.2f\n", detect.seconds / plain);
    std::printf("context switches per item: %.2f (voluntary %.2f)\n",
                static_cast<double>(detect.contextSwitches()) / static_cast<double>(items),
                static_cast<double>(detect.voluntary) / static_cast<double>(items));
    return 0;
}
