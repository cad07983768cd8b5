#include "main_form.h"

#include "detection_run.h"
#include "gbk_text.h"
#include "grid_model.h"
#include "history_tab.h"
#include "info_pages.h"
#include "link_label.h"
#include "platform.h"
#include "rank_chart.h"
#include "result_grid.h"
#include "result_grids.h"
#include "run_texts.h"
#include "site_urls.h"
#include "skin_frame.h"
#include "update_check.h"
#include "user_settings.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

namespace tamsel::app {

namespace {

constexpr int PrepareChartsAfterMs = 500;
// The status panel tells the page in progress at most this often.
constexpr int ProgressIntervalMs = 250;
// The maker's contact number on the QQ messenger.
const QString ContactNumber = QStringLiteral("80018109");

QLabel* makeLabel(const QString& name, const QString& text, QPoint at, QWidget& parent)
{
    auto* label = new QLabel(text, &parent);
    label->setObjectName(name);
    setSkinSection(*label, "stdlabel");
    label->move(at);
    label->ensurePolished();  // sized in the skin's font
    label->adjustSize();
    return label;
}

}  // namespace

const QString TMainForm::ApplicationTitle = QStringLiteral("Tamsel隐形降权探测软件");
const QString TMainForm::Version = QString::fromLatin1(UpdateCheck::RunningVersion);

TMainForm::TMainForm(const AppHosts& hosts, Platform& platform, const std::string& historyPath, QWidget* parent)
    : QWidget(parent), hosts_(hosts), platform_(platform), skin_(Skin::stored())
{
    setupForm();
    setupSkin();
    setupFrame();
    setupSearchBar();
    setupStatusBar();
    setupMainPage();
    setupWebViews();
    setupTabOrder();
    setupStopControls();
    for (int index = 0; index < 3; ++index)
        setupGridActions(index);
    run_ = std::make_unique<DetectionRun>(*this, hosts_.searchHost);
    FormCreate();
    setupHistory(historyPath);
    restoreSettings();
    // Once the window stands, while the user starts typing.
    QTimer::singleShot(PrepareChartsAfterMs, this, &prepareCharts);
}

TMainForm::~TMainForm()
{
    // The run writes into the grids; it must be gone before they are.
    run_.reset();
}

void TMainForm::setupForm()
{
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(ApplicationTitle);
    QFont windowFont(QStringLiteral("Noto Sans CJK SC"));
    windowFont.setPointSize(9);
    setFont(windowFont);
}

void TMainForm::setupSkin()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText,
                     skin_.colorValue(QStringLiteral("frame"), QStringLiteral("window-text"), QColor(Qt::black)));
    setPalette(palette);
    const QColor clientBackground =
        skin_.colorValue(QStringLiteral("frame"), QStringLiteral("client-background"), QColor(Qt::white));
    setStyleSheet(skin_.styleSheet() + QStringLiteral("QWidget#skinClient { background-color: %1; }\n")
                                           .arg(clientBackground.name()));
}

void TMainForm::setupFrame()
{
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("skinClient"));
    client_->setAttribute(Qt::WA_StyledBackground);
    skinFrame_ = new SkinFrame(*this, *client_, skin_);
    skinFrame_->setMinimumOuterSize(MinimumOuterSize);
    setGeometry(QRect(QPoint(210, 188), skinFrame_->outerSizeFor(DesignClientSize)));
}

void TMainForm::setupSearchBar()
{
    skinStdLabel1_ = makeLabel(QStringLiteral("skinStdLabel1"), QStringLiteral("卖家ID："), QPoint(8, 8), *client_);
    skinStdLabel1_->setFixedHeight(18);

    txtID_ = new QLineEdit(client_);
    txtID_->setObjectName(QStringLiteral("txtID"));
    setSkinSection(*txtID_, "edit");
    txtID_->setGeometry(56, 8, 201, 18);
    connect(txtID_, &QLineEdit::textChanged, this, [this](const QString& text) {
        std::string gbk = gbkText(text);
        const std::lock_guard lock(sellerIdMutex_);
        sellerId_ = std::move(gbk);
    });

    btnSearch_ = new QPushButton(QStringLiteral("探测"), client_);
    btnSearch_->setObjectName(QStringLiteral("btnSearch"));
    setSkinSection(*btnSearch_, "button");
    btnSearch_->setGeometry(264, 8, 75, 25);
    connect(btnSearch_, &QPushButton::clicked, this, &TMainForm::btnSearchClick);
    // Enter in the seller id presses the button, which does nothing while it is disabled.
    connect(txtID_, &QLineEdit::returnPressed, btnSearch_, &QPushButton::click);
}

