#include "rivulet/views/ManualWindow.h"

#include <QFile>

namespace rivulet {

ManualWindow::ManualWindow(const QMap<QString, QString>& places, QWidget* parent)
    : QTextBrowser(parent)
{
    // A window of its own beside the main one, not a widget inside it.
    setWindowFlag(Qt::Window);
    setObjectName(QStringLiteral("RivuletManual"));
    setWindowTitle(QStringLiteral("Rivulet Manual"));
    setOpenExternalLinks(true);
    setHtml(manualHtml(places));
    resize(760, 640);
}

QString ManualWindow::manualHtml(const QMap<QString, QString>& places)
{
    QFile file(QStringLiteral(":/manual/manual.html"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QString html = QString::fromUtf8(file.readAll());
    for (auto it = places.cbegin(); it != places.cend(); ++it)
        html.replace(QStringLiteral("{{") + it.key() + QStringLiteral("}}"),
                     it.value().toHtmlEscaped());
    return html;
}

} // namespace rivulet
