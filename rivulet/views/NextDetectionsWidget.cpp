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
    : QWidget(parent, flags), m_releases(releases), m_sites(sites), m_years(years),
      m_source(counts), m_releaseModel(new ReleasesTableModel(releases, this)),
      m_tableModel(new NextDetectionsTableModel(sites, years, this)), m_releaseView(new QTableView),
      m_countsView(new QTableView), m_descriptionLabel(new QLabel(QStringLiteral("TextLabel"))),
      m_notDetectedEdit(new QLineEdit), m_totalEdit(new QLineEdit),
      m_detectionPointBox(new QGroupBox(QStringLiteral("Select Detection Point"))),
      m_siteCombo(new QComboBox), m_yearCombo(new QComboBox),
      m_applyButton(new QPushButton(QStringLiteral("Apply"))),
      m_doneButton(new QPushButton(QStringLiteral("Done")))
{
    setWindowTitle(QStringLiteral("Next Detections"));
    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));

    m_releaseView->setModel(m_releaseModel);
    m_releaseView->setSelectionMode(QAbstractItemView::NoSelection);
    m_releaseView->horizontalHeader()->setStretchLastSection(true);
    m_releaseView->verticalHeader()->hide();
    m_countsView->setModel(m_tableModel);
    m_countsView->setSelectionMode(QAbstractItemView::ContiguousSelection);
    lum::TableCopy::install(m_countsView);
    m_descriptionLabel->setWordWrap(true);
    // Figures to read (and copy), not fields to fill in.
    for (QLineEdit* figure : {m_notDetectedEdit, m_totalEdit}) {
        figure->setReadOnly(true);
        figure->setFrame(false);
        QPalette palette = figure->palette();
        palette.setColor(QPalette::Base, palette.color(QPalette::Window));
        figure->setPalette(palette);
    }
    m_detectionPointBox->setCheckable(true);
    m_detectionPointBox->setChecked(false);

    auto* countsGroup = new QGroupBox(QStringLiteral("Next Detections"));
    auto* countsLayout = new QVBoxLayout(countsGroup);
    countsLayout->addWidget(m_descriptionLabel);
    countsLayout->addWidget(m_countsView);
    // "507:14" reads: 507 fish next detected there, 14 of them removed (transported) there.
    auto* legend = new QLabel(QStringLiteral("A cell \"detected:removed\" counts the fish next "
                                             "detected there and those of them removed there."));
    legend->setWordWrap(true);
    countsLayout->addWidget(legend);
    auto* totals = new QFormLayout;
    totals->addRow(QStringLiteral("Not Detected:"), m_notDetectedEdit);
    totals->addRow(QStringLiteral("Total:"), m_totalEdit);
    countsLayout->addLayout(totals);
    auto* point = new QFormLayout(m_detectionPointBox);
    point->addRow(QStringLiteral("Site:"), m_siteCombo);
    point->addRow(QStringLiteral("Year:"), m_yearCombo);
    countsLayout->addWidget(m_detectionPointBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_applyButton);
    buttons->addWidget(m_doneButton);
    countsLayout->addLayout(buttons);

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_releaseView);
    splitter->addWidget(countsGroup);
    splitter->setStretchFactor(1, 1);
    (new QVBoxLayout(this))->addWidget(splitter);

    // Neither the first site (nothing is detected "before" it) nor the last (nothing after).
    const QStringList siteNames = m_sites.longNames();
    for (int s = 1; s < siteNames.size() - 1; ++s)
        m_siteCombo->addItem(siteNames.at(s));
    m_yearCombo->addItems(m_years.yearLabels());

    connect(m_doneButton, &QPushButton::clicked, this, &NextDetectionsWidget::doneClicked);
    connect(m_siteCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &NextDetectionsWidget::selectionChanged);
    connect(m_yearCombo, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &NextDetectionsWidget::selectionChanged);
    connect(m_detectionPointBox, &QGroupBox::toggled, this,
            &NextDetectionsWidget::selectionChanged);
    connect(m_applyButton, &QPushButton::clicked, this, &NextDetectionsWidget::onApply);
    connect(m_releaseModel, &QAbstractItemModel::dataChanged, this,
            &NextDetectionsWidget::selectionChanged);

    m_releaseModel->load();
    m_tableModel->refresh();
    onApply();
}

NextDetectionsWidget::~NextDetectionsWidget()
{
    // The table model borrows the matrices.
    m_tableModel->setCounts(nullptr, nullptr, 0, 0);
}

void NextDetectionsWidget::selectionChanged()
{
    m_applyButton->setEnabled(true);
}

void NextDetectionsWidget::addRelease(const CountMatrix& next, const CountMatrix& removed,
                                      int notSeen)
{
    m_counts->addMatrix(next);
    m_removed->addMatrix(removed);
    m_totalCount += static_cast<std::int32_t>(next.sum()) + notSeen;
    m_notDetectedCount += notSeen;
}

void NextDetectionsWidget::onApply()
{
    m_descriptionLabel->setText(description());
    // The table keeps pointing at the old matrices until it is given the new ones.
    auto counts = std::make_unique<CountMatrix>(
        CountMatrix::forSitesAndYears(m_sites.count(), m_years.count()));
    auto removed = std::make_unique<CountMatrix>(
        CountMatrix::forSitesAndYears(m_sites.count(), m_years.count()));
    m_tableModel->setCounts(nullptr, nullptr, 0, 0);
    m_counts = std::move(counts);
    m_removed = std::move(removed);
    m_totalCount = m_notDetectedCount = 0;

    const bool atPoint = m_detectionPointBox->isChecked() && m_siteCombo->currentIndex() >= 0 &&
                         m_yearCombo->currentIndex() >= 0;
    const int site = m_siteCombo->currentIndex() + 1;
    const int year = m_yearCombo->currentIndex();
    for (int id : m_releaseModel->selection()) {
        const ReleaseId release{id};
        if (atPoint) {
            addRelease(m_source.nextCounts(release, site, year),
                       m_source.removedCounts(release, site, year),
                       m_source.notSeenAgain(release, site, year));
        } else {
            addRelease(m_source.releaseNextCounts(release), m_source.releaseRemovedCounts(release),
                       m_source.releaseNotSeen(release));
        }
    }
    m_tableModel->setCounts(m_counts.get(), m_removed.get(), atPoint ? site : 0,
                            atPoint ? year : 0);
    m_totalEdit->setText(QString::number(m_totalCount));
    m_notDetectedEdit->setText(QString::number(m_notDetectedCount));
    m_applyButton->setEnabled(false);
}

QString NextDetectionsWidget::description() const
{
    const QList<int> selected = m_releaseModel->selection();
    if (selected.isEmpty())
        return QStringLiteral("No releases selected.");
    const int first = m_years.firstYear();
    QList<int> collected;
    for (int id : selected) {
        const int position = m_years.indexOf(m_releases.releaseYearId(id));
        if (position >= 0)
            collected.append(m_years.years().at(position));
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
    if (m_detectionPointBox->isChecked()) {
        text += QStringLiteral(",\ndetected and re-released at ") +
                m_sites.longNames().value(m_siteCombo->currentIndex() + 1) +
                QStringLiteral(" in ") + m_yearCombo->currentText();
    }
    return text;
}

} // namespace rivulet
