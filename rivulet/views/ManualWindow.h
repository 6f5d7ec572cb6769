#pragma once

#include <QMap>
#include <QTextBrowser>

namespace rivulet {

// Help > "Rivulet Manual": the manual bundled with the program, in a window of its own. The
// manual names this installation's folders through placeholders ("{{STUDY}}") that the
// window fills in.
class ManualWindow : public QTextBrowser
{
    Q_OBJECT

public:
    // `places`: each placeholder name (without braces) and the text it stands for.
    explicit ManualWindow(const QMap<QString, QString>& places, QWidget* parent = nullptr);

    // The manual's HTML with the placeholders filled in; empty when it is not bundled.
    static QString manualHtml(const QMap<QString, QString>& places);
};

} // namespace rivulet
