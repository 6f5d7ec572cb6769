#include "lum/ui/TableCopy.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>

#include <algorithm>
#include <climits>

namespace lum {

void TableCopy::install(QAbstractItemView* view)
{
    auto* copy = new QAction(QObject::tr("&Copy"), view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(copy, &QAction::triggered, view, [view] {
        if (const QItemSelectionModel* selection = view->selectionModel()) {
            const QString text = selectedText(*selection);
            if (!text.isEmpty())
                QApplication::clipboard()->setText(text);
        }
    });
    view->addAction(copy);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
}

QString TableCopy::selectedText(const QItemSelectionModel& selection)
{
    const QModelIndexList indexes = selection.selectedIndexes();
    if (indexes.isEmpty())
        return {};
    int top = INT_MAX, bottom = -1, left = INT_MAX, right = -1;
    for (const QModelIndex& index : indexes) {
        top = std::min(top, index.row());
        bottom = std::max(bottom, index.row());
        left = std::min(left, index.column());
        right = std::max(right, index.column());
    }
    const QModelIndex parent = indexes.first().parent();
    QString text;
    for (int row = top; row <= bottom; ++row) {
        QStringList cells;
        for (int column = left; column <= right; ++column) {
            const QModelIndex index = selection.model()->index(row, column, parent);
            // A tab or line break inside a cell would split it in the spreadsheet.
            cells << (selection.isSelected(index) ? index.data().toString().simplified()
                                                  : QString());
        }
        text += cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }
    return text;
}

} // namespace lum
