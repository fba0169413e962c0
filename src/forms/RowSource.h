#pragma once

#include <QString>

// The data rows of a long list, kept in whatever compact form their file
// gives (often the record bytes themselves): a grid asks for a cell's text
// only when it is shown or read, instead of holding every cell as text.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int rowCount() const = 0;
    // The text of one cell, row and column from 0, as the grid would hold it.
    virtual QString cell(int row, int col) const = 0;
};
