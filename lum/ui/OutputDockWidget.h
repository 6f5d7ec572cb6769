#pragma once

#include <QDockWidget>
#include <QTextCharFormat>
#include <QTextCursor>

#include <array>

class QTextEdit;

namespace lum {

// The "Output" dock: a read-only log of the program's lines, each in the look of its kind,
// always scrolled to the newest line.
class OutputDockWidget : public QDockWidget
{
    Q_OBJECT

public:
    enum OutputType
    {
        Normal = 0,
        Warning = 1,
        Error = 2,
        Heading = 3
    };

    explicit OutputDockWidget(QWidget* parent = nullptr);

    QTextEdit* editor() const { return m_editor; }
    // The character format of a kind; any unknown value reads as Normal.
    QTextCharFormat format(int type) const;
    // The lines written so far, one per paragraph.
    QStringList lines() const;

public slots:
    void out(const QString& text, lum::OutputDockWidget::OutputType type = Normal);

private:
    QTextEdit* m_editor = nullptr; // child
    QTextCursor m_cursor;
    std::array<QTextCharFormat, 4> m_formats;
    bool m_empty = true;
};

} // namespace lum
