#pragma once

#include "lum/thread/ThreadRunnable.h"
#include "rivulet/model/EquatingScheme.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace rivulet {

class ModelEstimator;
class ParameterStructure;
class Study;

// "Fit All Models" on a study, or the models named: the model estimator with a parameter
// structure of its own on the study's controllers; the study announces its new results when
// the run ends (also a canceled one, which keeps the models fitted so far).
class FitJob : public lum::ThreadRunnable
{
    Q_OBJECT

public:
    struct Options
    {
        // An optimizer description ("id;name=value;...") instead of the setting; the ending
        // criterion and the gradient still come from the settings.
        std::optional<QString> optimizer;
        // The models to fit, in this order; empty for the catalogue's fit list.
        std::vector<EquatingScheme> schemes;
        // Profile-likelihood intervals of every free parameter instead of the setting.
        bool profileAll = false;
        // The study-wide ĉ instead of the setting (values below 1 count as 1).
        std::optional<double> chat;
        // Keep the results with a database study, replacing the fits kept there; off for a
        // fit that only serves one command.
        bool store = true;
    };

    FitJob(Study& study, const Options& options, lum::ThreadRunner* runner);
    ~FitJob() override;

    // The schemes this run fits.
    const std::vector<EquatingScheme>& schemes() const { return m_schemes; }
    const ModelEstimator& estimator() const { return *m_estimator; }

    void run() override;

private:
    Study& m_study;
    const bool m_store;
    std::vector<EquatingScheme> m_schemes;
    std::unique_ptr<ParameterStructure> m_structure;
    std::unique_ptr<ModelEstimator> m_estimator;
};

} // namespace rivulet
