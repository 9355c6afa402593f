#pragma once

#include <QString>
#include <QStringView>
#include <stdexcept>

namespace core {
class Config;
}
namespace db {
class GridCells;
class GridModel;
} // namespace db

class QWidget;

namespace integrations {

class ExternalPrograms;

// An export that could not be completed. Screens run the export under
// ui::stopOnError, which shows this message to the operator.
class ExportError : public std::runtime_error {
public:
    explicit ExportError(const QString& message);
};

// The whole grid as the text a spreadsheet pastes: the header row first, then
// every row; cells separated by a tab, rows by a carriage return, with no
// carriage return after the last row. Cell texts go in unchanged, so a tab or
// line break inside a cell makes further cells or rows where it is pasted.
QString gridClipboardText(const db::GridModel& grid);
QString gridClipboardText(const db::GridCells& grid);

enum class CellKind { Empty, Number, Text };

// How a cell goes into the workbook. Only plain decimals that a person would
// paste as numbers become numbers ("12", "-3", "4.5", "0.25"). Everything
// whose text would change as a number stays text: leading zeros ("007"),
// ids and phone numbers of ten digits or more, anything beyond the fifteen
// significant digits a spreadsheet keeps, signs other than a leading minus,
// blanks, separators, exponents, dates and times.
CellKind cellKind(QStringView text);

// Writes the grid to a new .xlsx workbook at `path`: the header row in the
// first sheet's row 1 from A1, the grid's rows below it. Header texts are
// always text; cells follow cellKind(); an empty cell is left blank. A text
// longer than a spreadsheet cell holds (32767 characters) is cut there.
// Returns an empty text on success, else what went wrong.
QString writeWorkbook(const db::GridModel& grid, const QString& path);
QString writeWorkbook(const db::GridCells& grid, const QString& path);

// Hands the whole grid to the operator's spreadsheet program: puts
// gridClipboardText() on the clipboard (cleared first), writes the workbook
// to the temporary folder as "zelcrm-export-yyyyMMdd-hhmmss-zzz.xlsx" (a
// "-2", "-3", .. suffix when that name is taken; readable by the operator
// only) and opens it with `[tools] spreadsheet`, or, when that key is
// empty, with the desktop's default program for .xlsx files. Returns the
// workbook's path.
//
// The grid's cells are taken as they are at the call; the text and the
// workbook are made on other threads while this one keeps the UI live, so
// the caller holds a ui::WaitingAction. An export still running after half
// a second shows a progress dialog over `screen`; its cancel button stops
// the workbook, removes the part written and returns an empty path (the
// clipboard still gets the text).
//
// Throws ExportError when the workbook cannot be written (nothing is left
// behind) or the program cannot be started (the workbook stays, and the
// message says where).
QString exportGrid(const db::GridModel& grid, const core::Config& config,
                   ExternalPrograms& programs, QWidget* screen = nullptr);

} // namespace integrations
