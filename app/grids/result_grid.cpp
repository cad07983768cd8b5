#include "result_grid.h"

#include "grid_header.h"
#include "grid_model.h"

#include <QAbstractButton>
#include <QMouseEvent>
#include <QScrollBar>
#include <QHelpEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

namespace tamsel::app {

const QColor ResultGrid::SelectedRowFrame(0x1f, 0x5f, 0xa8);

namespace {

// The view's own scroll bar: exactly as thick as the part of the grid the window's
// bar covers, so no content hides under it.
class InnerScrollBar : public QScrollBar {
public:
    InnerScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {}

    QSize sizeHint() const override
    {
        const QSize hint = QScrollBar::sizeHint();
        return orientation() == Qt::Horizontal ? QSize(hint.width(), ResultGrid::ScrollBarOverlap)
                                               : QSize(ResultGrid::ScrollBarOverlap, hint.height());
    }
};

}  // namespace

ResultGrid::ResultGrid(GridModel& model, int rowHeight, QWidget* parent)
    : QTableView(parent),
      model_(model),
      columnHeader_(new GridHeader(Qt::Horizontal, this)),
      rowHeader_(new GridHeader(Qt::Vertical, this)),
      headerCorner_(findChild<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly))
{
    for (GridHeader* header : {columnHeader_, rowHeader_}) {
        header->setSectionResizeMode(QHeaderView::Fixed);
        header->setMinimumSectionSize(0);
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        header->setHighlightSections(false);
        header->setSectionsClickable(false);
        header->viewport()->installEventFilter(this);
    }
    columnHeader_->setStretchLastSection(false);
    columnHeader_->setThickness(rowHeight);
    rowHeader_->setDefaultSectionSize(rowHeight);
    setHorizontalHeader(columnHeader_);
    setVerticalHeader(rowHeader_);
    setHorizontalScrollBar(new InnerScrollBar(Qt::Horizontal, this));
    setVerticalScrollBar(new InnerScrollBar(Qt::Vertical, this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);

    setModel(&model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setCornerButtonEnabled(false);
    viewport()->installEventFilter(this);
    // The number column's border in the header row runs between the corner piece and the header.
    headerCorner_->installEventFilter(this);
    headerCorner_->setMouseTracking(true);
    columnHeader_->viewport()->setMouseTracking(true);
}

void ResultGrid::attachScrollBars(QScrollBar& horizontal, QScrollBar& vertical, QWidget& corner)
{
    horizontal_ = &horizontal;
    vertical_ = &vertical;
    barCorner_ = &corner;
    syncScrollBar(*horizontalScrollBar(), horizontal);
    syncScrollBar(*verticalScrollBar(), vertical);
    updateScrollBars();
}

void ResultGrid::syncScrollBar(QScrollBar& inner, QScrollBar& outer)
{
    outer.setRange(inner.minimum(), inner.maximum());
    outer.setPageStep(inner.pageStep());
    outer.setSingleStep(inner.singleStep());
    outer.setValue(inner.value());
    connect(&inner, &QScrollBar::rangeChanged, &outer, [&inner, &outer](int min, int max) {
        outer.setRange(min, max);
        outer.setPageStep(inner.pageStep());
        outer.setSingleStep(inner.singleStep());
    });
    connect(&inner, &QScrollBar::valueChanged, &outer, &QScrollBar::setValue);
    connect(&outer, &QScrollBar::valueChanged, &inner, &QScrollBar::setValue);
}

void ResultGrid::setColWidth(int col, int width)
{
    if (col == 0) {
        rowHeader_->setThickness(std::max(width, 0));
    } else if (col > 0) {
        columnHeader_->setSectionHidden(col - 1, width <= 0);
        if (width > 0)
            columnHeader_->resizeSection(col - 1, width);
    }
    updateGeometries();
}

int ResultGrid::colWidth(int col) const
{
    if (col == 0)
        return rowHeader_->thickness();
    if (col < 0 || columnHeader_->isSectionHidden(col - 1))
        return 0;
    return columnHeader_->sectionSize(col - 1);
}

void ResultGrid::setColumnResizing(bool allowed)
{
    columnsResizable_ = allowed;
    columnHeader_->setSectionResizeMode(allowed ? QHeaderView::Interactive : QHeaderView::Fixed);
}

QPoint ResultGrid::mouseToCell(QPoint pos) const
{
    const QPoint none(-1, -1);
    const QRect columnHeader = columnHeader_->geometry();
    const QRect rowHeader = rowHeader_->geometry();
    const QRect cells = viewport()->geometry();
    if (columnHeader_->isVisible() && columnHeader.contains(pos)) {
        const int section = columnHeader_->logicalIndexAt(pos.x() - columnHeader.left());
        return section < 0 ? none : QPoint(section + 1, 0);
    }
    if (rowHeader_->isVisible() && rowHeader.contains(pos)) {
        const int section = rowHeader_->logicalIndexAt(pos.y() - rowHeader.top());
        return section < 0 ? none : QPoint(0, section + 1);
    }
    if (rowHeader_->isVisible() && columnHeader_->isVisible() && pos.x() >= rowHeader.left() &&
        pos.x() < cells.left() && pos.y() >= columnHeader.top() && pos.y() < cells.top())
        return QPoint(0, 0);
    if (cells.contains(pos)) {
        const QPoint inCells = pos - cells.topLeft();
        const int row = rowAt(inCells.y());
        const int column = columnAt(inCells.x());
        return row < 0 || column < 0 ? none : QPoint(column + 1, row + 1);
    }
    return none;
}

int ResultGrid::selectionTop() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (!selected.isEmpty()) {
        const auto top = std::min_element(selected.begin(), selected.end(),
                                          [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
        return top->row() + 1;
    }
    return currentIndex().isValid() ? currentIndex().row() + 1 : 1;
}

void ResultGrid::updateGeometries()
{
    QTableView::updateGeometries();
    updateScrollBars();
}

void ResultGrid::updateScrollBars()
{
    if (horizontal_ == nullptr || vertical_ == nullptr)
        return;
    const int frame = frameWidth();
    const int freeWidth = width() - 2 * frame - (rowHeader_->isHidden() ? 0 : rowHeader_->thickness());
    const int freeHeight = height() - 2 * frame - (columnHeader_->isHidden() ? 0 : columnHeader_->thickness());
    const int contentWidth = columnHeader_->length();
    const int contentHeight = rowHeader_->length();
    bool needH = contentWidth > freeWidth;
    bool needV = contentHeight > freeHeight;
    needH = needH || (needV && contentWidth > freeWidth - ScrollBarOverlap);
    needV = needV || (needH && contentHeight > freeHeight - ScrollBarOverlap);

    const auto policy = [](bool needed) { return needed ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff; };
    if (horizontalScrollBarPolicy() != policy(needH))
        setHorizontalScrollBarPolicy(policy(needH));
    if (verticalScrollBarPolicy() != policy(needV))
        setVerticalScrollBarPolicy(policy(needV));
    horizontal_->setVisible(needH);
    vertical_->setVisible(needV);
    barCorner_->setVisible(needH && needV);
    // The vertical bar's track ends above the corner piece, so its handle never hides under it.
    if (vertical_->property("corner").toBool() != (needH && needV)) {
        vertical_->setProperty("corner", needH && needV);
        vertical_->style()->unpolish(vertical_);
        vertical_->style()->polish(vertical_);
    }
}

void ResultGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        emit dblClick();
}

bool ResultGrid::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QTableView::eventFilter(watched, event);
    auto* source = static_cast<QWidget*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    // A double-click's second press arrives as MouseButtonDblClick: it is a press too.
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        emit mouseDown(mouse->button(), source->mapTo(this, mouse->position().toPoint()));
        // The view's own handler reports the cells' double-clicks, once it has moved the selection.
        if (type == QEvent::MouseButtonDblClick && mouse->button() == Qt::LeftButton && source != viewport())
            emit dblClick();
    }
    if ((source == headerCorner_ || source == columnHeader_->viewport()) && sizeNumberColumn(*source, *mouse))
        return true;
    return QTableView::eventFilter(watched, event);
}

