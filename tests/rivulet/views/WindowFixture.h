#pragma once

// The application window on a small simulated study, driven through its real slots with the
// prompts answered by a script.
#include "common/TestEnvironment.h"
#include "lum/thread/ThreadRunner.h"
#include "lum/ui/NavPanelItem.h"
#include "lum/ui/ScriptedPrompts.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/Study.h"
#include "rivulet/views/JobRunWidget.h"
#include "rivulet/views/RivuletWindow.h"
#include "tools/sim/StudySimulator.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPushButton>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace rivulet::test {

class WindowFixture : public ::testing::Test
{
protected:
    // Two release sites in one year, four detection sites: every flow in a second or two.
    static sim::StudyDesign smallDesign()
    {
        sim::StudyDesign design;
        design.seed = 7;
        design.releaseSites = 2;
        design.releaseYears = 1;
        design.years = 2;
        design.detectionSites = 4;
        design.fishPerRelease = 400;
        return design;
    }

    // The study a case works on.
    virtual sim::StudyDesign design() const { return smallDesign(); }

    void SetUp() override
    {
        folder = TestEnvironment::freshDir(QStringLiteral("window"));
        const auto written = sim::StudySimulator(design()).run(folder, true);
        ASSERT_TRUE(written) << written.error().text().toStdString();
        ASSERT_TRUE(rdb.open(file(sim::StudySimulator::ConfigFile) + QStringLiteral(".db")));
        auto& settings = RivuletSettings::instance();
        settings.setValue(RivuletSettings::UiExpertMode, true);
        settings.setValue(RivuletSettings::DiagnosticsEnabled, false);
        settings.setValue(RivuletSettings::PrecisionEst, 4);
        settings.setValue(RivuletSettings::PrecisionErr, 4);
        settings.setValue(RivuletSettings::BestModelCriterion, 0);
        settings.setValue(RivuletSettings::StateMainWindow, QByteArray());
        settings.setValue(RivuletSettings::SitesConfigChoice, QString());
    }

    void TearDown() override { window.reset(); }

    // `studyConfig`: the study's sites configuration named as on the command line; otherwise
    // the window finds one as it would in a user's run.
    void openWindow(bool mock, bool studyConfig = true)
    {
        window.reset();
        RivuletSettings::instance().setValue(RivuletSettings::CountsFileInput, mock);
        window = std::make_unique<RivuletWindow>(
            nullptr, rdb, nullptr, QStringLiteral("Rivulet"), Qt::WindowFlags(),
            studyConfig ? file(sim::StudySimulator::ConfigFile) : QString());
        auto scripted = std::make_unique<lum::ScriptedPrompts>();
        prompts = scripted.get();
        window->setPrompts(std::move(scripted));
        window->show();
        ASSERT_TRUE(settle());
    }

    // Lets the window work until every flow it started has ended.
    bool settle()
    {
        const QDeadlineTimer deadline(120000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (window->runKind() == RivuletWindow::Run::None && !window->runner().isRunning() &&
                !window->reportRunner().isRunning()) {
                QCoreApplication::processEvents();
                return true;
            }
            QThread::msleep(5);
        }
        return false;
    }

    // Loads the simulated observations through the window.
    bool load()
    {
        prompts->files << file(sim::StudySimulator::ObservationsFile);
        return trigger(nav::loadObservations) && window->study().releases().count() > 0;
    }

    // Triggers a navigation entry and waits for the flow it starts.
    bool trigger(const NavEntry& entry)
    {
        window->openEntry(entry);
        return settle();
    }

    // Chooses a model of the catalogue in the panel.
    bool trigger(const EquatingScheme& model)
    {
        lum::NavPanelItem* item = window->navItem(model);
        if (!item)
            return false;
        item->trigger();
        return settle();
    }

    bool enabled(const NavEntry& entry) const
    {
        const lum::NavPanelItem* item = window->navItem(entry);
        return item && item->isEnabled();
    }

    QStringList lines() const { return window->outputDock()->lines(); }

    QString file(const char* name) const { return QDir(folder).filePath(name); }

    // Waits for the run of a window of its own (Goodness of Fit, Study Design) to end.
    static bool waitForRun(const JobRunWidget& widget)
    {
        const QDeadlineTimer deadline(120000);
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            if (!widget.isRunning() && widget.runButton()->isEnabled())
                return true;
            QThread::msleep(5);
        }
        return false;
    }

    QString folder;
    RivuletDb rdb;
    std::unique_ptr<RivuletWindow> window;
    lum::ScriptedPrompts* prompts = nullptr; // owned by the window
};

} // namespace rivulet::test
