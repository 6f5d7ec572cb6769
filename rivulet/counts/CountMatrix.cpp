#include "rivulet/counts/CountMatrix.h"

#include <QDataStream>

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

void CountMatrix::write(QDataStream& out) const
{
    out << static_cast<qint32>(rows_) << static_cast<qint32>(columns_);
    for (const std::int32_t element : elements_)
        out << static_cast<qint32>(element);
}

bool CountMatrix::read(QDataStream& in)
{
    qint32 rows = 0;
    qint32 columns = 0;
    in >> rows >> columns;
    // A damaged stream must not make us allocate its idea of a size.
    constexpr qint32 limit = 1 << 12;
    if (in.status() != QDataStream::Ok || rows < 0 || columns < 0 || rows > limit ||
        columns > limit) {
        *this = CountMatrix();
        return false;
    }
    *this = CountMatrix(rows, columns);
    for (std::int32_t& element : elements_) {
        qint32 value = 0;
        in >> value;
        element = value;
    }
    if (in.status() != QDataStream::Ok) {
        *this = CountMatrix();
        return false;
    }
    return true;
}

bool CountMatrix::operator==(const CountMatrix& other) const
{
    return rows_ == other.rows_ && columns_ == other.columns_ && elements_ == other.elements_;
}

} // namespace rivulet
