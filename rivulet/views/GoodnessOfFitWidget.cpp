#include "rivulet/views/GoodnessOfFitWidget.h"

#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/settings/RivuletSettings.h"
#include "rivulet/study/GofJob.h"
#include "rivulet/study/Study.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace rivulet {

namespace {

QString number(double value)
{
    return QString::number(value, 'f', 3);
}

QString optionalNumber(const std::optional<double>& value)
{
    return value ? number(*value) : QStringLiteral("n/a");
}

} // namespace

GoodnessOfFitWidget::GoodnessOfFitWidget(const Study& study, QWidget* parent)
    : JobRunWidget(parent), m_study(study)
{
    setWindowTitle(QStringLiteral("Goodness of Fit"));
    m_replicates = new QSpinBox(this);
    m_replicates->setObjectName(QStringLiteral("replicatesSpinBox"));
    m_replicates->setRange(0, 100000);
    m_replicates->setValue(RivuletSettings::instance().gofBootstrapReplicates());
    m_replicates->setToolTip(QStringLiteral("Simulated studies of the parametric bootstrap (0: "
                                            "none)"));
    m_seed = new QSpinBox(this);
    m_seed->setObjectName(QStringLiteral("seedSpinBox"));
    m_seed->setRange(0, 1000000000);
    m_seed->setValue(1);
    auto* controls = new QHBoxLayout;
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Bootstrap replicates:"), m_replicates);
    form->addRow(QStringLiteral("Seed:"), m_seed);
    controls->addLayout(form);
    controls->addWidget(runButton());
    controls->addWidget(cancelButton());
    controls->addWidget(progressBar(), 1);

    m_table = new QTableWidget(0, 7, this);
    m_table->setObjectName(QStringLiteral("componentTable"));
    m_table->setHorizontalHeaderLabels({QStringLiteral("Test"), QStringLiteral("Year"),
                                        QStringLiteral("Site"), QStringLiteral("Chi-square"),
                                        QStringLiteral("df"), QStringLiteral("P"),
                                        QStringLiteral("Note")});
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_chat = newStateLabel(QStringLiteral("chatLabel"),
                           QStringLiteral("Run to compute the goodness of fit."));
    m_chart =
        newChartView(QStringLiteral("devianceChart"), QStringLiteral("Bootstrap deviances"), 320);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(m_table);
    splitter->addWidget(m_chart);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_chat);
    layout->addWidget(splitter, 1);
}

GoodnessOfFitWidget::~GoodnessOfFitWidget()
{
    // The job reads the study: it must have stopped before the window (and the study) go.
    stop();
}

lum::ThreadRunnable* GoodnessOfFitWidget::prepareRun()
{
    GofJob::Options options;
    options.replicates = m_replicates->value();
    options.seed = static_cast<std::uint64_t>(m_seed->value());
    m_job = std::make_unique<GofJob>(m_study, options, runner());
    m_chat->setText(QStringLiteral("Running..."));
    return m_job.get();
}

void GoodnessOfFitWidget::showRun(const QString& state)
{
    showComponents();
    showChat(state);
    showHistogram();
}

void GoodnessOfFitWidget::showComponents()
{
    m_table->setRowCount(0);
    if (!m_job)
        return;
    const gof::ComponentSummary& summary = m_job->components();
    const QStringList sites = m_study.sites().shortNames();
    const QList<int> years = m_study.years().years();
    const auto addRow = [this](const QStringList& texts) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        for (int c = 0; c < texts.size(); ++c)
            m_table->setItem(row, c, tableCell(texts[c], c >= 3 && c <= 5));
    };
    for (const gof::ComponentTable& table : summary.tables) {
        addRow({QLatin1String(gof::componentName(table.component)),
                table.stratum >= 0 && table.stratum < years.size()
                    ? QString::number(years[table.stratum])
                    : QString::number(table.stratum + 1),
                sites.value(table.occasion, QString::number(table.occasion + 1)),
                number(table.test.chiSquare), QString::number(table.test.df), number(table.test.p),
                table.test.fisher ? QStringLiteral("Fisher's exact test") : QString()});
    }
    const std::pair<const char*, const gof::Total*> totals[] = {
        {"3.SR", &summary.sr3},       {"3.Sm", &summary.sm3}, {"Test 3", &summary.test3},
        {"2.CT", &summary.ct2},       {"2.CL", &summary.cl2}, {"Test 2", &summary.test2},
        {"Overall", &summary.overall}};
    for (const auto& [name, total] : totals) {
        addRow({QLatin1String(name), QString(), QStringLiteral("total"), number(total->chiSquare),
                QString::number(total->df), number(total->p), QString()});
    }
    m_table->resizeColumnsToContents();
}

