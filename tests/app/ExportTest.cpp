// The export road end to end: the list, the destination dialog, the worker
// and its progress sheet, the written PDFs, the completion and failure
// alerts, cancelling; and the settings validation before it.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/FileListModel.h"
#include "app/Stepper.h"
#include "platform/UserNotification.h"
#include "platform/ui/DesktopServices.h"
#include "app/SegmentedControl.h"
#include "tests/support/PdfInspection.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolButton>

#include <poppler-qt6.h>
#include <qpdf/QPDF.hh>

namespace {

class RecordingDesktop : public platform::ui::DesktopServices {
public:
    bool openUrl(const QUrl& url) override
    {
        opened << url;
        return true;
    }
    QList<QUrl> opened;
};

QString alertTitle(const QMessageBox* box)
{
    return QTextDocumentFragment::fromHtml(box->text()).toPlainText();
}

// Chooses path in the export's file dialog once it is shown; chosen is set
// once the export has started.
void chooseDestination(const QString& path, bool& chosen)
{
    chosen = false;
    apptest::whenModalShown(
        [path, &chosen](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            // The path is typed into the name field as a person would:
            // selectFile leaves a focused field alone. The dialog lists
            // folders in the background, so it is accepted only once it
            // names path itself, and at once, before the listing can
            // change its selection.
            QPointer<QFileDialog> guard(dialog);
            auto* retry = new QTimer(dialog);
            const auto attempt = [guard, retry, path, &chosen] {
                if (!guard)
                    return;
                if (auto* name = guard->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    name->setText(path);
                const QStringList selected = guard->selectedFiles();
                if (selected.size() == 1 && QFileInfo(selected.first()) == QFileInfo(path)) {
                    retry->stop();
                    chosen = true;
                    QMetaObject::invokeMethod(guard.data(), "accept", Qt::DirectConnection);
                }
            };
            QObject::connect(retry, &QTimer::timeout, dialog, attempt);
            retry->start(10);
            attempt();
        },
        "QFileDialog");
}

// Runs Export All to path and returns when the export has ended.
void exportAllTo(AppDelegate& controller, const QString& path, int timeoutMs = 60000)
{
    bool chosen = false;
    chooseDestination(path, chosen);
    controller.ExportAll();
    QTRY_VERIFY_WITH_TIMEOUT(chosen, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!controller.isExporting(), timeoutMs);
}

struct Alert {
    QString title;
    QStringList buttons;
};

// Answers the next alert with the button titled answer.
void answerAlert(Alert& seen, const QString& answer, const QString& screenshot = {})
{
    apptest::whenModalShown(
        [&seen, answer, screenshot](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            seen.title = alertTitle(box);
            for (QAbstractButton* button : box->buttons())
                seen.buttons << button->text();
            if (!screenshot.isEmpty())
                apptest::saveScreenshot(box, screenshot);
            for (QAbstractButton* button : box->buttons()) {
                if (button->text() == answer)
                    button->click();
            }
        },
        "QMessageBox");
}

struct Permissions {
    bool opensWithoutPassword = false;
    bool encrypted = false;
    bool print = true;
    bool copy = true;
};

Permissions permissionsOf(const QString& path, const QString& password)
{
    Permissions result;
    try {
        QPDF probe;
        probe.processFile(path.toLocal8Bit().constData(), "");
        result.opensWithoutPassword = true;
    } catch (const std::exception&) {
    }
    QPDF pdf;
    pdf.processFile(path.toLocal8Bit().constData(), password.toLocal8Bit().constData());
    result.encrypted = pdf.isEncrypted();
    result.print = pdf.allowPrintHighRes();
    result.copy = pdf.allowExtractAll();
    return result;
}

int bookmarkCount(const QString& path, const QString& password)
{
    std::unique_ptr<Poppler::Document> document =
        Poppler::Document::load(path, password.toLatin1(), password.toLatin1());
    return document ? int(document->outline().size()) : -1;
}

} // namespace

class ExportTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { platform::ui::setDesktopServicesForTesting(&m_desktop); }
    void cleanupTestCase() { platform::ui::setDesktopServicesForTesting(nullptr); }

    void init()
    {
        apptest::clearPreferences();
        m_folder = std::make_unique<QTemporaryDir>();
        m_notifications.clear();
        platform::setUserNotificationPosterForTesting([this](const QString&, const QString& title, const QString&) {
            m_notifications << title;
            return true;
        });
        m_desktop.opened.clear();
    }

