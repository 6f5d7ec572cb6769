#pragma once

#include "rivulet/sitesconfig/SitesConfigRecords.h"

#include <QStringList>

#include <optional>
#include <string>

class QIODevice;

namespace rivulet {

// Reads the lines of a sites configuration file into its records.
//
// A line is a keyword followed by arguments; "#" starts a comment. There is
// no block structure: site attributes apply to the latest "SITE:" or
// "RELSITE:", "RANGE:" and "EXCEPTION:" to the latest "CODE:", rule lines
// to the latest "RANGE:" of that code. Unknown keywords are ignored. A line
// that cannot be used (missing arguments, nothing to apply to, an unreadable
// date or rule) is skipped and described in `messages`, so that one bad line
// never costs the rest of the file.
class SitesConfigParser
{
public:
    explicit SitesConfigParser(SitesConfigData& data) : m_data(data) {}

    void parse(QIODevice& device);
    // One line, without or with its newline; `lineNumber` counts from 1.
    void parseLine(const std::string& line, int lineNumber);

    // Problems found, each as message + " at line " + line number.
    const QStringList& messages() const { return m_messages; }
    // Lines that make the whole file unusable (a river km that is not one, a file that is not
    // text), in the same form: a guess at the sites would place detections wrongly.
    const QStringList& errors() const { return m_errors; }

    // A rule "letter : stage : number : text { coils }"; no value when it
    // has fewer than the four fields up to the text.
    static std::optional<RouteRule> readRule(const std::string& text);

private:
    using Handler = void (SitesConfigParser::*)(const QString& keyword, const QStringList& args,
                                                const std::string& line);
    static Handler handlerOf(const std::string& keyword);
    void parseContent(const std::string& content);

    void onConfigDate(const QString& keyword, const QStringList& args, const std::string& line);
    void onPtagisDate(const QString& keyword, const QStringList& args, const std::string& line);
    void onSite(const QString& keyword, const QStringList& args, const std::string& line);
    void onSiteAttribute(const QString& keyword, const QStringList& args, const std::string& line);
    void onCode(const QString& keyword, const QStringList& args, const std::string& line);
    void onRange(const QString& keyword, const QStringList& args, const std::string& line);
    void onException(const QString& keyword, const QStringList& args, const std::string& line);
    void onRule(const QString& keyword, const QStringList& args, const std::string& line);

    bool hasArguments(const QString& keyword, const QStringList& args, int count);
    bool hasSite(const QString& keyword);
    bool hasCode(const QString& keyword);
    void report(const QString& message);
    void reportFatal(const QString& message);

    SitesConfigData& m_data;
    SiteRecord* m_site = nullptr;
    CodeRecord* m_code = nullptr;
    RangeRecord* m_range = nullptr;
    int m_lineNumber = 0;
    QStringList m_messages;
    QStringList m_errors;
};

} // namespace rivulet
