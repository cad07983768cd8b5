#include "history_page.h"

#include "gbk_text.h"
#include "history_charts.h"
#include "run_list_model.h"
#include "skin.h"
#include "table_actions.h"
#include "watch_panel.h"

#include <QAction>
#include <QDataStream>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
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
    for (auto [button, name] : {std::pair{open_, "btnOpenRun"}, {compare_, "btnCompareRun"}, {delete_, "btnDeleteRuns"}})
        button->setObjectName(QString::fromLatin1(name));
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
    top_ = new QSplitter(Qt::Horizontal, this);
    top_->setObjectName(QStringLiteral("historyListSplitter"));
    top_->addWidget(list_);
    top_->addWidget(watchPanel_);
    top_->setStretchFactor(0, 3);
    top_->setStretchFactor(1, 1);
    split_ = new QSplitter(Qt::Vertical, this);
    split_->setObjectName(QStringLiteral("historySplitter"));
    split_->addWidget(top_);
    split_->addWidget(charts_);
    // Compact rows, ten of them in view; the pictures take what the window gives beyond.
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    // Room for a horizontal bar too: the columns may not fit beside the watch list.
    const int tenRows = 10 * list_->verticalHeader()->defaultSectionSize() + list_->horizontalHeader()->sizeHint().height() +
                        2 * list_->frameWidth() + list_->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2;
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);
    split_->setSizes({tenRows, 240});
    layout->addWidget(split_);

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
    skinButtons(*this);  // the watch panel's too
    updateButtons();
}

QByteArray HistoryPage::dividers() const
{
    QByteArray state;
    QDataStream out(&state, QIODevice::WriteOnly);
    out << split_->saveState() << top_->saveState();
    return state;
}

void HistoryPage::setDividers(const QByteArray& state)
{
    if (state.isEmpty())
        return;
    QDataStream in(state);
    QByteArray split;
    QByteArray top;
    in >> split >> top;
    if (in.status() != QDataStream::Ok)
        return;  // a settings file of another make: the dividers stay where they are
    split_->restoreState(split);
    top_->restoreState(top);
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