void GoodnessOfFitWidget::showChat(const QString& state)
{
    if (!m_job) {
        m_chat->setText(state);
        return;
    }
    const gof::ComponentSummary& summary = m_job->components();
    QStringList lines;
    if (!state.isEmpty())
        lines << state;
    lines << QStringLiteral("Component tests: overall X² %1 on %2 df (P %3), c-hat %4; "
                            "transience z %5, trap dependence z %6.")
                 .arg(number(summary.overall.chiSquare))
                 .arg(summary.overall.df)
                 .arg(number(summary.overall.p), optionalNumber(summary.cHat),
                      optionalNumber(summary.zTransience), optionalNumber(summary.zTrapDependence));
    if (m_job->hasModelFit()) {
        const gof::ParametricBootstrap::Result& fit = m_job->modelFit();
        lines << QStringLiteral("Most general model %1: deviance %2; Pearson X² %3 on %4 df, "
                                "Fletcher's c-hat %5.")
                     .arg(fit.model, number(fit.deviance), number(fit.pearson.chiSquare))
                     .arg(fit.pearson.df)
                     .arg(optionalNumber(fit.pearson.fletcherChat));
        if (fit.requested > 0)
            lines << QStringLiteral("Bootstrap (%1 simulated studies, seed %2, %3 fitted): mean "
                                    "deviance %4, c-hat %5, P %6.")
                         .arg(fit.requested)
                         .arg(fit.seed)
                         .arg(fit.deviances.size())
                         .arg(optionalNumber(fit.meanDeviance), optionalNumber(fit.chat),
                              optionalNumber(fit.p));
    } else if (!m_job->modelError().isEmpty()) {
        lines << m_job->modelError();
    }
    m_chat->setText(lines.join(QLatin1Char('\n')));
}

void GoodnessOfFitWidget::showHistogram()
{
    QtCharts::QChart* chart = m_chart->chart();
    chart->removeAllSeries();
    for (QtCharts::QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    if (!m_job || !m_job->hasModelFit() || m_job->modelFit().canceled ||
        m_job->modelFit().deviances.empty())
        return;
    const gof::ParametricBootstrap::Result& fit = m_job->modelFit();
    const std::vector<double>& deviances = fit.deviances;
    double low = std::min(*std::min_element(deviances.begin(), deviances.end()), fit.deviance);
    double high = std::max(*std::max_element(deviances.begin(), deviances.end()), fit.deviance);
    if (!(high > low))
        high = low + 1.0;
    // About the square root of the replicates for bins, at least 5.
    const int bins = std::max(5, static_cast<int>(std::ceil(std::sqrt(deviances.size()))));
    const double width = (high - low) / bins;
    std::vector<int> counts(static_cast<std::size_t>(bins), 0);
    for (const double deviance : deviances)
        ++counts[static_cast<std::size_t>(
            std::min(bins - 1, static_cast<int>((deviance - low) / width)))];
    auto* outline = new QtCharts::QLineSeries;
    outline->append(low, 0.0);
    for (int b = 0; b < bins; ++b) {
        outline->append(low + b * width, counts[static_cast<std::size_t>(b)]);
        outline->append(low + (b + 1) * width, counts[static_cast<std::size_t>(b)]);
    }
    outline->append(high, 0.0);
    auto* histogram = new QtCharts::QAreaSeries(outline);
    histogram->setName(QStringLiteral("Simulated deviances"));
    histogram->setColor(QColor(120, 160, 210));
    histogram->setBorderColor(QColor(40, 80, 140));
    const int top = *std::max_element(counts.begin(), counts.end());
    auto* observed = new QtCharts::QLineSeries;
    observed->setName(QStringLiteral("Observed deviance %1").arg(number(fit.deviance)));
    observed->append(fit.deviance, 0.0);
    observed->append(fit.deviance, top * 1.05);
    QPen pen(Qt::red);
    pen.setWidth(3);
    observed->setPen(pen);
    chart->addSeries(histogram);
    chart->addSeries(observed);
    auto* x = new QtCharts::QValueAxis;
    x->setTitleText(QStringLiteral("Deviance"));
    x->setRange(low - width, high + width);
    auto* y = new QtCharts::QValueAxis;
    y->setTitleText(QStringLiteral("Replicates"));
    y->setRange(0.0, top * 1.1);
    y->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QtCharts::QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

} // namespace rivulet
