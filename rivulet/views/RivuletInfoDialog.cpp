#include "rivulet/views/RivuletInfoDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace rivulet {

namespace {

QLabel* line(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

} // namespace

RivuletInfoDialog::RivuletInfoDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("RivuletInformation"));
    setWindowTitle(QStringLiteral("Rivulet Information"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(4);
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(QStringLiteral(":/images/rivulet-logo.png"))
                        .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setAlignment(Qt::AlignHCenter);
    layout->addWidget(icon);
    auto* name = line(QStringLiteral("<span style=\"font-size:14pt; font-weight:600;\">"
                                     "Rivulet</span>"),
                      this);
    name->setTextFormat(Qt::RichText);
    layout->addWidget(name);
    version_ = line(QStringLiteral("v1.0"), this);
    layout->addWidget(version_);
    layout->addWidget(line(QStringLiteral("Branching Model"), this));
    layout->addSpacing(10);
    layout->addWidget(line(QStringLiteral("created by"), this));
    layout->addWidget(line(QStringLiteral("Aldermoor Lab"), this));
    layout->addWidget(line(QStringLiteral("Fish Passage Studies Group"), this));
    layout->addWidget(line(QStringLiteral("Rivulet developers"), this));
    layout->addWidget(line(QStringLiteral("with the field biologists who tested it"), this));
    layout->addWidget(line(QStringLiteral("and the PIT-tag data managers who advised it"), this));
    layout->addSpacing(10);
    layout->addWidget(line(QStringLiteral("funded by"), this));
    layout->addWidget(line(QStringLiteral("Aldermoor Lab research funds"), this));
    layout->addWidget(line(QStringLiteral("Users' contributions"), this));
    layout->addSpacing(10);
    licence_ = line(QStringLiteral("Free software under the GNU General Public License, version 3 "
                                   "or (at your option) any later version (GPL-3.0-or-later); "
                                   "it comes with no warranty. See the file LICENSE."),
                    this);
    licence_->setWordWrap(true);
    layout->addWidget(licence_);
    layout->addSpacing(6);
    citation_ = line(QString(), this);
    citation_->setWordWrap(true);
    citation_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(citation_);
    layout->addSpacing(10);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(420);
    setVersion(QStringLiteral("1.0"));
}

void RivuletInfoDialog::setVersion(const QString& version)
{
    version_->setText(QStringLiteral("v") + version);
    citation_->setText(QStringLiteral("To cite it: Rivulet developers (%1). Rivulet: survival, "
                                      "movement and detection of PIT-tagged juvenile fish by "
                                      "maximum likelihood, version %2.")
                           .arg(QStringLiteral(RIVULET_RELEASE_YEAR), version));
}

QString RivuletInfoDialog::licenceText() const
{
    return licence_->text();
}

QString RivuletInfoDialog::citationText() const
{
    return citation_->text();
}

QString RivuletInfoDialog::versionText() const
{
    return version_->text();
}

} // namespace rivulet