    void cleanup()
    {
        apptest::forgetModalWatchers();
        platform::setUserNotificationPosterForTesting({});
    }

    void mergedExport()
    {
        AppDelegate controller;
        showWindow(controller);
        fillList(controller, {"text.txt", "rich.rtf", "page.html"});
        controller.mergeFilesToSinglePDF->setChecked(true);
        controller.mTitleEditFieldOutlet->setText("Merged Title");
        controller.mAuthorEditFieldOutlet->setText("An Author");
        controller.openPasswordCheckBox->setChecked(true);
        controller.openPasswordTextField->setText("user");

        QList<int> steps;
        connect(controller.conversionProgressIndicator, &QProgressBar::valueChanged, this,
                [&](int value) {
                    // The value comes back after the busy bar of the saving.
                    if (controller.conversionProgressIndicator->maximum() > 0 && value > 0
                        && (steps.isEmpty() || steps.last() != value))
                        steps << value;
                });
        bool sheetSeen = false;
        apptest::whenModalShown(
            [&](QWidget* sheet) {
                sheetSeen = sheet == controller.exportProgressSheet;
                apptest::saveScreenshot(sheet, "progress-sheet");
            },
            "QDialog", [&](QWidget* w) { return w == controller.exportProgressSheet; });
        const QString output = m_folder->filePath("out/merged.pdf");
        QDir().mkpath(m_folder->filePath("out"));
        Alert done;
        answerAlert(done, "OK", "completion-alert");
        exportAllTo(controller, output, 120000);

        QVERIFY(sheetSeen);
        QCOMPARE(steps, (QList<int>{1, 2, 3, 4, 5}));
        QCOMPARE(controller.conversionProgressIndicator->maximum(), 5);
        QCOMPARE(done.title, QStringLiteral("The documents were exported to PDF."));
        QVERIFY(done.buttons.contains("Open PDF"));
        QCOMPARE(m_notifications, QStringList{"Export complete"});
        QVERIFY(!controller.sourceURLs);
        QVERIFY(!controller.isConversionCancelled());

        QVERIFY(testsupport::needsPassword(output));
        const auto facts = testsupport::inspectPdf(output, "user");
        QVERIFY(facts);
        QCOMPARE(facts->title, QStringLiteral("Merged Title"));
        QCOMPARE(facts->author, QStringLiteral("An Author"));
        QVERIFY(facts->pageCount >= 3);
        // A4 in the unit's points: 210 and 297 millimetres of 2.83 points.
        QVERIFY(std::abs(facts->pageSizes[0].width() - 594.3) < 0.5);
        QVERIFY(std::abs(facts->pageSizes[0].height() - 840.51) < 0.5);
        QCOMPARE(bookmarkCount(output, "user"), 3);
        // The text starts at the left margin (27.2 mm).
        std::unique_ptr<Poppler::Document> document = Poppler::Document::load(output, "user", "user");
        const auto words = document->page(0)->textList();
        QVERIFY(!words.empty());
        QVERIFY2(words.front()->boundingBox().left() > 76.0 && words.front()->boundingBox().left() < 90.0,
                 qPrintable(QString::number(words.front()->boundingBox().left())));
        QVERIFY(facts->pageTexts.join(' ').contains("Hello text"));
    }

    // The program's road as a person takes it: documents named on the
    // command line are listed, then merged into one PDF.
    void namedDocumentsToOneMergedPDF()
    {
        AppDelegate controller;
        showWindow(controller);
        controller.applicationDidFinishLaunching();
        QStringList paths;
        const QList<std::pair<const char*, QByteArray>> files = {
            {"first.txt", "First document."},
            {"second.rtf", "{\\rtf1\\ansi Second document.}"},
            {"third.html", "<html><body><p>Third document.</p></body></html>"}};
        for (const auto& [name, content] : files)
            paths << testsupport::writeFile(m_folder->filePath(name), content).toLocalFile();
        controller.applicationOpenFiles(paths);
        QTRY_VERIFY_WITH_TIMEOUT(!controller.isAdding(), 20000);
        QCOMPARE(controller.imageArray.size(), 3);
        controller.mergeFilesToSinglePDF->setChecked(true);
        const QString output = m_folder->filePath("all.pdf");
        Alert done;
        answerAlert(done, "OK");
        exportAllTo(controller, output, 120000);
        QCOMPARE(bookmarkCount(output, {}), 3);
        const auto facts = testsupport::inspectPdf(output);
        QVERIFY(facts);
        const QString text = facts->pageTexts.join(' ');
        for (const char* words : {"First document", "Second document", "Third document"})
            QVERIFY2(text.contains(words), words);
    }

