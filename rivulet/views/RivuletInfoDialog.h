#pragma once

#include <QDialog>

class QLabel;

namespace rivulet {

// The about box: the program's logo, name and version, its credits, its licence and how to
// cite it.
class RivuletInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RivuletInfoDialog(QWidget* parent = nullptr);

    // Shows "v" followed by `version`, and the citation of that version.
    void setVersion(const QString& version);
    QString versionText() const;
    QString licenceText() const;
    QString citationText() const;

private:
    QLabel* m_version = nullptr;  // child
    QLabel* m_licence = nullptr;  // child
    QLabel* m_citation = nullptr; // child
};

} // namespace rivulet