void TMainForm::setupStatusBar()
{
    skinStatusBar1_ = new QFrame(client_);
    skinStatusBar1_->setObjectName(QStringLiteral("skinStatusBar1"));
    setSkinSection(*skinStatusBar1_, "statusbar");
    skinStatusBar1_->setGeometry(0, 594, 1009, 21);

    sbar_ = new QLabel(skinStatusBar1_);
    sbar_->setObjectName(QStringLiteral("sbar"));
    setSkinSection(*sbar_, "statuspanel");
    sbar_->setFrameShape(QFrame::Panel);
    sbar_->setGeometry(0, 1, 753, 21);

    labCP_ = new LinkLabel(QStringLiteral("Brannock的网店 ") + QString::fromStdString(hosts_.siteHost),
                           siteUrl(hosts_.siteHost, QStringLiteral("/")), platform_, skinStatusBar1_);
    labCP_->setObjectName(QStringLiteral("labCP"));
    setSkinSection(*labCP_, "stdlabel");
    labCP_->setGeometry(760, 3, 249, 17);
}

void TMainForm::setupStopControls()
{
    labStop_ = new LinkLabel(QStringLiteral("停止"), sbar_);
    labStop_->setObjectName(QStringLiteral("labStop"));
    setSkinSection(*labStop_, "stdlabel");
    labStop_->ensurePolished();
    labStop_->adjustSize();
    labStop_->hide();
    connect(labStop_, &LinkLabel::clicked, this, &TMainForm::stopRun);
    placeStopLink();

    progressTimer_ = new QTimer(this);
    progressTimer_->setSingleShot(true);
    progressTimer_->setInterval(ProgressIntervalMs);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        if (sbar_->text() != progressText_) {
            showStatus(progressText_, false);
            progressTimer_->start();
        }
    });

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("stopShortcut"));
    connect(escape, &QShortcut::activated, this, &TMainForm::stopRun);
}

void TMainForm::setupMainPage()
{
    MainPage_ = new QTabWidget(client_);
    MainPage_->setObjectName(QStringLiteral("MainPage"));
    setSkinSection(*MainPage_, "tab");
    MainPage_->setGeometry(8, 40, 993, 545);
    MainPage_->setUsesScrollButtons(false);
    const QString captions[6] = {
        QStringLiteral(" 所有宝贝"),      QStringLiteral("降权宝贝"),     QStringLiteral("宝贝权重排行榜（隐形降权）"),
        QStringLiteral("Brannock的网店"), QStringLiteral("隐形降权说明"), QStringLiteral("Tamsel软件列表"),
    };
    for (int i = 0; i < 6; ++i) {
        tabSheets_[i] = new QWidget();
        tabSheets_[i]->setObjectName(QStringLiteral("skinTabSheet%1").arg(i + 1));
        MainPage_->addTab(tabSheets_[i], captions[i]);
    }
    // The page control overlaps the status bar's top edge; the bar stays in front.
    skinStatusBar1_->raise();

    setupGrid(0, *tabSheets_[0], QRect(8, 8, 977, 513));
    setupADPanel(0, *tabSheets_[0]);
    setupGrid(1, *tabSheets_[1], QRect(8, 8, 977, 513));
    setupADPanel(1, *tabSheets_[1]);
    setupSortControls();
    setupGrid(2, *tabSheets_[2], QRect(8, 40, 977, 481));
}

