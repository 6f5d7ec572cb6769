#include "SimulatedData.h"

#include "rivulet/filesource/SimulatedDataLoader.h"

#include <QStringList>
#include <QTextStream>

#include <random>

namespace rivulet::test {

SimulatedData::SimulatedData(const QString& text)
{
    QString copy = text;
    QTextStream in(&copy);
    SimulatedDataLoader(releases, sites, years, counts).load(in);
}

namespace {

QString joined(const std::vector<int>& values)
{
    QStringList words;
    for (const int v : values) {
        words << QString::number(v);
    }
    return words.join(QLatin1Char(' '));
}

} // namespace

QString randomCounts(int siteCount, int yearCount, const std::vector<int>& relSites,
                     const std::vector<int>& relYears, unsigned seed, double emptyShare,
                     int maxCount)
{
    std::mt19937 engine(seed);
    std::uniform_int_distribution<int> count(1, maxCount);
    std::bernoulli_distribution empty(emptyShare);
    const auto next = [&] { return empty(engine) ? 0 : count(engine); };

    QStringList body;
    std::vector<int> fish;
    for (std::size_t r = 0; r < relSites.size(); ++r) {
        const int a0 = relSites[r];
        const int b0 = relYears[r];
        const int notSeen = next();
        int total = notSeen;
        body << QString::number(notSeen);
        for (int s = a0 + 1; s < siteCount; ++s) {
            for (int y = b0; y < yearCount; ++y) {
                const int n = next();
                total += n;
                body << QString::number(n);
            }
        }
        for (int a = a0 + 1; a <= siteCount - 2; ++a) {
            for (int b = b0; b < yearCount; ++b) {
                body << QString::number(next());
                for (int s = a + 1; s < siteCount; ++s) {
                    for (int y = b; y < yearCount; ++y) {
                        body << QString::number(next());
                    }
                }
            }
        }
        fish.push_back(total);
    }
    QString text = QStringLiteral("%1 %2 %3\n").arg(relSites.size()).arg(siteCount).arg(yearCount);
    text += joined(relSites) + QLatin1Char('\n') + joined(relYears) + QLatin1Char('\n') +
            joined(fish) + QStringLiteral("\n\n");
    text += body.join(QLatin1Char('\n')) + QLatin1Char('\n');
    return text;
}

std::vector<double> uniformVector(int n, double low, double high, unsigned seed)
{
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> value(low, high);
    std::vector<double> x(static_cast<std::size_t>(n));
    for (double& v : x)
        v = value(engine);
    return x;
}

} // namespace rivulet::test
