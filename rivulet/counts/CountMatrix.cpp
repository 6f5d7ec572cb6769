#include "rivulet/counts/CountMatrix.h"

#include <algorithm>
#include <numeric>

namespace rivulet {

CountMatrix::CountMatrix(int rows, int columns)
    : rows_(std::max(rows, 0)), columns_(std::max(columns, 0)),
      elements_(static_cast<std::size_t>(rows_) * static_cast<std::size_t>(columns_), 0)
{
}

CountMatrix CountMatrix::forSitesAndYears(int siteCount, int yearCount)
{
    return CountMatrix(yearCount, siteCount - 1);
}

std::int32_t CountMatrix::element(int row, int column) const
{
    if (!contains(row, column))
        return 0;
    return elements_[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
                     static_cast<std::size_t>(column)];
}

bool CountMatrix::add(int sitePos, int yearPos, std::int32_t amount)
{
    const int column = sitePos - 1;
    if (!contains(yearPos, column))
        return false;
    elements_[static_cast<std::size_t>(yearPos) * static_cast<std::size_t>(columns_) +
              static_cast<std::size_t>(column)] += amount;
    return true;
}

bool CountMatrix::setCount(int sitePos, int yearPos, std::int32_t value)
{
    const int column = sitePos - 1;
    if (!contains(yearPos, column))
        return false;
    elements_[static_cast<std::size_t>(yearPos) * static_cast<std::size_t>(columns_) +
              static_cast<std::size_t>(column)] = value;
    return true;
}

void CountMatrix::addMatrix(const CountMatrix& other)
{
    if (other.rows_ != rows_ || other.columns_ != columns_)
        return;
    std::transform(elements_.begin(), elements_.end(), other.elements_.begin(), elements_.begin(),
                   [](std::int32_t a, std::int32_t b) { return a + b; });
}

std::int64_t CountMatrix::sum() const
{
    return std::accumulate(elements_.begin(), elements_.end(), std::int64_t{0});
}

bool CountMatrix::operator==(const CountMatrix& other) const
{
    return rows_ == other.rows_ && columns_ == other.columns_ && elements_ == other.elements_;
}

} // namespace rivulet
