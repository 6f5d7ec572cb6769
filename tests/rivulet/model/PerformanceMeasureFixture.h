#pragma once

#include "lum/estimation/DenseMatrix.h"
#include "rivulet/filesource/CountsFileReleasesController.h"
#include "rivulet/filesource/CountsFileSitesController.h"
#include "rivulet/filesource/CountsFileYearsController.h"
#include "rivulet/model/CovarianceMap.h"
#include "rivulet/model/PMSurvivalToSite.h"
#include "rivulet/model/ParameterMap.h"
#include "rivulet/model/ParameterStructure.h"

#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace rivulet::test {

// Central differences with a step of 1e-6 agree with exact derivatives of these smooth
// products to about 1e-10; a missing or wrong term of a variance is orders of magnitude more.
constexpr double FiniteDifferenceTolerance = 1e-9;

// A fitted model made by hand: controllers for S sites and Y years, releases at given site
// and year positions, the full parameter structure, a parameter vector whose phi values the
// test sets, and an optional covariance matrix of the free parameters.
class MeasureModel
{
public:
    struct Release
    {
        int site = 0;
        int year = 0;
    };

    MeasureModel(int siteCount, int yearCount, const std::vector<Release>& releases)
    {
        QStringList names;
        for (int s = 0; s < siteCount; ++s)
            names << QStringLiteral("S%1").arg(s);
        sites.setSites(names);
        QList<int> calendar;
        for (int y = 0; y < yearCount; ++y)
            calendar << 2008 + y;
        years.setYears(calendar);
        for (const Release& release : releases)
            this->releases.addRelease(release.site, names.value(release.site), release.year,
                                      2008 + release.year);
        structure = ParameterStructure(this->releases, sites, years);
        x.assign(static_cast<std::size_t>(structure.numFree()), 0.5);
    }

    // Call after fixing or equating parameters of the structure.
    void resetVector(double value = 0.5)
    {
        x.assign(static_cast<std::size_t>(structure.numFree()), value);
    }

    void setPhi(int r, int s, int y1, int y2, double value)
    {
        x.at(static_cast<std::size_t>(structure.phiIndex(r, s, y1, y2))) = value;
    }

    // A covariance matrix that is symmetric positive definite and of the size of the
    // parameters' variances, with every pair correlated.
    void setRandomCovariance(unsigned seed = 7)
    {
        const int n = structure.numFree();
        std::mt19937 engine(seed);
        std::uniform_real_distribution<double> uniform(-0.1, 0.1);
        lum::DenseMatrix b(n, n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j)
                b(i, j) = uniform(engine);
        }
        covariance = std::make_unique<lum::DenseMatrix>(n, n);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                double sum = i == j ? 1e-3 : 0.0;
                for (int k = 0; k < n; ++k)
                    sum += b(i, k) * b(j, k);
                (*covariance)(i, j) = sum;
            }
        }
    }

    ParameterMap parameterMap() const { return ParameterMap(structure, x); }
    CovarianceMap covarianceMap() const { return CovarianceMap(structure, covariance.get()); }

    // Propagates the covariance matrix through the derivatives of f and g with respect to
    // the free parameters, taken by central differences: Cov(f, g) = Jf * C * Jg^T.
    double propagatedCovariance(const std::function<double(const ParameterMap&)>& f,
                                const std::function<double(const ParameterMap&)>& g) const
    {
        const std::vector<double> jf = gradient(f);
        const std::vector<double> jg = gradient(g);
        const int n = structure.numFree();
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j)
                sum += jf[static_cast<std::size_t>(i)] * (*covariance)(i, j) *
                       jg[static_cast<std::size_t>(j)];
        }
        return sum;
    }

    std::vector<double> gradient(const std::function<double(const ParameterMap&)>& f) const
    {
        constexpr double h = 1e-6;
        std::vector<double> result;
        for (std::size_t i = 0; i < x.size(); ++i) {
            std::vector<double> up = x;
            std::vector<double> down = x;
            up[i] += h;
            down[i] -= h;
            result.push_back((f(ParameterMap(structure, up)) - f(ParameterMap(structure, down))) /
                             (2.0 * h));
        }
        return result;
    }

    CountsFileReleasesController releases;
    CountsFileSitesController sites;
    CountsFileYearsController years;
    ParameterStructure structure;
    std::vector<double> x;
    std::unique_ptr<lum::DenseMatrix> covariance;
};

// The survival measure of a model at its vector and covariance matrix.
struct Survival
{
    explicit Survival(const MeasureModel& model)
        : parameters(model.parameterMap()), covariances(model.covarianceMap()),
          measure(model.releases, model.sites, model.years, parameters, covariances)
    {
    }

    const ParameterMap parameters;
    const CovarianceMap covariances;
    const PMSurvivalToSite measure;
};

} // namespace rivulet::test
