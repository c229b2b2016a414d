#pragma once
// The application's one controller: it owns the main window and its sheets,
// starts the program up, keeps the input list and the settings, and answers
// the menus, the toolbar, the table and the export. Its methods are grouped
// in source files named AppDelegate<Group>.cpp; the outlets are the widgets
// of the window's .ui files, reached by their object names.
#include "engine/SourceFileEntry.h"

#include "ui_MainWindow.h"
#include "ui_PasswordSheet.h"
#include "ui_PresetDialog.h"
#include "ui_ProgressSheet.h"

#include <QFont>
#include <QObject>
#include <QUrl>
#include <QVariantMap>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class FileListModel;
class MacAppStoreRating;
class ProgressHUDView;
class SegmentedControl;
class QToolButton;

class AppDelegate : public QObject,
                    public Ui::MainWindow,
                    public Ui::ProgressSheet,
                    public Ui::PasswordSheet,
                    public Ui::AddPresetDialog {
    Q_OBJECT
public:
    enum class StartUp {
        AwakeFromNib, // the program's start: the window is loaded and prepared
        NibOnly,      // the window as loaded, nothing prepared (tests of the set-ups)
    };

    explicit AppDelegate(StartUp startUp = StartUp::AwakeFromNib);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // --- Start-up, product modes and menus (AppDelegateStartup.cpp, AppDelegateMenus.cpp)
    void awakeFromNib();
    // Once the event loop runs: the file-kind tables, then files handed over.
    void applicationDidFinishLaunching();
    // The main window closes: the settings are written and the program ends.
    void windowWillClose();
    void initSortDescriptor();
    void SetupScriboraApplicationControls();
    void SetupJunctoraApplicationControls();
    void SetupApplicationControls();
    void ContactSupportAction();
    void UserManualHelpAction();
    void showLicensePanel();
    // Whether a menu item is enabled: it follows the toolbar control it
    // stands for; other items are always enabled.
    bool validateMenuItem(const QAction* item) const;
    // Pushes validateMenuItem to every menu item; runs whenever a toolbar
    // control it follows changes state.
    void validateMenuItems();

    // --- Settings panel and preferences (AppDelegateSettings.cpp)
    void initFontPopUpControl();
    void ChangePageSizePresetPopup();
    void ImageQualitySliderAction();
    void changeImageSizeType();
    void ChangeDownSampleCheckBox();
    void setFontToControls(const QFont& font);
    void setFontSizeToControl(const QFont& font);
    void ChangeOpenPasswordState();
    void ChangeRestrictPasswordState();
    void WriteGeneralPrefOptions();

    // --- Control enabling (AppDelegateControls.cpp)
    void InitialiseUIControls();

    // --- File list (AppDelegateFileList.cpp)
    int numberOfRowsInTableView() const;
    QVariant objectValueForTableColumn(const QString& identifier, int row) const;
    void ImageListViewDoubleClick();
    // Files handed to the program by the desktop or on its command line.
    void applicationOpenFiles(const QStringList& paths);

    // --- Store rating (AppDelegateRating.cpp)
    void InitRatingObject();

    // --- Export
    Q_INVOKABLE bool isConversionCancelled() const { return m_conversionCancelled; }
    void setIsConversionCancelled(bool cancelled) { m_conversionCancelled = cancelled; }

    // Windows and sheets.
    QMainWindow* window = nullptr;
    QDialog* exportProgressSheet = nullptr;
    QDialog* passwordDialogOutlet = nullptr;
    QDialog* AddPresetDialogOutlet = nullptr;

    // Toolbar: its buttons, segmented controls and the items holding them.
    QToolButton* addToolbarItem = nullptr;
    QToolButton* removeToolbarItem = nullptr;
    QToolButton* removeAllToolbarItem = nullptr;
    QToolButton* exportToolbarItem = nullptr;
    QToolButton* exportAllToolbarItem = nullptr;
    QToolButton* ratingToolbarItem = nullptr;
    QToolButton* helpToolbarItem = nullptr;
    SegmentedControl* moveSegmentedToolbarItem = nullptr; // 0 top, 1 up, 2 down, 3 bottom
    SegmentedControl* rotateToolbarItem = nullptr;        // 0 left, 1 right
    QAction* removeToolbarItem1 = nullptr;
    QAction* removeAllToolbarItem1 = nullptr;
    QAction* moveSegmentedToolbarItem1 = nullptr;
    QAction* exportToolbarItem1 = nullptr;
    QAction* exportAllToolbarItem1 = nullptr;
    QAction* rotateToolbarItem1 = nullptr;

    // The file list: its entries in export order, the table's model.
    SourceFileEntries imageArray;
    SourceFileEntries dragedImageArray;
    bool sortedBywidthFlag = true;
    FileListModel* tableModel = nullptr;

    // File intake.
    QWidget* mMaintainDirAccessoryView = nullptr;
    QCheckBox* mAddRecursiveCheckBoxButton = nullptr;
    ProgressHUDView* addSpinView = nullptr;

    // Export.
    std::optional<SourceFileEntries> sourceURLs;
    QUrl destinationURL;
    std::int64_t fileProcessingIndex = 0;
    std::int64_t numOfFilesForConversion = 0;

    // PDF password prompt.
    bool m_skipCurrentPasswordProtectFile = false;
    bool m_applyAllPasswordProtectFile = false;
    bool m_CancelPasswordProtectFile = false;
    QString m_applyToAllPassword;
    std::int64_t responseCode = 0;

    // Page setup: the unit the six values are in (0 none).
    std::int32_t currentSizeFormatType = 0;

    // Plain-text font and the attributes last built from the controls.
    std::optional<QFont> textFont;
    std::optional<QVariantMap> textStringAttributes;

    MacAppStoreRating* rateApplicationObject = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadMainNib();
    void buildToolbar();
    void fillNibPopups();
    void connectMenuActions();
    void setTemplateImages();
    void restorePresets();
    void restoreGeneralPreferences();

    std::unique_ptr<QMainWindow> m_window;
    std::atomic<bool> m_conversionCancelled{false};
    bool m_preferencesWritten = false;
};
