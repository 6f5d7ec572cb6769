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

    ConfigReleasesTableModel* releasesModel() const { return m_releasesModel; }
    ConfigCohortsTableModel* cohortsModel() const { return m_cohortsModel; }
    QTableView* releasesView() const { return m_releasesView; }
    QTableView* cohortsView() const { return m_cohortsView; }
    QPushButton* applyButton() const { return m_applyButton; }
    QPushButton* doneButton() const { return m_doneButton; }

signals:
    void doneClicked();
    void dataChanged();

public slots:
    void onDataChanged();
    void onApply();
    void onDone();

private:
    lum::UserPrompts& m_prompts;
    std::unique_ptr<StudyConfiguration> m_configuration;
    ConfigReleasesTableModel* m_releasesModel;
    ConfigCohortsTableModel* m_cohortsModel;
    QTableView* m_releasesView;
    QTableView* m_cohortsView;
    QPushButton* m_applyButton;
    QPushButton* m_doneButton;
};

} // namespace rivulet
