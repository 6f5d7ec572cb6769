#pragma once

namespace rivulet {

// The main window's own tool windows.
enum class View
{
    Diagram,
    NextDetections,
    ReleasesCohorts,
    SitesYears,
    ModelComparison,
    Settings,
    GoodnessOfFit,
    StudyDesign
};

// The main window's reports; a report's sub-window has the report's key.
enum class ReportKind
{
    Survival,
    Capture,
    Performance,
    ReleaseSummary,
    ModelAverage
};

// The application's menus, actions and docks (beside the framework's).
enum class AppMenu
{
    Data,
    Edit
};
enum class AppAction
{
    ShowSplash,
    ClearAllData,
    Settings,
    OpenSample,
    Manual
};
enum class AppDock
{
    ReleasesSummary
};

} // namespace rivulet
