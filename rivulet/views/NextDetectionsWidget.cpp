#include "rivulet/views/NextDetectionsWidget.h"

#include "lum/ui/TableCopy.h"
#include "rivulet/counts/CountMatrix.h"
#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/views/NextDetectionsTableModel.h"
#include "rivulet/views/ReleasesTableModel.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

namespace rivulet {

NextDetectionsWidget::NextDetectionsWidget(const ReleasesControllerI& releases,
                                           const SitesControllerI& sites,
                                           const YearsControllerI& years,
                                           const NextDetectionsI& counts, QWidget* parent,
                                           Qt::WindowFlags flags)
    : QWidget(parent, flags), releases_(releases), sites_(sites), years_(years), source_(counts),
      releaseModel_(new ReleasesTableModel(releases, this)),
      tableModel_(new NextDetectionsTableModel(sites, years, this)), releaseView_(new QTableView),
      countsView_(new QTableView), descriptionLabel_(new QLabel(QStringLiteral("TextLabel"))),
      notDetectedEdit_(new QLineEdit), totalEdit_(new QLineEdit),
      detectionPointBox_(new QGroupBox(QStringLiteral("Select Detection Point"))),
      siteCombo_(new QComboBox), yearCombo_(new QComboBox),
      applyButton_(new QPushButton(QStringLiteral("Apply"))),
      doneButton_(new QPushButton(QStringLiteral("Done")))
{
    setWindowTitle(QStringLiteral("Next Detections"));
    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));

    releaseView_->setModel(releaseModel_);
    releaseView_->setSelectionMode(QAbstractItemView::NoSelection);
    releaseView_->horizontalHeader()->setStretchLastSection(true);
    releaseView_->verticalHeader()->hide();
    countsView_->setModel(tableModel_);
    countsView_->setSelectionMode(QAbstractItemView::ContiguousSelection);
    lum::TableCopy::install(countsView_);
    descriptionLabel_->setWordWrap(true);
    // Figures to read (and copy), not fields to fill in.
    for (QLineEdit* figure : {notDetectedEdit_, totalEdit_}) {
        figure->setReadOnly(true);
        figure->setFrame(false);
        QPalette palette = figure->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        figure->setPalette(palette);
    }
    detectionPointBox_->setCheckable(true);
    detectionPointBox_->setChecked(false);

    auto* countsGroup = new QGroupBox(QStringLiteral("Next Detections"));
    auto* countsLayout = new QVBoxLayout(countsGroup);
    countsLayout->addWidget(descriptionLabel_);
    countsLayout->addWidget(countsView_);
    // "507:14" reads: 507 fish next detected there, 14 of them removed (transported) there.
    auto* legend = new QLabel(QStringLiteral("A cell \"detected:removed\" counts the fish next "
                                             "detected there and those of them removed there."));
    legend->setWordWrap(true);
    countsLayout->addWidget(legend);
    auto* totals = new QFormLayout;
    totals->addRow(QStringLiteral("Not Detected:"), notDetectedEdit_);
    totals->addRow(QStringLiteral("Total:"), totalEdit_);
    countsLayout->addLayout(totals);
    auto* point = new QFormLayout(detectionPointBox_);
    point->addRow(QStringLiteral("Site:"), siteCombo_);
    point->addRow(QStringLiteral("Year:"), yearCombo_);
    countsLayout->addWidget(detectionPointBox_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(applyButton_);
    buttons->addWidget(doneButton_);
    countsLayout->addLayout(buttons);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(releaseView_);
    splitter->addWidget(countsGroup);
    splitter->setStretchFactor(1, 1);
    (new QVBoxLayout(this))->addWidget(splitter);

    // Neither the first site (nothing is detected "before" it) nor the last (nothing after).
    const QStringList siteNames = sites_.longNames();
    for (int s = 1; s < siteNames.size() - 1; ++s)
        siteCombo_->addItem(siteNames.at(s));
    yearCombo_->addItems(years_.yearLabels());

    connect(doneButton_, &QPushButton::clicked, this, &NextDetectionsWidget::doneClicked);
    connect(siteCombo_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &NextDetectionsWidget::selectionChanged);
    connect(yearCombo_, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &NextDetectionsWidget::selectionChanged);
    connect(detectionPointBox_, &QGroupBox::toggled, this, &NextDetectionsWidget::selectionChanged);
    connect(applyButton_, &QPushButton::clicked, this, &NextDetectionsWidget::onApply);
    connect(releaseModel_, &QAbstractItemModel::dataChanged, this,
            &NextDetectionsWidget::selectionChanged);

    releaseModel_->load();
    tableModel_->refresh();
    onApply();
}

