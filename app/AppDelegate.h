#pragma once
// The application's one controller: it owns the main window and its sheets,
// starts the program up, keeps the input list and the settings, and answers
// the menus, the toolbar, the table and the export. Its methods are grouped
// in source files named AppDelegate<Group>.cpp; the outlets are the widgets
// of the window's .ui files, reached by their object names.
#include "engine/ConversionOptions.h"
#include "engine/SourceFileEntry.h"

#include "ui_MainWindow.h"
#include "ui_PasswordSheet.h"
#include "ui_PresetDialog.h"
#include "ui_ProgressSheet.h"

#include <QFont>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

class FileListModel;
class MacAppStoreRating;
class ProgressHUDView;
class SegmentedControl;
class QFontDialog;
class QThread;
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
    Q_INVOKABLE void UserManualHelpAction();
    void showLicensePanel();
    // Whether a menu item is enabled: it follows the toolbar control it
    // stands for; other items are always enabled.
    bool validateMenuItem(const QAction* item) const;
    // Pushes validateMenuItem to every menu item; runs whenever a toolbar
    // control it follows changes state.
    void validateMenuItems();

    // --- Page setup and presets (AppDelegatePageSetup.cpp, AppDelegatePresets.cpp)
    // The page-size popup's first user preset; items before are built in.
    static constexpr int kFirstPresetItem = 17;
    struct SizeControl {
        NumberField* field;
        Stepper* stepper;
    };
    // Width, height, left, top, right and bottom, each field with its stepper.
    std::array<SizeControl, 6> sizeControls() const;
    void controlTextDidChange(const QObject* edited);
    void StepperControlDidChange(const QObject* stepper);
    void ChangePageSizePresetPopup();
    // Points per unit of the values shown; -1 when no unit is chosen.
    double GetSizeTypeFactor() const;
    void ChangeSizeInTypePopup();
    void ChangeAndSetPrefOptions(const QString& name);
    void AddPresetAction();
    void SavePresetAction();
    void CancelPresetButtonAction();
    void RemovePresetAction();
    void GetPreferenceValue(QVariantMap* preset) const;

    // --- Plain-text font and colour (AppDelegateFonts.cpp)
    void initFontPopUpControl();
    void ChangeSelectedFont();
    void GetTextFontFromControl();
    void GetTextAttributesFromControl();
    void ShowFontPanel();
    void changeFont(const QFont& font);
    void setFontToControls(const QFont& font);
    void setFontSizeToControl(const QFont& font);
    void setTextColorToControl(const QColor& color);

    // --- Security, image pages and the general preferences (AppDelegateSettings.cpp)
    void ChangeOpenPasswordState();
    void ChangeRestrictPasswordState();
    void ImageQualitySliderAction();
    void changeImageSizeType();
    void ChangeDownSampleCheckBox();
    void EnableDisableImageCompressionType(bool enabled);
    void WriteGeneralPrefOptions();

    // --- Control enabling and the list accessors (AppDelegateControls.cpp)
    void SetEnabledDisabledExportItems(bool converting, unsigned char status);
    void SetEnabledDisabledRemoveOrRemoveAllItems(bool disable);
    void SetEnabledDisabledMoveUpDownItems(bool disable);
    void InitialiseUIControls();
    void ResetUIControls();
    // The selected entries in row order, all entries; none instead of empty.
    std::optional<SourceFileEntries> GetSelectedItems() const;
    std::optional<SourceFileEntries> GetAllItems() const;
    QUrl GetPathAtIndexImageList(std::int64_t row) const;

    // --- Export (AppDelegateExport.cpp)
    // The Export action (the selected entries) and Export All.
    void Export(QObject* sender);
    void ExportAll();
    bool ISExportOptionValid();
    // Chooses the destination, then starts the worker.
    void Export();
    // The export worker's body.
    void ExportToPDF();
    bool GetConversionSettings(AllToPDFConversionOptions* record);
    void BeginProgressSheet();
    void EndProgressSheet();
    Q_INVOKABLE void ChangeProgressStatus(const QVariant& status);
    void cancelConversion();
    void AlertOnSuccessConversion(bool singlePDF);
    // Names the inputs an export could not turn into PDF.
    void AlertOnFailedConversion(const QStringList& sources);
    void SetEnableDisableControlWhileConversion(const QVariant& status);
    bool isExporting() const { return m_exportRunning; }

    // --- File list (AppDelegateFileList.cpp)
    int numberOfRowsInTableView() const;
    QVariant objectValueForTableColumn(const QString& identifier, int row) const;
    void tableViewSelectionDidChange();
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
    void connectExport();
    bool refuseSetting(const QString& title, const QString& message, int tab, QWidget* focus,
                       const SizeControl* discardable);
    bool exportsOnePDF() const;
    void startExportWorker();
    QStringList unexportedSources(const AllToPDFConversionOptions& record, bool converted,
                                  const QStringList& before) const;
    bool progressSheetEvent(QEvent* event);
    QList<int> selectedRows() const;
    void connectPageSetup();
    void connectPresetDialog();
    void connectFontControls();
    void connectSettingsControls();
    void setSizeControl(const SizeControl& control, double value);
    QString freePresetName() const;
    void stopPresetDialog();
    std::int64_t fontSizeFromControl() const;
    double imageQuality() const;

    std::unique_ptr<QMainWindow> m_window;
    QPointer<QFontDialog> m_fontPanel;
    std::atomic<bool> m_conversionCancelled{false};
    bool m_preferencesWritten = false;
    // The export: one at a time, its worker, the sheet's end, the bar's
    // range and value while it is busy saving.
    bool m_exportRunning = false;
    QThread* m_exportWorker = nullptr;
    bool m_progressSheetClosing = false;
    std::pair<int, int> m_barBeforeSaving{0, 0};
};
