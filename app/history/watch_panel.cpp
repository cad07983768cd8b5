#include "watch_panel.h"

#include "gbk_text.h"
#include "skin.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace tamsel::app {
namespace {

constexpr int SellerRole = Qt::UserRole;  // the seller id as stored, GBK bytes

}  // namespace

WatchPanel::WatchPanel(QWidget* parent)
    : QWidget(parent),
      list_(new QListWidget(this)),
      seller_(new QLineEdit(this)),
      add_(new QPushButton(QStringLiteral("添加"), this)),
      remove_(new QPushButton(QStringLiteral("删除"), this)),
      run_(new QPushButton(QStringLiteral("全部探测"), this)),
      daily_(new QCheckBox(QStringLiteral("每天"), this)),
      time_(new QTimeEdit(QTime(8, 0), this))
{
    setObjectName(QStringLiteral("watchPanel"));
    auto* title = new QLabel(QStringLiteral("监控列表"), this);
    setSkinSection(*title, "stdlabel");
    list_->setObjectName(QStringLiteral("watchList"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    seller_->setObjectName(QStringLiteral("watchSeller"));
    seller_->setPlaceholderText(QStringLiteral("卖家ID"));
    setSkinSection(*seller_, "edit");
    for (auto [button, name] : {std::pair{add_, "btnWatchAdd"}, {remove_, "btnWatchRemove"}, {run_, "btnWatchRun"}})
        button->setObjectName(QString::fromLatin1(name));
    daily_->setObjectName(QStringLiteral("watchDaily"));
    time_->setObjectName(QStringLiteral("watchTime"));
    time_->setDisplayFormat(QStringLiteral("HH:mm"));
    auto* dailyLabel = new QLabel(QStringLiteral("自动探测"), this);

    auto* adding = new QHBoxLayout;
    adding->addWidget(seller_);
    adding->addWidget(add_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(remove_);
    buttons->addWidget(run_);
    auto* schedule = new QHBoxLayout;
    schedule->addWidget(daily_);
    schedule->addWidget(time_);
    schedule->addWidget(dailyLabel);
    schedule->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(list_);
    layout->addLayout(adding);
    layout->addLayout(buttons);
    layout->addLayout(schedule);

    connect(add_, &QPushButton::clicked, this, &WatchPanel::add);
    connect(seller_, &QLineEdit::returnPressed, this, &WatchPanel::add);
    connect(seller_, &QLineEdit::textChanged, this, &WatchPanel::updateButtons);
    connect(list_, &QListWidget::itemSelectionChanged, this, &WatchPanel::updateButtons);
    connect(remove_, &QPushButton::clicked, this, [this] {
        std::vector<std::string> ids;
        for (const QListWidgetItem* item : list_->selectedItems())
            ids.push_back(item->data(SellerRole).toByteArray().toStdString());
        if (!ids.empty())
            emit removeRequested(ids);
    });
    connect(run_, &QPushButton::clicked, this, &WatchPanel::runRequested);
    const auto dailyEdited = [this] { emit dailyChanged(daily_->isChecked(), time_->time()); };
    connect(daily_, &QCheckBox::toggled, this, dailyEdited);
    connect(time_, &QTimeEdit::timeChanged, this, dailyEdited);
    updateButtons();
}

void WatchPanel::add()
{
    const QString seller = seller_->text().trimmed();
    if (seller.isEmpty())
        return;
    emit addRequested({gbkText(seller)});
    seller_->clear();
}

void WatchPanel::setSellers(const std::vector<std::string>& sellerIds)
{
    list_->clear();
    for (const std::string& id : sellerIds) {
        auto* item = new QListWidgetItem(displayText(id), list_);
        item->setData(SellerRole, QByteArray::fromStdString(id));
    }
    updateButtons();
}

void WatchPanel::setRunning(bool running)
{
    running_ = running;
    updateButtons();
}

void WatchPanel::setDaily(bool on, QTime at)
{
    const QSignalBlocker quietBox(daily_);
    const QSignalBlocker quietTime(time_);
    daily_->setChecked(on);
    time_->setTime(at);
}

void WatchPanel::updateButtons()
{
    add_->setEnabled(!seller_->text().trimmed().isEmpty());
    remove_->setEnabled(!list_->selectedItems().isEmpty());
    run_->setEnabled(!running_ && list_->count() > 0);
}

}  // namespace tamsel::app
