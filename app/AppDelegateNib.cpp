// The main window as loaded: its .ui files, the toolbar, the items of its
// popups, its template images and the menu items' actions.
#include "app/AppDelegate.h"

#include "app/FileListModel.h"
#include "app/KLVValidatedViewToolbar.h"
#include "app/ProgressHUDView.h"
#include "app/VerticallyCenteredTextFieldCell.h"
#include "app/LocalizedStrings.h"
#include "app/SegmentedControl.h"
#include "app/Stepper.h"
#include "platform/ui/TemplateIcon.h"

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QToolButton>

namespace {

struct PageSizeItem {
    const char* title;
};

// Items 2 to 15 of the page-size popup; their sizes live with the page
// setup. Items 1 and 16 are separators.
constexpr PageSizeItem kBuiltInPageSizes[] = {
    {"A3 (297 \u00d7 420 mm)"},        {"A4 (210 \u00d7 297 mm)"},
    {"A5 (148 \u00d7 210 mm)"},        {"B5 (176 \u00d7 250 mm)"},
    {"Envelope #10 (105 \u00d7 241 mm)"}, {"Envelope Chou 3 (120 \u00d7 235 mm)"},
    {"Envelope DL (110 \u00d7 220 mm)"}, {"JIS B5 (182 \u00d7 257 mm)"},
    {"16K (197 \u00d7 273 mm)"},       {"13 \u00d7 19 in"},
    {"Tabloid (11 \u00d7 17 in)"},     {"12 \u00d7 18 in"},
    {"US Legal (8.5 \u00d7 14 in)"},   {"US Letter (8.5 \u00d7 11 in)"},
};

const int kResolutions[] = {72, 96, 150, 200, 300, 600};
const int kFontSizes[] = {8, 9, 10, 11, 12, 13, 14, 16, 18, 20, 24, 28, 36, 48, 64, 72};
// The steppers' range: larger values are no page sizes.
constexpr double kLargestFieldValue = 32000;

QToolButton* toolbarButton(QToolBar* toolbar, const char* name, const QString& text,
                           const QString& toolTip)
{
    auto* button = new QToolButton(toolbar);
    button->setObjectName(QLatin1String(name));
    button->setText(text);
    button->setToolTip(toolTip);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setIconSize(toolbar->iconSize());
    button->setAutoRaise(true);
    return button;
}

// Radio buttons carry their tag; the group answers by it.
void tagButtons(QButtonGroup* group)
{
    for (QAbstractButton* button : group->buttons())
        group->setId(button, button->property("tag").toInt());
}

void addTaggedItems(QComboBox* popup, const QList<std::pair<QString, int>>& items)
{
    for (const auto& [title, tag] : items)
        popup->addItem(title, tag);
}

} // namespace

void AppDelegate::loadMainNib()
{
    m_window = std::make_unique<QMainWindow>();
    window = m_window.get();
    Ui::MainWindow::setupUi(window);
    exportProgressSheet = new QDialog(window);
    Ui::ProgressSheet::setupUi(exportProgressSheet);
    passwordDialogOutlet = new QDialog(window);
    Ui::PasswordSheet::setupUi(passwordDialogOutlet);
    AddPresetDialogOutlet = new QDialog(window);
    Ui::AddPresetDialog::setupUi(AddPresetDialogOutlet);
    buildToolbar();
    fillNibPopups();
    tagButtons(orientationRadioButtonOutlet);
    tagButtons(pageSizeOptionRadioOutlet);
    tableModel = new FileListModel(*this, window);
    tableModel->setColumns({
        {QStringLiteral("Index"), tr("#"), {}},
        {QStringLiteral("FilePath"), tr("Document"), {}},
        {QStringLiteral("Kind"), tr("Kind"), {}},
        {QStringLiteral("Angle"), tr("Angle"), {}},
        {QStringLiteral("Size"), tr("Size"), {}},
    });
    imageListTable->setModel(tableModel);
    const QList<int> widths = {40, 400, 180, 64, 110};
    for (int column = 0; column < widths.size(); ++column)
        imageListTable->horizontalHeader()->resizeSection(column, widths[column]);
    imageListTable->horizontalHeader()->setStretchLastSection(true);
    imageListTable->horizontalHeader()->setSectionsClickable(true);
    imageListTable->horizontalHeader()->setSortIndicatorShown(true);
    imageListTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    imageListTable->setItemDelegate(new VerticallyCenteredTextFieldCell(imageListTable));
    connect(imageListTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AppDelegate::tableViewSelectionDidChange);
    addSpinView = new ProgressHUDView(imageListTable);
    window->installEventFilter(this);
    connectMenuActions();
    connectPageSetup();
    connectPresetDialog();
    connectFontControls();
    connectSettingsControls();
    connectExport();
    connectIntake();
    connectPasswordSheet();
    connectSorting();
    connectEditing();
}

