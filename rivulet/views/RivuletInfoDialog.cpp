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
    m_version = line(QStringLiteral("v1.0"), this);
    layout->addWidget(m_version);
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
    // Lines broken by hand: a word-wrapped label in this layout gets too little height.
    m_licence = line(QStringLiteral("Free software under the GNU General Public License,<br>"
                                    "version 3 or (at your option) any later version<br>"
                                    "(GPL-3.0-or-later), with no warranty; see LICENSE."),
                     this);
    m_licence->setTextFormat(Qt::RichText);
    layout->addWidget(m_licence);
    layout->addSpacing(6);
    m_citation = line(QString(), this);
    m_citation->setTextFormat(Qt::RichText);
    m_citation->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_citation);
    layout->addSpacing(10);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(320);
    layout->setSizeConstraint(QLayout::SetMinimumSize);
    setVersion(QStringLiteral("1.0"));
}

void RivuletInfoDialog::setVersion(const QString& version)
{
    m_version->setText(QStringLiteral("v") + version);
    m_citation->setText(QStringLiteral("To cite it: Rivulet developers (%1). Rivulet:<br>"
                                       "survival, movement and detection of PIT-tagged<br>"
                                       "juvenile fish by maximum likelihood, version %2.")
                            .arg(QStringLiteral(RIVULET_RELEASE_YEAR), version));
}

QString RivuletInfoDialog::licenceText() const
{
    return m_licence->text();
}

QString RivuletInfoDialog::citationText() const
{
    return m_citation->text();
}

QString RivuletInfoDialog::versionText() const
{
    return m_version->text();
}

} // namespace rivulet
