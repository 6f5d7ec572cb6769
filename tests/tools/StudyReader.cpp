#include "StudyReader.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>

#include <algorithm>

namespace rivulet::test {

namespace {
const QStringList Months = {"jan", "feb", "mar", "apr", "may", "jun",
                            "jul", "aug", "sep", "oct", "nov", "dec"};

bool hexValue(const QString& word, int* value)
{
    bool ok = false;
    *value = QString("0x" + word).toInt(&ok, 16);
    return ok;
}

bool ruleHasCoil(const ConfigRule& rule, const QString& coil)
{
    int wanted = 0;
    const bool numeric = hexValue(coil, &wanted);
    for (const QString& word : rule.coils) {
        int value = 0;
        if (word == coil || (numeric && hexValue(word, &value) && value == wanted))
            return true;
    }
    return false;
}

bool textIs(const ConfigRule& rule, const QString& coil)
{
    return QString(rule.text).replace(',', ' ') == coil;
}
} // namespace

double MiniSitesConfig::julian(const QDateTime& time)
{
    return time.date().toJulianDay() - 0.5 + time.time().msecsSinceStartOfDay() / 86400000.0;
}

bool MiniSitesConfig::readDate(const QString& text, bool isEnd, double* julian)
{
    if (isEnd && text.compare("present", Qt::CaseInsensitive) == 0) {
        *julian = 1e8;
        return true;
    }
    const QStringList parts = text.split('+');
    const QString day = parts.first();
    QDate date;
    if (QRegularExpression("^\\d{4}-\\d{2}-\\d{2}$").match(day).hasMatch()) {
        date = QDate::fromString(day, "yyyy-MM-dd");
    } else if (QRegularExpression("^\\d{2}-[A-Za-z]{3}-\\d{4}$").match(day).hasMatch()) {
        const int month = Months.indexOf(day.mid(3, 3).toLower()) + 1;
        date = QDate(day.right(4).toInt(), month, day.left(2).toInt());
    } else if (QRegularExpression("^\\d{8}$").match(day).hasMatch()) {
        date = QDate::fromString(day, "yyyyMMdd");
    }
    QTime time = isEnd ? QTime(23, 59, 50) : QTime(0, 0, 0);
    if (parts.size() == 2)
        time = QTime::fromString(parts.at(1), "HH:mm:ss");
    if (!date.isValid() || !time.isValid() || parts.size() > 2)
        return false;
    *julian = MiniSitesConfig::julian(QDateTime(date, time, Qt::UTC));
    return true;
}

bool MiniSitesConfig::readRule(const QString& text, ConfigRule* rule)
{
    QStringList fields;
    for (const QString& field : text.split(QRegularExpression("[{:}]")))
        if (!field.trimmed().isEmpty())
            fields << field.trimmed();
    if (fields.size() != 5 || fields.at(0).size() != 1 || !QString("HRSTUB").contains(fields.at(0)))
        return false;
    bool numberOk = false;
    fields.at(2).toInt(&numberOk);
    rule->letter = fields.at(0).at(0);
    rule->text = fields.at(3);
    rule->coils = fields.at(4).split(' ', Qt::SkipEmptyParts);
    return numberOk && !rule->coils.isEmpty();
}

bool MiniSitesConfig::read(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = "cannot open " + path;
        return false;
    }
    QTextStream in(&file);
    int lineNumber = 0;
    ConfigSite* site = nullptr;
    ConfigCode* code = nullptr;
    ConfigRange* range = nullptr;
    const QSet<QString> known = {
        "CONFIGDATE:", "configDate:", "PTAGISDATE:", "SITE:",      "RELSITE:", "CODES:",
        "CODE:",       "NAME:",       "SHORTNAME:",  "RIVERK:",    "TYPE:",    "HUC:",
        "INDICATOR:",  "STAGE:",      "RANGE:",      "EXCEPTION:", "H:",       "R:",
        "S:",          "T:",          "B:",          "U:"};
    while (!in.atEnd()) {
        ++lineNumber;
        QString line = in.readLine();
        line = line.left(line.indexOf('#') < 0 ? line.size() : line.indexOf('#')).trimmed();
        const QStringList words = line.split(QRegularExpression("[ \t]"), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        const QString& key = words.first();
        auto fail = [&](const QString& why) {
            *error = QString("line %1: %2").arg(lineNumber).arg(why);
            return false;
        };
        if (!known.contains(key))
            return fail("unknown keyword " + key);
        const bool applies = key != "CONFIGDATE:" && key != "configDate:" && key != "PTAGISDATE:" &&
                             key != "SITE:" && key != "RELSITE:" && key != "CODE:";
        if (words.size() < 2)
            return fail("missing argument");
        if (key == "SITE:" || key == "RELSITE:") {
            QVector<ConfigSite>& list = key == "SITE:" ? detectionSites : releaseSites;
            ConfigSite s;
            s.name = s.longName = words.at(1);
            s.release = key == "RELSITE:";
            list << s;
            site = &list.last();
        } else if (key == "CODE:") {
            ConfigCode c;
            c.name = words.at(1);
            codes << c;
            code = &codes.last();
            range = nullptr;
        } else if (applies && key != "RANGE:" && key != "EXCEPTION:" && key.size() > 2) {
            if (!site)
                return fail("site line before any site");
            if (key == "NAME:")
                site->longName = words.mid(1).join(' ');
            else if (key == "RIVERK:")
                site->riverKm = words.at(1).split('-').first();
            else if (key == "CODES:")
                site->codes << words.mid(1);
        } else if (key == "RANGE:" || key == "EXCEPTION:") {
            if (!code || words.size() < 3)
                return fail("range without code or dates");
            ConfigRange r;
            if (!readDate(words.at(1), false, &r.begin) || !readDate(words.at(2), true, &r.end))
                return fail("bad date");
            if (r.begin > r.end)
                return fail("range ends before it begins");
            if (key == "RANGE:") {
                code->ranges << r;
                range = &code->ranges.last();
            } else {
                ConfigRule rule;
                if (line.indexOf('{') < 0 || !readRule(line.mid(line.indexOf('{')), &rule))
                    return fail("bad exception rule");
                r.rules << rule;
                code->exceptions << r;
            }
        } else if (applies) {
            ConfigRule rule;
            if (!range)
                return fail("rule outside a range");
            if (!readRule(line, &rule))
                return fail("bad rule");
            range->rules << rule;
        }
    }
    return true;
}

const ConfigSite* MiniSitesConfig::releaseSite(const QString& name) const
{
    for (const ConfigSite& s : releaseSites)
        if (s.name == name.trimmed() || s.longName == name.trimmed() ||
            s.codes.contains(name.trimmed()))
            return &s;
    return nullptr;
}

const ConfigSite* MiniSitesConfig::detectionSite(const QString& code) const
{
    for (const ConfigSite& s : detectionSites)
        if (s.name == code.trimmed() || s.longName == code.trimmed() ||
            s.codes.contains(code.trimmed()))
            return &s;
    return nullptr;
}

bool MiniSitesConfig::isDownstream(const QString& detectionKm, const QString& releaseKm)
{
    const QRegularExpression valid("^[.0-9]+$");
    if (!valid.match(detectionKm).hasMatch() || !valid.match(releaseKm).hasMatch() ||
        detectionKm == releaseKm)
        return false;
    const QStringList d = detectionKm.split('.'), r = releaseKm.split('.');
    if (d.size() > r.size())
        return false;
    for (int i = 0; i < d.size(); ++i)
        if (d.at(i).toInt() != r.at(i).toInt())
            return r.at(i).toInt() > d.at(i).toInt() && i == d.size() - 1;
    return r.size() > d.size();
}

QChar MiniSitesConfig::classify(const QString& codeName, const QString& coilText, double t) const
{
    const QString coil = coilText.trimmed();
    for (const ConfigCode& code : codes) {
        if (code.name != codeName.trimmed())
            continue;
        if (code.name == "ALL")
            return 'R';
        for (const ConfigRange& e : code.exceptions)
            if (e.begin <= t && t <= e.end && ruleHasCoil(e.rules.first(), coil))
                return e.rules.first().letter;
        for (const ConfigRange& e : code.exceptions)
            if (e.begin <= t && t <= e.end && textIs(e.rules.first(), coil))
                return e.rules.first().letter;
        for (const ConfigRange& r : code.ranges) {
            if (r.begin <= t && t <= r.end) {
                for (const ConfigRule& rule : r.rules)
                    if (textIs(rule, coil) || ruleHasCoil(rule, coil))
                        return rule.letter;
                return '7';
            }
        }
        return '7';
    }
    return '7';
}

ExportContents readExport(const QString& path, const MiniSitesConfig& config, int lastYear)
{
    ExportContents data;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        data.problems << "cannot open " + path;
        return data;
    }
    const QString format = "yyyy-MM-dd HH:mm:ss";
    QTextStream in(&file);
    QSet<QString> seenTags;
    QString previousRelease;
    QDateTime previousTime;
    int lineNumber = 0;
    while (!in.atEnd()) {
        ++lineNumber;
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split(',');
        const QString where = QString(" at line %1").arg(lineNumber);
        ++data.rows;
        if (f.size() != 19) {
            data.problems << QString("%1 fields").arg(f.size()) + where;
            continue;
        }
        if (f[2].isEmpty())
            data.problems << "Missing tagId" + where;
        const QString releaseFields = f.mid(0, 12).join(',');
        if (data.tags.isEmpty() || data.tags.last().code != f[2]) {
            if (seenTags.contains(f[2]))
                data.problems << "Duplicate tag" + where;
            seenTags.insert(f[2]);
            TagRecord tag;
            tag.code = f[2];
            tag.releaseSite = f[11];
            tag.releaseTime = QDateTime::fromString(f[4], format);
            if (!config.releaseSite(f[11]))
                data.problems << "Unrecognized release site" + where;
            if (!tag.releaseTime.isValid())
                data.problems << "Invalid release time" + where;
            if (!f[15].isEmpty())
                data.problems << "tag does not start with its mark row" + where;
            data.tags << tag;
            previousRelease = releaseFields;
            previousTime = tag.releaseTime;
        } else if (releaseFields != previousRelease) {
            data.problems << "release fields change within a tag" + where;
        }
        if (f[15].isEmpty())
            continue;
        const QDateTime time = QDateTime::fromString(f[15], format);
        if (!time.isValid()) {
            data.problems << "Invalid observation time" + where;
            continue;
        }
        if (time <= previousTime)
            data.problems << "detection out of time order" + where;
        previousTime = time;
        if (f[18] == "A") {
            ++data.ignoredRows;
            continue;
        }
        const ConfigSite* site = config.detectionSite(f[16]);
        if (!site) {
            data.problems << "Unrecognized observation site" + where;
            continue;
        }
        TagRecord& tag = data.tags.last();
        const ConfigSite* release = config.releaseSite(tag.releaseSite);
        if (!release || !MiniSitesConfig::isDownstream(site->riverKm, release->riverKm)) {
            ++data.droppedUpstream;
            continue;
        }
        const QDate day = time.date();
        if (day.month() < 3 || day.month() > 9 || day.year() < tag.releaseTime.date().year() ||
            day.year() > lastYear)
            data.problems << "detection outside the migration seasons" + where;
        const QChar route = config.classify(f[16], f[17], MiniSitesConfig::julian(time));
        KeptDetection detection;
        detection.site = site->name;
        detection.code = f[16];
        detection.year = day.year();
        detection.disposition = route == 'R' || route == 'B' ? 1 : 2;
        detection.time = time;
        tag.detections << detection;
    }
    return data;
}

