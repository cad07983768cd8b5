#include "comparison_dialog.h"

#include "gbk_text.h"
#include "item_page.h"
#include "platform.h"
#include "run_list_model.h"
#include "site_urls.h"
#include "skin.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tamsel::app {
namespace {

constexpr int ItemIdRole = Qt::UserRole;

QString when(const RunReport& run)
{
    return QDateTime::fromMSecsSinceEpoch(
               std::chrono::duration_cast<std::chrono::milliseconds>(run.started.time_since_epoch()).count())
        .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

// "12 → 30"; "—" where the run did not rank the item.
QString ranks(const ItemStanding& before, const ItemStanding& after, int32_t ItemStanding::*rank)
{
    const auto shown = [rank](const ItemStanding& standing) {
        return standing.present && standing.*rank > 0 ? QString::number(standing.*rank) : QStringLiteral("—");
    };
    return shown(before) + QStringLiteral(" → ") + shown(after);
}

}  // namespace

ComparisonDialog::ComparisonDialog(const RunComparison& comparison, const RunReport& earlier, const RunReport& later,
                                   const std::map<std::string, QString>& since, std::string itemHost, Platform& platform,
                                   QWidget* parent)
    : QDialog(parent), tree_(new QTreeWidget(this)), itemHost_(std::move(itemHost)), platform_(platform)
{
    setObjectName(QStringLiteral("comparisonDialog"));
    setWindowTitle(QStringLiteral("与上一次探测对比"));
    resize(900, 560);
    auto* heading = new QLabel(QStringLiteral("%1：%2（%3）→ %4（%5）")
                                   .arg(displayText(later.sellerId), when(earlier), outcomeLabel(earlier.outcome),
                                        when(later), outcomeLabel(later.outcome)),
                               this);
    heading->setObjectName(QStringLiteral("comparisonHeading"));
    if (earlier.outcome == RunOutcome::Incomplete || later.outcome == RunOutcome::Incomplete) {
        const QString which = earlier.outcome != RunOutcome::Incomplete ? QStringLiteral("后一次")
                              : later.outcome != RunOutcome::Incomplete ? QStringLiteral("前一次")
                                                                        : QStringLiteral("两次");
        heading->setText(heading->text() + QStringLiteral("\n%1探测不完整：它未取得的页上的宝贝列在“未能检查”中，不算作变化。").arg(which));
    }
    tree_->setObjectName(QStringLiteral("comparisonTree"));
    tree_->setColumnCount(5);
    tree_->setHeaderLabels({QStringLiteral("宝贝"), QStringLiteral("成交量"), QStringLiteral("实际排名"),
                            QStringLiteral("理论排名"), QStringLiteral("降权起始")});
    tree_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tree_->header()->setStretchLastSection(false);

    const std::vector<const std::vector<ItemChange>*> demoted = {
        &comparison.newlyDemotedOutright, &comparison.newlyJudgedDemoted, &comparison.stillDemoted};
    for (const ComparisonSection& section : ComparisonSections(comparison)) {
        const bool tellsSince = std::find(demoted.begin(), demoted.end(), section.changes) != demoted.end();
        addSection(QString::fromUtf8(section.title), *section.changes, tellsSince ? &since : nullptr);
    }

    connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        const QString id = item->data(0, ItemIdRole).toString();
        if (item->parent() != nullptr && !id.isEmpty())
            openItemPage(platform_, this, itemPageUrl(itemHost_, id));
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(tree_);
    layout->addWidget(buttons);
    skinButtons(*this);
}

void ComparisonDialog::addSection(const QString& title, const std::vector<ItemChange>& changes,
                                  const std::map<std::string, QString>* since)
{
    auto* section = new QTreeWidgetItem(tree_, {QStringLiteral("%1（%2）").arg(title).arg(changes.size())});
    section->setFirstColumnSpanned(true);
    for (const ItemChange& change : changes) {
        const ItemStanding& shown = change.after.present ? change.after : change.before;
        auto* item = new QTreeWidgetItem(section, {displayText(change.title), QString::number(shown.sales),
                                                   ranks(change.before, change.after, &ItemStanding::actualRank),
                                                   ranks(change.before, change.after, &ItemStanding::theoreticalRank)});
        item->setData(0, ItemIdRole, displayText(change.itemId));
        if (since != nullptr) {
            const auto found = since->find(change.itemId);
            item->setText(4, found != since->end() ? found->second : QStringLiteral("—"));
        }
        item->setToolTip(0, displayText(change.itemId));
    }
    section->setExpanded(!changes.empty());
}

}  // namespace tamsel::app
