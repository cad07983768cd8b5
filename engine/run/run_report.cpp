#include "run_report.h"

namespace tamsel {

void RunReport::decideOutcome()
{
    if (stopped)
        outcome = RunOutcome::Stopped;
    else if (!internalError.empty() || !changedSellerId.empty() || salesOrder.blind() || defaultOrder.blind())
        outcome = RunOutcome::Failed;
    else if (!problems.empty() || salesOrder.cut || defaultOrder.cut)
        outcome = RunOutcome::Incomplete;
    else
        outcome = RunOutcome::Complete;
}

const RequestProblem* RunReport::blindingProblem() const
{
    for (const RunStage stage : {RunStage::SalesOrder, RunStage::DefaultOrder}) {
        const PassReport& pass = stage == RunStage::SalesOrder ? salesOrder : defaultOrder;
        if (!pass.blind())
            continue;
        for (const RequestProblem& problem : problems)
            if (problem.stage == stage)
                return &problem;
    }
    return nullptr;
}

}  // namespace tamsel
