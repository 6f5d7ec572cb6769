#include "rivulet/data/DetectionSequenceWalker.h"

#include "rivulet/data/DetectionSequence.h"

#include <algorithm>

namespace rivulet {

void DetectionSequenceWalker::addRow(const QString& tag, bool detected, int site, int year,
                                     int disposition, DetectionSequence& into)
{
    if (!m_hasTag || tag != m_tag)
        startTag(tag);
    else if (m_ended)
        return;

    if (!detected) {
        // An undetected tag reads as site 0; when site 0 is also the last active site it
        // stands for everything downstream, like every other entry there.
        into.append(m_tag, 0, 0,
                    m_lastSite <= 0 ? Disposition::EndsHistory : Disposition::NoDetection);
        m_ended = m_lastSite <= 0;
        return;
    }
    // Only an ending detection ends a history; any other stored value means the fish went on.
    const bool ends =
        disposition == dispositionCode(Disposition::EndsHistory) || site >= m_lastSite;
    site = std::min(site, m_lastSite);
    if (site == m_entrySite && year == m_entryYear) {
        // Another detection of the same passage.
        if (ends) {
            into.dispositions.last() = dispositionCode(Disposition::EndsHistory);
            m_ended = true;
        }
        return;
    }
    into.append(m_tag, site, year, ends ? Disposition::EndsHistory : Disposition::GoesOn);
    m_entrySite = site;
    m_entryYear = year;
    m_ended = ends;
}

void DetectionSequenceWalker::startTag(const QString& tag)
{
    m_tag = tag;
    m_hasTag = true;
    m_ended = false;
    m_entrySite = -1;
    m_entryYear = -1;
}

} // namespace rivulet
