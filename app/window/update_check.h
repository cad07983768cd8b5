#pragma once

#include <chrono>
#include <functional>
#include <string>

class QUrl;
class QWidget;

namespace tamsel::app {

class Platform;

// Asks the maker's site for its version file; when the answer is not empty and does
// not mention the running version, offers the download and on Yes opens the archive.
// Blocks the calling thread, at most `Limit` for the exchange (plus the question).
// Failures are silent.
class UpdateCheck {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr const char* RunningVersion = TAMSEL_VERSION;  // the project version, set by the build
    static constexpr std::chrono::milliseconds Limit{25000};

    // The limit counts from `now()` when the check starts; tests pass a clock that runs behind,
    // to reach the limit without waiting it out.
    UpdateCheck(std::string siteHost, Platform& platform,
                std::function<Clock::time_point()> now = [] { return Clock::now(); });

    void CheckForUpdate(QWidget* owner);

    std::string versionFileUrl() const;
    QUrl archiveUrl() const;

private:
    std::string siteHost_;
    Platform& platform_;
    std::function<Clock::time_point()> now_;
};

}  // namespace tamsel::app
