#include "rivulet/sitesconfig/SitesConfig.h"

#include "rivulet/data/Disposition.h"
#include "rivulet/sitesconfig/SitesConfigParser.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

namespace rivulet {

namespace {

// River-km paths are whole numbers joined by dots, e.g. "522.173.10".
bool isRiverKm(const QString& km)
{
    if (km.isEmpty())
        return false;
    for (const QChar c : km) {
        if (c != QLatin1Char('.') && (c.unicode() < '0' || c.unicode() > '9'))
            return false;
    }
    return true;
}

// The number at `pos` of a river-km path, moving `pos` past its dot. An
// empty piece reads as 0; a huge one saturates rather than overflows.
qint64 nextKmNumber(const QString& km, int& pos)
{
    qint64 value = 0;
    for (; pos < km.size() && km.at(pos) != QLatin1Char('.'); ++pos)
        value = qMin<qint64>(value * 10 + (km.at(pos).unicode() - '0'), qint64(1) << 40);
    ++pos;
    return value;
}

} // namespace

void SitesConfig::clear()
{
    m_data = SitesConfigData();
    m_messages.clear();
    m_errors.clear();
    m_sourcePath.clear();
}

bool SitesConfig::load(const QString& path)
{
    clear();
    m_sourcePath = path;
    // A folder opens like a file and reads as nothing: it would pass for an empty
    // configuration.
    if (QFileInfo(path).isDir()) {
        m_messages << QStringLiteral("Unable to open file \"%1\": it is a folder").arg(path);
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        m_messages << QStringLiteral("Unable to open file \"%1\"").arg(path);
        return false;
    }
    return read(file, path);
}

bool SitesConfig::read(QIODevice& device, const QString& path)
{
    m_data = SitesConfigData();
    m_messages.clear();
    m_errors.clear();
    SitesConfigParser parser(m_data);
    parser.parse(device);
    const QString where = QStringLiteral(" of \"%1\"").arg(path);
    for (const QString& message : parser.messages())
        m_messages << message + where;
    for (const QString& error : parser.errors())
        m_errors << error + where;
    // Sites are stored by short name: two of them would become one site.
    const auto& sites = m_data.detectionSites;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (sites[i]->shortName == sites[j]->shortName) {
                m_errors << QStringLiteral("The detection sites \"%1\" (line %2) and \"%3\" "
                                           "(line %4) of \"%5\" have the same short name "
                                           "\"%6\"; give each its own SHORTNAME:")
                                .arg(sites[j]->name)
                                .arg(sites[j]->line)
                                .arg(sites[i]->name)
                                .arg(sites[i]->line)
                                .arg(path, sites[i]->shortName);
                break;
            }
        }
    }
    if (!m_errors.isEmpty()) {
        m_data = SitesConfigData();
        return false;
    }
    return true;
}

const SiteRecord* SitesConfig::findReleaseSite(const QString& name) const
{
    for (const auto& site : m_data.releaseSites) {
        if (site->matches(name))
            return site.get();
    }
    return nullptr;
}

const SiteRecord* SitesConfig::findDetectionSite(const QString& code) const
{
    for (const auto& site : m_data.detectionSites) {
        if (site->matches(code))
            return site.get();
    }
    return nullptr;
}

const CodeRecord* SitesConfig::findCode(const QString& code) const
{
    const QString trimmed = code.trimmed();
    for (const auto& record : m_data.codes) {
        if (record->name == trimmed)
            return record.get();
    }
    return nullptr;
}

int SitesConfig::classify(const QString& code, const QString& coil, double time) const
{
    const CodeRecord* record = findCode(code);
    if (!record)
        return CategoryOther;
    if (record->matchesAll)
        return CategoryR;
    const QString antenna = coil.trimmed();
    int value = 0;
    const bool isNumber = RouteRule::readHex(antenna, &value);
    // An exception listing the coil beats one that only names it in its
    // text; both beat the ranges.
    for (const auto& exception : record->exceptions) {
        if (exception->covers(time) && exception->rule.hasCoil(antenna, isNumber, value))
            return exception->rule.category;
    }
    for (const auto& exception : record->exceptions) {
        if (exception->covers(time) && exception->rule.matchesCoil(antenna, isNumber, value))
            return exception->rule.category;
    }
    for (const auto& range : record->ranges) {
        if (!range->covers(time))
            continue;
        for (const RouteRule& rule : range->rules) {
            if (rule.matchesCoil(antenna, isNumber, value))
                return rule.category;
        }
        return CategoryOther;
    }
    return CategoryOther;
}

int SitesConfig::dispositionOf(int category)
{
    return dispositionCode(category == CategoryR || category == CategoryB
                               ? Disposition::GoesOn
                               : Disposition::EndsHistory);
}

bool SitesConfig::isDownstream(const SiteRecord& detectionSite, const SiteRecord& releaseSite)
{
    return isDownstream(detectionSite.riverKm, releaseSite.riverKm);
}

bool SitesConfig::isDownstream(const QString& detectionKm, const QString& releaseKm)
{
    if (!isRiverKm(detectionKm) || !isRiverKm(releaseKm) || detectionKm == releaseKm)
        return false;
    const int detectionCount = detectionKm.count(QLatin1Char('.')) + 1;
    const int releaseCount = releaseKm.count(QLatin1Char('.')) + 1;
    // A site on a side branch of the release site's path is not downstream.
    if (detectionCount > releaseCount)
        return false;
    int detectionPos = 0;
    int releasePos = 0;
    for (int i = 0; i < detectionCount; ++i) {
        const qint64 detection = nextKmNumber(detectionKm, detectionPos);
        const qint64 release = nextKmNumber(releaseKm, releasePos);
        if (detection != release)
            return release > detection && i == detectionCount - 1;
    }
    // The detection site is the point where the release site's branch joins.
    return releaseCount > detectionCount;
}

QDate SitesConfig::readConfigDate(QTextStream& stream)
{
    static const QRegularExpression whiteSpace(QStringLiteral("\\s+"));
    QString line;
    while (stream.readLineInto(&line)) {
        if (!line.contains(QLatin1String("configDate:")))
            continue;
        const QStringList pieces = line.split(whiteSpace, Qt::SkipEmptyParts);
        return pieces.size() < 2 ? QDate()
                                 : QDate::fromString(pieces[1], QStringLiteral("yyyy.M.d"));
    }
    return QDate();
}

} // namespace rivulet
