#include "history_charts.h"

#include "rank_chart.h"
#include "time_axis.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

namespace tamsel::app {
namespace {

qreal msecs(std::chrono::system_clock::time_point when)
{
    return static_cast<qreal>(std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count());
}

// Small type and margins: two pictures share the tab at the window's smallest size.
QFont smallFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QChart* newChart(const QString& title)
{
    auto* chart = new QChart();
    chart->setTitle(title);
    chart->setTitleFont(smallFont(12, true));
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(smallFont(11));
    return chart;
}

// Drops the chart's series and axes, then puts a time axis across and a value axis down.
std::pair<QDateTimeAxis*, QValueAxis*> resetChart(QChart& chart, const QString& title, const QString& downTitle,
                                                  bool downReversed)
{
    chart.removeAllSeries();
    for (QAbstractAxis* axis : chart.axes()) {
        chart.removeAxis(axis);
        delete axis;
    }
    chart.setTitle(title);
    auto* across = new QDateTimeAxis(&chart);
    across->setFormat(QStringLiteral("MM-dd"));
    across->setTickCount(5);
    auto* down = new QValueAxis(&chart);
    down->setTitleText(downTitle);
    down->setLabelFormat(QStringLiteral("%d"));
    down->setReverse(downReversed);
    down->setTickCount(5);
    for (QAbstractAxis* axis : {static_cast<QAbstractAxis*>(across), static_cast<QAbstractAxis*>(down)}) {
        axis->setLabelsFont(smallFont(11));
        axis->setTitleFont(smallFont(11));
    }
    chart.addAxis(across, Qt::AlignBottom);
    chart.addAxis(down, Qt::AlignLeft);
    return {across, down};
}

// One line of the chart; `named` says whether the legend shows it (the first piece of a line
// broken by gaps does, the others not).
QLineSeries* addLine(QChart& chart, const QString& name, const QColor& color, const QList<QPointF>& points, bool named)
{
    auto* series = new QLineSeries(&chart);
    series->setName(name);
    series->setColor(color);
    series->setPointsVisible(true);
    series->replace(points);
    chart.addSeries(series);
    for (QAbstractAxis* axis : chart.axes())
        series->attachAxis(axis);
    if (!named)
        for (QLegendMarker* marker : chart.legend()->markers(series))
            marker->setVisible(false);
    return series;
}

// Points of runs that did not see the whole shop: a ring in the line's colour around the white.
void addHollowPoints(QChart& chart, const QString& name, const QColor& color, const QList<QPointF>& points, bool named)
{
    auto* series = new QScatterSeries(&chart);
    series->setName(name);
    series->setMarkerSize(9);
    series->setColor(Qt::white);
    series->setBorderColor(color);
    series->replace(points);
    chart.addSeries(series);
    for (QAbstractAxis* axis : chart.axes())
        series->attachAxis(axis);
    for (QLegendMarker* marker : chart.legend()->markers(series))
        marker->setVisible(named);
}

// The time axis spans the points, a label per day, or the times of a single day.
void spanTime(QDateTimeAxis& axis, qreal first, qreal last)
{
    const TimeAxis span = TimeAxisFor(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(first)),
                                      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(last)));
    axis.setRange(span.min, span.max);
    axis.setTickCount(span.tickCount);
    axis.setFormat(span.format);
}

}  // namespace

