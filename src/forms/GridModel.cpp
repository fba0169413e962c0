#include "forms/GridModel.h"

#include <algorithm>
#include <numeric>

GridModel::GridModel(int cols, QObject* parent) : QAbstractTableModel(parent) {
    m_rows.append(QStringList());
    setCols(cols);
}

void GridModel::setCols(int cols) {
    cols = qMax(1, cols);
    if (cols != m_cols) materialize();
    beginResetModel();
    m_cols = cols;
    for (QStringList& r : m_rows) {
        while (r.size() < cols) r.append(QString());
        while (r.size() > cols) r.removeLast();
    }
    m_widths.resize(cols);
    m_align.resize(cols);
    m_hidden.resize(cols);
    endResetModel();
    Q_EMIT columnsHiddenChanged();
}

void GridModel::setRows(int rows) {
    rows = qMax(1, rows);
    if (rows != this->rows()) materialize();
    const int have = this->rows();
    if (rows > have) {
        beginInsertRows({}, have - 1, rows - 2);
        while (m_rows.size() < rows) {
            QStringList r;
            for (int c = 0; c < m_cols; ++c) r.append(QString());
            m_rows.append(r);
        }
        endInsertRows();
    } else if (rows < have) {
        beginRemoveRows({}, rows - 1, have - 2);
        m_rows.resize(rows);
        endRemoveRows();
    }
    if (m_currentRow >= rows) m_currentRow = rows - 1;
}

void GridModel::clearCells() {
    materialize();
    for (QStringList& r : m_rows) {
        for (QString& c : r) c.clear();
    }
    if (rows() > 1) Q_EMIT dataChanged(index(0, 0), index(rows() - 2, m_cols - 1));
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
}

void GridModel::setFormatString(const QString& format) {
    m_format = format;
    const QStringList parts = format.split(u'|');
    if (parts.size() != m_cols) setCols(static_cast<int>(parts.size()));
    for (int c = 0; c < m_cols; ++c) {
        QString heading = parts.value(c);
        Qt::Alignment align = Qt::AlignLeft;
        if (heading.startsWith(u'<')) {
            heading.remove(0, 1);
        } else if (heading.startsWith(u'>')) {
            align = Qt::AlignRight;
            heading.remove(0, 1);
        } else if (heading.startsWith(u'^')) {
            align = Qt::AlignHCenter;
            heading.remove(0, 1);
        }
        m_align[c] = align | Qt::AlignVCenter;
        m_widths[c] = static_cast<int>(heading.size());
        m_rows[0][c] = heading;
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (rows() > 1) Q_EMIT dataChanged(index(0, 0), index(rows() - 2, m_cols - 1));
}

int GridModel::columnWidthChars(int col) const {
    return m_widths.value(col);
}

Qt::Alignment GridModel::columnAlignment(int col) const {
    return m_align.value(col, Qt::AlignLeft | Qt::AlignVCenter);
}

void GridModel::setColumnHidden(int col, bool hidden) {
    if (col < 0 || col >= m_cols || m_hidden[col] == hidden) return;
    m_hidden[col] = hidden;
    Q_EMIT columnsHiddenChanged();
}

bool GridModel::isColumnHidden(int col) const {
    return m_hidden.value(col);
}

void GridModel::addItem(const QString& tabbedCells) {
    materialize();
    const QStringList given = tabbedCells.split(u'\t');
    QStringList r;
    for (int c = 0; c < m_cols; ++c) r.append(given.value(c));
    const int at = rows();
    beginInsertRows({}, at - 1, at - 1);
    m_rows.append(r);
    endInsertRows();
}

void GridModel::insertItem(int row, const QString& tabbedCells) {
    if (row < 1 || row > rows()) return;
    materialize();
    const QStringList given = tabbedCells.split(u'\t');
    QStringList r;
    for (int c = 0; c < m_cols; ++c) r.append(given.value(c));
    beginInsertRows({}, row - 1, row - 1);
    m_rows.insert(row, r);
    endInsertRows();
}

void GridModel::setDataRows(QVector<QStringList> rows) {
    beginResetModel();
    const QStringList heading = m_rows.first();
    m_source.reset();
    m_order.clear();
    m_rows = std::move(rows);
    m_rows.prepend(heading);
    for (QStringList& r : m_rows) {
        while (r.size() < m_cols) r.append(QString());
        while (r.size() > m_cols) r.removeLast();
    }
    if (m_currentRow >= this->rows()) m_currentRow = this->rows() - 1;
    endResetModel();
}

void GridModel::setRowSource(std::shared_ptr<const RowSource> source, QVector<int> order) {
    beginResetModel();
    m_rows.resize(1);
    m_source = std::move(source);
    m_order = std::move(order);
    if (m_order.isEmpty() && m_source) {
        m_order.resize(m_source->rowCount());
        std::iota(m_order.begin(), m_order.end(), 0);
    }
    if (!m_source) m_order.clear();
    if (m_currentRow >= rows()) m_currentRow = rows() - 1;
    endResetModel();
}

int GridModel::sourceRow(int row) const {
    return m_source && row >= 1 && row < rows() ? m_order[row - 1] : -1;
}

void GridModel::materialize() {
    if (!m_source) return;
    QVector<QStringList> texts;
    texts.reserve(m_order.size() + 1);
    texts.append(m_rows.first());
    for (int r = 1; r < rows(); ++r) texts.append(rowCells(r));
    m_source.reset();
    m_order.clear();
    m_rows = std::move(texts);
}

void GridModel::reorderRows(const QVector<int>& order) {
    if (order.size() != rows() - 1) return;
    Q_EMIT layoutAboutToBeChanged();
    if (m_source) {
        QVector<int> moved;
        moved.reserve(order.size());
        for (int i : order) moved.append(m_order[i]);
        m_order = std::move(moved);
    } else {
        QVector<QStringList> moved;
        moved.reserve(order.size() + 1);
        moved.append(m_rows.first());
        for (int i : order) moved.append(m_rows[i + 1]);
        m_rows = std::move(moved);
    }
    Q_EMIT layoutChanged();
}

void GridModel::sortRows(int col, const CellLess& less, bool ascending) {
    if (col < 0 || col >= m_cols || rows() < 3) return;
    if (m_source) {
        // Each cell's text made once, not at every comparison.
        QVector<QString> texts;
        texts.reserve(m_order.size());
        for (int r = 1; r < rows(); ++r) texts.append(cell(r, col));
        QVector<int> order(texts.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return ascending ? less(texts[a], texts[b]) : less(texts[b], texts[a]);
        });
        reorderRows(order);
        return;
    }
    Q_EMIT layoutAboutToBeChanged();
    std::stable_sort(m_rows.begin() + 1, m_rows.end(),
                     [&](const QStringList& a, const QStringList& b) {
                         return ascending ? less(a[col], b[col]) : less(b[col], a[col]);
                     });
    Q_EMIT layoutChanged();
}

