#pragma once

#include <QHeaderView>

namespace tamsel::app {

// A grid header whose thickness is set, not derived from its texts: the vertical
// header is the grid's column 0 with its given width, the horizontal one the header
// row with the grid's row height.
class GridHeader : public QHeaderView {
    Q_OBJECT

public:
    GridHeader(Qt::Orientation orientation, QWidget* parent);

    void setThickness(int pixels);
    int thickness() const { return thickness_; }

    QSize sizeHint() const override;

private:
    int thickness_ = 0;
};

}  // namespace tamsel::app
