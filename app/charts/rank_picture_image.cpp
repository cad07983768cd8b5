#include "rank_picture_image.h"

#include "gbk_text.h"

#include <QPainter>

namespace tamsel::app {

QString demotedListHeading(const RankPicture& picture)
{
    return QStringLiteral("降权宝贝（不在销量排序中，没有实际排名）：%1 个").arg(picture.demotedOutright.size());
}

QString demotedItemText(const DemotedItem& item)
{
    return QStringLiteral("%1（成交量 %2）").arg(displayText(item.title)).arg(item.sales);
}

QImage rankPictureImage(const QImage& chart, const RankPicture& picture)
{
    // Laid out in the chart's device-independent pixels, so that a high-density screen's grab
    // keeps its sharpness.
    const QSizeF chartSize = chart.deviceIndependentSize();
    const qreal ratio = chart.devicePixelRatio();
    QImage image((QSizeF(chartSize.width() + DemotedListWidth, chartSize.height()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPointF(0, 0), chart);

    constexpr int Margin = 8;
    const int left = qRound(chartSize.width()) + Margin;
    const int width = DemotedListWidth - 2 * Margin;
    const int bottom = qRound(chartSize.height()) - Margin;
    const int lineHeight = painter.fontMetrics().height();
    int top = Margin;
    const auto draw = [&](const QString& text) {
        const QRect box = painter.boundingRect(QRect(left, top, width, bottom - top), Qt::TextWordWrap, text);
        painter.drawText(box, Qt::TextWordWrap, text);
        top = box.bottom() + 1 + lineHeight / 3;
    };
    draw(demotedListHeading(picture));
    const auto& items = picture.demotedOutright;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString text = demotedItemText(items[i]);
        const int height = painter.boundingRect(QRect(left, top, width, bottom), Qt::TextWordWrap, text).height();
        // A line stays free for the count of the rest, unless this is the last item.
        const int reserved = i + 1 < items.size() ? lineHeight : 0;
        if (top + height + reserved > bottom) {
            draw(QStringLiteral("……另有 %1 个，见“降权宝贝”页").arg(items.size() - i));
            break;
        }
        draw(text);
    }
    return image;
}

}  // namespace tamsel::app