    // One PDF per input into a folder: names made unique beside an existing
    // file; the alert offers the folder and opens it.
    void separateExport()
    {
        AppDelegate controller;
        showWindow(controller);
        fillList(controller, {"a.txt", "b.txt"});
        const QString out = m_folder->filePath("out");
        QDir().mkpath(out);
        QFile existing(out + "/a.pdf");
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("old");
        existing.close();
        Alert done;
        answerAlert(done, "Open Folder");
        exportAllTo(controller, out);
        QVERIFY(done.buttons.contains("Open Folder"));
        QVERIFY(QFile::exists(out + "/a 1.pdf"));
        QVERIFY(QFile::exists(out + "/b.pdf"));
        QCOMPARE(testsupport::readFile(out + "/a.pdf"), QByteArray("old"));
        QCOMPARE(m_desktop.opened, QList<QUrl>{QUrl::fromLocalFile(out)});
    }

    void cancellingDuringTheFirstInput()
    {
        AppDelegate controller;
        showWindow(controller);
        fillList(controller, {"one.txt", "two.txt", "three.txt"});
        const QString out = m_folder->filePath("out");
        QDir().mkpath(out);
        // Pressed while the worker waits for the first input's progress
        // report: the cancel is then certain to come before that input ends.
        bool pressed = false;
        const QMetaObject::Connection watch =
            connect(controller.conversionProgressIndicator, &QProgressBar::valueChanged, this, [&] {
                if (!pressed && controller.fileProcessingIndex == 1) {
                    pressed = true;
                    controller.progressCancelOutlet->click();
                }
            });
        exportAllTo(controller, out);
        disconnect(watch);
        QVERIFY(pressed);
        QCOMPARE(QDir(out).entryList(QDir::Files).size(), 1);
        QVERIFY(m_notifications.isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!controller.isConversionCancelled());
    }

    // An input that gives nothing is named to the user, never reported as
    // a success.
    void failedInputsAreNamed()
    {
        AppDelegate controller;
        showWindow(controller);
        fillList(controller, {"good.txt"});
        const QString bad = m_folder->filePath("broken.docx");
        testsupport::writeFile(bad, "PK\x03\x04 not a zip");
        controller.imageArray << MakeSourceFileEntry(QUrl::fromLocalFile(bad), FileKindText);
        controller.tableModel->reloadData();
        const QString out = m_folder->filePath("out");
        QDir().mkpath(out);
        Alert failure;
        answerAlert(failure, "OK");
        exportAllTo(controller, out);
        QCOMPARE(failure.title, QStringLiteral("Some documents could not be exported"));
        QVERIFY(m_notifications.isEmpty());
    }

