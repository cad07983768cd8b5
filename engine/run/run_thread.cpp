#include "run_thread.h"

#include "listing_scanner.h"
#include "rank_analysis.h"
#include "run_coverage.h"
#include "run_grids.h"
#include "sort_grid.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

namespace tamsel {
namespace {

// Unwinds a run whose host has gone away; no end-of-run step follows.
struct RunAbandoned {};
// Unwinds a run the user stopped; its end still reaches the host.
struct RunStopped {};

std::thread startStdThread(std::function<void()> body)
{
    return std::thread(std::move(body));
}

// The items a pass will hand over, as its first page tells: that page's segments on each of the
// pages it announces, within the pass's limits.
size_t expectedItems(int32_t totalPage, size_t segmentsOnPage)
{
    const auto pages = static_cast<size_t>(std::clamp(totalPage, 1, MaxPagesPerPass));
    return std::min(pages * segmentsOnPage, static_cast<size_t>(MaxItemsPerPass));
}

std::string describe(const std::exception& error)
{
    const std::string what = error.what();
    return what.empty() ? "未知错误" : what;
}

// Host thread: judges a run that saw the shop, or says in sgData2 why it was not judged.
void JudgeRun(RunContext& context, RunReport& report)
{
    RunHost& host = context.host;
    report.stopped = context.stopRequested;
    report.itemCount = static_cast<int>(context.items.DefaultOrderItems.size());
    report.decideOutcome();
    if (report.judged()) {
        try {
            const RankSummary summary = AnalyseRanks(context.items, host.sgData2(), host.sgData3());
            report.demotedOutright = summary.demotedOutright;
            report.topTenDemoted = summary.topTenDemoted;
            if (report.outcome == RunOutcome::Incomplete) {
                const RunCoverage coverage =
                    CoverageOf(report, context.items.DefaultOrderItems, context.items.SalesOrderItems);
                report.demotedUnchecked = coverage.uncheckedCount;
                report.unseenItems = coverage.unseenItems;
                ShowIncomplete(host.sgData2(), report);
            }
            return;
        } catch (const std::exception& error) {
            report.internalError = describe(error);
        } catch (...) {
            report.internalError = "未知错误";
        }
        report.decideOutcome();
    }
    ShowNotJudged(host.sgData2(), host.sgData3(), report);
}

// Host thread: the button comes back and the ranking stands by sales.
void FinishRun(RunContext& context)
{
    context.host.setSearchEnabled(true);
    TSortGrid::SortByColumn(context.host.sgData3(), 1, 2);
}

// Host thread: the host learns how the run ended.
void ReportOutcome(RunContext& context, RunReport& report)
{
    report.ended = std::chrono::system_clock::now();
    report.elapsed = std::chrono::steady_clock::now() - report.steadyStart;
    context.host.runEnded(report);
}

// The end of a run, step by step on the host thread. A failed step does not keep the later
// ones, the button's return above all, from running.
template <typename RunStep>
void EndRun(RunContext& context, RunReport& report, RunStep runStep)
{
    const std::function<void()> steps[] = {
        [&] { JudgeRun(context, report); },
        [&] { FinishRun(context); },
        [&] { ReportOutcome(context, report); },
    };
    for (const auto& step : steps) {
        try {
            if (!runStep(step))
                return;
        } catch (...) {
        }
    }
}

// Worker or launcher side; false once the host has gone away.
bool handOverStep(RunContext& context, const std::function<void()>& step)
{
    return context.handOver.synchronize(step);
}

}  // namespace

RunReport StartReport(const RunContext& context)
{
    RunReport report;
    report.searchHost = context.searchHost;
    report.started = std::chrono::system_clock::now();
    report.steadyStart = std::chrono::steady_clock::now();
    return report;
}

void EndRunOnHostThread(RunContext& context, RunReport& report)
{
    EndRun(context, report, [](const std::function<void()>& step) {
        step();
        return true;
    });
}

RunContext::RunContext(RunHost& host, std::string searchHost, int readTimeoutMs)
    : host(host),
      handOver([&host] { host.wakeHost(); }),
      searchHost(std::move(searchHost)),
      readTimeoutMs(readTimeoutMs),
      startThread(startStdThread)
{
}

TRunThread::TRunThread(RunContext& context)
    : context_(context),
      requests_(context.searchHost, context.readTimeoutMs, &context.abortRequests),
      report_(StartReport(context))
{
    thread_ = context.startThread([this] { Execute(); });
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
    } catch (const RunStopped&) {
        // The end of the run tells the host.
    } catch (const std::exception& error) {
        report_.internalError = describe(error);
    } catch (...) {
        report_.internalError = "未知错误";
    }
    if (!abandoned)
        EndRun(context_, report_, [this](const std::function<void()>& step) { return handOverStep(context_, step); });
    Done = 1;
    Done.notify_all();
    Hold.wait(1);
}

void TRunThread::runPasses()
{
    std::string viewIndex = "1";
    TotalPage = 0;
    CurrentPage = 0;
    throwIfStopped();
    report_.sellerId = context_.host.sellerIdText();
    reportProgress(RunStage::SearchForm, 0, report_.sellerId);
    const RequestResult form = requests_.postSearchForm(report_.sellerId);
    throwIfStopped();
    record(RunStage::SearchForm, 0, form, true);
    if (auto taken = TakeViewIndex(form.answer))
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
        synchronize([this] { AppendSalesOrderRecord(); });
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
        synchronize([this] { AppendDefaultOrderItem(); });
        return true;
    });
}

