#include "db/grid_model.h"

#include "db/error.h"

#include <limits>

namespace db {

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void GridModel::beginFill(const QStringList& columns) {
    beginResetModel();
    m_filling = true;
    m_columns = columns;
    m_text.clear();
    m_ends.clear();
    m_rows = 0;
}

void GridModel::appendCell(const char* utf8, qsizetype size) {
    m_text.append(utf8, size);
    if (quint64(m_text.size()) > std::numeric_limits<quint32>::max()) {
        clear();
        throw Error(QStringLiteral("The answer is too large to show in a grid."));
    }
    m_ends.append(quint32(m_text.size()));
}

void GridModel::appendCell(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    appendCell(utf8.constData(), utf8.size());
}

void GridModel::endFill() {
    const qsizetype columns = m_columns.size();
    m_rows = columns == 0 ? 0 : int(m_ends.size() / columns);
    m_ends.squeeze();
    m_filling = false;
    endResetModel();
}

void GridModel::clear() {
    if (!m_filling)
        beginResetModel();
    m_columns.clear();
    m_text.clear();
    m_ends.clear();
    m_rows = 0;
    m_filling = false;
    endResetModel();
}

QByteArrayView GridModel::cellUtf8(int row, int column) const {
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns.size())
        return {};
    const qsizetype at = qsizetype(row) * m_columns.size() + column;
    const quint32 begin = at == 0 ? 0 : m_ends.at(at - 1);
    return QByteArrayView(m_text.constData() + begin, m_ends.at(at) - begin);
}

GridCells GridModel::cells() const {
    GridCells cells;
    if (m_filling)
        return cells;
    cells.m_columns = m_columns;
    cells.m_text = m_text;
    cells.m_ends = m_ends;
    cells.m_rows = m_rows;
    return cells;
}

QByteArrayView GridCells::cellUtf8(int row, int column) const {
    if (row < 0 || row >= m_rows || column < 0 || column >= m_columns.size())
        return {};
    const qsizetype at = qsizetype(row) * m_columns.size() + column;
    const quint32 begin = at == 0 ? 0 : m_ends.at(at - 1);
    return QByteArrayView(m_text.constData() + begin, m_ends.at(at) - begin);
}

QString GridCells::cell(int row, int column) const {
    return QString::fromUtf8(cellUtf8(row, column));
}

QString GridModel::cell(int row, int column) const {
    return QString::fromUtf8(cellUtf8(row, column));
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || m_filling ? 0 : m_rows;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || m_filling ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() ||
        (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole))
        return {};
    return cell(index.row(), index.column());
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_columns.size() ? QVariant(m_columns.at(section))
                                                          : QVariant();
    return section + 1;
}

} // namespace db
