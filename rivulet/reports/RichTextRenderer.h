#pragma once

class QTextCursor;

namespace lum {
class LumStyle;
}

namespace rivulet {

struct ModelHeader;
struct ReportDocument;

// A model report as rich text, written at a cursor with the numbered formats of a style:
// estimates read "estimate (s.e.)" with the two precisions (ReportNumbers), table headers
// are shaded, the highlighted estimate yellow. Blocks without a rich-text form are skipped.
class RichTextRenderer
{
public:
    RichTextRenderer(const lum::LumStyle& style, int estimatePrecision, int errorPrecision);

    void render(const ReportDocument& document, QTextCursor& cursor) const;
    // The report title, the releases, the model's code and description and its figures.
    void renderHeader(const ModelHeader& header, QTextCursor& cursor) const;

private:
    const lum::LumStyle& m_style;
    int m_estimatePrecision;
    int m_errorPrecision;
};

} // namespace rivulet
