#include "rivulet/views/ModelEstimateModel.h"

#include "rivulet/model/ModelCatalogue.h"
#include "rivulet/model/ModelResult.h"
#include "rivulet/views/ModelEstimateItemAction.h"
#include "rivulet/views/ModelEstimateItemHeading.h"
#include "rivulet/views/ModelEstimateItemRoot.h"

#include <algorithm>

namespace rivulet {

namespace {

// Depth first, a node before its children.
ModelEstimateItem* findInTree(ModelEstimateItem* item, const EquatingScheme& key)
{
    if (!item)
        return nullptr;
    if (item->parent() && item->key() == key)
        return item;
    for (int i = 0; i < item->childCount(); ++i) {
        if (ModelEstimateItem* found = findInTree(item->child(i), key))
            return found;
    }
    return nullptr;
}

} // namespace

ModelEstimateModel::ModelEstimateModel(const ModelCatalogue& catalogue, QObject* parent)
    : QObject(parent), m_catalogue(catalogue)
{
}

ModelEstimateModel::~ModelEstimateModel() = default;

void ModelEstimateModel::rebuild()
{
    m_rows.clear();
    m_selected = nullptr;
    m_root = std::make_unique<ModelEstimateItemRoot>();
    m_bestRow = -1;
    m_hasResults = false;
    m_failures.clear();
    m_comparison.reset();
    ModelEstimateItem* heading = nullptr;
    for (const auto& definition : m_catalogue.definitionItems()) {
        if (definition->isHeading()) {
            heading = m_root->appendChild(std::make_unique<ModelEstimateItemHeading>(
                definition->description(), definition->scheme()));
            m_rows.push_back(heading);
            continue;
        }
        // The catalogue always opens with a heading; a model before one hangs off the root.
        ModelEstimateItem* parent = heading ? heading : m_root.get();
        const QString full =
            heading ? heading->text() + QStringLiteral(", ") + definition->description()
                    : definition->description();
        m_rows.push_back(parent->appendChild(std::make_unique<ModelEstimateItemAction>(
            definition->name(), definition->description(), full, definition->scheme())));
    }
    emit rebuilt();
}

void ModelEstimateModel::setFailure(const EquatingScheme& key, const QString& reason)
{
    m_failures.emplace_back(key, reason);
}

QString ModelEstimateModel::whyNotEstimated(const EquatingScheme& key) const
{
    if (isEstimated(key))
        return {};
    for (const auto& [failed, reason] : m_failures) {
        if (failed == key)
            return QStringLiteral("Not estimated: its fit did not converge (%1).").arg(reason);
    }
    if (m_hasResults)
        return QStringLiteral("Not estimated: it was not among the models fitted in the last run.");
    return QStringLiteral("Not estimated yet: fit the models to see their figures.");
}

void ModelEstimateModel::setResult(const ModelResult& result)
{
    m_hasResults = true;
    ModelEstimateItem* item = findInTree(m_root.get(), result.scheme());
    if (!item)
        return;
    item->setResult(&result);
    if (m_bestRow == -1 || m_bestAic > result.aic) {
        m_bestAic = result.aic;
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i] == item)
                m_bestRow = static_cast<int>(i);
        }
    }
}

void ModelEstimateModel::setSelected(ModelEstimateItem* item)
{
    m_selected = item;
    emit selectionChanged();
}

void ModelEstimateModel::setComparison(std::unique_ptr<const ModelComparison> comparison)
{
    m_comparison = std::move(comparison);
    const int best = m_comparison->bestIndex();
    if (best >= 0) {
        const ModelEstimateItem* item =
            findRow(m_comparison->rows()[static_cast<std::size_t>(best)].scheme);
        const auto it = std::find(m_rows.begin(), m_rows.end(), item);
        if (item && it != m_rows.end())
            m_bestRow = static_cast<int>(it - m_rows.begin());
    }
    emit comparisonChanged();
}

const ModelComparison::Row* ModelEstimateModel::comparisonRow(const ModelEstimateItem* item) const
{
    if (!m_comparison || !item || !item->isEstimated())
        return nullptr;
    for (const ModelComparison::Row& row : m_comparison->rows()) {
        if (row.scheme == item->key())
            return &row;
    }
    return nullptr;
}

ModelEstimateItem* ModelEstimateModel::findRow(const EquatingScheme& key) const
{
    for (ModelEstimateItem* item : m_rows) {
        if (item->key() == key)
            return item;
    }
    return nullptr;
}

bool ModelEstimateModel::isEstimated(const EquatingScheme& key) const
{
    const ModelEstimateItem* item = findInTree(m_root.get(), key);
    return item && item->isEstimated();
}

ModelEstimateItem* ModelEstimateModel::itemAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        return nullptr;
    return m_rows[static_cast<std::size_t>(row)];
}

} // namespace rivulet