namespace {
struct Entry
{
    QString tag;
    int site = 0;
    int year = 0;
    int disposition = 0;
};

int positionOf(const QString& km, const QVector<QString>& presentKms)
{
    int upstream = 0;
    for (const QString& other : presentKms)
        upstream += MiniSitesConfig::isDownstream(km, other) ? 1 : 0;
    return upstream;
}
} // namespace

QVector<qint64> deriveCounts(const ExportContents& data, const MiniSitesConfig& config)
{
    // Sites and years that the loaded data hold, numbered as the program numbers them.
    QMap<QString, QString> siteKm;
    QSet<int> yearSet;
    for (const TagRecord& tag : data.tags) {
        siteKm[tag.releaseSite] = config.releaseSite(tag.releaseSite)->riverKm;
        yearSet.insert(tag.releaseTime.date().year());
        for (const KeptDetection& d : tag.detections) {
            siteKm[d.site] = config.detectionSite(d.site)->riverKm;
            yearSet.insert(d.year);
        }
    }
    const QVector<QString> kms = siteKm.values().toVector();
    QHash<QString, int> sitePos;
    for (auto it = siteKm.begin(); it != siteKm.end(); ++it)
        sitePos[it.key()] = positionOf(it.value(), kms);
    QList<int> years = yearSet.values();
    std::sort(years.begin(), years.end());
    const int S = siteKm.size(), Y = years.size(), L = S - 1;

    // Histories, release by release.
    QMap<QPair<int, int>, QVector<Entry>> releases;
    for (const TagRecord& tag : data.tags) {
        QVector<Entry> rows;
        for (const KeptDetection& d : tag.detections)
            rows << Entry{tag.code, sitePos[d.site], int(years.indexOf(d.year)), d.disposition};
        std::stable_sort(rows.begin(), rows.end(), [](const Entry& a, const Entry& b) {
            return std::make_pair(a.site, a.year) < std::make_pair(b.site, b.year);
        });
        QVector<Entry>& history =
            releases[{sitePos[tag.releaseSite], int(years.indexOf(tag.releaseTime.date().year()))}];
        if (rows.isEmpty())
            history << Entry{tag.code, 0, 0, 0};
        for (Entry row : rows) {
            if (row.site >= L) {
                row.site = L;
                row.disposition = 2;
            }
            history << row;
            if (row.disposition == 2)
                break;
        }
    }

    QVector<qint64> out{releases.size(), S, Y};
    for (auto it = releases.begin(); it != releases.end(); ++it)
        out << it.key().first;
    for (auto it = releases.begin(); it != releases.end(); ++it)
        out << it.key().second;
    QVector<qint64> body;
    QVector<qint64> fish;
    for (auto it = releases.begin(); it != releases.end(); ++it) {
        const int rs = it.key().first, ry = it.key().second;
        const QVector<Entry>& rows = it.value();
        QHash<QString, int> removedSite;
        for (const Entry& e : rows)
            removedSite[e.tag] = e.disposition == 2 ? e.site : -1;
        QHash<QString, QPair<int, int>> firstAt;
        int notSeen = 0;
        QMap<std::tuple<int, int, int, int>, int> next;
        QMap<QPair<int, int>, int> notSeenAgain;
        for (int i = 0; i < rows.size(); ++i) {
            const Entry& e = rows.at(i);
            if (e.disposition == 0) {
                ++notSeen;
                continue;
            }
            if (!firstAt.contains(e.tag))
                firstAt[e.tag] = {e.site, e.year};
            if (removedSite[e.tag] == e.site)
                continue;
            const bool hasNext = i + 1 < rows.size() && rows.at(i + 1).tag == e.tag;
            if (hasNext)
                ++next[{e.site, e.year, rows.at(i + 1).site, rows.at(i + 1).year}];
            else
                ++notSeenAgain[{e.site, e.year}];
        }
        QMap<QPair<int, int>, int> first;
        for (const QPair<int, int>& at : firstAt)
            ++first[at];
        fish << notSeen + firstAt.size();
        body << notSeen;
        for (int s = rs + 1; s < S; ++s)
            for (int y = ry; y < Y; ++y)
                body << first.value({s, y});
        for (int a = rs + 1; a < S - 1; ++a)
            for (int b = ry; b < Y; ++b) {
                body << notSeenAgain.value({a, b});
                for (int s = a + 1; s < S; ++s)
                    for (int y = b; y < Y; ++y)
                        body << next.value({a, b, s, y});
            }
    }
    return out << fish << body;
}