void TMainForm::setupADPanel(int index, QWidget& sheet)
{
    auto* panel = new QFrame(&sheet);
    adPanels_[index] = panel;
    panel->setObjectName(QStringLiteral("ADPanel%1").arg(index + 1));
    setSkinSection(*panel, "panel");
    panel->setFrameShape(QFrame::Box);
    panel->setGeometry(680, 8, 297, 481);

    const int firstLabel = index == 0 ? 2 : 7;
    const int firstLink = index == 0 ? 1 : 4;
    const auto label = [&](int offset, const QString& text, QPoint at) {
        return makeLabel(QStringLiteral("skinStdLabel%1").arg(firstLabel + offset), text, at, *panel);
    };
    const auto link = [&](int offset, const QUrl& target, int top) {
        auto* linkLabel = new LinkLabel(target.toString(), target, platform_, panel);
        linkLabel->setObjectName(QStringLiteral("skinLinkLabel%1").arg(firstLink + offset));
        setSkinSection(*linkLabel, "stdlabel");
        linkLabel->move(104, top);
        linkLabel->ensurePolished();
        linkLabel->adjustSize();
        linkLabel->resize(std::max(linkLabel->width(), 129), 17);
    };

    label(0, QStringLiteral("Tamsel官方博客："), QPoint(8, 16));
    link(0, siteUrl(hosts_.siteHost, QStringLiteral("/")), 16);
    label(1, QStringLiteral("Tamsel官方软件："), QPoint(8, 40));
    link(1, siteUrl(hosts_.softHost, QStringLiteral("/")), 40);
    label(2, QStringLiteral("Tamsel官方论坛："), QPoint(8, 64));
    link(2, siteUrl(hosts_.siteHost, QStringLiteral("/bbs")), 64);
    // The skin's font is wider than the one the design positions were made for:
    // the contact line keeps its design places unless its texts would overlap.
    const QLabel* qqLabel = label(3, QStringLiteral("Tamsel企业QQ："), QPoint(8, 96));
    auto* contact = new QLineEdit(ContactNumber, panel);
    contact->setObjectName(QStringLiteral("skinEdit%1").arg(index + 1));
    setSkinSection(*contact, "edit");
    contact->setGeometry(std::max(80, qqLabel->geometry().right() + 4), 95, 65, 18);
    QLabel* purpose =
        label(4, QStringLiteral("（软件发布和业务咨询专用）"), QPoint(std::max(140, contact->geometry().right() + 4), 96));
    if (purpose->geometry().right() >= panel->width() - 4)
        purpose->move(contact->x() - 6, 116);

    if (index == 0) {
        auto* notice = new QLabel(QStringLiteral("若软件探测不到，请第一时间联系企业QQ") + ContactNumber +
                                      QStringLiteral("\n\n通知Tamsel更新！谢谢！"),
                                  panel);
        notice->setObjectName(QStringLiteral("skinTextLabel1"));
        notice->setStyleSheet(
            QStringLiteral("color: #ff0000; font-family: \"Noto Sans CJK SC\"; font-size: 14px; background: transparent;"));
        notice->setWordWrap(true);
        notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        notice->setGeometry(8, 136, 274, 39);
        // The height follows the style sheet's font, which applies once polished.
        notice->ensurePolished();
        notice->resize(274, std::max(notice->heightForWidth(274), 39));
    }
}

void TMainForm::setupWebViews()
{
    infoPages_ = new InfoPages(*tabSheets_[3], *tabSheets_[4], *tabSheets_[5], hosts_.siteHost, this);
}

void TMainForm::setupTabOrder()
{
    setTabOrder(txtID_, btnSearch_);
    setTabOrder(btnSearch_, skinStatusBar1_);
    setTabOrder(skinStatusBar1_, MainPage_);
}

void TMainForm::FormCreate()
{
    // The taskbar keeps the plain title; only the skinned caption names the version.
    skinFrame_->setCaption(ApplicationTitle + QLatin1Char(' ') + Version);
    UpdateCheck(hosts_.siteHost, platform_).CheckForUpdate(nullptr);
    MainPage_->setCurrentIndex(0);
    setupGridColumns(sgData1View(), sgData1Columns());
    setupGridColumns(sgData2View(), sgData2Columns());
    setupGridColumns(sgData3View(), sgData3Columns());
    infoPages_->navigate();
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The status bar is aligned to the client's bottom before the window lays out the rest.
    skinStatusBar1_->setGeometry(0, client_->height() - skinStatusBar1_->height(), client_->width(),
                                 skinStatusBar1_->height());
    FormResize();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    QSettings settings = UserSettings();
    settings.setValue(QStringLiteral("window/geometry"), skinFrame_->restoredGeometry());
    settings.setValue(QStringLiteral("window/maximized"), skinFrame_->isMaximized());
    settings.setValue(QStringLiteral("window/tab"), MainPage_->currentIndex());
    historyTab_->saveSettings(settings);
    QWidget::closeEvent(event);
}

void TMainForm::restoreSettings()
{
    const QSettings settings = UserSettings();
    const QRect geometry = settings.value(QStringLiteral("window/geometry")).toRect();
    if (geometry.isValid())
        setGeometry(QRect(geometry.topLeft(), geometry.size().expandedTo(MinimumOuterSize)));
    if (settings.value(QStringLiteral("window/maximized"), false).toBool())
        skinFrame_->toggleMaximized();
    const int tab = settings.value(QStringLiteral("window/tab"), 0).toInt();
    if (tab >= 0 && tab < MainPage_->count())
        MainPage_->setCurrentIndex(tab);
    historyTab_->restoreSettings(settings);
}

