#include "rivulet/views/ModelEstimateItem.h"

#include "rivulet/model/ModelResult.h"

#include <QStringList>

#include <algorithm>

namespace rivulet {

ModelEstimateItem::ModelEstimateItem(const QString& code, const QString& text,
                                     const QString& fullDescription, const EquatingScheme& key)
    : code_(code), text_(text), fullDescription_(fullDescription), key_(key)
{
}

ModelEstimateItem::~ModelEstimateItem() = default;

ModelEstimateItem* ModelEstimateItem::child(int position) const
{
    if (position < 0 || position >= childCount())
        return nullptr;
    return children_[static_cast<std::size_t>(position)].get();
}

int ModelEstimateItem::row() const
{
    if (!parent_)
        return 0;
    const auto& siblings = parent_->children_;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const auto& sibling) { return sibling.get() == this; });
    return static_cast<int>(it - siblings.begin());
}

ModelEstimateItem* ModelEstimateItem::appendChild(std::unique_ptr<ModelEstimateItem> child)
{
    child->parent_ = this;
    children_.push_back(std::move(child));
    return children_.back().get();
}

void ModelEstimateItem::setResult(const ModelResult* result)
{
    result_ = result;
    estimated_ = true;
}

QVariant ModelEstimateItem::columnValue(int column) const
{
    if (column < 0 || column >= ColumnCount)
        return {};
    if (!parent_) {
        static const QStringList titles = {QStringLiteral("Name"), QStringLiteral("Delta AIC"),
                                           QStringLiteral("Num Params"),
                                           QStringLiteral("Ln Likelihood")};
        return titles.at(column);
    }
    if (column == 0)
        return text_;
    if (!estimated_ || !result_)
        return {};
    switch (column) {
    case 1:
        return result_->aic;
    case 2:
        return result_->numParameters();
    default:
        return result_->logLikelihood;
    }
}

} // namespace rivulet
