#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tamsel {

// How a run ended. Only complete and incomplete runs are judged; the others show why not.
enum class RunOutcome {
    Complete,    // every request gave a listing, no pass was cut
    Incomplete,  // judged, but a request failed, a page was not a listing, or a pass was cut
    Failed,      // a pass saw no listing at all, or the run broke down
    Stopped,     // the user stopped it
};

// Complete and incomplete runs are judged; failed and stopped ones show why not.
inline bool IsJudged(RunOutcome outcome)
{
    return outcome == RunOutcome::Complete || outcome == RunOutcome::Incomplete;
}

// Incomplete and failed runs are told in red.
inline bool IsAlarming(RunOutcome outcome)
{
    return outcome == RunOutcome::Incomplete || outcome == RunOutcome::Failed;
}

// The requests of a run, in the order they go out.
enum class RunStage { SearchForm, SalesOrder, DefaultOrder };

struct RequestProblem {
    enum class Kind {
        Failed,      // the exchange raised an error, or the body ended before its announced length
        NotListing,  // the answer was neither an item list nor a page count: a login or check page
    };
    Kind kind = Kind::Failed;
    RunStage stage = RunStage::SearchForm;
    int page = 0;         // 1-based; 0 for the search form
    std::string message;  // the client's text for a failure; empty for NotListing
    // The pass's items handed over once this page was scanned (a failed page may bring part of
    // its items): the page's missing items belong right after them. -1 when not known.
    int gapAfter = -1;
    int itemsBrought = 0;  // the items this page handed over all the same
};

struct PassReport {
    int pagesAsked = 0;
    int listingPages = 0;  // pages whose request succeeded with a listing answer
    int itemsHandedOver = 0;
    bool cut = false;  // stopped by the page or item limit while the answers promised more
    // No page gave a listing: the pass saw nothing of the shop.
    bool blind() const { return listingPages == 0; }
};

// What happened in one run, for the status panel, the command line and the history.
struct RunReport {
    std::string sellerId;  // GBK, as read for the search form
    std::string searchHost;
    std::chrono::system_clock::time_point started;
    std::chrono::system_clock::time_point ended;
    std::chrono::steady_clock::duration elapsed{};
    std::chrono::steady_clock::time_point steadyStart;  // measures `elapsed`

    std::vector<RequestProblem> problems;  // in the order the requests went out
    PassReport salesOrder;
    PassReport defaultOrder;
    bool stopped = false;
    std::string internalError;  // not empty: the run broke down outside its requests
    // Not empty: the first seller id other than sellerId that a later step of the run read and
    // asked for (GBK): the run listed two sellers and cannot be judged.
    std::string changedSellerId;

    // Filled by the analysis of a judged run.
    int itemCount = 0;
    int demotedOutright = 0;  // rows of sgData2
    int topTenDemoted = 0;    // top-ten sellers ranked lower than their sales warrant
    // Of an incomplete run (run_coverage.h): rows of sgData2 that may stand on a sales-order page
    // that did not arrive, and the items the default-order pages that did not arrive would show.
    int demotedUnchecked = 0;
    int unseenItems = 0;

    RunOutcome outcome = RunOutcome::Complete;

    // Settles `outcome` from the rest.
    void decideOutcome();
    bool judged() const { return IsJudged(outcome); }
    // The first blind pass's first problem, or nullptr.
    const RequestProblem* blindingProblem() const;
};

}  // namespace tamsel
