#pragma once

#include "watch_news.h"

#include <QObject>
#include <QTime>
#include <QTimer>

#include <chrono>
#include <string>
#include <vector>

namespace tamsel {
struct RunReport;
}

namespace tamsel::app {

class RunHistory;
class TMainForm;

// Runs the watch list through the window, one shop after another with a pause between: each
// run is the window's own (its grids, its status panel, stored like any run), and the panel names
// the shop. A stop ends the list. At its end one desktop notification tells what changed, when
// anything did. A daily time, kept in the user's settings, starts the list while the window is
// open.
class WatchRunner : public QObject {
    Q_OBJECT

public:
    // Shops follow one another after a pause, as the marketplace's rate is what limits a user.
    static constexpr std::chrono::seconds DefaultPause{5};

    WatchRunner(TMainForm& window, RunHistory& history, QObject* parent);
    void setPause(std::chrono::milliseconds pause) { pause_.setInterval(pause); }

    bool running() const { return running_; }
    // Runs the sellers (GBK) in turn; false when a run or the list is under way already.
    bool start(std::vector<std::string> sellerIds);
    bool daily() const { return daily_; }
    QTime dailyAt() const { return dailyAt_; }
    void setDaily(bool on, QTime at);

signals:
    void runningChanged(bool running);
    // The list has ended after `shopsRun` shops: what each judged one with an earlier complete run
    // brought, and why the notification could not be shown (empty when it was, or when there was
    // nothing to tell).
    void listFinished(int shopsRun, const std::vector<ShopNews>& news, const QString& notificationFailure);

private:
    void next();
    void runFinished(const RunReport& report);
    void stopRequested();
    void finish();
    void armDaily();
    void dailyTimeReached();

    TMainForm& window_;
    RunHistory& history_;
    QTimer pause_;
    QTimer* dailyTimer_;  // named, so that tests find it
    std::vector<std::string> sellers_;
    std::size_t next_ = 0;
    std::vector<ShopNews> news_;
    bool running_ = false;
    bool stopping_ = false;
    bool daily_ = false;
    QTime dailyAt_{8, 0};
    bool dailyWaiting_ = false;  // the daily time came while a run went
};

}  // namespace tamsel::app
