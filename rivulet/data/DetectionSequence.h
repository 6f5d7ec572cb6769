#pragma once

#include "rivulet/data/Disposition.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace rivulet {

// The detection histories of the tags of one release: four parallel lists, one entry per
// detection that counts (see DetectionSequenceControllerI).
struct DetectionSequence
{
    QStringList tagIds;
    QList<int> sites;
    QList<int> years;
    QList<int> dispositions;

    int size() const { return tagIds.size(); }

    void append(const QString& tag, int site, int year, Disposition disposition)
    {
        tagIds.append(tag);
        sites.append(site);
        years.append(year);
        dispositions.append(dispositionCode(disposition));
    }
};

} // namespace rivulet
