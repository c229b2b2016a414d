#pragma once
// The licence agreement panel: the agreement shipped with the program, shown
// application-modal under the program's name. One panel for the whole run,
// made and filled on first use.
#include <QObject>

#include <memory>

class QDialog;
class QLabel;
class QTextBrowser;

namespace Ui {
class LicensePanel;
}

class LicensePanelController : public QObject {
    Q_OBJECT
public:
    // The one instance, made (and its panel loaded) on the first call.
    static LicensePanelController* sharedInstance();
    // Destroys the instance; call before the application object goes away.
    static void releaseSharedInstance();

    // Fills the panel once, when it is loaded.
    void awakeFromNib();
    void createPanelToDisplay();
    void displayAppName();
    // Shows the panel application-modal; returns when it is closed, whichever
    // way (its button, Escape, the window's close button, quitting).
    void showPanel();
    // The panel's button.
    void hideLicensePanel();

    QDialog* licenseWindow = nullptr;
    QTextBrowser* licenseTextView = nullptr;
    QLabel* appNameField = nullptr;

    ~LicensePanelController() override;

private:
    LicensePanelController();

    std::unique_ptr<Ui::LicensePanel> m_ui;
    std::unique_ptr<QDialog> m_panel;
};
