#include "rank_chart.h"

#include "gbk_text.h"
#include "platform.h"
#include "site_urls.h"
#include "table_actions.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QGraphicsScene>
#include <QImage>
#include <QPainter>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QScatterSeries>
#include <QTimer>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace tamsel::app {

void prepareCharts()
{
    // Drawn into an image, so no window appears or takes the focus.
    QGraphicsScene scene;
    auto* chart = new QChart();
    scene.addItem(chart);
    chart->addAxis(new QValueAxis(chart), Qt::AlignBottom);
    chart->resize(200, 150);
    QImage image(200, 150, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    scene.render(&painter);
}

ZoomingChartView::ZoomingChartView(QChart* chart, Platform& platform, QWidget* parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::RectangleRubberBand);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* save = new QAction(QStringLiteral("保存为 PNG…"), this);
    save->setObjectName(QStringLiteral("savePngAction"));
    addAction(save);
    connect(save, &QAction::triggered, this, [this, &platform] {
        const QString path = platform.saveFileName(this, QStringLiteral("保存图片"), QStringLiteral("排名图.png"),
                                                   QStringLiteral("PNG 图片 (*.png)"));
        if (path.isEmpty())
            return;
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !grab().save(&buffer, "PNG") || !writeFileAtomically(path, png))
            platform.warn(this, QStringLiteral("保存失败"), QStringLiteral("无法写入文件：%1").arg(path));
    });
}

void ZoomingChartView::wheelEvent(QWheelEvent* event)
{
    const qreal steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        chart()->zoom(std::pow(1.25, steps));
    event->accept();
}

void ZoomingChartView::mouseDoubleClickEvent(QMouseEvent* event)
{
    chart()->zoomReset();
    event->accept();
}

