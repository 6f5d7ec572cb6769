#include "RecoveryStudy.h"

#include "lum/thread/ThreadRunner.h"
#include "rivulet/model/ModelEstimator.h"

#include <QTextStream>

#include <map>
#include <random>

namespace rivulet::test {

namespace {

// Counts of one release: for each point (site, year) where fish were last seen, where they
// were seen next; (-1, -1) is "never seen again".
using Point = std::pair<int, int>;
using ReleaseCounts = std::map<Point, std::map<Point, int>>;

int count(const ReleaseCounts& counts, const Point& from, const Point& to)
{
    const auto group = counts.find(from);
    if (group == counts.end())
        return 0;
    const auto it = group->second.find(to);
    return it == group->second.end() ? 0 : it->second;
}

constexpr std::pair<int, int> Gone{-1, -1};

// Draws the year of arrival at the next site: y2 = b ... Y-1 with the given probabilities,
// or -1 when the fish does not arrive.
int drawYear(std::mt19937& engine, int b, int yearCount, const std::function<double(int)>& p)
{
    const double u = std::uniform_real_distribution<double>(0.0, 1.0)(engine);
    double cumulative = 0.0;
    for (int y = b; y < yearCount; ++y) {
        cumulative += p(y);
        if (u < cumulative) {
            return y;
        }
    }
    return -1;
}

void followFish(const BranchingTruth& truth, int r, std::mt19937& engine, ReleaseCounts& counts)
{
    const int S = truth.siteCount;
    const int Y = truth.yearCount;
    std::pair<int, int> lastSeen{truth.relSites[r], truth.relYears[r]};
    int a = lastSeen.first;
    int b = lastSeen.second;
    while (true) {
        if (a == S - 2) {
            const int d = drawYear(engine, b, Y, [&](int y) { return truth.lambda(r, b, y); });
            counts[lastSeen][d < 0 ? Gone : Point{S - 1, d}] += 1;
            return;
        }
        const int next = a + 1;
        const int d = drawYear(engine, b, Y, [&](int y) { return truth.phi(r, next, b, y); });
        if (d < 0) {
            counts[lastSeen][Gone] += 1;
            return;
        }
        if (std::bernoulli_distribution(truth.capture(r, next, d))(engine)) {
            counts[lastSeen][{next, d}] += 1;
            lastSeen = {next, d};
        }
        a = next;
        b = d;
    }
}

} // namespace

QString simulateCounts(const BranchingTruth& truth, int fishPerRelease, unsigned seed)
{
    const int S = truth.siteCount;
    const int Y = truth.yearCount;
    std::mt19937 engine(seed);
    QString body;
    QTextStream out(&body);
    QStringList sites;
    QStringList years;
    QStringList fish;
    for (int r = 0; r < truth.releaseCount(); ++r) {
        ReleaseCounts counts;
        for (int i = 0; i < fishPerRelease; ++i) {
            followFish(truth, r, engine, counts);
        }
        const int a0 = truth.relSites[r];
        const int b0 = truth.relYears[r];
        const std::pair<int, int> release{a0, b0};
        out << count(counts, release, Gone) << '\n';
        for (int s = a0 + 1; s < S; ++s) {
            for (int y = b0; y < Y; ++y) {
                out << count(counts, release, {s, y}) << '\n';
            }
        }
        for (int a = a0 + 1; a <= S - 2; ++a) {
            for (int b = b0; b < Y; ++b) {
                out << count(counts, {a, b}, Gone) << '\n';
                for (int s = a + 1; s < S; ++s) {
                    for (int y = b; y < Y; ++y) {
                        out << count(counts, {a, b}, {s, y}) << " \n";
                    }
                }
            }
        }
        sites << QString::number(a0);
        years << QString::number(b0);
        fish << QString::number(fishPerRelease);
    }
    out.flush();
    return QStringLiteral("%1 %2 %3\n").arg(truth.releaseCount()).arg(S).arg(Y) +
           sites.join(QLatin1Char(' ')) + QLatin1Char('\n') + years.join(QLatin1Char(' ')) +
           QLatin1Char('\n') + fish.join(QLatin1Char(' ')) + QStringLiteral("\n\n") + body;
}

FittedStudy::FittedStudy(const QString& text, bool updateSummary) : data(text)
{
    if (updateSummary)
        summary.update();
    catalogue.rebuild();
}

void FittedStudy::fit(const std::vector<EquatingScheme>& schemes, const FitOptions& options)
{
    lum::ThreadRunner runner;
    QObject::connect(&runner, &lum::ThreadRunner::warning,
                     [this](const QString& text) { warnings << text; });
    QObject::connect(&runner, &lum::ThreadRunner::errorStatus,
                     [this](const QString& text) { warnings << text; });
    QObject::connect(&runner, &lum::ThreadRunner::status,
                     [this](const QString& text) { statuses << text; });
    ModelEstimator job(data.releases, data.sites, data.years, catalogue, results, data.counts,
                       options, &runner);
    job.setSchemes(schemes);
    job.run();
}

} // namespace rivulet::test
