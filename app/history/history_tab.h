#pragma once

#include "run_report.h"
#include "shop_streaks.h"
#include "stored_run.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

class QSettings;
class QTabWidget;
class QWidget;

namespace tamsel::app {

class HistoryPage;
class Platform;
class RunHistory;
class TMainForm;
class WatchRunner;

// The 探测历史 tab and its work: keeping every run that ends, listing, comparing and deleting
// stored runs, and picturing an item's ranks across its shop's runs. The window shows the runs
// the user opens.
class HistoryTab : public QObject {
    Q_OBJECT

public:
    // Adds the tab to `pages`; an empty path keeps no history.
    HistoryTab(QTabWidget& pages, const std::string& historyPath, std::string itemHost, Platform& platform,
               TMainForm& window);

    void save(const RunReport& report, const RunItems& items);
    history::ShopStreaks streaksUpTo(const history::StoredRun& run);
    void saveSettings(QSettings& settings) const;
    void restoreSettings(const QSettings& settings);
    // Opening replaces the grids, which a run in progress owns.
    void setOpeningAllowed(bool allowed);
    // Pictures the item's ranks across the stored runs of the seller (ids as GBK).
    void showItemHistory(const std::string& sellerId, const std::string& itemId, const QString& title);

signals:
    void runOpened(const history::StoredRun& run);
    // Something for the status panel, and the whole of it for its tooltip.
    void notice(const QString& text, const QString& details);

private:
    void refresh();
    void open(std::int64_t id);
    void compare(const std::vector<std::int64_t>& ids);
    void remove(const std::vector<std::int64_t>& ids);
    bool askedLast(const std::string& sellerId, const std::string& itemId) const;
    void warnSetAside(const QString& aside);
    void setupWatchList(TMainForm& window);

    std::string itemHost_;
    Platform& platform_;
    QWidget& window_;
    HistoryPage* page_;
    RunHistory* history_;
    WatchRunner* watchRunner_ = nullptr;
    // The item whose ranks were asked for last; a read of any other item comes too late.
    std::string itemHistorySeller_;
    std::string itemHistoryItem_;
    QString itemHistoryTitle_;
    bool warnedSetAside_ = false;
};

}  // namespace tamsel::app
