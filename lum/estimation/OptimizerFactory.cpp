#include "lum/estimation/OptimizerFactory.h"

#include "lum/estimation/DirectionSetOptimizer.h"
#include "lum/estimation/FletchOptimizer.h"
#include "lum/estimation/NewtonOptimizer.h"
#include "lum/estimation/QuasiNewtonOptimizer.h"
#include "lum/estimation/SimplexOptimizer.h"

#include <QStringList>

namespace lum {

namespace {

std::unique_ptr<OptimizerI> makeOptimizer(int id)
{
    switch (id) {
    case 1:
        return std::make_unique<QuasiNewtonOptimizer>();
    case 2:
        return std::make_unique<DirectionSetOptimizer>();
    case 3:
        return std::make_unique<SimplexOptimizer>();
    case 4:
        return std::make_unique<NewtonOptimizer>();
    default:
        return std::make_unique<FletchOptimizer>();
    }
}

} // namespace

QStringList optimizerNames()
{
    return {QStringLiteral("fletch"), QStringLiteral("quasi-newton"), QStringLiteral("powell"),
            QStringLiteral("simplex"), QStringLiteral("newton")};
}

Expected<std::unique_ptr<OptimizerI>> parseOptimizer(const QString& text)
{
    const auto refuse = [](const QString& message) { return Error(JobError::Input, message); };
    const QStringList fields = text.split(QLatin1Char(';'));
    const QString head = fields.front().trimmed();
    int id = optimizerNames().indexOf(head.toLower());
    // Stored settings name the optimizer by its number.
    if (id < 0 && head.size() == 1 && head.at(0) >= QLatin1Char('0') &&
        head.at(0) <= QLatin1Char('4'))
        id = head.at(0).digitValue();
    if (id < 0)
        return refuse(QStringLiteral("Unknown optimizer \"%1\": expected one of %2")
                          .arg(head, optimizerNames().join(QStringLiteral(", "))));
    std::unique_ptr<OptimizerI> optimizer = makeOptimizer(id);
    for (int i = 1; i < fields.size(); ++i) {
        const QString field = fields.at(i).trimmed();
        if (field.isEmpty())
            continue;
        const int equals = field.indexOf(QLatin1Char('='));
        const QString name = OptimizerI::currentSettingName(field.left(equals).trimmed());
        if (!optimizer->settingNames().contains(name))
            return refuse(QStringLiteral("Unknown setting \"%1\" of the %2 optimizer: expected "
                                         "one of %3")
                              .arg(name, optimizer->name(),
                                   optimizer->settingNames().join(QStringLiteral(", "))));
        if (equals < 0)
            return refuse(
                QStringLiteral("The setting \"%1\" has no value: expected %1=VALUE").arg(name));
        const QString problem = optimizer->setSetting(name, field.mid(equals + 1).trimmed());
        if (!problem.isEmpty())
            return refuse(problem);
    }
    return optimizer;
}

std::unique_ptr<OptimizerI> createOptimizer(const QString& text)
{
    const QStringList fields = text.split(QLatin1Char(';'));
    const QString head = fields.front().trimmed();
    const int named = optimizerNames().indexOf(head.toLower());
    std::unique_ptr<OptimizerI> optimizer = makeOptimizer(named >= 0 ? named : head.toInt());
    if (fields.size() > 1)
        optimizer->setSettingsString(text);
    return optimizer;
}

} // namespace lum