NextDetectionsWidget::~NextDetectionsWidget()
{
    // The table model borrows the matrices.
    tableModel_->setCounts(nullptr, nullptr, 0, 0);
}

void NextDetectionsWidget::selectionChanged()
{
    applyButton_->setEnabled(true);
}

void NextDetectionsWidget::addRelease(const CountMatrix& next, const CountMatrix& removed,
                                      int notSeen)
{
    counts_->addMatrix(next);
    removed_->addMatrix(removed);
    totalCount_ += static_cast<std::int32_t>(next.sum()) + notSeen;
    notDetectedCount_ += notSeen;
}

void NextDetectionsWidget::onApply()
{
    descriptionLabel_->setText(description());
    // The table keeps pointing at the old matrices until it is given the new ones.
    auto counts = std::make_unique<CountMatrix>(
        CountMatrix::forSitesAndYears(sites_.count(), years_.count()));
    auto removed = std::make_unique<CountMatrix>(
        CountMatrix::forSitesAndYears(sites_.count(), years_.count()));
    tableModel_->setCounts(nullptr, nullptr, 0, 0);
    counts_ = std::move(counts);
    removed_ = std::move(removed);
    totalCount_ = notDetectedCount_ = 0;

    const bool atPoint = detectionPointBox_->isChecked() && siteCombo_->currentIndex() >= 0 &&
                         yearCombo_->currentIndex() >= 0;
    const int site = siteCombo_->currentIndex() + 1;
    const int year = yearCombo_->currentIndex();
    for (int id : releaseModel_->selection()) {
        const ReleaseId release{id};
        if (atPoint) {
            addRelease(source_.nextCounts(release, site, year),
                       source_.removedCounts(release, site, year),
                       source_.notSeenAgain(release, site, year));
        } else {
            addRelease(source_.releaseNextCounts(release), source_.releaseRemovedCounts(release),
                       source_.releaseNotSeen(release));
        }
    }
    tableModel_->setCounts(counts_.get(), removed_.get(), atPoint ? site : 0, atPoint ? year : 0);
    totalEdit_->setText(QString::number(totalCount_));
    notDetectedEdit_->setText(QString::number(notDetectedCount_));
    applyButton_->setEnabled(false);
}

QString NextDetectionsWidget::description() const
{
    const QList<int> selected = releaseModel_->selection();
    if (selected.isEmpty())
        return QStringLiteral("No releases selected.");
    const int first = years_.firstYear();
    QList<int> collected;
    for (int id : selected) {
        const int position = years_.indexOf(releases_.releaseYearId(id));
        if (position >= 0)
            collected.append(years_.years().at(position));
    }
    if (collected.isEmpty())
        return QStringLiteral("Includes no release of a year in the analysis.");
    static const char* const ages[] = {"sub-yearling", "yearling", "two-year-old",
                                       "three-year-old"};
    QStringList labels;
    for (int age = 0; age < 4; ++age) {
        if (collected.contains(first + age))
            labels.append(QLatin1String(ages[age]));
    }
    // Releases of later years have no age name: they are named by their years.
    if (labels.isEmpty()) {
        for (int year : collected) {
            if (!labels.contains(QString::number(year)))
                labels.append(QString::number(year));
        }
    }
    QString text = QStringLiteral("Includes ") + labels.value(0);
    for (int i = 1; i < labels.size() - 1; ++i)
        text += QStringLiteral(", ") + labels.at(i);
    if (labels.size() > 1)
        text += QStringLiteral(" and ") + labels.last();
    text += collected.size() == 1 ? QStringLiteral(" release") : QStringLiteral(" releases");
    if (detectionPointBox_->isChecked()) {
        text += QStringLiteral(",\ndetected and re-released at ") +
                sites_.longNames().value(siteCombo_->currentIndex() + 1) + QStringLiteral(" in ") +
                yearCombo_->currentText();
    }
    return text;
}

} // namespace rivulet
