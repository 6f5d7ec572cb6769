// Printing a report whose tables are wider than the page.
#include "lum/ui/DocumentPrinter.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextDocument>

#include <gtest/gtest.h>

TEST(DocumentPrinter, AWideTableShrinksToThePageAndANarrowDocumentKeepsItsSize)
{
    QString row;
    for (int c = 0; c < 40; ++c)
        row += QStringLiteral("<td style=\"white-space:nowrap\">0.12345 (0.01234)</td>");
    QTextDocument wide;
    wide.setHtml(QStringLiteral("<table border=1><tr>%1</tr><tr>%1</tr></table>").arg(row));
    QTextDocument narrow;
    narrow.setHtml(QStringLiteral("<p>Survival 0.8 (0.02)</p>"));

    const double scale = lum::DocumentPrinter::fitScale(wide, 600.0);
    EXPECT_GT(scale, 0.05);
    EXPECT_LT(scale, 0.5);
    EXPECT_EQ(lum::DocumentPrinter::fitScale(narrow, 600.0), 1.0);

    // And prints, every page, to a real printer device.
    QTemporaryDir folder;
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.filePath(QStringLiteral("wide.pdf")));
    lum::DocumentPrinter::print(wide, &printer);
    QFile pdf(printer.outputFileName());
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.readAll().startsWith("%PDF"));
}
