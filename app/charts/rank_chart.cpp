#include "rank_chart.h"

#include "gbk_text.h"
#include "item_page.h"
#include "platform.h"
#include "rank_picture_image.h"
#include "site_urls.h"
#include "table_actions.h"

#include <QAction>
#include <QBuffer>
#include <QChart>
#include <QComboBox>
#include <QCoreApplication>
#include <QGraphicsScene>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPainter>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

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

ZoomingChartView::ZoomingChartView(QChart* chart, Platform& platform, QWidget* parent)
    : QChartView(chart, parent), savedPicture_([this] { return grab().toImage(); })
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
        // A series added a moment ago has its legend entry laid out only when the layout requests
        // are served; the picture must not come out without it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QByteArray png;
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !savedPicture_().save(&buffer, "PNG") || !writeFileAtomically(path, png))
            platform.warn(this, QStringLiteral("保存失败"), QStringLiteral("无法写入文件：%1").arg(path));
    });
}

void ZoomingChartView::wheelEvent(QWheelEvent* event)
{
    const qreal steps = event->angleDelta().y() / 120.0;
    if (steps != 0) {
        const qreal factor = std::pow(1.25, steps);
        const QRectF plot = chart()->plotArea();
        QPointF at = chart()->mapFromScene(mapToScene(event->position().toPoint()));
        at = QPointF(std::clamp(at.x(), plot.left(), plot.right()), std::clamp(at.y(), plot.top(), plot.bottom()));
        // Every distance from the cursor shrinks by the factor, so the point under it stays there.
        chart()->zoomIn(QRectF(at - (at - plot.topLeft()) / factor, plot.size() / factor));
    }
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
    if (!picture_.notDrawnReason.empty()) {
        setupNotDrawn();
        return;
    }
    resize(1000, 660);
    byTheoreticalRank_.assign(static_cast<std::size_t>(picture_.largestRank) + 1, nullptr);
    for (const RankPoint& point : picture_.points)
        byTheoreticalRank_[static_cast<std::size_t>(point.theoreticalRank)] = &point;
    chunkTimer_.setSingleShot(true);
    connect(&chunkTimer_, &QTimer::timeout, this, &RankChartDialog::addNextChunk);

    setupChart();
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(new QLabel(QStringLiteral("显示："), this));
    QComboBox* choice = setupTopSellerChoice();
    choiceRow->addWidget(choice);
    choiceRow->addStretch();
    auto* chartColumn = new QVBoxLayout;
    chartColumn->addLayout(choiceRow);
    chartColumn->addWidget(view_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(chartColumn, 1);
    layout->addWidget(setupDemotedList());
    showView(choice->currentData().toInt());
}

void RankChartDialog::setupNotDrawn()
{
    resize(520, 240);
    const QString title = QString::fromStdString(picture_.title);
    auto* label = new QLabel((title.isEmpty() ? QString() : title + QStringLiteral("\n\n")) +
                                 QString::fromStdString(picture_.notDrawnReason),
                             this);
    label->setObjectName(QStringLiteral("rankNotDrawn"));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
}

void RankChartDialog::setupChart()
{
    chart_ = new QChart();
    chart_->setObjectName(QStringLiteral("rankChart"));
    chart_->setTitle(QString::fromStdString(picture_.title));
    QFont titleFont = chart_->titleFont();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
    titleFont.setBold(true);
    chart_->setTitleFont(titleFont);
    chart_->legend()->setAlignment(Qt::AlignBottom);
    chart_->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    across_ = new QValueAxis(chart_);
    down_ = new QValueAxis(chart_);
    down_->setTitleText(QStringLiteral("实际排名（默认排序）"));
    down_->setReverse(true);  // place 1 at the top, as in a listing
    for (QValueAxis* axis : {across_, down_}) {
        axis->setLabelFormat(QStringLiteral("%d"));
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
        // Zoomed in or out, the ticks stay on round numbers and few enough to read.
        connect(axis, &QValueAxis::rangeChanged, axis, [axis](qreal min, qreal max) {
            axis->setTickInterval(RoundStep(max - min, RankAxisIntervals));
        });
        chart_->addAxis(axis, axis == across_ ? Qt::AlignBottom : Qt::AlignLeft);
    }
    view_ = new ZoomingChartView(chart_, platform_, this);
    view_->setObjectName(QStringLiteral("rankChartView"));
    view_->setSavedPicture([this] { return rankPictureImage(view_->grab().toImage(), picture_); });
}

QComboBox* RankChartDialog::setupTopSellerChoice()
{
    auto* choice = new QComboBox(this);
    choice->setObjectName(QStringLiteral("topSellerChoice"));
    for (const int32_t topSellers : TopSellerChoices) {
        choice->addItem(topSellers == WholeShop ? QStringLiteral("全部") : QStringLiteral("销量前 %1 名").arg(topSellers),
                        topSellers);
    }
    choice->setCurrentIndex(choice->findData(FirstTopSellers));
    connect(choice, &QComboBox::currentIndexChanged, this,
            [this, choice] { showView(choice->currentData().toInt()); });
    return choice;
}

QWidget* RankChartDialog::setupDemotedList()
{
    auto* heading = new QLabel(demotedListHeading(picture_), this);
    heading->setWordWrap(true);
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("demotedOutrightList"));
    list->setWordWrap(true);
    for (const DemotedItem& item : picture_.demotedOutright) {
        auto* row = new QListWidgetItem(demotedItemText(item), list);
        row->setData(Qt::UserRole, displayText(item.itemId));
    }
    connect(list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        openItemPage(platform_, this, itemPageUrl(itemHost_, item->data(Qt::UserRole).toString()));
    });
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->addWidget(heading);
    layout->addWidget(list);
    column->setFixedWidth(DemotedListWidth);
    return column;
}

