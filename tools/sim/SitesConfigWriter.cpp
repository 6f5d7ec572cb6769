#include "tools/sim/SitesConfigWriter.h"

#include "tools/sim/CivilTime.h"
#include "tools/sim/RiverLayout.h"

#include <QFile>
#include <QTextStream>

#include <string>

namespace rivulet::sim {

namespace {
const char* const MonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

qint64 timeOfDay(qint64 time)
{
    return ((time % CivilTime::Day) + CivilTime::Day) % CivilTime::Day;
}

QString dateText(qint64 time, bool monthNames)
{
    if (monthNames) {
        int y = 0, m = 0, d = 0;
        CivilTime::split(time, y, m, d);
        return QString("%1-%2-%3").arg(d, 2, 10, QChar('0')).arg(MonthNames[m - 1]).arg(y);
    }
    std::string text;
    CivilTime::appendDate(text, time);
    return QString::fromStdString(text);
}

QString clockText(qint64 time)
{
    const qint64 t = timeOfDay(time);
    return QString("%1:%2:%3")
        .arg(t / 3600, 2, 10, QChar('0'))
        .arg(t / 60 % 60, 2, 10, QChar('0'))
        .arg(t % 60, 2, 10, QChar('0'));
}

// A begin without a time means midnight, an end without one 23:59:50.
QString beginText(qint64 time, bool monthNames)
{
    const QString date = dateText(time, monthNames);
    return timeOfDay(time) == 0 ? date : date + "+" + clockText(time);
}

QString endText(qint64 time, bool openEnd)
{
    if (openEnd)
        return "present";
    const QString date = dateText(time, false);
    return timeOfDay(time) == CivilTime::Day - 10 ? date : date + "+" + clockText(time);
}

QString ruleText(const SiteCode::Rule& rule)
{
    return QString("%1: %2: %3: %4 {%5}")
        .arg(QChar(rule.letter))
        .arg(QChar(rule.stage))
        .arg(rule.number)
        .arg(rule.text, rule.coils.join(' '));
}
} // namespace

lum::Expected<void> SitesConfigWriter::write(const QString& path) const
{
    QFile file(path);
    const auto failed = [&] {
        return lum::Error(lum::JobError::File,
                          "Unable to write \"" + path + "\":", file.errorString(), path);
    };
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return failed();
    QTextStream out(&file);
    write(out);
    out.flush();
    // The file's own buffer is written only here; its failure would be lost in the destructor.
    if (out.status() != QTextStream::Ok || !file.flush())
        return failed();
    return {};
}

void SitesConfigWriter::write(QTextStream& out) const
{
    const QString date = m_layout.configDate();
    out << "# Sites configuration of the Alder Creek study area.\n"
        << "# River-km paths count from the mouth of the main river; the tributary\n"
        << "# joins it at km 522.\n"
        << "CONFIGDATE: " << date << "\n"
        << "configDate: " << date << "\n"
        << "PTAGISDATE: " << date << "\n\n"
        << "# Release sites, upstream first\n";
    for (const SimSite& site : m_layout.sites())
        if (site.role == SimSite::Role::Release)
            writeSite(out, site, {});
    out << "\n# Detection sites, upstream first\n";
    writeSite(out, m_layout.upstreamArray(), "above every release site");
    for (const SimSite& site : m_layout.sites())
        if (site.role != SimSite::Role::Release)
            writeSite(out, site, site.role == SimSite::Role::Final ? "history ends here" : "");
}

void SitesConfigWriter::writeSite(QTextStream& out, const SimSite& site,
                                  const QString& comment) const
{
    const bool release = site.role == SimSite::Role::Release;
    out << (release ? "RELSITE: " : "SITE: ") << site.name;
    if (!comment.isEmpty())
        out << "   # " << comment;
    out << "\n";
    out << "NAME: " << site.longName << "\n";
    out << "SHORTNAME: " << site.shortName << "\n";
    out << "RIVERK: " << site.riverKm;
    if (!site.riverKmAlt.isEmpty())
        out << "-" << site.riverKmAlt;
    out << "\n";
    out << "TYPE: " << site.type << "\n";
    if (!site.huc.isEmpty())
        out << "HUC: " << site.huc << "\n";
    if (!site.indicator.isEmpty())
        out << "INDICATOR: " << site.indicator << "\n";
    if (!site.stages.isEmpty())
        out << "STAGE: " << site.stages.join(' ') << "\n";
    if (!site.listedCodes.isEmpty())
        out << "CODES: " << site.listedCodes.join(' ') << "\n";
    for (int i = 0; i < site.codeRules.size(); ++i)
        writeCode(out, site.codeRules.at(i), i % 2 == 1);
    out << "\n";
}

void SitesConfigWriter::writeCode(QTextStream& out, const SiteCode& code, bool monthNames) const
{
    out << "CODE: " << code.name() << "\n";
    for (const SiteCode::Range& range : code.ranges()) {
        out << "RANGE: " << beginText(range.begin, monthNames) << " "
            << endText(range.end, range.openEnd) << "\n";
        for (const SiteCode::Rule& rule : range.rules)
            out << ruleText(rule) << "\n";
    }
    for (const SiteCode::Exception& e : code.exceptions())
        out << "EXCEPTION: " << beginText(e.begin, false) << " " << endText(e.end, false) << " {"
            << ruleText(e.rule) << "}\n";
}

} // namespace rivulet::sim
