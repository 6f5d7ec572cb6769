#pragma once

#include "rivulet/model/EquatingScheme.h"
#include "rivulet/results/ModelComparison.h"

#include <QObject>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

namespace rivulet {

class ModelCatalogue;
class ModelEstimateItem;
class ModelEstimateItemRoot;
struct ModelResult;

// The catalogue's headings and models as a tree that records which models were fitted,
// which has the lowest AIC and which one the user has selected. The window keeps one for its
// whole life, rebuilds it after every data update, feeds it the records of each estimation
// run and gives the reports the selected model's item. GUI thread only.
class ModelEstimateModel : public QObject
{
    Q_OBJECT

public:
    // The catalogue is borrowed and must outlive the model.
    explicit ModelEstimateModel(const ModelCatalogue& catalogue, QObject* parent = nullptr);
    ~ModelEstimateModel() override;

    // A new tree from the catalogue: nothing estimated, nothing selected.
    void rebuild();
    // Records one result (borrowed; it must outlive its use here).
    void setResult(const ModelResult& result);
    // Notes why a model of the last run has no result.
    void setFailure(const EquatingScheme& key, const QString& reason);
    // Why the model has no figures, in words for a tooltip; empty when it has them.
    QString whyNotEstimated(const EquatingScheme& key) const;
    void setSelected(ModelEstimateItem* item);
    // The comparison of the recorded models: its AICc figures stand beside the tree's, and
    // its best model (by AIC or AICc) becomes the best row.
    void setComparison(std::unique_ptr<const ModelComparison> comparison);
    // Null before the first comparison since the last rebuild.
    const ModelComparison* comparison() const { return m_comparison.get(); }
    // The comparison's row of an estimated model; null without one.
    const ModelComparison::Row* comparisonRow(const ModelEstimateItem* item) const;

    // The row item with that key; null when there is none.
    ModelEstimateItem* findRow(const EquatingScheme& key) const;
    bool isEstimated(const EquatingScheme& key) const;

    ModelEstimateItem* selected() const { return m_selected; }
    const ModelEstimateItemRoot* root() const { return m_root.get(); }
    const std::vector<ModelEstimateItem*>& rows() const { return m_rows; }
    ModelEstimateItem* itemAt(int row) const;
    double bestAic() const { return m_bestAic; }
    int bestRow() const { return m_bestRow; }
    // The item with the lowest AIC; null before any result.
    ModelEstimateItem* best() const { return itemAt(m_bestRow); }
    bool hasResults() const { return m_hasResults; }

signals:
    void selectionChanged();
    // The tree was rebuilt: views drop what they showed.
    void rebuilt();
    void comparisonChanged();

private:
    const ModelCatalogue& m_catalogue;
    ModelEstimateItem* m_selected = nullptr;
    std::unique_ptr<ModelEstimateItemRoot> m_root;
    std::vector<ModelEstimateItem*> m_rows; // owned by the tree
    double m_bestAic = 0.0;
    int m_bestRow = -1;
    bool m_hasResults = false;
    std::vector<std::pair<EquatingScheme, QString>> m_failures;
    std::unique_ptr<const ModelComparison> m_comparison;
};

} // namespace rivulet