void AppDelegate::buildToolbar()
{
    QToolBar* bar = mainToolbar;
    addToolbarItem = toolbarButton(bar, "addToolbarItem", tr("Add"), tr("Add documents or folders"));
    removeToolbarItem = toolbarButton(bar, "removeToolbarItem", tr("Remove"), tr("Remove the selected documents"));
    removeAllToolbarItem = toolbarButton(bar, "removeAllToolbarItem", tr("Remove All"), tr("Empty the list"));
    moveSegmentedToolbarItem = new SegmentedControl(4, tr("Move"), bar);
    moveSegmentedToolbarItem->setObjectName(QStringLiteral("moveSegmentedToolbarItem"));
    moveSegmentedToolbarItem->setToolTip(0, tr("Move to the top"));
    moveSegmentedToolbarItem->setToolTip(1, tr("Move up"));
    moveSegmentedToolbarItem->setToolTip(2, tr("Move down"));
    moveSegmentedToolbarItem->setToolTip(3, tr("Move to the bottom"));
    exportToolbarItem = toolbarButton(bar, "exportToolbarItem", tr("Export"), tr("Export the selected documents to PDF"));
    exportAllToolbarItem = toolbarButton(bar, "exportAllToolbarItem", tr("Export All"), tr("Export every document to PDF"));
    rotateToolbarItem = new SegmentedControl(2, tr("Rotate"), bar);
    rotateToolbarItem->setObjectName(QStringLiteral("rotateToolbarItem"));
    rotateToolbarItem->setToolTip(0, tr("Rotate left"));
    rotateToolbarItem->setToolTip(1, tr("Rotate right"));
    ratingToolbarItem = toolbarButton(bar, "ratingToolbarItem", tr("Rate"), tr("Rate this program"));
    helpToolbarItem = toolbarButton(bar, "helpToolbarItem", tr("Help"), tr("Open the user manual"));
    auto* space = new QWidget(bar);
    space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    // Items 8 and 9 (a separator and the rotation) serve only the image modes.
    bar->addWidget(addToolbarItem);
    removeToolbarItem1 = bar->addWidget(removeToolbarItem);
    removeAllToolbarItem1 = bar->addWidget(removeAllToolbarItem);
    bar->addSeparator();
    moveSegmentedToolbarItem1 = bar->addWidget(moveSegmentedToolbarItem);
    bar->addSeparator();
    exportToolbarItem1 = bar->addWidget(exportToolbarItem);
    exportAllToolbarItem1 = bar->addWidget(exportAllToolbarItem);
    bar->addSeparator();
    rotateToolbarItem1 = bar->addWidget(rotateToolbarItem);
    bar->addWidget(space);
    // Rate and Help are never disabled on purpose: they validate themselves.
    KLVValidatedViewToolbarItem::setTarget(helpToolbarItem, this, "UserManualHelpAction");
    for (QToolButton* button : {ratingToolbarItem, helpToolbarItem}) {
        auto* item = new KLVValidatedViewToolbarItem(bar);
        item->setDefaultWidget(button);
        bar->addAction(item);
    }

    for (QWidget* control : {static_cast<QWidget*>(addToolbarItem), static_cast<QWidget*>(removeToolbarItem),
                             static_cast<QWidget*>(exportButton)})
        control->installEventFilter(this);
    connect(moveSegmentedToolbarItem, &SegmentedControl::segmentEnabledChanged, this,
            &AppDelegate::validateMenuItems);
}