HistoryCharts::HistoryCharts(Platform& platform, QWidget* parent)
    : QWidget(parent),
      shopChart_(newChart(QStringLiteral("店铺降权走势：请在上方选择一次探测"))),
      itemChart_(newChart(QStringLiteral("宝贝排名变化：在结果表格的右键菜单中选择“查看排名变化”")))
{
    setObjectName(QStringLiteral("historyCharts"));
    auto* shopView = new ZoomingChartView(shopChart_, platform, this);
    shopView->setObjectName(QStringLiteral("shopHistoryView"));
    auto* itemView = new ZoomingChartView(itemChart_, platform, this);
    itemView->setObjectName(QStringLiteral("itemHistoryView"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(shopView);
    layout->addWidget(itemView);
}

void HistoryCharts::showShop(const QString& seller, const std::vector<history::ShopHistoryPoint>& points)
{
    auto [across, down] = resetChart(*shopChart_, QStringLiteral("店铺降权走势：%1").arg(seller), QStringLiteral("宝贝数"), false);
    struct Measure {
        QString name;
        QColor color;
        int history::ShopHistoryPoint::*count;
        QList<QPointF> line;
        QList<QPointF> incomplete;  // drawn hollow over the line
    };
    Measure measures[] = {{QStringLiteral("降权宝贝"), QColor(0x2f, 0x6f, 0xb5), &history::ShopHistoryPoint::demotedOutright, {}, {}},
                          {QStringLiteral("前十名被判隐性降权"), QColor(Qt::red), &history::ShopHistoryPoint::topTenDemoted, {}, {}}};
    int most = 1;
    for (const history::ShopHistoryPoint& point : points) {
        for (Measure& measure : measures) {
            const QPointF at(msecs(point.started), point.*measure.count);
            measure.line.append(at);
            if (!point.complete)
                measure.incomplete.append(at);
            most = std::max(most, point.*measure.count);
        }
    }
    bool incompleteNamed = false;
    for (Measure& measure : measures) {
        addLine(*shopChart_, measure.name, measure.color, measure.line, true);
        if (measure.incomplete.isEmpty())
            continue;
        addHollowPoints(*shopChart_, QStringLiteral("空心点：不完整的探测"), measure.color, measure.incomplete,
                        !incompleteNamed);
        incompleteNamed = true;
    }
    down->setRange(0, most + 1);
    down->applyNiceNumbers();
    if (!points.empty())
        spanTime(*across, msecs(points.front().started), msecs(points.back().started));
}

void HistoryCharts::showItemLoading(const QString& title)
{
    resetChart(*itemChart_, QStringLiteral("宝贝排名变化：%1（正在读取历史记录…）").arg(title), QStringLiteral("排名"), true);
}

void HistoryCharts::showItemFailed(const QString& title, const QString& what)
{
    resetChart(*itemChart_, QStringLiteral("宝贝排名变化：%1（读取失败：%2）").arg(title, what), QStringLiteral("排名"), true);
}

void HistoryCharts::showItem(const QString& title, const std::vector<history::ItemHistoryPoint>& points)
{
    auto [across, down] = resetChart(*itemChart_, QStringLiteral("宝贝排名变化：%1").arg(title), QStringLiteral("排名"), true);
    // Each line breaks where the item was absent or demoted outright: it had no place there.
    struct Line {
        QString name;
        QColor color;
        int history::ItemHistoryPoint::*rank;
        QList<QPointF> piece;
        bool named = true;
    };
    Line lines[] = {{QStringLiteral("实际排名"), QColor(Qt::red), &history::ItemHistoryPoint::actualRank, {}},
                    {QStringLiteral("理论排名"), QColor(0x2f, 0x6f, 0xb5), &history::ItemHistoryPoint::theoreticalRank, {}}};
    const auto endPiece = [this](Line& line) {
        if (line.piece.isEmpty())
            return;
        addLine(*itemChart_, line.name, line.color, line.piece, line.named);
        line.named = false;
        line.piece.clear();
    };
    int largest = 10;
    for (const history::ItemHistoryPoint& point : points) {
        for (Line& line : lines) {
            if (point.state == history::ItemHistoryPoint::State::Ranked) {
                line.piece.append(QPointF(msecs(point.started), point.*line.rank));
                largest = std::max(largest, point.*line.rank);
            } else {
                endPiece(line);
            }
        }
    }
    for (Line& line : lines)
        endPiece(line);
    down->setRange(0, largest + 1);
    down->applyNiceNumbers();
    if (!points.empty())
        spanTime(*across, msecs(points.front().started), msecs(points.back().started));
}

}  // namespace tamsel::app
