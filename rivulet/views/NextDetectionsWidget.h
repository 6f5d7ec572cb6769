#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace rivulet {

class CountMatrix;
class NextDetectionsI;
class NextDetectionsTableModel;
class ReleasesControllerI;
class ReleasesTableModel;
class SitesControllerI;
class YearsControllerI;

// The "Next Detections" window: for the checked releases, and optionally only their fish
// detected and released again at one site in one year, where those fish were detected next,
// how many were never detected again and the total. The numbers are the study's
// next-detection counts, the ones the fit reads and "Save Next Detections" writes.
class NextDetectionsWidget : public QWidget
{
    Q_OBJECT

public:
    // Everything is borrowed and must outlive the widget. The release list, the site and year
    // choices and the headings are read here, once.
    NextDetectionsWidget(const ReleasesControllerI& releases, const SitesControllerI& sites,
                         const YearsControllerI& years, const NextDetectionsI& counts,
                         QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~NextDetectionsWidget() override;

    // The sentence that says which fish the table counts.
    QString description() const;
    int totalCount() const { return m_totalCount; }
    int notDetectedCount() const { return m_notDetectedCount; }

    ReleasesTableModel* releaseModel() const { return m_releaseModel; }
    NextDetectionsTableModel* tableModel() const { return m_tableModel; }
    QTableView* releaseView() const { return m_releaseView; }
    QTableView* countsView() const { return m_countsView; }
    QLabel* descriptionLabel() const { return m_descriptionLabel; }
    QLineEdit* notDetectedEdit() const { return m_notDetectedEdit; }
    QLineEdit* totalEdit() const { return m_totalEdit; }
    QGroupBox* detectionPointBox() const { return m_detectionPointBox; }
    QComboBox* siteCombo() const { return m_siteCombo; }
    QComboBox* yearCombo() const { return m_yearCombo; }
    QPushButton* applyButton() const { return m_applyButton; }

signals:
    void doneClicked();

public slots:
    void selectionChanged();
    void onApply();

private:
    void addRelease(const CountMatrix& next, const CountMatrix& removed, int notSeen);

    const ReleasesControllerI& m_releases;
    const SitesControllerI& m_sites;
    const YearsControllerI& m_years;
    const NextDetectionsI& m_source;
    ReleasesTableModel* m_releaseModel;
    NextDetectionsTableModel* m_tableModel;
    std::unique_ptr<CountMatrix> m_counts;
    std::unique_ptr<CountMatrix> m_removed;
    std::int32_t m_totalCount = 0;
    std::int32_t m_notDetectedCount = 0;
    QTableView* m_releaseView;
    QTableView* m_countsView;
    QLabel* m_descriptionLabel;
    QLineEdit* m_notDetectedEdit;
    QLineEdit* m_totalEdit;
    QGroupBox* m_detectionPointBox;
    QComboBox* m_siteCombo;
    QComboBox* m_yearCombo;
    QPushButton* m_applyButton;
    QPushButton* m_doneButton;
};

} // namespace rivulet
