#pragma once

#include <QString>
#include <cstdint>

// Where a sheet reader puts the cells it finds: rows from the top (0 is the
// first), within a row in any order; a cell's text may be empty.
class SheetCells {
public:
    virtual ~SheetCells() = default;
    virtual void cell(std::uint32_t row, std::uint32_t column, const QString& text) = 0;
};
