#pragma once

#include <QAbstractItemModel>

namespace rivulet {

class ModelEstimateModel;

// The model tree as the flat table of the "Model Comparison" window: headings and models in
// catalogue order with the AIC difference to the lowest AIC, the number of parameters and the
// log-likelihood, then AICc, its difference to the lowest AICc, the Akaike weight and the fit's
// status from the tree's comparison; the best row light yellow, the selected one light green.
class ResultsTableModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    static constexpr int Precision = 4;
    // The tree's own columns, then AICc, "Delta AICc", "Weight", "Informed" (the parameters the
    // data inform) and "Fit" (how the fit ended and whether the model has a covariance matrix).
    static constexpr int ColumnCount = 9;
    static constexpr int InformedColumn = ColumnCount - 2;
    static constexpr int FitColumn = ColumnCount - 1;
    // With the comparison's ĉ ≠ 1, three more: "QAICc", "Delta QAICc" and "QAICc Weight".
    static constexpr int QaiccColumn = ColumnCount;
    static constexpr int QuasiColumnCount = ColumnCount + 3;

    // `estimates` is borrowed and must outlive this model.
    ResultsTableModel(const ModelEstimateModel& estimates, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

public slots:
    void onSelectionChanged();

private:
    bool quasiLikelihood() const;

    const ModelEstimateModel& m_estimates;
    // Whether the columns include the quasi-likelihood ones: changed only by a reset.
    bool m_quasi = false;
};

} // namespace rivulet
