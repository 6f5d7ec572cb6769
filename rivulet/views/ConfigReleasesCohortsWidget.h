#pragma once

#include <QWidget>

#include <memory>

class QPushButton;
class QTableView;

namespace lum {
class UserPrompts;
}

namespace rivulet {

class ConfigCohortsTableModel;
class ConfigReleasesTableModel;
class Study;
class StudyConfiguration;

// The "Releases and Cohorts Configuration" window: which releases take part in the analysis
// and, optionally, the one cohort it is restricted to. "Apply" writes the choices through
// StudyConfiguration (as the headless tool's "releases" and "cohort" commands do) and
// announces dataChanged; the window then derives the detection sequences again.
class ConfigReleasesCohortsWidget : public QWidget
{
    Q_OBJECT

public:
    // A database study (its controllers are edited) and the prompts that ask about unapplied
    // changes; both borrowed, they must outlive the widget.
    ConfigReleasesCohortsWidget(Study& study, lum::UserPrompts& prompts, QWidget* parent = nullptr);
    ~ConfigReleasesCohortsWidget() override;

    // Reads the stored choices again, discarding unapplied ones.
    void reload();

    ConfigReleasesTableModel* releasesModel() const { return releasesModel_; }
    ConfigCohortsTableModel* cohortsModel() const { return cohortsModel_; }
    QTableView* releasesView() const { return releasesView_; }
    QTableView* cohortsView() const { return cohortsView_; }
    QPushButton* applyButton() const { return applyButton_; }
    QPushButton* doneButton() const { return doneButton_; }

signals:
    void doneClicked();
    void dataChanged();

public slots:
    void onDataChanged();
    void onApply();
    void onDone();

private:
    lum::UserPrompts& prompts_;
    std::unique_ptr<StudyConfiguration> configuration_;
    ConfigReleasesTableModel* releasesModel_;
    ConfigCohortsTableModel* cohortsModel_;
    QTableView* releasesView_;
    QTableView* cohortsView_;
    QPushButton* applyButton_;
    QPushButton* doneButton_;
};

} // namespace rivulet
