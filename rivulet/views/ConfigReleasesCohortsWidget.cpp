#include "rivulet/views/ConfigReleasesCohortsWidget.h"

#include "lum/ui/UserPrompts.h"
#include "rivulet/study/StudyConfiguration.h"
#include "rivulet/views/ConfigCohortsTableModel.h"
#include "rivulet/views/ConfigReleasesTableModel.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace rivulet {

namespace {

QTableView* checkTable(QAbstractItemModel* model)
{
    auto* view = new QTableView;
    view->setModel(model);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->hide();
    view->setSelectionMode(QAbstractItemView::NoSelection);
    return view;
}

} // namespace

ConfigReleasesCohortsWidget::ConfigReleasesCohortsWidget(Study& study, lum::UserPrompts& prompts,
                                                         QWidget* parent)
    : QWidget(parent), m_prompts(prompts),
      m_configuration(std::make_unique<StudyConfiguration>(study)),
      m_releasesModel(new ConfigReleasesTableModel(*m_configuration, this)),
      m_cohortsModel(new ConfigCohortsTableModel(*m_configuration, this)),
      m_releasesView(checkTable(m_releasesModel)), m_cohortsView(checkTable(m_cohortsModel)),
      m_applyButton(new QPushButton(QStringLiteral("Apply"))),
      m_doneButton(new QPushButton(QStringLiteral("Done")))
{
    setObjectName(QStringLiteral("ConfigReleasesCohortsWidget"));
    setWindowTitle(QStringLiteral("Releases and Cohorts Configuration"));
    setWindowIcon(QIcon(QStringLiteral(":/images/rivulet.png")));
    auto* layout = new QVBoxLayout(this);
    auto* tables = new QHBoxLayout;
    auto* releases = new QGroupBox(QStringLiteral("Select Releases"));
    (new QVBoxLayout(releases))->addWidget(m_releasesView);
    auto* cohorts = new QGroupBox(QStringLiteral("Select Cohorts"));
    auto* cohortsLayout = new QVBoxLayout(cohorts);
    cohortsLayout->addWidget(m_cohortsView);
    // The check boxes choose one cohort or none; say so, since they look like a multiple choice.
    auto* cohortsNote = new QLabel(QStringLiteral("Check one cohort to analyse it alone; with "
                                                  "none checked, every cohort takes part."),
                                   cohorts);
    cohortsNote->setObjectName(QStringLiteral("cohortsNote"));
    cohortsNote->setWordWrap(true);
    cohortsLayout->addWidget(cohortsNote);
    tables->addWidget(releases, 3);
    tables->addWidget(cohorts, 2);
    layout->addLayout(tables);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_applyButton);
    buttons->addWidget(m_doneButton);
    layout->addLayout(buttons);

    connect(m_releasesModel, &QAbstractItemModel::dataChanged, this,
            &ConfigReleasesCohortsWidget::onDataChanged);
    connect(m_cohortsModel, &QAbstractItemModel::dataChanged, this,
            &ConfigReleasesCohortsWidget::onDataChanged);
    connect(m_applyButton, &QPushButton::clicked, this, &ConfigReleasesCohortsWidget::onApply);
    connect(m_doneButton, &QPushButton::clicked, this, &ConfigReleasesCohortsWidget::onDone);
    reload();
}

ConfigReleasesCohortsWidget::~ConfigReleasesCohortsWidget() = default;

void ConfigReleasesCohortsWidget::reload()
{
    m_releasesModel->load();
    m_cohortsModel->load();
    m_applyButton->setEnabled(false);
}

void ConfigReleasesCohortsWidget::onDataChanged()
{
    m_applyButton->setEnabled(m_releasesModel->hasChanges() || m_cohortsModel->hasChanges());
}

void ConfigReleasesCohortsWidget::onApply()
{
    const lum::Expected<void> releases = m_releasesModel->apply();
    const lum::Expected<void> cohorts = m_cohortsModel->apply();
    // What was written takes part from now on; what was not stays to be applied again.
    m_applyButton->setEnabled(m_releasesModel->hasChanges() || m_cohortsModel->hasChanges());
    emit dataChanged();
    for (const lum::Expected<void>* written : {&releases, &cohorts}) {
        if (!*written)
            m_prompts.tell(
                this, QMessageBox::Critical, windowTitle(),
                QStringLiteral("The change could not be stored: %1").arg(written->error().text()));
    }
}

void ConfigReleasesCohortsWidget::onDone()
{
    if (m_applyButton->isEnabled() &&
        m_prompts.ask(this, QMessageBox::Question, QStringLiteral("Configure Releases and Cohorts"),
                      QStringLiteral("There are unsaved changes. Discard and Exit?"),
                      QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return;
    emit doneClicked();
}

} // namespace rivulet
