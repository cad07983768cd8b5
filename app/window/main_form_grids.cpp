// The window's result grids: their set-up, the sort controls, the rank picture, and the
// handlers of double-clicks, header presses and 确定.
#include "main_form.h"

#include "csv_export.h"
#include "gbk_text.h"
#include "grid_model.h"
#include "item_page.h"
#include "memory_release.h"
#include "platform.h"
#include "rank_chart.h"
#include "rank_picture.h"
#include "result_grid.h"
#include "result_grids.h"
#include "site_urls.h"
#include "skin.h"
#include "sort_grid.h"
#include "table_actions.h"
#include "verdict_delegate.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

namespace tamsel::app {
namespace {

constexpr int ScrollBarThickness = 19;
constexpr int VerdictColumn = 7;

}  // namespace

void TMainForm::setupGridActions(int index)
{
    static const char* const GridNames[3] = {"所有宝贝", "降权宝贝", "宝贝权重排行榜"};
    ResultGrid& grid = *grids_[index];
    addTableActions(
        grid, platform_, [this, index] { return GridCsv(*models_[index], ResultGridColumns()[index]); },
        [this, index] {
            return shownRun_ ? QString::fromStdString(RunCsvFileNames(*shownRun_)[static_cast<std::size_t>(index)])
                             : QString::fromUtf8(GridNames[index]) + QStringLiteral(".csv");
        });
    auto* itemHistory = new QAction(QStringLiteral("查看排名变化"), &grid);
    itemHistory->setObjectName(QStringLiteral("itemHistoryAction"));
    connect(itemHistory, &QAction::triggered, this, [this, index] { showItemHistory(index); });
    grid.addAction(itemHistory);
    auto* exportRun = new QAction(QStringLiteral("导出本次探测…"), &grid);
    exportRun->setObjectName(QStringLiteral("exportRunAction"));
    connect(exportRun, &QAction::triggered, this, &TMainForm::exportShownRun);
    grid.addAction(exportRun);
}

void TMainForm::setupGrid(int index, QWidget& sheet, QRect design)
{
    const QString name = QStringLiteral("sgData%1").arg(index + 1);
    models_[index] = new GridModel(this);
    models_[index]->setObjectName(name + QStringLiteral("Model"));

    auto* grid = new ResultGrid(*models_[index], skin_.cellHeight(), &sheet);
    grids_[index] = grid;
    grid->setObjectName(name);
    setSkinSection(*grid, "grid");
    grid->setGeometry(design);
    grid->setColumnResizing(index == 2);

    auto* horizontal = new QScrollBar(Qt::Horizontal, &sheet);
    horizontal->setObjectName(name + QStringLiteral("HSB"));
    setSkinSection(*horizontal, "hscrollbar");
    horizontal->setGeometry(design.left(), design.bottom() + 1 - ResultGrid::ScrollBarOverlap,
                            design.width() - ResultGrid::ScrollBarOverlap, ScrollBarThickness);
    auto* vertical = new QScrollBar(Qt::Vertical, &sheet);
    vertical->setObjectName(name + QStringLiteral("VSB"));
    setSkinSection(*vertical, "vscrollbar");
    vertical->setGeometry(design.right() + 1 - ResultGrid::ScrollBarOverlap, design.top(), ScrollBarThickness,
                          design.height());
    // Made after the bars, so it lies over their ends.
    auto* corner = new QWidget(&sheet);
    corner->setObjectName(name + QStringLiteral("Corner"));
    setSkinSection(*corner, "bothhscrollbar");
    corner->setAttribute(Qt::WA_StyledBackground);
    corner->setGeometry(vertical->x(), horizontal->y(), ScrollBarThickness, ScrollBarThickness);
    horizontal->hide();
    vertical->hide();
    corner->hide();
    horizontalBars_[index] = horizontal;
    verticalBars_[index] = vertical;
    barCorners_[index] = corner;
    grid->attachScrollBars(*horizontal, *vertical, *corner);

    static constexpr void (TMainForm::*DblClick[3])() = {&TMainForm::sgData1DblClick, &TMainForm::sgData2DblClick,
                                                          &TMainForm::sgData3DblClick};
    connect(grid, &ResultGrid::dblClick, this, DblClick[index]);
    if (index == 2) {
        grid->setItemDelegateForColumn(VerdictColumn - 1, new VerdictDelegate(grid));
        connect(grid, &ResultGrid::mouseDown, this, &TMainForm::sgData3MouseDown);
    }
}

void TMainForm::setupSortControls()
{
    cbSort_ = new QComboBox(tabSheets_[2]);
    cbSort_->setObjectName(QStringLiteral("cbSort"));
    setSkinSection(*cbSort_, "combobox");
    cbSort_->setGeometry(8, 8, 161, 20);
    cbSort_->setEditable(false);
    cbSort_->setMaxVisibleItems(8);
    cbSort_->addItems({QStringLiteral("权重从高到低排列"), QStringLiteral("权重从低到高排列"),
                       QStringLiteral("店铺主打宝贝权重")});
    cbSort_->setCurrentIndex(2);

    btnSort_ = new QPushButton(QStringLiteral("确定"), tabSheets_[2]);
    btnSort_->setObjectName(QStringLiteral("btnSort"));
    setSkinSection(*btnSort_, "button");
    btnSort_->setGeometry(176, 8, 75, 25);
    connect(btnSort_, &QPushButton::clicked, this, &TMainForm::btnSortClick);

    // Right of the sort controls, clear of every control the page had.
    btnRankChart_ = new QPushButton(QStringLiteral("排名图"), tabSheets_[2]);
    btnRankChart_->setObjectName(QStringLiteral("btnRankChart"));
    setSkinSection(*btnRankChart_, "button");
    btnRankChart_->setGeometry(259, 8, 75, 25);
    connect(btnRankChart_, &QPushButton::clicked, this, &TMainForm::showRankChart);
}

void TMainForm::showRankChart()
{
    if (!btnSearch_->isEnabled())
        return;
    auto* dialog = new RankChartDialog(RankPictureOf(*models_[1], *models_[2], shownRun_), hosts_.itemHost, platform_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &RankChartDialog::itemClicked, this, &TMainForm::selectRankingRow);
    // Closed, a big shop's picture frees about 15 MiB, which the allocator would keep.
    connect(dialog, &QObject::destroyed, &releaseFreedMemoryOnceIdle);
    dialog->show();
}

void TMainForm::selectRankingRow(const std::string& itemId)
{
    GridModel& model = *models_[2];
    for (int row = 1; row < model.rowCount(); ++row) {
        if (model.cell(sgData3IdColumn, row) != itemId)
            continue;
        ResultGrid& grid = *grids_[2];
        const QModelIndex first = model.index(row - 1, 0);
        grid.setCurrentIndex(first);
        grid.selectionModel()->select(QItemSelection(first, model.index(row - 1, model.columnCount(QModelIndex()) - 1)),
                                      QItemSelectionModel::ClearAndSelect);
        grid.scrollTo(first);
        MainPage_->setCurrentIndex(2);
        return;
    }
}

void TMainForm::setupGridColumns(ResultGrid& grid, std::span<const GridColumn> columns)
{
    SetupResultGrid(grid.gridModel(), columns);
    for (std::size_t col = 0; col < columns.size(); ++col)
        grid.setColWidth(static_cast<int>(col), columns[col].width);
    grid.gridModel().publishRows();
}

void TMainForm::btnSortClick()
{
    if (!btnSearch_->isEnabled())
        return;
    switch (cbSort_->currentIndex()) {
    case 0:
        TSortGrid::SortByColumn(sgData3(), 5, 2);
        break;
    case 1:
        TSortGrid::SortByColumn(sgData3(), 5, 1);
        break;
    case 2:
        TSortGrid::SortByColumn(sgData3(), 1, 2);
        break;
    default:
        break;
    }
}

void TMainForm::sgData1DblClick()
{
    openItemPage(sgData1View(), sgData1IdColumn);
}

void TMainForm::sgData2DblClick()
{
    openItemPage(sgData2View(), sgData2IdColumn);
}

void TMainForm::sgData3DblClick()
{
    openItemPage(sgData3View(), sgData3IdColumn);
}

void TMainForm::openItemPage(const ResultGrid& grid, int idColumn)
{
    const std::string id = grid.gridModel().cell(idColumn, grid.selectionTop());
    if (id.empty())
        return;
    app::openItemPage(platform_, this, itemPageUrl(hosts_.itemHost, displayText(id)));
}

void TMainForm::sgData3MouseDown(Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton)
        return;
    const QPoint cell = sgData3View().mouseToCell(pos);
    if (cell.y() != 0)
        return;
    if (!btnSearch_->isEnabled())
        return;
    TSortGrid::SortByColumn(sgData3(), cell.x() - 1, 0);
}

}  // namespace tamsel::app
