#include "app/LicensePanelController.h"

#include "app/BundleResources.h"
#include "platform/text/rtf/RtfReader.h"

#include "ui_LicensePanel.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFile>
#include <QScreen>
#include <QTextDocument>

namespace {

LicensePanelController* sharedController = nullptr;

} // namespace

LicensePanelController::LicensePanelController()
    : m_ui(std::make_unique<Ui::LicensePanel>()), m_panel(std::make_unique<QDialog>())
{
    m_ui->setupUi(m_panel.get());
    licenseWindow = m_panel.get();
    licenseTextView = m_ui->licenseTextView;
    appNameField = m_ui->appNameField;
    QFont nameFont = appNameField->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    appNameField->setFont(nameFont);
    connect(m_ui->licenseOkButton, &QPushButton::clicked, this, &LicensePanelController::hideLicensePanel);
}

LicensePanelController::~LicensePanelController() = default;

LicensePanelController* LicensePanelController::sharedInstance()
{
    if (!sharedController) {
        sharedController = new LicensePanelController;
        sharedController->awakeFromNib();
    }
    return sharedController;
}

void LicensePanelController::releaseSharedInstance()
{
    delete sharedController;
    sharedController = nullptr;
}

void LicensePanelController::awakeFromNib()
{
    createPanelToDisplay();
    displayAppName();
    if (const QScreen* screen = QApplication::primaryScreen()) {
        QRect frame = licenseWindow->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        licenseWindow->move(frame.topLeft());
    }
}

void LicensePanelController::createPanelToDisplay()
{
    auto* agreement = new QTextDocument(licenseTextView);
    const QString path = PathForResource(QStringLiteral("License"), QStringLiteral("rtf"));
    QFile file(path);
    if (!path.isEmpty() && file.open(QIODevice::ReadOnly)
        && !platform::text::readRtfData(file.readAll(), *agreement, QString()))
        agreement->clear();
    licenseTextView->setDocument(agreement);
}

void LicensePanelController::displayAppName()
{
    appNameField->setText(QApplication::applicationName());
}

void LicensePanelController::showPanel()
{
    licenseWindow->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    connect(licenseWindow, &QDialog::finished, &loop, &QEventLoop::quit);
    licenseWindow->open();
    loop.exec();
    licenseWindow->hide();
}

void LicensePanelController::hideLicensePanel()
{
    licenseWindow->done(QDialog::Accepted);
}
