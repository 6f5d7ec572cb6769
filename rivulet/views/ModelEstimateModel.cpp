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
    : QObject(parent), catalogue_(catalogue)
{
}

ModelEstimateModel::~ModelEstimateModel() = default;

void ModelEstimateModel::rebuild()
{
    rows_.clear();
    selected_ = nullptr;
    root_ = std::make_unique<ModelEstimateItemRoot>();
    bestRow_ = -1;
    hasResults_ = false;
    failures_.clear();
    comparison_.reset();
    ModelEstimateItem* heading = nullptr;
    for (const auto& definition : catalogue_.definitionItems()) {
        if (definition->isHeading()) {
            heading = root_->appendChild(std::make_unique<ModelEstimateItemHeading>(
                definition->description(), definition->scheme()));
            rows_.push_back(heading);
            continue;
        }
        // The catalogue always opens with a heading; a model before one hangs off the root.
        ModelEstimateItem* parent = heading ? heading : root_.get();
        const QString full =
            heading ? heading->text() + QStringLiteral(", ") + definition->description()
                    : definition->description();
        rows_.push_back(parent->appendChild(std::make_unique<ModelEstimateItemAction>(
            definition->name(), definition->description(), full, definition->scheme())));
    }
    emit rebuilt();
}

void ModelEstimateModel::setFailure(const EquatingScheme& key, const QString& reason)
{
    failures_.emplace_back(key, reason);
}

QString ModelEstimateModel::whyNotEstimated(const EquatingScheme& key) const
{
    if (isEstimated(key))
        return {};
    for (const auto& [failed, reason] : failures_) {
        if (failed == key)
            return QStringLiteral("Not estimated: its fit did not converge (%1).").arg(reason);
    }
    if (hasResults_)
        return QStringLiteral("Not estimated: it was not among the models fitted in the last run.");
    return QStringLiteral("Not estimated yet: fit the models to see their figures.");
}

void ModelEstimateModel::setResult(const ModelResult& result)
{
    hasResults_ = true;
    ModelEstimateItem* item = findInTree(root_.get(), result.scheme());
    if (!item)
        return;
    item->setResult(&result);
    if (bestRow_ == -1 || bestAic_ > result.aic) {
        bestAic_ = result.aic;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i] == item)
                bestRow_ = static_cast<int>(i);
        }
    }
}

void ModelEstimateModel::setSelected(ModelEstimateItem* item)
{
    selected_ = item;
    emit selectionChanged();
}

void ModelEstimateModel::setComparison(std::unique_ptr<const ModelComparison> comparison)
{
    comparison_ = std::move(comparison);
    const int best = comparison_->bestIndex();
    if (best >= 0) {
        const ModelEstimateItem* item =
            findRow(comparison_->rows()[static_cast<std::size_t>(best)].scheme);
        const auto it = std::find(rows_.begin(), rows_.end(), item);
        if (item && it != rows_.end())
            bestRow_ = static_cast<int>(it - rows_.begin());
    }
    emit comparisonChanged();
}

const ModelComparison::Row* ModelEstimateModel::comparisonRow(const ModelEstimateItem* item) const
{
    if (!comparison_ || !item || !item->isEstimated())
        return nullptr;
    for (const ModelComparison::Row& row : comparison_->rows()) {
        if (row.scheme == item->key())
            return &row;
    }
    return nullptr;
}

ModelEstimateItem* ModelEstimateModel::findRow(const EquatingScheme& key) const
{
    for (ModelEstimateItem* item : rows_) {
        if (item->key() == key)
            return item;
    }
    return nullptr;
}

bool ModelEstimateModel::isEstimated(const EquatingScheme& key) const
{
    const ModelEstimateItem* item = findInTree(root_.get(), key);
    return item && item->isEstimated();
}

ModelEstimateItem* ModelEstimateModel::itemAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return nullptr;
    return rows_[static_cast<std::size_t>(row)];
}

} // namespace rivulet
