#include "watch_runner.h"

#include "desktop_notification.h"
#include "detection_run.h"
#include "gbk_text.h"
#include "main_form.h"
#include "run_history.h"
#include "stored_run.h"
#include "user_settings.h"

#include <QDateTime>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace tamsel::app {
WatchRunner::WatchRunner(TMainForm& window, RunHistory& history, QObject* parent)
    : QObject(parent), window_(window), history_(history), dailyTimer_(new QTimer(this))
{
    setObjectName(QStringLiteral("watchRunner"));
    pause_.setSingleShot(true);
    pause_.setInterval(DefaultPause);
    connect(&pause_, &QTimer::timeout, this, &WatchRunner::next);
    dailyTimer_->setObjectName(QStringLiteral("watchDailyTimer"));
    dailyTimer_->setSingleShot(true);
    connect(dailyTimer_, &QTimer::timeout, this, &WatchRunner::dailyTimeReached);
    connect(&window_, &TMainForm::runFinished, this, &WatchRunner::runFinished);
    connect(&window_, &TMainForm::stopRequested, this, &WatchRunner::stopRequested);

    const QSettings stored = UserSettings();
    daily_ = stored.value(QStringLiteral("watch/daily"), false).toBool();
    dailyAt_ = QTime::fromString(stored.value(QStringLiteral("watch/time"), QStringLiteral("08:00")).toString(),
                                 QStringLiteral("HH:mm"));
    if (!dailyAt_.isValid())
        dailyAt_ = QTime(8, 0);
    armDaily();
}

bool WatchRunner::start(std::vector<std::string> sellerIds)
{
    if (running_ || sellerIds.empty() || !window_.searchEnabled())
        return false;
    sellers_ = std::move(sellerIds);
    next_ = 0;
    news_.clear();
    running_ = true;
    stopping_ = false;
    emit runningChanged(true);
    next();
    return true;
}

void WatchRunner::next()
{
    if (next_ >= sellers_.size() || stopping_) {
        finish();
        return;
    }
    window_.setWatchPosition(static_cast<int>(next_) + 1, static_cast<int>(sellers_.size()));
    if (!window_.startRunFor(displayText(sellers_[next_])))
        finish();
}

void WatchRunner::runFinished(const RunReport& report)
{
    if (!running_) {
        if (dailyWaiting_)
            dailyTimeReached();
        return;
    }
    if (const std::optional<ShopNews> news = history_.newsOf(history::MakeStoredRun(report, window_.run().items())))
        news_.push_back(*news);
    ++next_;
    if (report.outcome == RunOutcome::Stopped || stopping_ || next_ >= sellers_.size())
        finish();
    else
        pause_.start();
}

void WatchRunner::stopRequested()
{
    if (!running_)
        return;
    stopping_ = true;
    // Between two shops nothing else would end the list.
    if (pause_.isActive()) {
        pause_.stop();
        finish();
    }
}

void WatchRunner::finish()
{
    running_ = false;
    window_.setWatchPosition(0, 0);
    emit runningChanged(false);
    const int shopsRun = static_cast<int>(next_);
    const std::optional<Notification> notification = WatchNotification(news_);
    if (!notification) {
        emit listFinished(shopsRun, news_, QString());
    } else {
        // A bus that never answers holds the call for seconds: not on the window's thread.
        auto* watcher = new QFutureWatcher<QString>(this);
        connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher, shopsRun, news = news_] {
            watcher->deleteLater();
            emit listFinished(shopsRun, news, watcher->result());
        });
        watcher->setFuture(QtConcurrent::run([summary = QString::fromStdString(notification->summary),
                                              body = QString::fromStdString(notification->body)] {
            return sendDesktopNotification(summary, body);
        }));
    }
    if (dailyWaiting_)
        dailyTimeReached();
}

void WatchRunner::setDaily(bool on, QTime at)
{
    daily_ = on;
    dailyAt_ = at;
    QSettings stored = UserSettings();
    stored.setValue(QStringLiteral("watch/daily"), on);
    stored.setValue(QStringLiteral("watch/time"), at.toString(QStringLiteral("HH:mm")));
    armDaily();
}

void WatchRunner::armDaily()
{
    dailyTimer_->stop();
    if (!daily_)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    QDateTime at(now.date(), dailyAt_);
    if (at <= now)
        at = at.addDays(1);
    dailyTimer_->start(static_cast<int>(std::min<qint64>(now.msecsTo(at), 24LL * 3600 * 1000)));
}

void WatchRunner::dailyTimeReached()
{
    // A run the user started comes first; the list follows it.
    dailyWaiting_ = running_ || !window_.searchEnabled();
    if (!dailyWaiting_)
        start(history_.watched());
    if (!dailyTimer_->isActive())
        armDaily();
}

}  // namespace tamsel::app