// Every page of one order: reads the seller id anew, then hands each accepted segment
// to `handOverSegment`, which says whether it was an item.
void TRunThread::runPass(ListingOrder order, const std::string& viewIndex,
                         const std::function<bool(std::string_view)>& handOverSegment)
{
    const RunStage stage = order == ListingOrder::BySales ? RunStage::SalesOrder : RunStage::DefaultOrder;
    PassReport& pass = stage == RunStage::SalesOrder ? report_.salesOrder : report_.defaultOrder;
    // Each pass reads the box anew and asks for what it holds; a run that asked for two sellers
    // is not judged.
    const std::string sellerId = context_.host.sellerIdText();
    if (sellerId != report_.sellerId && report_.changedSellerId.empty())
        report_.changedSellerId = sellerId;
    const std::string sellerIdParam = SellerIdParam(sellerId);
    int pageNumber = 1;
    do {
        throwIfStopped();
        reportProgress(stage, pageNumber, sellerId);
        // The host wakes while the answer is still read and scanned, ready for its first item.
        const RequestResult result = requests_.getListingPage(order, sellerIdParam, viewIndex, pageNumber,
                                                              [this] { context_.handOver.expectStep(); });
        throwIfStopped();
        ++pass.pagesAsked;
        const std::size_t problemsBefore = report_.problems.size();
        const int itemsBefore = pass.itemsHandedOver;
        record(stage, pageNumber, result, IsListingAnswer(result.answer));
        const bool cut = handOverPage(result.answer, pageNumber, pass, handOverSegment);
        // A problem of this page: its missing items belong after what it brought.
        for (std::size_t i = problemsBefore; i < report_.problems.size(); ++i) {
            report_.problems[i].gapAfter = pass.itemsHandedOver;
            report_.problems[i].itemsBrought = pass.itemsHandedOver - itemsBefore;
        }
        if (cut)
            return;
    } while (nextPage(pageNumber, pass));
}

// Scans one answer and hands its items over; true when the pass reached its item limit.
bool TRunThread::handOverPage(const std::string& answer, int pageNumber, PassReport& pass,
                              const std::function<bool(std::string_view)>& handOverSegment)
{
    if (answer.empty())
        return false;
    ScanPageCounts(answer, TotalPage, CurrentPage);
    const std::vector<std::string_view> segments = ItemSegments(answer);
    if (pageNumber == 1)
        ExpectedPassItems = expectedItems(TotalPage, segments.size());
    for (const auto& segment : segments) {
        if (handOverSegment(segment) && ++pass.itemsHandedOver == MaxItemsPerPass) {
            pass.cut = true;
            return true;
        }
    }
    return false;
}

// Besides the answers' own page counts, a pass never goes past the page count in
// force nor past MaxPagesPerPass, so answers that never report the last page end it.
bool TRunThread::nextPage(int& pageNumber, PassReport& pass) const
{
    if (CurrentPage >= TotalPage || TotalPage <= 0 || pageNumber >= TotalPage)
        return false;
    if (pageNumber >= MaxPagesPerPass) {
        pass.cut = true;
        return false;
    }
    ++pageNumber;
    return true;
}

void TRunThread::reportProgress(RunStage stage, int page, const std::string& sellerId)
{
    RunProgress progress{sellerId, stage, page, page > 1 ? TotalPage : 0};
    synchronize([this, progress = std::move(progress)] { context_.host.runProgress(progress); });
}

void TRunThread::record(RunStage stage, int page, const RequestResult& result, bool listing)
{
    if (result.failed()) {
        report_.problems.push_back({RequestProblem::Kind::Failed, stage, page, result.failure});
    } else if (!listing) {
        report_.problems.push_back({RequestProblem::Kind::NotListing, stage, page, {}});
    } else if (stage != RunStage::SearchForm) {
        ++(stage == RunStage::SalesOrder ? report_.salesOrder : report_.defaultOrder).listingPages;
    }
}

void TRunThread::throwIfStopped() const
{
    if (context_.abandoned)
        throw RunAbandoned{};
    if (context_.stopRequested)
        throw RunStopped{};
}

void TRunThread::synchronize(const std::function<void()>& step)
{
    if (!handOverStep(context_, step))
        throw RunAbandoned{};
}

// The pending records are scanned afresh before each hand-over, so the steps take their texts.
// Room for the whole pass is made at its first item: grown by doubling, the array would be
// copied a dozen times into memory never touched before, which is what costs here.
void TRunThread::AppendSalesOrderRecord()
{
    std::vector<TItemRecordInfo>& records = context_.items.SalesOrderItems;
    if (records.empty())
        records.reserve(ExpectedPassItems);
    records.push_back(std::move(PendingRecord));
}

void TRunThread::AppendDefaultOrderItem()
{
    std::vector<TItemInfo>& items = context_.items.DefaultOrderItems;
    if (items.empty())
        items.reserve(ExpectedPassItems);
    items.push_back(std::move(PendingItem));
    AppendItemRow(context_.host.sgData1(), items.back());
}

void LaunchRun(RunContext& context)
{
    std::unique_ptr<TRunThread> worker;
    try {
        worker = std::make_unique<TRunThread>(context);
    } catch (const std::exception& error) {
        RunReport report = StartReport(context);
        report.sellerId = context.host.sellerIdText();
        report.internalError = "无法启动探测线程：" + describe(error);
        EndRun(context, report, [&context](const std::function<void()>& step) { return handOverStep(context, step); });
        --context.Running;
        return;
    }
    worker->Done.wait(0);
    worker->Hold = 0;
    worker->Hold.notify_all();
    worker.reset();
    --context.Running;
}

}  // namespace tamsel
