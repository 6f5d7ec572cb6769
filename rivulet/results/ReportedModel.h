#pragma once

#include <memory>

namespace rivulet {

class ModelCatalogue;
class ModelEstimateItem;
class ModelEstimateItemRoot;
struct ModelResult;

// The model tree item through which the reports read one fitted model, made from the
// catalogue as the window program's model tree makes it: the model's code and text, the
// full description (heading text, ", ", model text), its key and its result record.
class ReportedModel
{
public:
    // Both are borrowed; the result must outlive the item's use.
    ReportedModel(const ModelCatalogue& catalogue, const ModelResult& result);
    ~ReportedModel();
    ReportedModel(const ReportedModel&) = delete;
    ReportedModel& operator=(const ReportedModel&) = delete;

    const ModelEstimateItem& item() const { return *item_; }

private:
    std::unique_ptr<ModelEstimateItemRoot> root_;
    ModelEstimateItem* item_ = nullptr;
};

} // namespace rivulet
