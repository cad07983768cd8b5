#include "run_list_model.h"

#include "csv_export.h"
#include "gbk_text.h"

#include <QColor>
#include <QDateTime>

namespace tamsel::app {

QString outcomeLabel(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Complete:
        return QStringLiteral("完成");
    case RunOutcome::Incomplete:
        return QStringLiteral("不完整");
    case RunOutcome::Failed:
        return QStringLiteral("失败");
    case RunOutcome::Stopped:
        break;
    }
    return QStringLiteral("已停止");
}

void RunListModel::setRuns(std::vector<history::RunSummary> runs)
{
    beginResetModel();
    runs_ = std::move(runs);
    endResetModel();
}

int RunListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(runs_.size());
}

int RunListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString RunListModel::text(const history::RunSummary& run, int column) const
{
    const bool judged = IsJudged(run.outcome);
    // Only its time, if that: nothing else of an unreadable line is to be trusted.
    if (!run.unreadable.empty() && column != Time)
        return column == Outcome ? QStringLiteral("无法读取的记录") : QString();
    switch (column) {
    case Time:
        return QDateTime::fromMSecsSinceEpoch(
                   std::chrono::duration_cast<std::chrono::milliseconds>(run.started.time_since_epoch()).count())
            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Seller:
        return displayText(run.sellerId);
    case Items:
        return QString::number(run.itemCount);
    case DemotedOutright:
        return judged ? QString::number(run.demotedOutright) : QString();
    case TopTenDemoted:
        return judged ? QString::number(run.topTenDemoted) : QString();
    case Outcome:
        return outcomeLabel(run.outcome);
    default:
        return {};
    }
}

QVariant RunListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const history::RunSummary& run = runs_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return text(run, index.column());
    if (role == Qt::ForegroundRole && index.column() == Outcome && IsAlarming(run.outcome))
        return QColor(Qt::red);
    if (role == Qt::ToolTipRole && !run.unreadable.empty())
        return QString::fromStdString(run.unreadable);
    if (role == Qt::TextAlignmentRole && index.column() >= Items && index.column() <= TopTenDemoted)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant RunListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char* const Names[ColumnCount] = {"时间", "卖家ID", "宝贝", "降权", "前十降权", "结果"};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(Names[section]) : QVariant();
}

std::string RunListModel::csv() const
{
    std::vector<std::vector<std::string>> rows(1);
    for (int column = 0; column < ColumnCount; ++column)
        rows[0].push_back(headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().toStdString());
    for (const history::RunSummary& run : runs_) {
        std::vector<std::string> row;
        for (int column = 0; column < ColumnCount; ++column)
            row.push_back(text(run, column).toStdString());
        rows.push_back(std::move(row));
    }
    return CsvText(rows);
}

}  // namespace tamsel::app
