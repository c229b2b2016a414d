#pragma once
// The application's one controller: it owns the main window and its sheets,
// starts the program up, keeps the input list and the settings, and answers
// the menus, the toolbar, the table and the export. Its methods are grouped
// in source files named AppDelegate<Group>.cpp; the outlets are the widgets
// of the window's .ui files, reached by their object names.
#include "engine/ConversionOptions.h"
#include "engine/SourceFileEntry.h"

#include "app/FileTableView.h"

#include "ui_MainWindow.h"
#include "ui_PasswordSheet.h"
#include "ui_PresetDialog.h"
#include "ui_ProgressSheet.h"

#include <QFont>
#include <QMutex>
#include <QObject>
#include <QRecursiveMutex>
#include <QWaitCondition>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>

#include <array>
#include <atomic>
#include <functional>
#include <cstdint>
#include <memory>
#include <optional>

class FileListModel;
class MacAppStoreRating;
class ProgressHUDView;
class SegmentedControl;
class QFontDialog;
class QMimeData;
class QThread;
class QToolButton;

namespace platform::pdf {
class PdfDocument;
}

// A request to add files: where they go in the list, and the files.
struct AddFilesRequest {
    QList<QUrl> urls;      // "FileURLs", in the order given
    std::int64_t index = 0; // "Index": the row of the first added entry
};

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

    // --- File list table (AppDelegateFileList.cpp, AppDelegateSorting.cpp)
    int numberOfRowsInTableView() const;
    QVariant objectValueForTableColumn(const QString& identifier, int row) const;
    void tableViewSelectionDidChange();
    void tableViewSortDescriptorsDidChange(int column, Qt::SortOrder order);

    // --- File intake (AppDelegateIntake.cpp)
    void AddFilesOrFolder();
    // Files handed to the program by the desktop or on its command line.
    void applicationOpenFiles(const QStringList& paths);
    // Worker entries: the Add panel's choice, and files handed over or dropped.
    void AddUrlsIntoImageListView(const QList<QUrl>& urls);
    void AddUrlsIntoImageListViewViaOpenFiles(const AddFilesRequest& request);
    // The add run, on a worker.
    void AddUrlsIntoImageListView(const QList<QUrl>& urls, bool recursive, std::int64_t fromIndex);
    void AddUrlsObjIntoArray(const QList<QUrl>& urls, bool recursive, std::int64_t* index);
    void InsertObjectIntoArray(const QUrl& url, std::int64_t* index);
    void SelectRowStartingAtRow(std::int64_t start, std::int64_t count);
    void StartAddSpinning();
    void StopAddSpinning();
    bool isAdding() const { return !m_addWorkers.isEmpty(); }

    // --- PDF password prompt (AppDelegatePassword.cpp)
    // The password that opens the document for printing; null for none
    // (skipped or cancelled). Asked from the add worker.
    QString UnlockPasswordProtectedFile(platform::pdf::PdfDocument& document, const QUrl& url);
    void beginPasswordSheet();
    void passwordSheetDidEnd();
    void PasswordButtonAction(QObject* sender);
    void EndPasswordSheet();
    bool resetPDFFileDataForURL(const QUrl& url);
    void reloadTableListOnMainThread(const QList<int>& rows);

    // --- Editing, moving, turning, drag and drop (AppDelegateEditing.cpp)
    void Remove();
    void RemoveAll();
    void SelectAll();
    void Move();
    void MoveTop();
    void MoveUp();
    void MoveDown();
    void MoveBottom();
    void Rotate();
    void RotateLeft();
    void RotateRight();
    void ImageListViewDoubleClick();
    bool tableViewWriteRows(const QList<int>& rows);
    Qt::DropAction tableViewValidateDrop(bool internal, const QMimeData* data, int row,
                                         FileTableView::DropOperation operation);
    bool tableViewAcceptDrop(bool internal, const QMimeData* data, int row, FileTableView::DropOperation operation);

    // --- Store rating (AppDelegateRating.cpp)
    void InitRatingObject();
    // Has the rating object open the ratings page, later on the main thread.
    Q_INVOKABLE void RateApplicationAction();

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

    // PDF password prompt: the answers, written on the main thread and read
    // by the add worker after the sheet's end (under m_passwordLock).
    std::atomic<bool> m_skipCurrentPasswordProtectFile{false};
    std::atomic<bool> m_applyAllPasswordProtectFile{false};
    std::atomic<bool> m_CancelPasswordProtectFile{false};
    QString m_applyToAllPassword;
    std::int64_t responseCode = 0;

    // Page setup: the unit the six values are in (0 none).
    std::int32_t currentSizeFormatType = 0;

    // Plain-text font and the attributes last built from the controls.
    std::optional<QFont> textFont;
    std::optional<QVariantMap> textStringAttributes;

    // Owned as a child; set before awakeFromNib to use another store.
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
    void connectIntake();
    void connectPasswordSheet();
    void connectSorting();
    void connectEditing();
    void startAddWorker(const std::function<void()>& run);
    void walkFolder(const QString& folder, bool recursive, std::int64_t* row, int depth);
    bool describePDF(const QUrl& url, QVariantMap& entry);
    void clearPasswordAnswers();
    void cancelPasswordPrompt();
    void selectRows(const QList<int>& rows, int scrollTo);
    void moveToEnd(bool top);
    void moveByOne(bool up);
    void turn(bool left);
    bool moveDraggedEntries(int row);
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
    // Adding: one run at a time, the workers, the stop asked at the end.
    QRecursiveMutex m_addRunLock;
    QList<QThread*> m_addWorkers;
    std::atomic<bool> m_stopAdding{false};
    QMutex m_passwordLock;
    QWaitCondition m_passwordAnswered;
    QString m_typedPassword;
    bool m_passwordButtonPressed = false;
    // The column sorted last, given back when a header that does not sort is clicked.
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};
