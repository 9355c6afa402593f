#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace db {

// A grid's cells as they were when taken, sharing the grid's buffers: taking
// it copies nothing, and another thread may read it while the grid is filled
// anew (a refill detaches the grid from what is shared).
class GridCells {
public:
    GridCells() = default;

    QStringList columns() const { return m_columns; }
    int rowCount() const { return m_rows; }
    int columnCount() const { return int(m_columns.size()); }
    QByteArrayView cellUtf8(int row, int column) const;
    QString cell(int row, int column) const;

private:
    friend class GridModel;
    QStringList m_columns;
    QByteArray m_text;
    QList<quint32> m_ends;
    int m_rows = 0;
};

// A read-only copy of a query's answer for a grid: the header holds the
// column names, every cell is text. Cells are kept as UTF-8 in one buffer
// with an offset per cell, so answers of a million rows stay small.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    // Filling: reset(columns), appendCell() for every cell row by row, finish().
    void beginFill(const QStringList& columns);
    void appendCell(const char* utf8, qsizetype size);
    void appendCell(const QString& text);
    void endFill();
    void clear();

    QStringList columns() const { return m_columns; }
    QString cell(int row, int column) const;
    // The cell as stored, without a copy; valid until the next fill.
    QByteArrayView cellUtf8(int row, int column) const;
    // What the grid holds now, for reading on another thread.
    GridCells cells() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QStringList m_columns;
    QByteArray m_text;
    QList<quint32> m_ends; // end offset of each cell in m_text
    int m_rows = 0;
    bool m_filling = false;
};

} // namespace db
