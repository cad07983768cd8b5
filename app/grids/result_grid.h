#pragma once

#include <QColor>
#include <QPoint>
#include <QTableView>

#include <map>
#include <string>

class QScrollBar;

namespace tamsel::app {

class GridHeader;
class GridModel;

// One result grid: a read-only cell view over a GridModel with the header row and
// the number column fixed, and two scroll bars of its own that the window places.
// Each bar shows only while the content needs it and then covers the last 16
// pixels of the grid, where the view's own (unseen) bar keeps the room free; while
// both show, a corner piece covers the square where they meet. The number column is
// the view's vertical header, so the grid sizes it itself when columns may be resized.
class ResultGrid : public QTableView {
    Q_OBJECT

public:
    static constexpr int ScrollBarOverlap = 16;
    // Around the selected rows.
    static const QColor SelectedRowFrame;

    ResultGrid(GridModel& model, int rowHeight, QWidget* parent);

    GridModel& gridModel() const { return model_; }

    // `corner` lies over the bars' ends where they meet; the window places all three.
    void attachScrollBars(QScrollBar& horizontal, QScrollBar& vertical, QWidget& corner);
    // Width of grid column `col`; 0 hides it.
    void setColWidth(int col, int width);
    int colWidth(int col) const;
    void setColumnResizing(bool allowed);

    // The grid cell (column, row) under a point in the grid's coordinates; (-1, -1) when none.
    QPoint mouseToCell(QPoint pos) const;
    // The top row of the current selection, in grid rows (never the header row).
    int selectionTop() const;
    // The whole text of the cell at a point of the viewport when the cell cuts it off; empty when
    // it shows whole.
    QString clippedText(QPoint viewportPos) const;
    // Notes on items, by their id in grid column `idColumn` (GBK), that the title cell's tooltip
    // adds; none until set.
    void setTitleNotes(std::map<std::string, QString> notes, int idColumn);
    // What the tooltip at a point of the viewport shows: the cut-off text, and the item's note on
    // its title.
    QString tooltipText(QPoint viewportPos) const;

signals:
    // Every mouse press anywhere on the grid, a double-click's second one included, in the
    // grid's coordinates.
    void mouseDown(Qt::MouseButton button, QPoint pos);
    // A double-click of the left button.
    void dblClick();

protected:
    void updateGeometries() override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateScrollBars();
    static void syncScrollBar(QScrollBar& inner, QScrollBar& outer);
    // Hover, press, drag and release on the number column's border in the header row;
    // true when the event was the sizing's.
    bool sizeNumberColumn(QWidget& source, QMouseEvent& event);
    bool onNumberColumnBorder(QPoint pos) const;

    GridModel& model_;
    GridHeader* columnHeader_;
    GridHeader* rowHeader_;
    QWidget* headerCorner_;  // the view's own piece above the number column
    QScrollBar* horizontal_ = nullptr;
    QScrollBar* vertical_ = nullptr;
    QWidget* barCorner_ = nullptr;
    bool columnsResizable_ = false;
    bool sizingNumberColumn_ = false;
    std::map<std::string, QString> titleNotes_;
    int notesIdColumn_ = -1;
    int sizingStartX_ = 0;
    int sizingStartWidth_ = 0;
};

}  // namespace tamsel::app