void RankChartDialog::showView(int32_t topSellers)
{
    chart_->removeAllSeries();
    pending_.clear();
    const RankView view = RankViewOf(picture_, topSellers);
    // Named on the axis, so that a saved picture tells which items it shows.
    across_->setTitleText(topSellers == WholeShop ? QStringLiteral("理论排名（按30天销量）")
                                                  : QStringLiteral("理论排名（按30天销量，前 %1 名）").arg(topSellers));
    across_->setRange(0, view.across.end);
    across_->setTickInterval(view.across.step);
    down_->setRange(0, view.down.end);
    down_->setTickInterval(view.down.step);

    auto* diagonal = new QLineSeries(chart_);
    diagonal->setName(QStringLiteral("排名与销量相符"));
    diagonal->setPen(QPen(QColor(0x80, 0x80, 0x80), 1, Qt::DashLine));
    diagonal->replace(QList<QPointF>{{1, 1}, {qreal(view.diagonalEnd), qreal(view.diagonalEnd)}});
    chart_->addSeries(diagonal);
    diagonal->attachAxis(across_);
    diagonal->attachAxis(down_);
    for (const RankSeries& series : view.series)
        queueSeries(series);
    addNextChunk();
}

void RankChartDialog::queueSeries(const RankSeries& series)
{
    // Thousands of markers in one series take the GUI thread for too long at a time: each
    // chunk is a series of its own, added in a turn of the event loop of its own.
    constexpr std::size_t ChunkSize = 200;
    const std::vector<RankPoint>& points = series.points;
    for (std::size_t start = 0; start == 0 || start < points.size(); start += ChunkSize) {
        Chunk chunk{series.kind, {}, start == 0};
        for (std::size_t i = start; i < std::min(points.size(), start + ChunkSize); ++i)
            chunk.points.append(QPointF(points[i].theoreticalRank, points[i].actualRank));
        pending_.push_back(std::move(chunk));
    }
}

void RankChartDialog::addNextChunk()
{
    if (pending_.empty())
        return;
    Chunk chunk = std::move(pending_.front());
    pending_.pop_front();
    const PointStyle& style = StyleOf(chunk.kind);
    const QColor color = QColor::fromRgb(style.rgb);
    auto* series = new QScatterSeries(chart_);
    series->setName(QString::fromUtf8(style.name.data(), static_cast<qsizetype>(style.name.size())));
    series->setColor(color);
    series->setBorderColor(color.darker(130));
    series->setMarkerSize(style.size);
    series->setMarkerShape(style.shape == MarkerShape::Triangle ? QScatterSeries::MarkerShapeTriangle
                           : style.shape == MarkerShape::Square ? QScatterSeries::MarkerShapeRectangle
                                                                : QScatterSeries::MarkerShapeCircle);
    series->replace(chunk.points);  // one repaint for the whole chunk
    chart_->addSeries(series);
    series->attachAxis(across_);
    series->attachAxis(down_);
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
        chunkTimer_.start(0);
}

const RankPoint* RankChartDialog::pointAt(const QPointF& value) const
{
    const long rank = std::lround(value.x());
    return rank >= 0 && rank < static_cast<long>(byTheoreticalRank_.size()) ? byTheoreticalRank_[static_cast<std::size_t>(rank)]
                                                                           : nullptr;
}

}  // namespace tamsel::app