QVector<qint64> readNumbers(const QString& path)
{
    QVector<qint64> numbers;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return numbers;
    QTextStream in(&file);
    while (!in.atEnd()) {
        QString line = in.readLine();
        line = line.left(line.indexOf('#') < 0 ? line.size() : line.indexOf('#'));
        for (const QString& token : line.split(QRegularExpression("[ \t]+"), Qt::SkipEmptyParts))
            numbers << token.toLongLong();
    }
    return numbers;
}

QMap<TruthKey, double> readTruth(const QString& path, QStringList* problems)
{
    QMap<TruthKey, double> truth;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *problems << "cannot open " + path;
        return truth;
    }
    QTextStream in(&file);
    bool header = true;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith('#') || line.isEmpty())
            continue;
        const QStringList f = line.split(',');
        if (header) {
            if (line != "family,r,s,y1,y2,release_site,release_year,site,year1,year2,value")
                *problems << "unexpected header " + line;
            header = false;
            continue;
        }
        bool ok = f.size() == 11;
        const double value = ok ? f[10].toDouble(&ok) : 0.0;
        if (!ok || value < 0.0 || value > 1.0) {
            *problems << "bad row " + line;
            continue;
        }
        const TruthKey key{f[0], f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt()};
        if (truth.contains(key))
            *problems << "repeated row " + line;
        truth[key] = value;
    }
    return truth;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace rivulet::test
