#pragma once

#include <QString>

namespace rivulet::cli {

// A report's HTML as plain text for the terminal: its paragraphs line by line and its tables
// as columns padded to their widest cell.
class ReportText
{
public:
    static QString fromHtml(const QString& html);
};

} // namespace rivulet::cli
