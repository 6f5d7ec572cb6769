#pragma once

class QAbstractItemView;
class QItemSelectionModel;
class QString;

namespace lum {

// Copy (Ctrl+C, and the view's context menu) of a table's selected cells as tab-separated
// text, one line per row of the selection's bounding range, so that a range pastes into a
// spreadsheet cell for cell. Cells inside the range that are not selected stay empty.
class TableCopy
{
public:
    // Adds the Copy action to `view` (owned by the view).
    static void install(QAbstractItemView* view);
    // The selected cells as tab-separated text; empty when nothing is selected.
    static QString selectedText(const QItemSelectionModel& selection);
};

} // namespace lum