void TMainForm::FormResize()
{
    const int W = width();
    const int H = height();

    MainPage_->resize(W - 20, H - 95);

    const auto placeGrid = [this](int index, int widthLess, int heightLess) {
        ResultGrid& grid = *grids_[index];
        grid.resize(MainPage_->width() - widthLess, MainPage_->height() - heightLess);
        QScrollBar& vertical = *verticalBars_[index];
        vertical.setGeometry(grid.x() + grid.width() - 16, grid.y(), vertical.width(), grid.height());
        QScrollBar& horizontal = *horizontalBars_[index];
        horizontal.setGeometry(grid.x(), grid.y() + grid.height() - 16, grid.width() - 16, horizontal.height());
        barCorners_[index]->move(vertical.x(), horizontal.y());
    };
    placeGrid(0, 320, 40);
    adPanels_[0]->move(sgData1View().x() + sgData1View().width() + 5, adPanels_[0]->y());
    placeGrid(1, 320, 40);
    adPanels_[1]->move(sgData2View().x() + sgData2View().width() + 5, adPanels_[1]->y());
    placeGrid(2, 20, 70);

    infoPages_->placeFor(MainPage_->size());

    sbar_->resize(W - 300, sbar_->height());
    labCP_->move(sbar_->width() + 10, labCP_->y());
    placeStopLink();
}

void TMainForm::placeStopLink()
{
    labStop_->move(sbar_->width() - labStop_->width() - 6, (sbar_->height() - labStop_->height()) / 2);
}

StringGrid& TMainForm::sgData1()
{
    return *models_[0];
}

StringGrid& TMainForm::sgData2()
{
    return *models_[1];
}

StringGrid& TMainForm::sgData3()
{
    return *models_[2];
}

bool TMainForm::searchEnabled() const
{
    return btnSearch_->isEnabled();
}

void TMainForm::setSearchEnabled(bool enabled)
{
    btnSearch_->setEnabled(enabled);
}

void TMainForm::runProgress(const RunProgress& progress)
{
    // Each change repaints the window, and pages may come faster than anyone reads them: the
    // panel shows a page at once, then the latest one at most every interval.
    progressText_ = QString::fromStdString(watchShops_ > 0 ? watchProgressText(watchShop_, watchShops_, progress)
                                                          : progressText(progress));
    if (progressTimer_->isActive())
        return;
    showStatus(progressText_, false);
    progressTimer_->start();
}

void TMainForm::runEnded(const RunReport& report)
{
    progressTimer_->stop();
    // The end stands in the grids at once, not a publishing interval later.
    for (GridModel* model : models_)
        model->publishRows();
    labStop_->hide();
    shownRun_ = report;
    historyTab_->setOpeningAllowed(true);
    historyTab_->save(report, run_->items());
    showStreakNotes(history::MakeStoredRun(report, run_->items()));
    showStatus(QString::fromStdString(statusText(report)), IsAlarming(report.outcome));
    showOutcomeTooltip(report);
    emit runFinished(report);
}

void TMainForm::showOutcomeTooltip(const RunReport& report)
{
    // The panel's line is short; the tooltip keeps the whole outcome and every problem.
    QStringList lines{QString::fromStdString(outcomeText(report))};
    for (const std::string& problem : problemTexts(report))
        lines << QString::fromStdString(problem);
    sbar_->setToolTip(lines.join(QLatin1Char('\n')));
}

void TMainForm::showStatus(const QString& text, bool alarming)
{
    sbar_->setText(text);
    sbar_->setStyleSheet(alarming ? QStringLiteral("color: #ff0000;") : QString());
}

std::string TMainForm::sellerIdText() const
{
    const std::lock_guard lock(sellerIdMutex_);
    return sellerId_;
}

void TMainForm::wakeHost()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            // The event loop gets its turn at least this often while hand-overs stream in; only a
            // single long step (the analysis, the closing sort) holds it longer.
            constexpr auto burst = std::chrono::milliseconds(3);
            if (run_)
                run_->serve(burst);
        },
        Qt::QueuedConnection);
}

void TMainForm::btnSearchClick()
{
    if (!btnSearch_->isEnabled())
        return;
    showStatus(QString(), false);
    sbar_->setToolTip(QString());
    labStop_->show();
    shownRun_.reset();
    historyTab_->setOpeningAllowed(false);
    run_->btnSearchClick();
}

void TMainForm::stopRun()
{
    run_->stop();
    emit stopRequested();
}

bool TMainForm::startRunFor(const QString& sellerId)
{
    if (!btnSearch_->isEnabled())
        return false;
    txtID_->setText(sellerId);
    btnSearch_->click();
    return true;
}

void TMainForm::setWatchPosition(int shop, int shops)
{
    watchShop_ = shop;
    watchShops_ = shops;
}

}  // namespace tamsel::app
