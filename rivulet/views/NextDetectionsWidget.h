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
    int totalCount() const { return totalCount_; }
    int notDetectedCount() const { return notDetectedCount_; }

    ReleasesTableModel* releaseModel() const { return releaseModel_; }
    NextDetectionsTableModel* tableModel() const { return tableModel_; }
    QTableView* releaseView() const { return releaseView_; }
    QTableView* countsView() const { return countsView_; }
    QLabel* descriptionLabel() const { return descriptionLabel_; }
    QLineEdit* notDetectedEdit() const { return notDetectedEdit_; }
    QLineEdit* totalEdit() const { return totalEdit_; }
    QGroupBox* detectionPointBox() const { return detectionPointBox_; }
    QComboBox* siteCombo() const { return siteCombo_; }
    QComboBox* yearCombo() const { return yearCombo_; }
    QPushButton* applyButton() const { return applyButton_; }

signals:
    void doneClicked();

public slots:
    void selectionChanged();
    void onApply();

private:
    void addRelease(const CountMatrix& next, const CountMatrix& removed, int notSeen);

    const ReleasesControllerI& releases_;
    const SitesControllerI& sites_;
    const YearsControllerI& years_;
    const NextDetectionsI& source_;
    ReleasesTableModel* releaseModel_;
    NextDetectionsTableModel* tableModel_;
    std::unique_ptr<CountMatrix> counts_;
    std::unique_ptr<CountMatrix> removed_;
    std::int32_t totalCount_ = 0;
    std::int32_t notDetectedCount_ = 0;
    QTableView* releaseView_;
    QTableView* countsView_;
    QLabel* descriptionLabel_;
    QLineEdit* notDetectedEdit_;
    QLineEdit* totalEdit_;
    QGroupBox* detectionPointBox_;
    QComboBox* siteCombo_;
    QComboBox* yearCombo_;
    QPushButton* applyButton_;
    QPushButton* doneButton_;
};

} // namespace rivulet
