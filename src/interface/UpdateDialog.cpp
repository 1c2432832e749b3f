#include "interface/UpdateDialog.h"

#include "interface/AppInfo.h"
#include "interface/Theme.h"
#include "runtime/PrintableText.h"
#include "runtime/TextLimits.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace lumadesk {

namespace {

// A failure's text may quote the feed; a few lines of it are enough to tell what went wrong.
constexpr std::size_t maximumFailureLength = 500;

}  // namespace

UpdateDialog::UpdateDialog(const UpdateOutcome& outcome, QWidget* parent)
    : QDialog(parent), m_headline(new QLabel(this)), m_detail(new QLabel(this)) {
    setWindowTitle(QStringLiteral("Software Update"));
    setWindowIcon(AppInfo::applicationIcon());
    auto* row = new QHBoxLayout(this);
    row->setSpacing(16);
    row->setContentsMargins(20, 20, 20, 16);
    auto* icon = new QLabel(this);
    icon->setPixmap(AppInfo::applicationIcon().pixmap(56, 56));
    row->addWidget(icon, 0, Qt::AlignTop);

    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    m_headline->setFont(Theme::systemFont(13, QFont::DemiBold));
    // Texts from the feed are shown as they are, never as markup that could load a file or a page.
    m_headline->setTextFormat(Qt::PlainText);
    m_detail->setFont(Theme::font(Theme::TextStyle::callout));
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setWordWrap(true);
    m_detail->setMinimumWidth(280);
    column->addWidget(m_headline);
    column->addWidget(m_detail);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addSpacing(8);
    column->addWidget(buttons);
    row->addLayout(column);

    const QString current = AppInfo::versionText();
    switch (outcome.kind) {
        case UpdateOutcome::Kind::upToDate:
            m_headline->setText(QStringLiteral("You're up to date."));
            m_detail->setText(QStringLiteral("Lumadesk %1 is the newest version available.").arg(current));
            break;
        case UpdateOutcome::Kind::updateFound:
            m_headline->setText(QStringLiteral("Lumadesk %1 is available.")
                                    .arg(QString::fromStdString(echoedText(outcome.version))));
            m_detail->setText(
                QStringLiteral("You have version %1. Install the new version with your package manager.")
                    .arg(current));
            if (!outcome.releaseNotesLink.empty()) {
                m_releaseNotes =
                    buttons->addButton(QStringLiteral("Release Notes"), QDialogButtonBox::ActionRole);
                const QUrl link(QString::fromStdString(outcome.releaseNotesLink), QUrl::StrictMode);
                connect(m_releaseNotes, &QPushButton::clicked, this, [link] {
                    if (link.isValid() && link.scheme() == QLatin1String("https"))
                        QDesktopServices::openUrl(link);
                });
            }
            break;
        case UpdateOutcome::Kind::failed:
            m_headline->setText(QStringLiteral("Update check failed"));
            m_detail->setText(QString::fromStdString(cutToCharacters(outcome.failure, maximumFailureLength)));
            break;
    }
}

QString UpdateDialog::headline() const {
    return m_headline->text();
}

QString UpdateDialog::detail() const {
    return m_detail->text();
}

}  // namespace lumadesk
