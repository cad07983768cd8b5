#pragma once

#include "run_report.h"
#include "run_texts.h"
#include "string_grid.h"

#include <string>

namespace tamsel {

// What a detection run knows of its surroundings: the window, or the headless front end.
class RunHost {
public:
    virtual ~RunHost() = default;

    // Host thread only.
    virtual StringGrid& sgData1() = 0;
    virtual StringGrid& sgData2() = 0;
    virtual StringGrid& sgData3() = 0;
    virtual bool searchEnabled() const = 0;
    virtual void setSearchEnabled(bool enabled) = 0;
    // Before each request of a run: which one goes out now.
    virtual void runProgress(const RunProgress& progress) = 0;
    // The last step of every run that was not abandoned, after the button came back.
    virtual void runEnded(const RunReport& report) = 0;

    // Any thread: the seller id as the edit box holds it now, GBK bytes.
    virtual std::string sellerIdText() const = 0;

    // Any thread: have the host thread call DetectionRun::serve() soon
    // (the window posts a queued call; the headless host wakes its loop).
    virtual void wakeHost() = 0;
};

}  // namespace tamsel
