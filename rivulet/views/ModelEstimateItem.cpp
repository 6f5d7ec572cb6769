#include "rivulet/views/ModelEstimateItem.h"

#include "rivulet/model/ModelResult.h"

#include <QStringList>

#include <algorithm>

namespace rivulet {

ModelEstimateItem::ModelEstimateItem(const QString& code, const QString& text,
                                     const QString& fullDescription, const EquatingScheme& key)
    : m_code(code), m_text(text), m_fullDescription(fullDescription), m_key(key)
{
}

ModelEstimateItem::~ModelEstimateItem() = default;

ModelEstimateItem* ModelEstimateItem::child(int position) const
{
    if (position < 0 || position >= childCount())
        return nullptr;
    return m_children[static_cast<std::size_t>(position)].get();
}

int ModelEstimateItem::row() const
{
    if (!m_parent)
        return 0;
    const auto& siblings = m_parent->m_children;
    const auto it = std::find_if(siblings.begin(), siblings.end(),
                                 [this](const auto& sibling) { return sibling.get() == this; });
    return static_cast<int>(it - siblings.begin());
}

ModelEstimateItem* ModelEstimateItem::appendChild(std::unique_ptr<ModelEstimateItem> child)
{
    child->m_parent = this;
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

void ModelEstimateItem::setResult(const ModelResult* result)
{
    m_result = result;
    m_estimated = true;
}

QVariant ModelEstimateItem::columnValue(int column) const
{
    if (column < 0 || column >= ColumnCount)
        return {};
    if (!m_parent) {
        static const QStringList titles = {QStringLiteral("Name"), QStringLiteral("Delta AIC"),
                                           QStringLiteral("Num Params"),
                                           QStringLiteral("Ln Likelihood")};
        return titles.at(column);
    }
    if (column == 0)
        return m_text;
    if (!m_estimated || !m_result)
        return {};
    switch (column) {
    case 1:
        return m_result->aic;
    case 2:
        return m_result->numParameters();
    default:
        return m_result->logLikelihood;
    }
}

} // namespace rivulet