RankChartDialog::RankChartDialog(RankPicture picture, std::string itemHost, Platform& platform, QWidget* parent)
    : QDialog(parent), picture_(std::move(picture)), itemHost_(std::move(itemHost)), platform_(platform)
{
    setObjectName(QStringLiteral("rankChartDialog"));
    setWindowTitle(QStringLiteral("排名图"));
    resize(1000, 640);

    byTheoreticalRank_.assign(static_cast<std::size_t>(picture_.largestRank) + 1, nullptr);
    std::vector<const RankPoint*> others;
    std::vector<const RankPoint*> topTen;
    std::vector<const RankPoint*> judged;
    for (const RankPoint& point : picture_.points) {
        byTheoreticalRank_[static_cast<std::size_t>(point.theoreticalRank)] = &point;
        (point.judgedDemoted ? judged : point.topTen() ? topTen : others).push_back(&point);
    }

    auto* chart = new QChart();
    chart_ = chart;
    chart->setObjectName(QStringLiteral("rankChart"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* across = new QValueAxis(chart);
    across->setTitleText(QStringLiteral("理论排名（按30天销量）"));
    auto* down = new QValueAxis(chart);
    down->setTitleText(QStringLiteral("实际排名（默认排序）"));
    down->setReverse(true);  // place 1 at the top, as in a listing
    const qreal end = std::max(picture_.largestRank, 10);
    for (QValueAxis* axis : {across, down}) {
        axis->setRange(0, end + 1);
        axis->setLabelFormat(QStringLiteral("%d"));
        chart->addAxis(axis, axis == across ? Qt::AlignBottom : Qt::AlignLeft);
    }

    auto* diagonal = new QLineSeries(chart);
    diagonal->setName(QStringLiteral("排名与销量相符"));
    diagonal->setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
    diagonal->replace(QList<QPointF>{{1, 1}, {end, end}});
    chart->addSeries(diagonal);
    diagonal->attachAxis(across);
    diagonal->attachAxis(down);

    static const Kind Judged{QStringLiteral("重要宝贝被隐性降权"), QColor(Qt::red), 12, true};
    static const Kind TopTen{QStringLiteral("前十名"), QColor(Qt::red), 10, false};
    static const Kind Others{QStringLiteral("其他宝贝"), QColor(0x2f, 0x6f, 0xb5), 6, false};
    queuePoints(Judged, judged);
    queuePoints(TopTen, topTen);
    queuePoints(Others, others);
    addNextChunk();

    auto* view = new ZoomingChartView(chart, platform_, this);
    view->setObjectName(QStringLiteral("rankChartView"));

    auto* demotedTitle = new QLabel(QStringLiteral("降权宝贝（不在销量排序中，没有实际排名）：%1 个")
                                        .arg(picture_.demotedOutright.size()),
                                    this);
    demotedTitle->setWordWrap(true);
    auto* demoted = new QListWidget(this);
    demoted->setObjectName(QStringLiteral("demotedOutrightList"));
    demoted->setWordWrap(true);
    for (const DemotedItem& item : picture_.demotedOutright) {
        auto* row = new QListWidgetItem(QStringLiteral("%1（成交量 %2）").arg(displayText(item.title)).arg(item.sales), demoted);
        row->setData(Qt::UserRole, displayText(item.itemId));
    }
    connect(demoted, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        platform_.openUrl(itemPageUrl(itemHost_, item->data(Qt::UserRole).toString()));
    });
    auto* side = new QVBoxLayout;
    side->addWidget(demotedTitle);
    side->addWidget(demoted);
    auto* sideWidget = new QWidget(this);
    sideWidget->setLayout(side);
    sideWidget->setFixedWidth(260);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addWidget(sideWidget);
}

void RankChartDialog::queuePoints(const Kind& kind, const std::vector<const RankPoint*>& points)
{
    // Thousands of markers in one series take the GUI thread for too long at a time: each
    // chunk is a series of its own, added in a turn of the event loop of its own.
    constexpr std::size_t ChunkSize = 200;
    for (std::size_t start = 0; start == 0 || start < points.size(); start += ChunkSize) {
        Chunk chunk{&kind, {}, start == 0};
        for (std::size_t i = start; i < std::min(points.size(), start + ChunkSize); ++i)
            chunk.points.append(QPointF(points[i]->theoreticalRank, points[i]->actualRank));
        pending_.push_back(std::move(chunk));
    }
}

void RankChartDialog::addNextChunk()
{
    if (pending_.empty())
        return;
    Chunk chunk = std::move(pending_.front());
    pending_.pop_front();
    auto* series = new QScatterSeries(chart_);
    series->setName(chunk.kind->name);
    series->setColor(chunk.kind->color);
    series->setBorderColor(chunk.kind->color.darker(130));
    series->setMarkerSize(chunk.kind->size);
    series->setMarkerShape(chunk.kind->rectangles ? QScatterSeries::MarkerShapeRectangle
                                                  : QScatterSeries::MarkerShapeCircle);
    series->replace(chunk.points);  // one repaint for the whole chunk
    chart_->addSeries(series);
    for (QAbstractAxis* axis : chart_->axes())
        series->attachAxis(axis);
    if (!chunk.first) {
        for (QLegendMarker* marker : chart_->legend()->markers(series))
            marker->setVisible(false);
    }

    connect(series, &QScatterSeries::hovered, this, [this](const QPointF& value, bool entered) {
        const RankPoint* point = entered ? pointAt(value) : nullptr;
        if (point == nullptr) {
            QToolTip::hideText();
            return;
        }
        QToolTip::showText(QCursor::pos(), QStringLiteral("%1\n成交量：%2\n实际排名：%3　理论排名：%4\n差值：%5")
                                               .arg(displayText(point->title))
                                               .arg(point->sales)
                                               .arg(point->actualRank)
                                               .arg(point->theoreticalRank)
                                               .arg(point->difference()));
    });
    connect(series, &QScatterSeries::clicked, this, [this](const QPointF& value) {
        if (const RankPoint* point = pointAt(value))
            emit itemClicked(point->itemId);
    });
    if (!pending_.empty())
        QTimer::singleShot(0, this, &RankChartDialog::addNextChunk);
}

const RankPoint* RankChartDialog::pointAt(const QPointF& value) const
{
    const long rank = std::lround(value.x());
    return rank >= 0 && rank < static_cast<long>(byTheoreticalRank_.size()) ? byTheoreticalRank_[static_cast<std::size_t>(rank)]
                                                                           : nullptr;
}

}  // namespace tamsel::app
