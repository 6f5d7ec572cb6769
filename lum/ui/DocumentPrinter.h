#pragma once

class QPrinter;
class QTextDocument;

namespace lum {

// Prints a report so that its widest table fits the page: a table of many reaches or sites
// is wider than a portrait page, and QTextDocument::print would cut its right-hand columns
// off. The document is laid out on a page widened by the inverse of the scale and painted
// scaled down; a document that fits is printed at its own size.
class DocumentPrinter
{
public:
    // The factor, at most 1, by which a document laid out `pageWidth` wide must shrink so
    // that nothing of it reaches past that width.
    static double fitScale(const QTextDocument& document, double pageWidth);
    static void print(const QTextDocument& document, QPrinter* printer);
};

} // namespace lum
