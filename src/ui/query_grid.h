#pragma once

#include "db/grid_model.h"

#include <QTableView>
#include <initializer_list>

class QLabel;

namespace ui {

// The result grid of a screen: a read-only table over a GridModel copy of a
// query's answer, so the connection closes right after binding. Its header
// row holds the column names.
class QueryGrid : public QTableView {
    Q_OBJECT
public:
    explicit QueryGrid(QWidget* parent = nullptr);

    db::GridModel& gridModel() { return m_model; }
    const db::GridModel& gridModel() const { return m_model; }

    // Rows including the header row, as the count caption counts them.
    int rowsWithHeader() const { return m_model.rowCount() + 1; }
    QString cellText(int row, int column) const { return m_model.cell(row, column); }

    // Column widths given in twips (1440 to the inch), turned into pixels at
    // the screen's resolution. They hold for every later binding too, as the
    // least width of their columns.
    void setColumnWidthsTwips(std::initializer_list<int> twips);

    // Every binding fits each column to its header and its values, measured
    // on at most this many rows, however many the answer has...
    static constexpr int measuredRows = 200;
    // ...and never wider than this, so one long text (a history) does not
    // push the other columns out of sight.
    static constexpr int widestColumnTwips = 5760;

private:
    void applyWidths();
    db::GridModel m_model;
    QList<int> m_twips;
};

// "OPEN FAULT: «rows»": the grid's rows less the header row.
void setRowCountCaption(QLabel* label, const QueryGrid* grid);
QString rowCountCaption(int rowsWithHeader);

// Pixels for a width in twips at the given dots per inch.
int twipsToPixels(int twips, int dpi);

} // namespace ui
