// Fits the bundled sample study, whose release sites lie in series above the first
// detection site, with fish holding over on the way.
#include "StudyToolFixture.h"

#include <QRegularExpression>

#include <cmath>

namespace {

using rivulet::test::StudyToolFixture;

class SampleFit : public StudyToolFixture
{
};

// Every fish of the sample took some path its release summary leaves free, so the
// likelihood is finite where the optimizer starts.
TEST_F(SampleFit, LikelihoodIsFiniteAtTheStartVector)
{
    const QString db = sampleDatabase();
    ASSERT_FALSE(db.isEmpty());
    const Run fit = tool({"--db", db, "fit"});
    const QRegularExpression start(QStringLiteral("beginning function value: (\\S+)"));
    const QRegularExpressionMatch match = start.match(fit.out);
    ASSERT_TRUE(match.hasMatch()) << fit.out.toStdString() << fit.err.toStdString();
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    ASSERT_TRUE(ok) << match.captured(1).toStdString();
    EXPECT_TRUE(std::isfinite(value));
    EXPECT_LT(value, 1e300) << "the largest double stands for an impossible observation";
}

} // namespace
