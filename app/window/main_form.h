#pragma once

#include "app_hosts.h"
#include "run_host.h"
#include "skin.h"
#include "stored_run.h"

#include <QWidget>

#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTimer;

namespace tamsel {
class DetectionRun;
struct GridColumn;
}  // namespace tamsel

namespace tamsel::app {

class GridModel;
class HistoryTab;
class InfoPages;
class LinkLabel;
class Platform;
class ResultGrid;
class SkinFrame;

// The program's one window: the seller id, the start button, the three result grids,
// the sort controls, the maker's pages and the information panels, in a skinned frame.
// It is the detection run's host: the run writes the grids on this thread.
class TMainForm : public QWidget, public RunHost {
    Q_OBJECT

public:
    static const QString ApplicationTitle;
    static const QString Version;
    static constexpr QSize MinimumOuterSize{1025, 653};
    static constexpr QSize DesignClientSize{1009, 615};

    // Runs FormCreate, the update check included, before returning. The run history is kept in
    // `historyPath`; none when it is empty.
    TMainForm(const AppHosts& hosts, Platform& platform, const std::string& historyPath = {}, QWidget* parent = nullptr);
    ~TMainForm() override;

    StringGrid& sgData1() override;
    StringGrid& sgData2() override;
    StringGrid& sgData3() override;
    bool searchEnabled() const override;
    void setSearchEnabled(bool enabled) override;
    void runProgress(const RunProgress& progress) override;
    void runEnded(const RunReport& report) override;
    std::string sellerIdText() const override;
    void wakeHost() override;

    const DetectionRun& run() const { return *run_; }
    // The run the grids show, once one has ended or been opened from the history.
    const std::optional<RunReport>& shownRun() const { return shownRun_; }

public slots:
    void btnSearchClick();
    void btnSortClick();
    void sgData1DblClick();
    void sgData2DblClick();
    void sgData3DblClick();
    void sgData3MouseDown(Qt::MouseButton button, QPoint pos);
    // Esc and the status bar's 停止 link: stops the run in progress.
    void stopRun();
    // The rank picture of the run the grids show.
    void showRankChart();
    // Selects the item's row in sgData3 (the id as GBK) and shows its tab.
    void selectRankingRow(const std::string& itemId);
    // The ranks of the item on the selected row of a grid across the shop's stored runs.
    void showItemHistory(int gridIndex);
    // Shows a run opened from the history as it stood when it ended.
    void showStoredRun(const history::StoredRun& stored);

public:
    // Starts a run for the seller as the user would, typing it and pressing 探测; false when the
    // button is disabled.
    bool startRunFor(const QString& sellerId);
    // The shop (from 1) of the watch list the next runs belong to, for the status panel; 0: none.
    void setWatchPosition(int shop, int shops);

signals:
    // The last step of every run that ended, after the window took it in.
    void runFinished(const RunReport& report);
    // Esc or the 停止 link, whether or not a run went.
    void stopRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setupForm();
    void setupSkin();
    void setupFrame();
    void setupSearchBar();
    void setupStatusBar();
    void setupStopControls();
    void setupGridActions(int index);
    void setupHistory(const std::string& historyPath);
    void setupMainPage();
    void setupGrid(int index, QWidget& sheet, QRect design);
    void setupSortControls();
    void setupADPanel(int index, QWidget& sheet);
    void setupWebViews();
    void setupTabOrder();
    // What the user left the last time: the window's size and place, maximized or not, and the
    // tab; nothing on the first start.
    void restoreSettings();

    void FormCreate();
    void FormResize();
    void setupGridColumns(ResultGrid& grid, std::span<const GridColumn> columns);
    ResultGrid& sgData1View() const { return *grids_[0]; }
    ResultGrid& sgData2View() const { return *grids_[1]; }
    ResultGrid& sgData3View() const { return *grids_[2]; }
    void openItemPage(const ResultGrid& grid, int idColumn);
    void showStatus(const QString& text, bool alarming);
    void showOutcomeTooltip(const RunReport& report);
    // Since when each item demoted in the run has been, on its title's tooltip.
    void showStreakNotes(const history::StoredRun& run);
    // Writes the three grids of the run they show into a folder the user picks.
    void exportShownRun();
    void placeStopLink();

    AppHosts hosts_;
    Platform& platform_;
    Skin skin_;

    QWidget* client_ = nullptr;
    SkinFrame* skinFrame_ = nullptr;
    QLabel* skinStdLabel1_ = nullptr;
    QLineEdit* txtID_ = nullptr;
    QPushButton* btnSearch_ = nullptr;
    QFrame* skinStatusBar1_ = nullptr;
    QLabel* sbar_ = nullptr;
    LinkLabel* labCP_ = nullptr;
    LinkLabel* labStop_ = nullptr;
    QTimer* progressTimer_ = nullptr;
    QString progressText_;  // the latest page in progress, shown when the timer runs out
    int watchShop_ = 0;     // of the watch list, from 1; 0 outside a run of the list
    int watchShops_ = 0;
    QTabWidget* MainPage_ = nullptr;
    QWidget* tabSheets_[6] = {};
    GridModel* models_[3] = {};
    ResultGrid* grids_[3] = {};
    QScrollBar* horizontalBars_[3] = {};
    QScrollBar* verticalBars_[3] = {};
    QWidget* barCorners_[3] = {};  // where a grid's two bars meet
    QFrame* adPanels_[2] = {};
    QComboBox* cbSort_ = nullptr;
    QPushButton* btnSort_ = nullptr;
    QPushButton* btnRankChart_ = nullptr;
    InfoPages* infoPages_ = nullptr;
    HistoryTab* historyTab_ = nullptr;

    std::unique_ptr<DetectionRun> run_;
    std::optional<RunReport> shownRun_;

    // The worker reads the seller id while the user may be typing.
    mutable std::mutex sellerIdMutex_;
    std::string sellerId_;
};

}  // namespace tamsel::app
