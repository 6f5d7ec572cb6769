#include "rivulet/counts/CountMatrix.h"

#include <QDataStream>

#include <algorithm>
#include <numeric>

namespace rivulet {

CountMatrix::CountMatrix(int rows, int columns)
    : m_rows(std::max(rows, 0)), m_columns(std::max(columns, 0)),
      m_elements(static_cast<std::size_t>(m_rows) * static_cast<std::size_t>(m_columns), 0)
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
    return m_elements[static_cast<std::size_t>(row) * static_cast<std::size_t>(m_columns) +
                      static_cast<std::size_t>(column)];
}

bool CountMatrix::add(int sitePos, int yearPos, std::int32_t amount)
{
    const int column = sitePos - 1;
    if (!contains(yearPos, column))
        return false;
    m_elements[static_cast<std::size_t>(yearPos) * static_cast<std::size_t>(m_columns) +
               static_cast<std::size_t>(column)] += amount;
    return true;
}

bool CountMatrix::setCount(int sitePos, int yearPos, std::int32_t value)
{
    const int column = sitePos - 1;
    if (!contains(yearPos, column))
        return false;
    m_elements[static_cast<std::size_t>(yearPos) * static_cast<std::size_t>(m_columns) +
               static_cast<std::size_t>(column)] = value;
    return true;
}

void CountMatrix::addMatrix(const CountMatrix& other)
{
    if (other.m_rows != m_rows || other.m_columns != m_columns)
        return;
    std::transform(m_elements.begin(), m_elements.end(), other.m_elements.begin(),
                   m_elements.begin(), [](std::int32_t a, std::int32_t b) { return a + b; });
}

std::int64_t CountMatrix::sum() const
{
    return std::accumulate(m_elements.begin(), m_elements.end(), std::int64_t{0});
}

void CountMatrix::write(QDataStream& out) const
{
    out << static_cast<qint32>(m_rows) << static_cast<qint32>(m_columns);
    for (const std::int32_t element : m_elements)
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
    for (std::int32_t& element : m_elements) {
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
    return m_rows == other.m_rows && m_columns == other.m_columns && m_elements == other.m_elements;
}

} // namespace rivulet
