#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

#include "forms/RowSource.h"

// A grid of text cells with one fixed heading row, addressed as the window
// code addresses it: row 0 is the heading, rows 1.. are data; columns from 0.
// The heading row and the column widths come from a format text such as
// "<Quant||Mfg.   |<Unit" ("|" between columns, "<" left, ">" right,
// "^" centre; the heading's trailing blanks set the column's width).
// As a Qt model it shows the data rows only, with the headings as headers.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(int cols = 1, QObject* parent = nullptr);

    int rows() const { return static_cast<int>(m_source ? m_order.size() + 1 : m_rows.size()); }
    int cols() const { return m_cols; }
    void setCols(int cols);
    // Keeps the heading row; adds empty rows or drops rows from the end.
    void setRows(int rows);
    // Empties every cell, the headings too.
    void clearCells();

    void setFormatString(const QString& format);
    QString formatString() const { return m_format; }
    // Width of a column in characters, from its heading in the format text.
    int columnWidthChars(int col) const;
    Qt::Alignment columnAlignment(int col) const;

    void setColumnHidden(int col, bool hidden);
    bool isColumnHidden(int col) const;

    // Appends a row given as one text with the cells separated by tabs.
    void addItem(const QString& tabbedCells);
    // Inserts such a row so that it becomes row `row` (1 .. rows()).
    void insertItem(int row, const QString& tabbedCells);
    // Replaces every data row at once (one reset, for long lists).
    void setDataRows(QVector<QStringList> rows);
    // Shows the rows of `source` in `order` (source rows from 0; all of them
    // in their own order when empty), one reset; cells are made when asked
    // for. An edit of a row (add, insert, remove, set a cell) first turns
    // the rows into text rows, so every call below works on either.
    void setRowSource(std::shared_ptr<const RowSource> source, QVector<int> order = {});
    const RowSource* rowSource() const { return m_source.get(); }
    // The source row a data row shows; -1 for text rows.
    int sourceRow(int row) const;
    // Puts the data rows in a new order: data row i (from 0) shows what
    // data row order[i] showed. A layout change, as a sort is.
    void reorderRows(const QVector<int>& order);
    void removeItem(int row);

    QString cell(int row, int col) const;
    void setCell(int row, int col, const QString& text);
    QStringList rowCells(int row) const;

    int currentRow() const { return m_currentRow; }
    void setCurrentRow(int row) { m_currentRow = row; }
    int currentCol() const { return m_currentCol; }
    void setCurrentCol(int col) { m_currentCol = col; }

    // Sorts the data rows by one column, stable; `less` compares two cells.
    using CellLess = std::function<bool(const QString&, const QString&)>;
    void sortRows(int col, const CellLess& less, bool ascending);

    // QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    void columnsHiddenChanged();

private:
    // Makes text rows of the source's rows, for an edit.
    void materialize();

    QVector<QStringList> m_rows;  // the heading row, then text rows
    std::shared_ptr<const RowSource> m_source;
    QVector<int> m_order;  // with a source: the source row of each data row
    int m_cols = 1;
    QString m_format;
    QVector<int> m_widths;
    QVector<Qt::Alignment> m_align;
    QVector<bool> m_hidden;
    int m_currentRow = 0;
    int m_currentCol = 0;
};