void GridModel::removeItem(int row) {
    if (row < 1 || row >= rows()) return;
    materialize();
    beginRemoveRows({}, row - 1, row - 1);
    m_rows.removeAt(row);
    endRemoveRows();
    if (m_currentRow >= rows()) m_currentRow = rows() - 1;
}

QString GridModel::cell(int row, int col) const {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols) return {};
    if (m_source && row > 0) return m_source->cell(m_order[row - 1], col);
    return m_rows[row][col];
}

void GridModel::setCell(int row, int col, const QString& text) {
    if (row < 0 || row >= rows() || col < 0 || col >= m_cols) return;
    if (row > 0 && m_source) {
        if (cell(row, col) == text) return;
        materialize();
    }
    m_rows[row][col] = text;
    if (row == 0) {
        Q_EMIT headerDataChanged(Qt::Horizontal, col, col);
    } else {
        Q_EMIT dataChanged(index(row - 1, col), index(row - 1, col));
    }
}

QStringList GridModel::rowCells(int row) const {
    if (m_source && row > 0 && row < rows()) {
        QStringList cells;
        cells.reserve(m_cols);
        for (int c = 0; c < m_cols; ++c) cells.append(m_source->cell(m_order[row - 1], c));
        return cells;
    }
    return m_rows.value(row);
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows() - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cols;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) {
        // Fixed-width fields keep their padding in the cell, not on screen.
        QString text = cell(index.row() + 1, index.column());
        qsizetype end = text.size();
        while (end > 0 && text.at(end - 1) == u' ') --end;
        text.truncate(end);
        return text;
    }
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columnAlignment(index.column()));
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) return cell(0, section).trimmed();
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(columnAlignment(section));
    return {};
}
