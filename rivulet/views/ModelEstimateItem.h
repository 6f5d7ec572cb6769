#pragma once

#include "rivulet/model/EquatingScheme.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace rivulet {

struct ModelResult;

// One node of the tree of model headings and models that the results views show and the
// reports are given: the root, a capture heading, or a model (an "action") with its code,
// text and, once fitted, its result record. An item owns its children; the result record is
// borrowed from the estimation results and must outlive the item's use of it.
//
// The tree lives in the reports library, below the views, because the parameter and
// performance reports read a model through its item.
class ModelEstimateItem
{
public:
    static constexpr int ColumnCount = 4;

    virtual ~ModelEstimateItem();
    ModelEstimateItem(const ModelEstimateItem&) = delete;
    ModelEstimateItem& operator=(const ModelEstimateItem&) = delete;

    int childCount() const { return static_cast<int>(m_children.size()); }
    // Null for a position out of range.
    ModelEstimateItem* child(int position) const;
    ModelEstimateItem* parent() const { return m_parent; }
    // Position among the parent's children; 0 for the root.
    int row() const;
    // Takes ownership of the child and makes this item its parent; returns the child.
    ModelEstimateItem* appendChild(std::unique_ptr<ModelEstimateItem> child);

    const QString& code() const { return m_code; }
    const QString& text() const { return m_text; }
    const QString& fullDescription() const { return m_fullDescription; }
    const EquatingScheme& key() const { return m_key; }
    bool isEstimated() const { return m_estimated; }
    const ModelResult* result() const { return m_result; }
    // Attaches the record of the fitted model and marks the item estimated.
    void setResult(const ModelResult* result);

    // The value of a column of the comparison table: for the root the column titles, for
    // other items the text and, when estimated, the AIC, parameter count and log-likelihood.
    QVariant columnValue(int column) const;

protected:
    ModelEstimateItem(const QString& code, const QString& text, const QString& fullDescription,
                      const EquatingScheme& key);

private:
    std::vector<std::unique_ptr<ModelEstimateItem>> m_children;
    QString m_code;
    QString m_text;
    QString m_fullDescription;
    EquatingScheme m_key;
    bool m_estimated = false;
    const ModelResult* m_result = nullptr;
    ModelEstimateItem* m_parent = nullptr;
};

} // namespace rivulet
