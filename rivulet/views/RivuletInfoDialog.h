#pragma once

#include <QDialog>

class QLabel;

namespace rivulet {

// The about box: the program's name, its version and its credits.
class RivuletInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RivuletInfoDialog(QWidget* parent = nullptr);

    // Shows "v" followed by `version`.
    void setVersion(const QString& version);
    QString versionText() const;

private:
    QLabel* version_ = nullptr; // child
};

} // namespace rivulet
