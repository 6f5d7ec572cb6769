#pragma once

#include <QString>
#include <QVector>

namespace rivulet::sim {

// One release: the fish of one release site in one year. Its fish are let go
// at a few times over some days, each fish at one of them.
struct SimRelease
{
    int site = 0; // position of the release site in down-river order
    int year = 0; // 0 for the first year of the study
    QVector<qint64> times;
};

} // namespace rivulet::sim
