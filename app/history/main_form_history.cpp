// The window's side of the history: runs kept and reopened, since when items are demoted, an
// item's ranks over time, and a shown run exported.
#include "main_form.h"

#include "csv_export.h"
#include "gbk_text.h"
#include "grid_model.h"
#include "history_tab.h"
#include "local_time.h"
#include "platform.h"
#include "result_grid.h"
#include "result_grids.h"
#include "run_grids.h"
#include "run_texts.h"
#include "table_actions.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

namespace tamsel::app {

void TMainForm::setupHistory(const std::string& historyPath)
{
    historyTab_ = new HistoryTab(*MainPage_, historyPath, hosts_.itemHost, platform_, *this);
    connect(historyTab_, &HistoryTab::runOpened, this, &TMainForm::showStoredRun);
    connect(historyTab_, &HistoryTab::notice, this, [this](const QString& text, const QString& details) {
        showStatus(text, false);
        sbar_->setToolTip(details);
    });
}

void TMainForm::showItemHistory(int gridIndex)
{
    static constexpr int IdColumns[3] = {sgData1IdColumn, sgData2IdColumn, sgData3IdColumn};
    const int row = grids_[gridIndex]->selectionTop();
    const std::string itemId = models_[gridIndex]->cell(IdColumns[gridIndex], row);
    if (itemId.empty() || !shownRun_)
        return;
    historyTab_->showItemHistory(shownRun_->sellerId, itemId, displayText(models_[gridIndex]->cell(1, row)));
    MainPage_->setCurrentIndex(6);
}

void TMainForm::showStoredRun(const history::StoredRun& stored)
{
    if (!btnSearch_->isEnabled())
        return;
    RunItems items = history::ItemsOf(stored);
    ShowRun(items, stored.report, *models_[0], *models_[1], *models_[2]);
    for (GridModel* model : models_)
        model->publishRows();
    shownRun_ = stored.report;
    showStreakNotes(stored);
    showStatus(QString::fromStdString(storedRunStatusText(stored.report)), IsAlarming(stored.report.outcome));
    showOutcomeTooltip(stored.report);
    MainPage_->setCurrentIndex(0);
}

void TMainForm::showStreakNotes(const history::StoredRun& run)
{
    // An incomplete run could not judge every item: since when a complete run saw it demoted would
    // not be its own news.
    std::map<std::string, QString> notes;
    if (run.report.outcome == RunOutcome::Complete) {
        for (const history::ItemStreak& streak : historyTab_->streaksUpTo(run).demoted)
            notes.emplace(streak.itemId, QStringLiteral("自 %1 起降权，共 %2 天")
                                             .arg(QString::fromStdString(LocalTimeText(streak.since, "%Y-%m-%d")))
                                             .arg(streak.days));
    }
    sgData2View().setTitleNotes(notes, sgData2IdColumn);
    sgData3View().setTitleNotes(std::move(notes), sgData3IdColumn);
}

void TMainForm::exportShownRun()
{
    if (!shownRun_ || !btnSearch_->isEnabled())
        return;
    const QString folder = platform_.existingFolder(this, QStringLiteral("导出本次探测"));
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    std::vector<CsvFile> files = RunCsvFiles(*shownRun_, *models_[0], *models_[1], *models_[2]);
    const std::vector<std::string> names = UnusedRunCsvFileNames(
        *shownRun_, [&dir](const std::string& name) { return QFileInfo::exists(dir.filePath(QString::fromStdString(name))); });
    if (names.empty()) {
        platform_.warn(this, QStringLiteral("导出失败"), QStringLiteral("%1 中这次探测的文件名都已被占用。").arg(folder));
        return;
    }
    QStringList written;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = dir.filePath(QString::fromStdString(names[i]));
        if (!writeFileAtomically(path, files[i].bytes)) {
            platform_.warn(this, QStringLiteral("导出失败"), QStringLiteral("无法写入文件：%1").arg(path));
            return;
        }
        written << path;
    }
    showStatus(QStringLiteral("已导出 %1 个文件到 %2").arg(written.size()).arg(QDir::toNativeSeparators(folder)), false);
    sbar_->setToolTip(written.join(QLatin1Char('\n')));
}

}  // namespace tamsel::app
