#include "history_tab.h"

#include "comparison_dialog.h"
#include "history_charts.h"
#include "history_page.h"
#include "local_time.h"
#include "main_form.h"
#include "platform.h"
#include "run_comparison.h"
#include "run_history.h"
#include "run_list_model.h"
#include "watch_panel.h"
#include "watch_runner.h"

#include <QSettings>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tamsel::app {

HistoryTab::HistoryTab(QTabWidget& pages, const std::string& historyPath, std::string itemHost, Platform& platform,
                       TMainForm& window)
    : QObject(&window), itemHost_(std::move(itemHost)), platform_(platform), window_(window)
{
    auto* sheet = new QWidget();
    sheet->setObjectName(QStringLiteral("skinTabSheet7"));
    pages.addTab(sheet, QStringLiteral("探测历史"));
    page_ = new HistoryPage(platform_, sheet);
    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page_);

    history_ = new RunHistory(historyPath, this);
    connect(history_, &RunHistory::changed, this, &HistoryTab::refresh);
    connect(history_, &RunHistory::failed, page_, &HistoryPage::setUnavailable);
    connect(history_, &RunHistory::availableAgain, this, [this] { page_->setUnavailable({}); });
    connect(history_, &RunHistory::itemHistoryRead, this,
            [this](const std::string& sellerId, const std::string& itemId,
                   const std::vector<history::ItemHistoryPoint>& points) {
                if (askedLast(sellerId, itemId))
                    page_->charts().showItem(itemHistoryTitle_, points);
            });
    connect(history_, &RunHistory::itemHistoryFailed, this,
            [this](const std::string& sellerId, const std::string& itemId, const QString& what) {
                if (askedLast(sellerId, itemId))
                    page_->charts().showItemFailed(itemHistoryTitle_, what);
            });
    connect(page_, &HistoryPage::openRequested, this, &HistoryTab::open);
    connect(page_, &HistoryPage::compareRequested, this, &HistoryTab::compare);
    connect(page_, &HistoryPage::deleteRequested, this, &HistoryTab::remove);
    if (!history_->available())
        page_->setUnavailable(QStringLiteral("历史记录已关闭：") + history_->unavailableReason());
    connect(history_, &RunHistory::damagedFileSetAside, this, [this](const QString& aside) {
        page_->setUnavailable({});  // what found the damage is over
        warnSetAside(aside);
    });
    if (!history_->movedAside().isEmpty())
        warnSetAside(history_->movedAside());
    refresh();
    setupWatchList(window);
}

void HistoryTab::setupWatchList(TMainForm& window)
{
    WatchPanel& panel = page_->watchPanel();
    watchRunner_ = new WatchRunner(window, *history_, this);
    panel.setSellers(history_->watched());
    panel.setDaily(watchRunner_->daily(), watchRunner_->dailyAt());
    connect(history_, &RunHistory::watchListChanged, this, [this] { page_->watchPanel().setSellers(history_->watched()); });
    connect(&panel, &WatchPanel::addRequested, this, [this](const std::vector<std::string>& ids) { history_->setWatched(ids, true); });
    connect(&panel, &WatchPanel::removeRequested, this,
            [this](const std::vector<std::string>& ids) { history_->setWatched(ids, false); });
    connect(&panel, &WatchPanel::runRequested, this, [this] { watchRunner_->start(history_->watched()); });
    connect(&panel, &WatchPanel::dailyChanged, watchRunner_, &WatchRunner::setDaily);
    connect(watchRunner_, &WatchRunner::runningChanged, &panel, &WatchPanel::setRunning);
    connect(watchRunner_, &WatchRunner::listFinished, this,
            [this](int shopsRun, const std::vector<ShopNews>& news, const QString& notificationFailure) {
                int changed = 0;
                for (const ShopNews& shop : news)
                    changed += shop.newlyDemoted > 0 || shop.recovered > 0;
                QString text = QStringLiteral("监控列表探测完毕：共 %1 家，其中 %2 家有变化").arg(shopsRun).arg(changed);
                QStringList details{text};
                for (const ShopNews& shop : news)
                    details << QStringLiteral("%1：新降权 %2 个，已恢复 %3 个")
                                   .arg(QString::fromStdString(shop.sellerId))
                                   .arg(shop.newlyDemoted)
                                   .arg(shop.recovered);
                if (!notificationFailure.isEmpty()) {
                    text += QStringLiteral("（未能发送桌面通知）");
                    details << QStringLiteral("无法发送桌面通知：") + notificationFailure;
                }
                emit notice(text, details.join(QLatin1Char('\n')));
            });
}