    void securityMatrix_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("restrict");
        QTest::addColumn<bool>("needsPassword");
        QTest::addColumn<bool>("encrypted");
        QTest::addColumn<bool>("print");
        QTest::addColumn<bool>("copy");
        QTest::newRow("open only") << true << false << true << true << true << true;
        QTest::newRow("restrict only") << false << true << false << true << false << false;
        QTest::newRow("both") << true << true << true << true << false << false;
        QTest::newRow("neither") << false << false << false << false << true << true;
    }

    void securityMatrix()
    {
        QFETCH(bool, open);
        QFETCH(bool, restrict);
        QFETCH(bool, needsPassword);
        QFETCH(bool, encrypted);
        QFETCH(bool, print);
        QFETCH(bool, copy);
        AppDelegate controller;
        showWindow(controller);
        fillList(controller, {"secret.txt"});
        controller.openPasswordCheckBox->setChecked(open);
        controller.openPasswordTextField->setText("userpw");
        controller.restrictPasswordCheckBox->setChecked(restrict);
        controller.restrictPasswordTextField->setText("ownerpw");
        controller.allowPrintingCheckBox->setChecked(false);
        controller.allowCopyingCheckBox->setChecked(false);
        const QString output = m_folder->filePath("secret.pdf");
        Alert done;
        answerAlert(done, "OK");
        exportAllTo(controller, output);
        const Permissions found = permissionsOf(output, open ? "userpw" : "");
        QCOMPARE(!found.opensWithoutPassword, needsPassword);
        QCOMPARE(found.encrypted, encrypted);
        QCOMPARE(found.print, print);
        QCOMPARE(found.copy, copy);
        if (open && !restrict) {
            // The open password is the owner's too: it lifts every limit.
            QVERIFY(permissionsOf(output, "userpw").print);
        }
    }

    void validation_data()
    {
        QTest::addColumn<QStringList>("fields"); // width height left top right bottom
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("field");          // the field focused and discarded, -1 none
        QTest::newRow("width") << QStringList{"0", "297", "10", "10", "10", "10"} << false
                               << "The provided width value \"0\" is not proper." << 0;
        QTest::newRow("height") << QStringList{"210", "-1", "10", "10", "10", "10"} << false
                                << "The provided height value \"-1\" is not proper." << 1;
        QTest::newRow("left") << QStringList{"210", "297", "211", "10", "10", "10"} << false
                              << "The provided left margin value \"211\" is not proper." << 2;
        QTest::newRow("top") << QStringList{"210", "297", "10", "-2", "10", "10"} << false
                             << "The provided top margin value \"-2\" is not proper." << 3;
        QTest::newRow("right") << QStringList{"210", "297", "10", "10", "300", "10"} << false
                               << "The provided right margin value \"300\" is not proper." << 4;
        QTest::newRow("bottom") << QStringList{"210", "297", "10", "10", "10", "298"} << false
                                << "The provided bottom margin value \"298\" is not proper." << 5;
        QTest::newRow("left and right")
            << QStringList{"210", "297", "110", "10", "101", "10"} << false
            << "The provided total of left(\"110\") and right(\"101\") margin values are exceeding provided page width."
            << 2;
        QTest::newRow("top and bottom")
            << QStringList{"210", "297", "10", "150", "10", "148"} << false
            << "The provided total of top(\"150\") and bottom(\"148\") margin values are exceeding provided page height."
            << 3;
        // Turned, the page is 297 wide and 210 high: these margins leave no text.
        QTest::newRow("landscape")
            << QStringList{"210", "297", "10", "110", "10", "101"} << true
            << "The provided total of top(\"110\") and bottom(\"101\") margin values are exceeding provided page height."
            << 3;
    }

    void validation()
    {
        QFETCH(QStringList, fields);
        QFETCH(bool, landscape);
        QFETCH(QString, title);
        QFETCH(int, field);
        AppDelegate controller;
        showWindow(controller);
        fillList(controller, {"x.txt"});
        const auto controls = controller.sizeControls();
        for (int index = 0; index < 6; ++index) {
            controls[index].field->setText(fields[index]);
            controls[index].stepper->setValue(controls[index].field->doubleValue());
        }
        controller.orientationRadioButtonOutlet->button(landscape ? 1 : 0)->setChecked(true);
        controller.exportOptionTabViewOutlet->setCurrentIndex(2);
        Alert alert;
        const bool discardable = field <= 5 && !title.contains("total");
        answerAlert(alert, discardable ? "Discard Value" : "OK");
        QVERIFY(!controller.ISExportOptionValid());
        QCOMPARE(alert.title, title);
        QCOMPARE(controller.exportOptionTabViewOutlet->currentIndex(), 0);
        QTRY_VERIFY(controls[field].field->hasFocus());
        if (discardable) {
            QCOMPARE(controls[field].field->text(), QString());
            QCOMPARE(controls[field].stepper->value(), 0.0);
        }
    }

    // The security rows come before the font size; a left margin equal to
    // the width with no right margin passes.
    void validationOrder()
    {
        AppDelegate controller;
        showWindow(controller);
        controller.openPasswordCheckBox->setChecked(true);
        controller.fontSizeComboBoxOutlet->setEditText("0");
        Alert alert;
        answerAlert(alert, "OK");
        QVERIFY(!controller.ISExportOptionValid());
        QCOMPARE(alert.title, QStringLiteral("Invalid Security Option"));
        QCOMPARE(controller.exportOptionTabViewOutlet->currentIndex(), 3);
        QTRY_VERIFY(controller.openPasswordTextField->hasFocus());

        controller.openPasswordCheckBox->setChecked(false);
        Alert font;
        answerAlert(font, "OK");
        QVERIFY(!controller.ISExportOptionValid());
        QCOMPARE(font.title, QStringLiteral("Invalid Plain Text Option"));
        QCOMPARE(controller.exportOptionTabViewOutlet->currentIndex(), 1);

        controller.fontSizeComboBoxOutlet->setEditText("12");
        controller.leftEditFieldOutlet->setText("210");
        controller.rightEditFieldOutlet->setText("0");
        QVERIFY(controller.ISExportOptionValid());
    }

    void progressStatuses()
    {
        AppDelegate controller;
        controller.numOfFilesForConversion = 2;
        QProgressBar* bar = controller.conversionProgressIndicator;
        bar->setRange(0, 4);
        bar->setValue(0);
        for (int status : {1, 3, 6}) {
            controller.ChangeProgressStatus(status);
        }
        QCOMPARE(bar->maximum(), 0);
        QCOMPARE(controller.conversionFileNumberStaticText->text(), QStringLiteral("Saving the PDF\u2026"));
        controller.ChangeProgressStatus(7);
        QCOMPARE(bar->maximum(), 4);
        QCOMPARE(bar->value(), 2);
        controller.ChangeProgressStatus(8);
        QCOMPARE(bar->value(), 2);
        controller.ChangeProgressStatus(3);
        QCOMPARE(controller.conversionFileNumberStaticText->text(), QStringLiteral("Exporting documents: 2 of 2"));
        controller.ChangeProgressStatus(5);
        QCOMPARE(bar->value(), bar->maximum());
    }

    void controlEnabling()
    {
        AppDelegate controller;
        QVERIFY(!controller.exportButton->isEnabled());
        QVERIFY(!controller.removeToolbarItem->isEnabled());
        QVERIFY(!controller.moveSegmentedToolbarItem1->isEnabled());
        QVERIFY(!controller.GetSelectedItems());
        QVERIFY(!controller.GetAllItems());
        fillList(controller, {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"});
        QVERIFY(controller.exportButton->isEnabled());
        QVERIFY(controller.exportMenuItem->isEnabled());
        QVERIFY(controller.removeToolbarItem->isEnabled());
        auto select = [&](const QList<int>& rows) {
            controller.imageListTable->clearSelection();
            for (int row : rows)
                controller.imageListTable->selectionModel()->select(
                    controller.tableModel->index(row, 0),
                    QItemSelectionModel::Select | QItemSelectionModel::Rows);
        };
        select({0, 3});
        for (int segment : {0, 1})
            QVERIFY(!controller.moveSegmentedToolbarItem->isEnabledForSegment(segment));
        for (int segment : {2, 3})
            QVERIFY(controller.moveSegmentedToolbarItem->isEnabledForSegment(segment));
        QVERIFY(!controller.moveUpMenuItem->isEnabled());
        QVERIFY(controller.moveDownMenuItem->isEnabled());
        QCOMPARE(controller.GetSelectedItems()->size(), 2);
        QCOMPARE(controller.GetAllItems()->size(), 5);
        QCOMPARE(controller.GetPathAtIndexImageList(1).fileName(), QStringLiteral("b.txt"));
    }

private:
    void showWindow(AppDelegate& controller)
    {
        controller.window->resize(860, 660);
        controller.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.window));
    }

    void fillList(AppDelegate& controller, const QStringList& names)
    {
        for (const QString& name : names) {
            const QString path = m_folder->filePath(name);
            QByteArray content;
            int kind = FileKindText;
            if (name.endsWith(".rtf"))
                content = "{\\rtf1\\ansi Hello rich text.}";
            else if (name.endsWith(".html")) {
                content = "<html><body><p>Hello web page.</p></body></html>";
                kind = FileKindWeb;
            } else
                content = "Hello text of " + name.toUtf8() + ".\n";
            testsupport::writeFile(path, content);
            SourceFileEntry entry = MakeSourceFileEntry(QUrl::fromLocalFile(path), kind);
            entry->insert(SourceFileKey::Kind, kind == FileKindWeb ? "HTML document" : "Text document");
            controller.imageArray << entry;
        }
        controller.tableModel->reloadData();
        controller.ResetUIControls();
    }

    RecordingDesktop m_desktop;
    std::unique_ptr<QTemporaryDir> m_folder;
    QStringList m_notifications;
};

APP_TEST(ExportTest);
#include "ExportTest.moc"
