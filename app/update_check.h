#pragma once

#include <chrono>
#include <string>

class QUrl;
class QWidget;

namespace tamsel::app {

class Platform;

// Asks the maker's site for its version file; when the answer is not empty and does
// not mention the running version, offers the download and on Yes opens the archive.
// Blocks the calling thread, at most `limit` for the exchange (plus the question).
// Failures are silent.
class UpdateCheck {
public:
    static constexpr const char* RunningVersion = TAMSEL_VERSION;  // the project version, set by the build
    static constexpr std::chrono::milliseconds DefaultLimit{25000};

    UpdateCheck(std::string siteHost, Platform& platform);

    void CheckForUpdate(QWidget* owner, std::chrono::milliseconds limit = DefaultLimit);

    std::string versionFileUrl() const;
    QUrl archiveUrl() const;

private:
    std::string siteHost_;
    Platform& platform_;
};

}  // namespace tamsel::app
