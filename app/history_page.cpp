#include "history_page.h"

#include "gbk_text.h"
#include "history_charts.h"
#include "run_list_model.h"
#include "skin.h"
#include "table_actions.h"
#include "watch_panel.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <set>

namespace tamsel::app {

HistoryPage::HistoryPage(Platform& platform, QWidget* parent)
    : QWidget(parent),
      model_(new RunListModel(this)),
      filter_(new QLineEdit(this)),
      list_(new QTableView(this)),
      open_(new QPushButton(QStringLiteral("打开"), this)),
      compare_(new QPushButton(QStringLiteral("与上一次对比"), this)),
      delete_(new QPushButton(QStringLiteral("删除"), this)),
      state_(new QLabel(this)),
      charts_(new HistoryCharts(platform, this)),
      watchPanel_(new WatchPanel(this))
{
    setObjectName(QStringLiteral("historyPage"));
    auto* filterLabel = new QLabel(QStringLiteral("卖家ID："), this);
    setSkinSection(*filterLabel, "stdlabel");
    filter_->setObjectName(QStringLiteral("historyFilter"));
    setSkinSection(*filter_, "edit");
    filter_->setFixedWidth(201);
    filter_->setClearButtonEnabled(true);
    for (auto [button, name] : {std::pair{open_, "btnOpenRun"}, {compare_, "btnCompareRun"}, {delete_, "btnDeleteRuns"}}) {
        button->setObjectName(QString::fromLatin1(name));
        setSkinSection(*button, "button");
    }
    state_->setObjectName(QStringLiteral("historyState"));
    state_->setStyleSheet(QStringLiteral("color: #ff0000;"));
    state_->hide();

    list_->setObjectName(QStringLiteral("historyList"));
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setColumnWidth(RunListModel::Time, 150);
    list_->setColumnWidth(RunListModel::Seller, 200);
    addTableActions(*list_, platform, [this] { return model_->csv(); }, [] { return QStringLiteral("探测历史.csv"); });
    auto* openAction = new QAction(QStringLiteral("打开"), list_);
    openAction->setObjectName(QStringLiteral("openRunAction"));
    openAction->setShortcuts({QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)});
    openAction->setShortcutContext(Qt::WidgetShortcut);
    list_->addAction(openAction);
    const auto listAction = [this](const char* text, const char* name, QPushButton* button, const QKeySequence& keys) {
        auto* action = new QAction(QString::fromUtf8(text), list_);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, button, &QPushButton::click);
        list_->addAction(action);
    };
    listAction("与上一次对比", "compareRunAction", compare_, QKeySequence());
    listAction("删除", "deleteRunsAction", delete_, QKeySequence::Delete);

    auto* bar = new QHBoxLayout;
    bar->addWidget(filterLabel);
    bar->addWidget(filter_);
    bar->addSpacing(8);
    bar->addWidget(open_);
    bar->addWidget(compare_);
    bar->addWidget(delete_);
    bar->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(bar);
    layout->addWidget(state_);
    // The watch list beside the runs it makes.
    auto* top = new QSplitter(Qt::Horizontal, this);
    top->addWidget(list_);
    top->addWidget(watchPanel_);
    top->setStretchFactor(0, 3);
    top->setStretchFactor(1, 1);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(top);
    split->addWidget(charts_);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 3);
    split->setSizes({120, 360});  // the pictures need the room more than the list
    layout->addWidget(split);

    connect(filter_, &QLineEdit::textChanged, this, &HistoryPage::showRuns);
    connect(list_, &QTableView::doubleClicked, this, [this] { openCurrent(); });
    connect(openAction, &QAction::triggered, this, [this] { openCurrent(); });
    connect(open_, &QPushButton::clicked, this, [this] { openCurrent(); });
    connect(compare_, &QPushButton::clicked, this, [this] {
        const auto ids = selectedIds();
        if (ids.size() == 1 || ids.size() == 2)
            emit compareRequested(ids);
    });
    connect(delete_, &QPushButton::clicked, this, [this] {
        const auto ids = selectedIds();
        if (!ids.empty())
            emit deleteRequested(ids);
    });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HistoryPage::updateButtons);
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &HistoryPage::showSelectedShop);
    updateButtons();
}

void HistoryPage::setRuns(std::vector<history::RunSummary> runs)
{
    runs_ = std::move(runs);
    showRuns();
}

void HistoryPage::showRuns()
{
    const QString filter = filter_->text().trimmed();
    std::vector<history::RunSummary> shown;
    for (const history::RunSummary& run : runs_)
        if (filter.isEmpty() || displayText(run.sellerId).contains(filter, Qt::CaseInsensitive))
            shown.push_back(run);
    model_->setRuns(std::move(shown));
    updateButtons();
}

void HistoryPage::setUnavailable(const QString& reason)
{
    state_->setText(reason);
    state_->setVisible(!reason.isEmpty());
}

void HistoryPage::setOpeningAllowed(bool allowed)
{
    openingAllowed_ = allowed;
    updateButtons();
}

void HistoryPage::showSelectedShop()
{
    const QModelIndex current = list_->currentIndex();
    if (!current.isValid())
        return;
    const std::string& seller = model_->run(current.row()).sellerId;
    charts_->showShop(displayText(seller), history::ShopHistory(runs_, seller));
}

std::vector<std::int64_t> HistoryPage::selectedIds() const
{
    std::set<int> rows;
    for (const QModelIndex& index : list_->selectionModel()->selectedIndexes())
        rows.insert(index.row());
    std::vector<std::int64_t> ids;
    for (const int row : rows)
        ids.push_back(model_->run(row).id);
    return ids;
}

void HistoryPage::openCurrent()
{
    const QModelIndex current = list_->currentIndex();
    if (openingAllowed_ && current.isValid())
        emit openRequested(model_->run(current.row()).id);
}

void HistoryPage::updateButtons()
{
    const std::size_t selected = selectedIds().size();
    open_->setEnabled(openingAllowed_ && selected == 1);
    compare_->setEnabled(selected == 1 || selected == 2);
    compare_->setText(selected == 2 ? QStringLiteral("对比选中的两次") : QStringLiteral("与上一次对比"));
    delete_->setEnabled(selected > 0);
}

}  // namespace tamsel::app
