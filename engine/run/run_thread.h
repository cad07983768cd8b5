#pragma once

#include "hand_over.h"
#include "item_records.h"
#include "listing_requests.h"
#include "run_host.h"
#include "run_report.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace tamsel {

// Starts a thread running the function; throws std::system_error when it cannot.
using ThreadStarter = std::function<std::thread(std::function<void()>)>;

// What a run's threads share with the window for the window's whole life.
struct RunContext {
    RunContext(RunHost& host, std::string searchHost, int readTimeoutMs);

    RunHost& host;
    HandOver handOver;
    RunItems items;                      // host thread only
    // Launchers still watching a worker: 1 during a run, 2 while a run started as soon as the
    // button came back overlaps the previous launcher's last poll.
    std::atomic<int32_t> Running{0};
    std::atomic<bool> abandoned{false};      // the host is going away
    std::atomic<bool> stopRequested{false};  // the user stopped the current run
    std::atomic<bool> abortRequests{false};  // either of the two: the request in flight ends at once
    std::string searchHost;
    int readTimeoutMs;
    ThreadStarter startThread;
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

private:
    void Execute();
    void runPasses();
    void runSalesOrderPass(const std::string& viewIndex);
    void runDefaultOrderPass(const std::string& viewIndex);
    void runPass(ListingOrder order, const std::string& viewIndex,
                 const std::function<bool(std::string_view)>& handOverSegment);
    bool handOverPage(const std::string& answer, int pageNumber, PassReport& pass,
                      const std::function<bool(std::string_view)>& handOverSegment);
    bool nextPage(int& pageNumber, PassReport& pass) const;
    void reportProgress(RunStage stage, int page, const std::string& sellerId);
    void record(RunStage stage, int page, const RequestResult& result, bool listing);
    void throwIfStopped() const;
    void synchronize(const std::function<void()>& step);
    void AppendSalesOrderRecord();
    void AppendDefaultOrderItem();

    RunContext& context_;
    ListingRequests requests_;
    TItemInfo PendingItem;
    TItemRecordInfo PendingRecord;
    size_t ExpectedPassItems = 0;  // set by the worker before the pass's first hand-over
    int32_t TotalPage = 0;
    int32_t CurrentPage = 0;
    RunReport report_;
    std::thread thread_;
};

// The start of a run thread's life and the end of its bookkeeping, on a launcher thread.
void LaunchRun(RunContext& context);

// The report of a run that starts now.
RunReport StartReport(const RunContext& context);

// Ends a run that could not go on, on the host thread itself: the run is judged failed, the
// button comes back and the host is told.
void EndRunOnHostThread(RunContext& context, RunReport& report);

}  // namespace tamsel
