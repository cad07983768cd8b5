#include "run_thread.h"

#include "listing_scanner.h"
#include "my_utils.h"
#include "rank_analysis.h"
#include "sort_grid.h"

#include <chrono>
#include <functional>

namespace tamsel {
namespace {

// Unwinds a run whose host has gone away; no end-of-run step follows.
struct RunAbandoned {};

constexpr auto PollInterval = std::chrono::milliseconds(100);

}  // namespace

RunContext::RunContext(RunHost& host, std::string searchHost, int readTimeoutMs)
    : host(host), handOver([&host] { host.wakeHost(); }), searchHost(std::move(searchHost)), readTimeoutMs(readTimeoutMs)
{
}

TRunThread::TRunThread(RunContext& context)
    : context_(context), requests_(context.searchHost, context.readTimeoutMs, &context.abandoned)
{
    thread_ = std::thread([this] { Execute(); });
}

TRunThread::~TRunThread()
{
    if (thread_.joinable())
        thread_.join();
}

void TRunThread::Execute()
{
    Hold = 1;
    Done = 0;
    bool abandoned = false;
    try {
        runPasses();
    } catch (const RunAbandoned&) {
        abandoned = true;
    } catch (...) {
        // Whatever went wrong, the run still ends with its analysis and the button back.
    }
    if (!abandoned) {
        for (auto step : {&TRunThread::AnalyseRanksStep, &TRunThread::FinishRun}) {
            try {
                synchronize(step);
            } catch (const RunAbandoned&) {
                break;
            } catch (...) {
                // FinishRun must still run after a failed analysis.
            }
        }
    }
    Done = 1;
    while (Hold != 0)
        std::this_thread::sleep_for(PollInterval);
}

void TRunThread::runPasses()
{
    std::string viewIndex = "1";
    TotalPage = 0;
    CurrentPage = 0;
    if (context_.abandoned)
        throw RunAbandoned{};
    if (auto taken = TakeViewIndex(requests_.postSearchForm(context_.host.sellerIdText())))
        viewIndex = *taken;
    runSalesOrderPass(viewIndex);
    runDefaultOrderPass(viewIndex);
}

void TRunThread::runSalesOrderPass(const std::string& viewIndex)
{
    runPass(ListingOrder::BySales, viewIndex, [this](std::string_view segment) {
        PendingRecord.ItemId.clear();
        PendingRecord.Title.clear();
        if (!ScanSalesOrderSegment(segment, PendingRecord))
            return false;
        synchronize(&TRunThread::AppendSalesOrderRecord);
        return true;
    });
}

void TRunThread::runDefaultOrderPass(const std::string& viewIndex)
{
    int32_t rankCounter = 1;
    runPass(ListingOrder::Default, viewIndex, [this, &rankCounter](std::string_view segment) {
        PendingItem = TItemInfo{};
        if (!ScanDefaultOrderSegment(segment, PendingItem))
            return false;
        PendingItem.ActualRank = rankCounter++;
        synchronize(&TRunThread::AppendDefaultOrderItem);
        return true;
    });
}

// Every page of one order: reads the seller id anew, then hands each accepted segment
// to `handOverSegment`, which says whether it was an item.
void TRunThread::runPass(ListingOrder order, const std::string& viewIndex,
                         const std::function<bool(std::string_view)>& handOverSegment)
{
    const std::string sellerIdParam = SellerIdParam(context_.host.sellerIdText());
    int pageNumber = 1;
    int handedOver = 0;
    do {
        if (context_.abandoned)
            throw RunAbandoned{};
        const std::string answer = requests_.getListingPage(order, sellerIdParam, viewIndex, pageNumber);
        if (answer.empty())
            continue;
        ScanPageCounts(answer, TotalPage, CurrentPage);
        for (const auto& segment : ItemSegments(answer)) {
            if (handOverSegment(segment) && ++handedOver == MaxItemsPerPass)
                return;
        }
    } while (nextPage(pageNumber));
}

// Besides the answers' own page counts, a pass never goes past the page count in
// force nor past MaxPagesPerPass, so answers that never report the last page end it.
bool TRunThread::nextPage(int& pageNumber) const
{
    if (CurrentPage < TotalPage && TotalPage > 0 && pageNumber < TotalPage && pageNumber < MaxPagesPerPass) {
        ++pageNumber;
        return true;
    }
    return false;
}

void TRunThread::synchronize(void (TRunThread::*step)())
{
    if (!context_.handOver.synchronize([this, step] { (this->*step)(); }))
        throw RunAbandoned{};
}

void TRunThread::AppendSalesOrderRecord()
{
    context_.items.SalesOrderItems.push_back(PendingRecord);
}

void TRunThread::AppendDefaultOrderItem()
{
    context_.items.DefaultOrderItems.push_back(PendingItem);
    StringGrid& grid = context_.host.sgData1();
    const int row = grid.rowCount() - 1;
    grid.setCell(0, row, std::to_string(PendingItem.ActualRank));
    grid.setCell(1, row, PendingItem.Title);
    grid.setCell(2, row, std::to_string(PendingItem.Sales));
    grid.setCell(3, row, PendingItem.Price);
    grid.setCell(5, row, PendingItem.ItemId);
    grid.setRowCount(row + 2);
}

void TRunThread::AnalyseRanksStep()
{
    AnalyseRanks(context_.items, context_.host.sgData2(), context_.host.sgData3());
}

void TRunThread::FinishRun()
{
    context_.host.setSearchEnabled(true);
    TSortGrid::SortByColumn(context_.host.sgData3(), 1, 2);
}

void LaunchRun(RunContext& context)
{
    auto worker = std::make_unique<TRunThread>(context);
    while (worker->Done != 1)
        std::this_thread::sleep_for(PollInterval);
    worker->Hold = 0;
    worker.reset();  // the worker's thread returns within one poll
    --context.Running;
}

}  // namespace tamsel
