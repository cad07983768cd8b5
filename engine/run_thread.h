#pragma once

#include "hand_over.h"
#include "item_records.h"
#include "listing_requests.h"
#include "run_host.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace tamsel {

// What a run's threads share with the window for the window's whole life.
struct RunContext {
    RunContext(RunHost& host, std::string searchHost, int readTimeoutMs);

    RunHost& host;
    HandOver handOver;
    RunItems items;                      // host thread only
    // Launchers still watching a worker: 1 during a run, 2 while a run started as soon as the
    // button came back overlaps the previous launcher's last poll.
    std::atomic<int32_t> Running{0};
    std::atomic<bool> abandoned{false};  // the host is going away
    std::string searchHost;
    int readTimeoutMs;
};

// One detection run on a worker thread of its own, started at construction.
class TRunThread {
public:
    explicit TRunThread(RunContext& context);
    ~TRunThread();  // joins the worker thread

    TRunThread(const TRunThread&) = delete;
    TRunThread& operator=(const TRunThread&) = delete;

    std::atomic<int32_t> Done{0};
    std::atomic<int32_t> Hold{0};

    // A pass never asks for more pages than this, whatever the answers say.
    static constexpr int MaxPagesPerPass = 1000;
    // Nor hands over more items than those pages list: one answer of millions of items would
    // otherwise keep the quadratic analysis and sort, and the start button, busy for hours.
    static constexpr int MaxItemsPerPass = MaxPagesPerPass * ListingPageSize;

private:
    void Execute();
    void runPasses();
    void runSalesOrderPass(const std::string& viewIndex);
    void runDefaultOrderPass(const std::string& viewIndex);
    void runPass(ListingOrder order, const std::string& viewIndex,
                 const std::function<bool(std::string_view)>& handOverSegment);
    bool nextPage(int& pageNumber) const;
    void synchronize(void (TRunThread::*step)());
    void AppendSalesOrderRecord();
    void AppendDefaultOrderItem();
    void AnalyseRanksStep();
    void FinishRun();

    RunContext& context_;
    ListingRequests requests_;
    TItemInfo PendingItem;
    TItemRecordInfo PendingRecord;
    int32_t TotalPage = 0;
    int32_t CurrentPage = 0;
    std::thread thread_;
};

// The start of a run thread's life and the end of its bookkeeping, on a launcher thread.
void LaunchRun(RunContext& context);

}  // namespace tamsel
