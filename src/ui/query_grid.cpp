#include "ui/query_grid.h"

#include <QHeaderView>
#include <QLabel>
#include <algorithm>

namespace ui {

QueryGrid::QueryGrid(QWidget* parent)
    : QTableView(parent)
    , m_model(this) {
    setModel(&m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    // Every row has the same height, so the view never measures a million rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultSectionSize(twipsToPixels(1200, logicalDpiX()));
    // Fitting a column measures rows around the visible ones, up to this many.
    horizontalHeader()->setResizeContentsPrecision(measuredRows);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &QueryGrid::applyWidths);
}

void QueryGrid::setColumnWidthsTwips(std::initializer_list<int> twips) {
    m_twips = QList<int>(twips);
    applyWidths();
}

// A width the screen sets is kept unless the values need more; without one,
// the column is as wide as its values need, within the limit.
void QueryGrid::applyWidths() {
    const int widest = twipsToPixels(widestColumnTwips, logicalDpiX());
    for (int column = 0; column < m_model.columnCount(); ++column) {
        resizeColumnToContents(column);
        int width = std::min(columnWidth(column), widest);
        if (column < m_twips.size())
            width = std::max(width, twipsToPixels(m_twips.at(column), logicalDpiX()));
        setColumnWidth(column, width);
    }
}

QString rowCountCaption(int rowsWithHeader) {
    return QStringLiteral("OPEN FAULT: ") + QString::number(rowsWithHeader - 1);
}

void setRowCountCaption(QLabel* label, const QueryGrid* grid) {
    label->setText(rowCountCaption(grid->rowsWithHeader()));
}

int twipsToPixels(int twips, int dpi) {
    return (twips * dpi + 720) / 1440;
}

} // namespace ui
