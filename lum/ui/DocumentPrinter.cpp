#include "lum/ui/DocumentPrinter.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QPrinter>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <memory>

namespace lum {

namespace {
// The resolution text is laid out at when no device is set (Qt's default).
constexpr int ScreenDpi = 96;
} // namespace

double DocumentPrinter::fitScale(const QTextDocument& document, double pageWidth)
{
    if (pageWidth <= 0.0)
        return 1.0;
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->setPageSize(QSizeF(pageWidth, 1e7));
    // The layout gives a table of cells that must not wrap all the width they need, and lets
    // it reach past the page.
    const double needed = copy->documentLayout()->documentSize().width();
    return needed > pageWidth ? pageWidth / needed : 1.0;
}

void DocumentPrinter::print(const QTextDocument& document, QPrinter* printer)
{
    QPainter painter(printer);
    if (!painter.isActive())
        return;
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    std::unique_ptr<QTextDocument> copy(document.clone());
    // The document is laid out in the units of its layout's device (the screen's without
    // one); the printer's may be finer.
    const QPaintDevice* layoutDevice = copy->documentLayout()->paintDevice();
    const int documentDpi = layoutDevice ? layoutDevice->logicalDpiX() : ScreenDpi;
    const double dpiRatio = static_cast<double>(printer->logicalDpiX()) / std::max(1, documentDpi);
    const double width = page.width() / dpiRatio;
    const double scale = fitScale(document, width);
    const QSizeF laidOut(width / scale, page.height() / dpiRatio / scale);
    copy->setPageSize(laidOut);
    const int pages = copy->pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            printer->newPage();
        painter.save();
        painter.scale(dpiRatio * scale, dpiRatio * scale);
        const QRectF area(0.0, i * laidOut.height(), laidOut.width(), laidOut.height());
        painter.translate(0.0, -area.top());
        copy->drawContents(&painter, area);
        painter.restore();
    }
}

} // namespace lum