void HistoryTab::save(const RunReport& report, const RunItems& items)
{
    history_->save(report, items);
}

history::ShopStreaks HistoryTab::streaksUpTo(const history::StoredRun& run)
{
    return history_->streaksUpTo(run);
}

void HistoryTab::saveSettings(QSettings& settings) const
{
    settings.setValue(QStringLiteral("history/dividers"), page_->dividers());
}

void HistoryTab::restoreSettings(const QSettings& settings)
{
    page_->setDividers(settings.value(QStringLiteral("history/dividers")).toByteArray());
}

void HistoryTab::setOpeningAllowed(bool allowed)
{
    page_->setOpeningAllowed(allowed);
}

void HistoryTab::showItemHistory(const std::string& sellerId, const std::string& itemId, const QString& title)
{
    if (!history_->available()) {
        platform_.warn(&window_, QStringLiteral("查看排名变化"),
                       QStringLiteral("历史记录已关闭：") + history_->unavailableReason());
        return;
    }
    itemHistorySeller_ = sellerId;
    itemHistoryItem_ = itemId;
    itemHistoryTitle_ = title;
    page_->charts().showItemLoading(title);
    history_->readItemHistory(sellerId, itemId);
}

void HistoryTab::warnSetAside(const QString& aside)
{
    // Once a session: a disk that keeps damaging files is told about once, not at every save.
    if (warnedSetAside_)
        return;
    warnedSetAside_ = true;
    platform_.warn(&window_, QStringLiteral("探测历史"),
                   QStringLiteral("历史记录文件已损坏，已原样保留为 %1，现在使用新的历史记录文件。").arg(aside));
}

bool HistoryTab::askedLast(const std::string& sellerId, const std::string& itemId) const
{
    return sellerId == itemHistorySeller_ && itemId == itemHistoryItem_;
}

void HistoryTab::refresh()
{
    page_->setRuns(history_->list());
}

void HistoryTab::open(std::int64_t id)
{
    if (const std::optional<history::StoredRun> stored = history_->load(id))
        emit runOpened(*stored);
}

void HistoryTab::compare(const std::vector<std::int64_t>& ids)
{
    const QString title = QStringLiteral("与上一次对比");
    const std::optional<history::StoredRun> later = history_->load(ids.back());
    if (!later)
        return;
    std::optional<history::StoredRun> earlier;
    if (ids.size() == 2) {
        earlier = history_->load(ids.front());
        if (!earlier)
            return;
    } else if (const std::optional<history::RunSummary> previous = history_->previousComplete(later->id)) {
        earlier = history_->load(previous->id);
        if (!earlier) {  // the tab already says why
            platform_.warn(&window_, title, QStringLiteral("上一次完整的探测记录无法读取。"));
            return;
        }
    }
    if (!later->report.judged()) {
        platform_.warn(&window_, title, QString::fromStdString(WhyNotComparable(later->report, later->report)));
        return;
    }
    if (!earlier) {
        platform_.warn(&window_, title, QStringLiteral("这个卖家在这次之前没有完整的探测记录。"));
        return;
    }
    if (const std::string why = WhyNotComparable(earlier->report, later->report); !why.empty()) {
        platform_.warn(&window_, title, QString::fromStdString(why));
        return;
    }
    // Whichever the user picked first, the earlier run is the one that started first.
    const bool swapped = later->report.started < earlier->report.started;
    const history::StoredRun& from = swapped ? *later : *earlier;
    const history::StoredRun& to = swapped ? *earlier : *later;
    const RunComparison comparison =
        CompareRuns({from.report, from.defaultOrder, from.salesOrder}, {to.report, to.defaultOrder, to.salesOrder});
    std::map<std::string, QString> since;
    for (const history::ItemStreak& streak : history_->streaksUpTo(to).demoted)
        since.emplace(streak.itemId, QString::fromStdString(LocalTimeText(streak.since, "%Y-%m-%d")));
    auto* dialog = new ComparisonDialog(comparison, from.report, to.report, since, itemHost_, platform_, &window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
}

void HistoryTab::remove(const std::vector<std::int64_t>& ids)
{
    if (platform_.askYesNo(&window_, QStringLiteral("删除探测记录"),
                           QStringLiteral("确定删除选中的 %1 条探测记录吗？删除后无法恢复。").arg(ids.size())))
        history_->remove(ids);
}

}  // namespace tamsel::app
