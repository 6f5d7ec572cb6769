// Copy of a table's selection as tab-separated text.
#include "lum/ui/TableCopy.h"

#include <QItemSelectionModel>
#include <QStandardItemModel>

#include <gtest/gtest.h>

TEST(TableCopy, TheSelectedRangeBecomesTabSeparatedLinesWithUnselectedCellsEmpty)
{
    QStandardItemModel model(3, 3);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            model.setItem(r, c, new QStandardItem(QStringLiteral("%1%2").arg(r).arg(c)));
    }
    // A name the window indents with a tab must not split the cell.
    model.item(1, 1)->setText(QStringLiteral("\tM.ys.1A: all\nunique"));
    QItemSelectionModel selection(&model);
    EXPECT_EQ(lum::TableCopy::selectedText(selection), QString());

    selection.select(QItemSelection(model.index(0, 1), model.index(1, 2)),
                     QItemSelectionModel::Select);
    selection.select(model.index(2, 0), QItemSelectionModel::Select);
    selection.select(model.index(0, 2), QItemSelectionModel::Deselect);
    EXPECT_EQ(lum::TableCopy::selectedText(selection),
              QStringLiteral("\t01\t\n\tM.ys.1A: all unique\t12\n20\t\t\n"));
}
