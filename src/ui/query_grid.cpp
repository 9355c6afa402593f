#include "ui/query_grid.h"

#include <QHeaderView>
#include <QLabel>

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
    connect(&m_model, &QAbstractItemModel::modelReset, this, &QueryGrid::applyWidths);
}

void QueryGrid::setColumnWidthsTwips(std::initializer_list<int> twips) {
    m_twips = QList<int>(twips);
    applyWidths();
}

void QueryGrid::applyWidths() {
    for (int column = 0; column < m_twips.size(); ++column)
        setColumnWidth(column, twipsToPixels(m_twips.at(column), logicalDpiX()));
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
