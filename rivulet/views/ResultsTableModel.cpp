#include "rivulet/views/ResultsTableModel.h"

#include "rivulet/model/ModelResult.h"
#include "rivulet/views/ModelEstimateItem.h"
#include "rivulet/views/ModelEstimateItemRoot.h"
#include "rivulet/views/ModelEstimateModel.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace rivulet {

namespace {

QString comparisonText(const ModelComparison::Row* row, int column)
{
    if (column == ResultsTableModel::FitColumn)
        return row ? row->status : QString();
    if (column == ResultsTableModel::InformedColumn)
        return row ? QString::number(row->informedParameters) : QStringLiteral("NA");
    std::optional<double> value;
    if (row && column >= ResultsTableModel::QaiccColumn) {
        value = column == ResultsTableModel::QaiccColumn       ? row->qaicc
                : column == ResultsTableModel::QaiccColumn + 1 ? row->deltaQaicc
                                                               : row->qaiccWeight;
    } else if (row) {
        value = column == ModelEstimateItem::ColumnCount       ? row->aicc
                : column == ModelEstimateItem::ColumnCount + 1 ? row->deltaAicc
                                                               : row->weight;
    }
    return value ? QString::number(*value, 'f', ResultsTableModel::Precision)
                 : QStringLiteral("NA");
}

} // namespace

ResultsTableModel::ResultsTableModel(const ModelEstimateModel& estimates, QObject* parent)
    : QAbstractItemModel(parent), estimates_(estimates), quasi_(quasiLikelihood())
{
    connect(&estimates, &ModelEstimateModel::selectionChanged, this,
            &ResultsTableModel::onSelectionChanged);
    connect(&estimates, &ModelEstimateModel::comparisonChanged, this, [this] {
        // A comparison with another ĉ may add or drop the quasi-likelihood columns.
        if (quasiLikelihood() != quasi_) {
            beginResetModel();
            quasi_ = quasiLikelihood();
            endResetModel();
            return;
        }
        onSelectionChanged();
    });
    connect(&estimates, &ModelEstimateModel::rebuilt, this, [this] {
        beginResetModel();
        quasi_ = quasiLikelihood();
        endResetModel();
    });
}

bool ResultsTableModel::quasiLikelihood() const
{
    const ModelComparison* comparison = estimates_.comparison();
    return comparison && comparison->quasiLikelihood();
}

// A flat table: the headings and the models are all rows of the root, so that a selection
// or a repaint may span them.
QModelIndex ResultsTableModel::index(int row, int column, const QModelIndex& parent) const
{
    ModelEstimateItem* item = parent.isValid() ? nullptr : estimates_.itemAt(row);
    if (!item || column < 0 || column >= columnCount())
        return {};
    return createIndex(row, column, item);
}

QModelIndex ResultsTableModel::parent(const QModelIndex&) const
{
    return {};
}

int ResultsTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(estimates_.rows().size());
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : quasi_ ? QuasiColumnCount : ColumnCount;
}

Qt::ItemFlags ResultsTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !estimates_.root())
        return {};
    switch (section) {
    case ModelEstimateItem::ColumnCount:
        return QStringLiteral("AICc");
    case ModelEstimateItem::ColumnCount + 1:
        return QStringLiteral("Delta AICc");
    case ModelEstimateItem::ColumnCount + 2:
        return QStringLiteral("Weight");
    case InformedColumn:
        return QStringLiteral("Informed");
    case FitColumn:
        return QStringLiteral("Fit");
    case QaiccColumn:
        return QStringLiteral("QAICc (c-hat %1)")
            .arg(estimates_.comparison() ? estimates_.comparison()->chat() : 1.0);
    case QaiccColumn + 1:
        return QStringLiteral("Delta QAICc");
    case QaiccColumn + 2:
        return QStringLiteral("QAICc Weight");
    default:
        return estimates_.root()->columnValue(section);
    }
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const ModelEstimateItem* item = estimates_.itemAt(index.row());
    if (!item)
        return {};
    const int column = index.column();
    const bool isHeading = item->parent() && !item->parent()->parent();
    const bool estimated = item->isEstimated() && item->result();
    const ModelResult* result = item->result();
    const ModelComparison::Row* comparison = estimated ? estimates_.comparisonRow(item) : nullptr;
    switch (role) {
    case Qt::DisplayRole:
        if (column == 0) {
            if (isHeading)
                return item->text();
            return QString(QStringLiteral("\t") + item->code() + QStringLiteral(": ") +
                           item->text());
        }
        if (!estimated) {
            if (isHeading)
                return QString();
            return estimates_.hasResults() ? QStringLiteral("Non-Est.") : QStringLiteral("NA");
        }
        if (column >= ModelEstimateItem::ColumnCount)
            return comparisonText(comparison, column);
        // The comparison's figures where it has the model (its AIC counts the parameters as the
        // settings say); the record's until it is made.
        if (column == 1)
            return QString::number(comparison ? comparison->deltaAic
                                              : result->aic - estimates_.bestAic(),
                                   'f', Precision);
        if (column == 2)
            return QString::number(comparison ? comparison->numParameters
                                              : result->numParameters());
        return QString::number(comparison ? comparison->logLikelihood : result->logLikelihood, 'f',
                               Precision);
    case Qt::ToolTipRole:
        if (isHeading)
            return {};
        if (column == 0)
            return item->fullDescription();
        return estimated ? QVariant() : QVariant(estimates_.whyNotEstimated(item->key()));
    case Qt::FontRole: {
        QFont font;
        if (column == 0 && isHeading)
            font.setWeight(75);
        else if (column > 0 && !estimated)
            font.setItalic(true);
        return font;
    }
    case Qt::TextAlignmentRole:
        if (column == 0 || column == FitColumn)
            return {};
        return static_cast<int>(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: {
        if (rowCount() <= 2)
            return {};
        if (index.row() == estimates_.bestRow())
            return QBrush(QColor(255, 255, 204));
        const ModelEstimateItem* selected = estimates_.selected();
        if (selected && selected == item)
            return QBrush(QColor(204, 255, 153));
        return {};
    }
    case Qt::ForegroundRole:
        if (column > 0 && !estimated)
            return QBrush(Qt::lightGray);
        return QBrush(Qt::black);
    default:
        return {};
    }
}

void ResultsTableModel::onSelectionChanged()
{
    // Only the figures and colours change, never the rows: a layout change without its
    // announcement would leave the views with stale indexes.
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

} // namespace rivulet
