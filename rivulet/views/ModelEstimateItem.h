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

    int childCount() const { return static_cast<int>(children_.size()); }
    // Null for a position out of range.
    ModelEstimateItem* child(int position) const;
    ModelEstimateItem* parent() const { return parent_; }
    // Position among the parent's children; 0 for the root.
    int row() const;
    // Takes ownership of the child and makes this item its parent; returns the child.
    ModelEstimateItem* appendChild(std::unique_ptr<ModelEstimateItem> child);

    const QString& code() const { return code_; }
    const QString& text() const { return text_; }
    const QString& fullDescription() const { return fullDescription_; }
    const EquatingScheme& key() const { return key_; }
    bool isEstimated() const { return estimated_; }
    const ModelResult* result() const { return result_; }
    // Attaches the record of the fitted model and marks the item estimated.
    void setResult(const ModelResult* result);

    // The value of a column of the comparison table: for the root the column titles, for
    // other items the text and, when estimated, the AIC, parameter count and log-likelihood.
    QVariant columnValue(int column) const;

protected:
    ModelEstimateItem(const QString& code, const QString& text, const QString& fullDescription,
                      const EquatingScheme& key);

private:
    std::vector<std::unique_ptr<ModelEstimateItem>> children_;
    QString code_;
    QString text_;
    QString fullDescription_;
    EquatingScheme key_;
    bool estimated_ = false;
    const ModelResult* result_ = nullptr;
    ModelEstimateItem* parent_ = nullptr;
};

} // namespace rivulet
