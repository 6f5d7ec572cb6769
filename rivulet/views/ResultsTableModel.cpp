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
    : QAbstractItemModel(parent), m_estimates(estimates), m_quasi(quasiLikelihood())
{
    connect(&estimates, &ModelEstimateModel::selectionChanged, this,
            &ResultsTableModel::onSelectionChanged);
    connect(&estimates, &ModelEstimateModel::comparisonChanged, this, [this] {
        // A comparison with another ĉ may add or drop the quasi-likelihood columns.
        if (quasiLikelihood() != m_quasi) {
            beginResetModel();
            m_quasi = quasiLikelihood();
            endResetModel();
            return;
        }
        onSelectionChanged();
    });
    connect(&estimates, &ModelEstimateModel::rebuilt, this, [this] {
        beginResetModel();
        m_quasi = quasiLikelihood();
        endResetModel();
    });
}

bool ResultsTableModel::quasiLikelihood() const
{
    const ModelComparison* comparison = m_estimates.comparison();
    return comparison && comparison->quasiLikelihood();
}

// A flat table: the headings and the models are all rows of the root, so that a selection
// or a repaint may span them.
QModelIndex ResultsTableModel::index(int row, int column, const QModelIndex& parent) const
{
    ModelEstimateItem* item = parent.isValid() ? nullptr : m_estimates.itemAt(row);
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
    return parent.isValid() ? 0 : static_cast<int>(m_estimates.rows().size());
}

int ResultsTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_quasi ? QuasiColumnCount : ColumnCount;
}

Qt::ItemFlags ResultsTableModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !m_estimates.root())
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
            .arg(m_estimates.comparison() ? m_estimates.comparison()->chat() : 1.0);
    case QaiccColumn + 1:
        return QStringLiteral("Delta QAICc");
    case QaiccColumn + 2:
        return QStringLiteral("QAICc Weight");
    default:
        return m_estimates.root()->columnValue(section);
    }
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const ModelEstimateItem* item = m_estimates.itemAt(index.row());
    if (!item)
        return {};
    const int column = index.column();
    const bool isHeading = item->parent() && !item->parent()->parent();
    const bool estimated = item->isEstimated() && item->result();
    const ModelResult* result = item->result();
    const ModelComparison::Row* comparison = estimated ? m_estimates.comparisonRow(item) : nullptr;
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
            return m_estimates.hasResults() ? QStringLiteral("Non-Est.") : QStringLiteral("NA");
        }
        if (column >= ModelEstimateItem::ColumnCount)
            return comparisonText(comparison, column);
        // The comparison's figures where it has the model (its AIC counts the parameters as the
        // settings say); the record's until it is made.
        if (column == 1)
            return QString::number(comparison ? comparison->deltaAic
                                              : result->aic - m_estimates.bestAic(),
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
        return estimated ? QVariant() : QVariant(m_estimates.whyNotEstimated(item->key()));
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
        if (index.row() == m_estimates.bestRow())
            return QBrush(QColor(255, 255, 204));
        const ModelEstimateItem* selected = m_estimates.selected();
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