void AppDelegate::fillNibPopups()
{
    PageSizePopupOutlet->addItem(tr("Custom"));
    PageSizePopupOutlet->insertSeparator(1);
    for (const PageSizeItem& size : kBuiltInPageSizes)
        PageSizePopupOutlet->addItem(QString::fromUtf8(size.title));
    PageSizePopupOutlet->insertSeparator(PageSizePopupOutlet->count());
    addTaggedItems(inSizeTypePopupOutlet, {{tr("Inches"), 3}, {tr("Centimetres"), 4},
                                           {tr("Millimetres"), 5}, {tr("Points"), 6}});
    addTaggedItems(colorModelPopUpOutlet, {{tr("RGB"), 1}, {tr("CMYK"), 2}, {tr("Grey"), 3}});
    for (int resolution : kResolutions)
        downsampleImageComboBoxOutlet->addItem(QString::number(resolution));
    downsampleImageComboBoxOutlet->setEditText(QStringLiteral("150"));
    for (int size : kFontSizes)
        fontSizeComboBoxOutlet->addItem(QString::number(size));
    for (Stepper* stepper : {widthStepperOutlet, heightStepperOutlet, leftStepperOutlet,
                             topStepperOutlet, rightStepperOutlet, bottomStepperOutlet})
        stepper->setRange(0, kLargestFieldValue);
}

void AppDelegate::setTemplateImages()
{
    using platform::ui::templateIcon;
    auto image = [](const char* name) {
        return templateIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(name)));
    };
    addToolbarItem->setIcon(image("Add"));
    removeToolbarItem->setIcon(image("Remove"));
    removeAllToolbarItem->setIcon(image("RemoveAll"));
    moveSegmentedToolbarItem->setImage(0, image("First"));
    moveSegmentedToolbarItem->setImage(1, image("Previous"));
    moveSegmentedToolbarItem->setImage(2, image("Next"));
    moveSegmentedToolbarItem->setImage(3, image("Last"));
    exportToolbarItem->setIcon(image("Convert"));
    exportButton->setIcon(image("Convert"));
    exportAllToolbarItem->setIcon(image("ConvertAll"));
    exportAllButton->setIcon(image("ConvertAll"));
    rotateToolbarItem->setImage(0, image("RotateLeft"));
    rotateToolbarItem->setImage(1, image("RotateRight"));
    ratingToolbarItem->setIcon(image("Rating"));
    helpToolbarItem->setIcon(image("Help"));
}

void AppDelegate::connectMenuActions()
{
    connect(hideMenuItemOutlet, &QAction::triggered, window, &QWidget::showMinimized);
    // Quitting closes the main window, which saves the settings first.
    connect(quitMenuItemOutlet, &QAction::triggered, window, &QWidget::close);
    connect(helpMenuItemOutlet, &QAction::triggered, this, &AppDelegate::UserManualHelpAction);
    connect(helpToolbarItem, &QToolButton::clicked, this, &AppDelegate::UserManualHelpAction);
    connect(contactSupportMenuItem, &QAction::triggered, this, &AppDelegate::ContactSupportAction);
    connect(licenseMenuItem, &QAction::triggered, this, &AppDelegate::showLicensePanel);
    connect(aboutMenuItemOutlet, &QAction::triggered, this, [this] {
        QMessageBox::about(window, aboutMenuItemOutlet->text().remove(QLatin1Char('&')),
                           tr("<h3>%1 %2</h3><p>Converts text, rich-text, Word, OpenDocument and "
                              "web documents to PDF.</p>")
                               .arg(QApplication::applicationName().toHtmlEscaped(),
                                    QApplication::applicationVersion().toHtmlEscaped()));
    });
}
