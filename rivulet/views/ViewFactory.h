#pragma once

#include "rivulet/views/WindowKeys.h"

#include <QRect>
#include <QString>

#include <functional>

class QWidget;

namespace lum {
class LumMainWindow;
class UserPrompts;
} // namespace lum

namespace rivulet {

class ModelEstimateItem;
class ModelEstimateModel;
class Study;

// Makes the window's tool views in their sub-windows (registered under the view), each with its
// title, icon and first place, wired to what it asks of the window.
class ViewFactory
{
public:
    // What the views ask of the window.
    struct Host
    {
        std::function<void(View)> close;            // "Done"
        std::function<void()> configurationChanged; // what takes part in the analysis changed
        std::function<void()> precisionChanged;
        std::function<void()> uiChanged;
        std::function<void()> settingsDone;
    };

    // Everything is borrowed and must outlive the factory. `countsFile`: the study is a counts
    // file, whose releases are fixed and whose sites and years are shown, not edited.
    ViewFactory(lum::LumMainWindow& window, Study& study, const ModelEstimateModel& models,
                bool countsFile, Host host);

    // The sub-window of the view, made with the selected model (null: none) unless there is one
    // already; a counts file has no releases window.
    void make(View view, const ModelEstimateItem* selected);

private:
    void place(View view, QWidget* widget, const QString& title, const QRect& geometry);
    void makeComparison();

    lum::LumMainWindow& m_window;
    Study& m_study;
    const ModelEstimateModel& m_models;
    const bool m_countsFile;
    Host m_host;
};

} // namespace rivulet
