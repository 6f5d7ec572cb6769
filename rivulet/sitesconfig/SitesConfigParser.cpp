#include "rivulet/sitesconfig/SitesConfigParser.h"

#include "rivulet/sitesconfig/SitesConfigDates.h"

#include <QIODevice>
#include <QRegularExpression>

#include <boost/regex.hpp>

#include <map>

namespace rivulet {

namespace {

QString toText(const std::string& text)
{
    return QString::fromLocal8Bit(text.data(), static_cast<int>(text.size()));
}

// The line without its comment and without surrounding white space. Trimmed by hand: a
// backtracking pattern gives up (and throws) on a line of many thousand blanks.
std::string contentOf(const std::string& line)
{
    static const char* const space = " \t\n\r\f\v";
    const std::string uncommented = line.substr(0, line.find('#'));
    const std::size_t first = uncommented.find_first_not_of(space);
    if (first == std::string::npos)
        return std::string();
    return uncommented.substr(first, uncommented.find_last_not_of(space) - first + 1);
}

// Words separated by blanks and tabs; empty words are dropped.
QStringList wordsOf(const std::string& content)
{
    static const boost::regex blanks("[ \\t]+");
    QStringList words;
    for (boost::sregex_token_iterator it(content.begin(), content.end(), blanks, -1), end;
         it != end; ++it) {
        if (it->length() > 0)
            words << toText(it->str());
    }
    return words;
}

int categoryOf(QChar letter)
{
    switch (letter.unicode()) {
    case 'H':
        return CategoryH;
    case 'R':
        return CategoryR;
    case 'S':
        return CategoryS;
    case 'T':
        return CategoryT;
    case 'U':
        return CategoryU;
    case 'B':
        return CategoryB;
    default:
        return CategoryOther;
    }
}

int stageOf(QChar letter)
{
    const QChar upper = letter.toUpper();
    if (upper == QLatin1Char('A'))
        return 0;
    if (upper == QLatin1Char('J'))
        return 1;
    return 2;
}

} // namespace

void SitesConfigParser::parse(QIODevice& device)
{
    int lineNumber = 0;
    while (!device.atEnd()) {
        const QByteArray line = device.readLine();
        parseLine(line.toStdString(), ++lineNumber);
    }
}

void SitesConfigParser::parseLine(const std::string& line, int lineNumber)
{
    m_lineNumber = lineNumber;
    // A matcher that gives up on a hostile line throws; the line is then reported, never the
    // end of the program.
    try {
        parseContent(contentOf(line));
    } catch (const std::exception& error) {
        report(QStringLiteral("Unreadable line (%1)").arg(QString::fromLocal8Bit(error.what())));
    }
}

void SitesConfigParser::parseContent(const std::string& content)
{
    // UTF-16 (or any binary file) has NUL bytes between its letters; read as text it would
    // look like a file of unknown keywords.
    if (content.find('\0') != std::string::npos) {
        reportFatal(QStringLiteral("NUL byte: expected a text file in UTF-8 or ASCII (not "
                                   "UTF-16)"));
        return;
    }
    QStringList words = wordsOf(content);
    if (words.isEmpty())
        return;
    const QString keyword = words.takeFirst();
    if (const Handler handler = handlerOf(keyword.toStdString()))
        (this->*handler)(keyword, words, content);
}

SitesConfigParser::Handler SitesConfigParser::handlerOf(const std::string& keyword)
{
    static const std::map<std::string, Handler> handlers = {
        {"CONFIGDATE:", &SitesConfigParser::onConfigDate},
        {"PTAGISDATE:", &SitesConfigParser::onPtagisDate},
        {"SITE:", &SitesConfigParser::onSite},
        {"RELSITE:", &SitesConfigParser::onSite},
        {"CODES:", &SitesConfigParser::onSiteAttribute},
        {"NAME:", &SitesConfigParser::onSiteAttribute},
        {"SHORTNAME:", &SitesConfigParser::onSiteAttribute},
        {"RIVERK:", &SitesConfigParser::onSiteAttribute},
        {"TYPE:", &SitesConfigParser::onSiteAttribute},
        {"HUC:", &SitesConfigParser::onSiteAttribute},
        {"INDICATOR:", &SitesConfigParser::onSiteAttribute},
        {"STAGE:", &SitesConfigParser::onSiteAttribute},
        {"CODE:", &SitesConfigParser::onCode},
        {"RANGE:", &SitesConfigParser::onRange},
        {"EXCEPTION:", &SitesConfigParser::onException},
        {"H:", &SitesConfigParser::onRule},
        {"R:", &SitesConfigParser::onRule},
        {"S:", &SitesConfigParser::onRule},
        {"T:", &SitesConfigParser::onRule},
        {"B:", &SitesConfigParser::onRule},
        {"U:", &SitesConfigParser::onRule},
    };
    const auto it = handlers.find(keyword);
    return it == handlers.end() ? nullptr : it->second;
}

void SitesConfigParser::onConfigDate(const QString& keyword, const QStringList& args,
                                     const std::string&)
{
    if (hasArguments(keyword, args, 1))
        m_data.configDate = args.first();
}

void SitesConfigParser::onPtagisDate(const QString& keyword, const QStringList& args,
                                     const std::string&)
{
    if (hasArguments(keyword, args, 1))
        m_data.ptagisDate = args.first();
}

void SitesConfigParser::onSite(const QString& keyword, const QStringList& args, const std::string&)
{
    if (!hasArguments(keyword, args, 1))
        return;
    const bool isRelease = keyword == QLatin1String("RELSITE:");
    auto& list = isRelease ? m_data.releaseSites : m_data.detectionSites;
    auto site = std::make_unique<SiteRecord>();
    site->index = static_cast<int>(list.size());
    site->name = args.first();
    site->line = m_lineNumber;
    site->shortName = site->name;
    site->longName = site->name;
    site->isRelease = isRelease;
    m_site = site.get();
    list.push_back(std::move(site));
}

void SitesConfigParser::onSiteAttribute(const QString& keyword, const QStringList& args,
                                        const std::string&)
{
    if (!hasSite(keyword))
        return;
    // Lists may be empty; every other attribute needs a value.
    if (keyword == QLatin1String("CODES:")) {
        m_site->codes << args;
        return;
    }
    if (keyword == QLatin1String("STAGE:")) {
        m_site->stages << args;
        return;
    }
    if (!hasArguments(keyword, args, 1))
        return;
    if (keyword == QLatin1String("NAME:")) {
        m_site->longName = args.join(QLatin1Char(' '));
    } else if (keyword == QLatin1String("SHORTNAME:")) {
        m_site->shortName = args.first();
    } else if (keyword == QLatin1String("RIVERK:")) {
        // Whole numbers joined by "." (the branches up-river), optionally two paths joined
        // by "-"; the order of the sites is read from them.
        static const QRegularExpression riverKm(
            QStringLiteral("^[0-9]+(\\.[0-9]+)*(-[0-9]+(\\.[0-9]+)*)?$"));
        if (!riverKm.match(args.first()).hasMatch()) {
            reportFatal(QStringLiteral("Invalid river km \"%1\" in RIVERK: (expected whole "
                                       "numbers joined by \".\", such as 522.303.100)")
                            .arg(args.first()));
            return;
        }
        const QStringList parts = args.first().split(QLatin1Char('-'));
        m_site->riverKm = parts.value(0);
        m_site->riverKmAlt = parts.value(1);
    } else if (keyword == QLatin1String("TYPE:")) {
        m_site->type = args.first();
    } else if (keyword == QLatin1String("HUC:")) {
        m_site->huc = args.first();
    } else if (keyword == QLatin1String("INDICATOR:")) {
        m_site->indicator = args.first();
    }
}

void SitesConfigParser::onCode(const QString& keyword, const QStringList& args, const std::string&)
{
    if (!hasArguments(keyword, args, 1))
        return;
    auto code = std::make_unique<CodeRecord>();
    code->name = args.first();
    code->matchesAll = code->name == QLatin1String("ALL");
    m_code = code.get();
    // Rules written after a new code but before its first range must not
    // end up in the previous code's last range.
    m_range = nullptr;
    m_data.codes.push_back(std::move(code));
}

void SitesConfigParser::onRange(const QString& keyword, const QStringList& args, const std::string&)
{
    // Until this range is read, following rules have nowhere to go.
    m_range = nullptr;
    if (!hasCode(keyword) || !hasArguments(keyword, args, 2))
        return;
    const std::optional<double> begin = SitesConfigDates::rangeBegin(args[0]);
    const std::optional<double> end = SitesConfigDates::rangeEnd(args[1]);
    if (!begin || !end) {
        report(QStringLiteral("Invalid date \"%1\" in %2").arg(begin ? args[1] : args[0], keyword));
        return;
    }
    auto range = std::make_unique<RangeRecord>();
    range->begin = *begin;
    range->end = *end;
    m_range = range.get();
    m_code->ranges.push_back(std::move(range));
}

void SitesConfigParser::onException(const QString& keyword, const QStringList& args,
                                    const std::string& line)
{
    if (!hasCode(keyword) || !hasArguments(keyword, args, 2))
        return;
    const std::optional<double> begin = SitesConfigDates::rangeBegin(args[0]);
    const std::optional<double> end = SitesConfigDates::rangeEnd(args[1]);
    if (!begin || !end) {
        report(QStringLiteral("Invalid date \"%1\" in %2").arg(begin ? args[1] : args[0], keyword));
        return;
    }
    const std::size_t brace = line.find('{');
    const std::optional<RouteRule> rule =
        brace == std::string::npos ? std::nullopt : readRule(line.substr(brace));
    if (!rule) {
        report(QStringLiteral("Incomplete rule in %1").arg(keyword));
        return;
    }
    auto exception = std::make_unique<ExceptionRecord>();
    exception->begin = *begin;
    exception->end = *end;
    exception->rule = *rule;
    m_code->exceptions.push_back(std::move(exception));
}

void SitesConfigParser::onRule(const QString& keyword, const QStringList&, const std::string& line)
{
    if (!m_range) {
        report(QStringLiteral("%1 before any RANGE:").arg(keyword));
        return;
    }
    std::optional<RouteRule> rule = readRule(line);
    if (!rule) {
        report(QStringLiteral("Incomplete rule in %1").arg(keyword));
        return;
    }
    m_range->rules.push_back(std::move(*rule));
}

std::optional<RouteRule> SitesConfigParser::readRule(const std::string& text)
{
    static const boost::regex separators("[{:}]");
    QStringList fields;
    for (boost::sregex_token_iterator it(text.begin(), text.end(), separators, -1), end; it != end;
         ++it) {
        const QString field = toText(it->str()).trimmed();
        if (!field.isEmpty())
            fields << field;
    }
    if (fields.size() < 4)
        return std::nullopt;
    RouteRule rule;
    rule.category = categoryOf(fields[0].at(0));
    rule.stage = stageOf(fields[1].at(0));
    rule.number = fields[2].toInt();
    rule.text = fields[3];
    rule.matchText = QString(rule.text).replace(QLatin1Char(','), QLatin1Char(' '));
    rule.coils = fields.value(4).simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (const QString& coil : qAsConst(rule.coils)) {
        int value = 0;
        if (RouteRule::readHex(coil, &value))
            rule.coilValues << value;
    }
    return rule;
}

bool SitesConfigParser::hasArguments(const QString& keyword, const QStringList& args, int count)
{
    if (args.size() >= count)
        return true;
    report(QStringLiteral("Missing argument for %1").arg(keyword));
    return false;
}

bool SitesConfigParser::hasSite(const QString& keyword)
{
    if (m_site)
        return true;
    report(QStringLiteral("%1 before any SITE: or RELSITE:").arg(keyword));
    return false;
}

bool SitesConfigParser::hasCode(const QString& keyword)
{
    if (m_code)
        return true;
    report(QStringLiteral("%1 before any CODE:").arg(keyword));
    return false;
}

void SitesConfigParser::reportFatal(const QString& message)
{
    m_errors << message + QStringLiteral(" at line ") + QString::number(m_lineNumber);
}

void SitesConfigParser::report(const QString& message)
{
    m_messages << message + QStringLiteral(" at line ") + QString::number(m_lineNumber);
}

} // namespace rivulet