bool ResultGrid::onNumberColumnBorder(QPoint pos) const
{
    if (!columnsResizable_ || rowHeader_->isHidden() || columnHeader_->isHidden())
        return false;
    const int grip = columnHeader_->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, columnHeader_);
    const int border = rowHeader_->geometry().right() + 1;
    const QRect headerRow = columnHeader_->geometry();
    return std::abs(pos.x() - border) <= grip && pos.y() >= headerRow.top() && pos.y() <= headerRow.bottom();
}

bool ResultGrid::sizeNumberColumn(QWidget& source, QMouseEvent& event)
{
    const QPoint pos = source.mapTo(this, event.position().toPoint());
    switch (event.type()) {
    case QEvent::MouseMove:
        if (sizingNumberColumn_) {
            // Never to 0: the column, and with it the border to grab, would be gone.
            setColWidth(0, std::max(sizingStartWidth_ + pos.x() - sizingStartX_, 1));
            return true;
        }
        if (onNumberColumnBorder(pos))
            source.setCursor(Qt::SplitHCursor);
        else
            source.unsetCursor();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (event.button() != Qt::LeftButton || !onNumberColumnBorder(pos))
            return false;
        sizingNumberColumn_ = true;
        sizingStartX_ = pos.x();
        sizingStartWidth_ = colWidth(0);
        return true;
    case QEvent::MouseButtonRelease:
        if (!sizingNumberColumn_ || event.button() != Qt::LeftButton)
            return false;
        sizingNumberColumn_ = false;
        return true;
    default:
        return false;
    }
}

QString ResultGrid::clippedText(QPoint viewportPos) const
{
    const QModelIndex index = indexAt(viewportPos);
    if (!index.isValid())
        return {};
    const QString text = index.data(Qt::DisplayRole).toString();
    // The item delegate keeps this margin on either side of a cell's text.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int needed = fontMetrics().horizontalAdvance(text) + 2 * margin;
    return needed > visualRect(index).width() ? text : QString();
}

void ResultGrid::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    // The selected rows framed: the selection's colour alone is too faint beside the verdicts'.
    QPainter painter(viewport());
    painter.setPen(QPen(SelectedRowFrame, 2));
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        const QRect top = visualRect(model()->index(range.top(), range.left()));
        const QRect bottom = visualRect(model()->index(range.bottom(), range.right()));
        const QRect rows = top.united(bottom).adjusted(1, 1, -1, -1);
        if (rows.intersects(event->rect()))
            painter.drawRect(rows);
    }
}

void ResultGrid::setTitleNotes(std::map<std::string, QString> notes, int idColumn)
{
    titleNotes_ = std::move(notes);
    notesIdColumn_ = idColumn;
}

QString ResultGrid::tooltipText(QPoint viewportPos) const
{
    QString text = clippedText(viewportPos);
    const QModelIndex index = indexAt(viewportPos);
    // The title is the grid's column 1, the view's first: the number column is its header.
    if (index.isValid() && index.column() == 0 && notesIdColumn_ >= 0) {
        const auto note = titleNotes_.find(model_.cell(notesIdColumn_, index.row() + 1));
        if (note != titleNotes_.end())
            text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + note->second;
    }
    return text;
}

bool ResultGrid::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QTableView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = tooltipText(help->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(indexAt(help->pos())));
    return true;
}

}  // namespace tamsel::app
