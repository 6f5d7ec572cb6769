#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <memory>
#include <vector>

namespace rivulet {

// Route categories, by the first letter of a rule ("H" 0, "R" 1, "S" 2,
// "T" 3, "U" 4, "B" 5); every other letter, and a detection that no rule
// covers, is `CategoryOther`.
enum RouteCategory : int
{
    CategoryH = 0,
    CategoryR = 1,
    CategoryS = 2,
    CategoryT = 3,
    CategoryU = 4,
    CategoryB = 5,
    CategoryOther = 7
};

// One rule line: what happened to a fish detected on the listed coils.
struct RouteRule
{
    QString text;
    int category = CategoryOther;
    int stage = 2;
    int number = 0;
    QStringList coils;
    QVector<int> coilValues;
    // `text` with commas replaced by blanks, the form in which it is
    // compared with a detection's coil; kept so that lookups, done once per
    // detection, do not rebuild it.
    QString matchText;

    // True when the coil is one of `coils`, or when the coil reads as a
    // hexadecimal number that is one of `coilValues`.
    bool hasCoil(const QString& coil, bool coilIsNumber, int coilValue) const;
    // True when `matchText` equals the coil or the coil is one of the coils.
    bool matchesCoil(const QString& coil, bool coilIsNumber, int coilValue) const;

    // Reads a word as the hexadecimal number "0x" + word; false when the
    // word is empty, holds anything but hexadecimal digits or overflows.
    static bool readHex(const QString& word, int* value);
};

// A dated block of rules under one site code.
struct RangeRecord
{
    double begin = 0.0;
    double end = 0.0;
    std::vector<RouteRule> rules;

    bool covers(double time) const { return begin <= time && time <= end; }
};

// A dated single rule that takes precedence over the ranges of its code.
struct ExceptionRecord
{
    double begin = 0.0;
    double end = 0.0;
    RouteRule rule;

    bool covers(double time) const { return begin <= time && time <= end; }
};

// The ranges and exceptions of one detection-site code.
struct CodeRecord
{
    QString name;
    bool matchesAll = false;
    std::vector<std::unique_ptr<RangeRecord>> ranges;
    std::vector<std::unique_ptr<ExceptionRecord>> exceptions;
};

// A detection site or a release site.
struct SiteRecord
{
    int index = 0;
    // The line of its SITE: or RELSITE: in the file.
    int line = 0;
    QString name;
    QString shortName;
    QString longName;
    QString riverKm;
    QString riverKmAlt;
    QString type = QStringLiteral("dam");
    QString huc;
    QString indicator;
    bool isRelease = false;
    QStringList codes;
    QStringList stages;

    // True when the code, without surrounding white space, is the site's
    // identifier, its long name or one of its codes.
    bool matches(const QString& code) const;
};

// Everything one sites configuration file holds.
struct SitesConfigData
{
    std::vector<std::unique_ptr<SiteRecord>> detectionSites;
    std::vector<std::unique_ptr<SiteRecord>> releaseSites;
    std::vector<std::unique_ptr<CodeRecord>> codes;
    QString configDate = QStringLiteral("??");
    QString ptagisDate;
};

} // namespace rivulet
