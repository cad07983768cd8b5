#include "grid_header.h"

namespace tamsel::app {

GridHeader::GridHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {}

void GridHeader::setThickness(int pixels)
{
    thickness_ = pixels;
    setHidden(pixels == 0);
    updateGeometry();
}

QSize GridHeader::sizeHint() const
{
    const QSize hint = QHeaderView::sizeHint();
    return orientation() == Qt::Horizontal ? QSize(hint.width(), thickness_) : QSize(thickness_, hint.height());
}

}  // namespace tamsel::app
