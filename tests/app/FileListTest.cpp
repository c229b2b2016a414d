// The file list: classification, the folder walk, insertion, editing,
// drags and drops, sorting, the password prompt, and the window with
// entries of every kind.
#include "tests/app/AppTestSupport.h"

#include "app/AppDelegate.h"
#include "app/FileKinds.h"
#include "app/FileListModel.h"
#include "app/SegmentedControl.h"
#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument.h"
#include "tests/support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolButton>

namespace {

QStringList listedNames(const AppDelegate& controller)
{
    QStringList names;
    for (const SourceFileEntry& entry : controller.imageArray)
        names << entry->value(SourceFileKey::FilePath).toUrl().fileName();
    return names;
}

QList<int> selected(const AppDelegate& controller)
{
    QList<int> rows;
    for (const QModelIndex& index : controller.imageListTable->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void select(AppDelegate& controller, const QList<int>& rows)
{
    controller.imageListTable->clearSelection();
    for (int row : rows)
        controller.imageListTable->selectionModel()->select(controller.tableModel->index(row, 0),
                                                            QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

SourceFileEntry entryNamed(const QString& name, const QVariantMap& more = {})
{
    SourceFileEntry entry = MakeSourceFileEntry(QUrl::fromLocalFile("/list/" + name), FileKindText);
    for (auto value = more.cbegin(); value != more.cend(); ++value)
        entry->insert(value.key(), value.value());
    return entry;
}

void setList(AppDelegate& controller, const SourceFileEntries& entries)
{
    controller.imageArray = entries;
    controller.tableModel->reloadData();
    controller.ResetUIControls();
}

void setLetters(AppDelegate& controller, const QString& letters)
{
    SourceFileEntries entries;
    for (QChar letter : letters)
        entries << entryNamed(QString(letter));
    setList(controller, entries);
}

QString letters(const AppDelegate& controller)
{
    return listedNames(controller).join(QString());
}

void waitForAdding(AppDelegate& controller)
{
    QTRY_VERIFY_WITH_TIMEOUT(!controller.isAdding(), 20000);
}

// A one-page PDF that opens only with password.
QByteArray protectedPdf(const QString& path, const QString& password)
{
    QByteArray plain;
    {
        QBuffer buffer(&plain);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        QPainter painter(&writer);
        painter.drawText(100, 100, "locked");
    }
    const auto document = platform::pdf::PdfDocument::fromData(plain);
    document->write(QUrl::fromLocalFile(path),
                    {{QString(platform::keys::kCGPDFContextUserPassword), password},
                     {QString(platform::keys::kCGPDFContextOwnerPassword), password + "-owner"}});
    return plain;
}

} // namespace

class FileListTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        BuildDocumentKindsByUTI();
        BuildDocumentKindsByExtension();
        BuildImageKindsByUTI();
        BuildImageKindsByExtension();
    }

    void init()
    {
        apptest::clearPreferences();
        m_folder = std::make_unique<QTemporaryDir>();
    }

    void classification_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("category");
        QTest::newRow("text") << "a.txt" << QByteArray("words") << "Plain Text document" << 2;
        QTest::newRow("upper-case extension") << "B.TXT" << QByteArray("words") << "Plain Text document" << 2;
        QTest::newRow("empty") << "empty.txt" << QByteArray() << QString() << 0;
        QTest::newRow("html") << "page.html" << QByteArray("<p>x</p>") << "HTML document" << 4;
        QTest::newRow("htm") << "page.htm" << QByteArray("<p>x</p>") << "HTML document" << 4;
        QTest::newRow("svg") << "d.svg" << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>") << "SVG Image" << 4;
        QTest::newRow("shell script") << "run.sh" << QByteArray("echo") << "Shell script" << 2;
        QTest::newRow("rtf") << "r.rtf" << QByteArray("{\\rtf1 x}") << "Rich Text document" << 2;
        QTest::newRow("docx") << "w.docx" << QByteArray("PK..") << "Microsoft Word document" << 2;
        QTest::newRow("odt") << "o.odt" << QByteArray("PK..") << "OpenDocument Text" << 2;
        QTest::newRow("unknown binary") << "x.bin" << QByteArray("\x00\x01\x02", 3) << QString() << 0;
    }

    void classification()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, kind);
        QFETCH(int, category);
        const QUrl file = testsupport::writeFile(m_folder->filePath(name), content);
        std::int32_t found = -1;
        QCOMPARE(GetKindOfNonEmptyFile(file, &found), kind);
        QCOMPARE(found, category);
    }

    void extensionTable()
    {
        std::int32_t category = 0;
        QCOMPARE(LookupDocumentKindByExtension("dotm", &category), QStringLiteral("Microsoft Word document"));
        QCOMPARE(LookupDocumentKindByExtension("h", &category), QStringLiteral("C/C++ header"));
        QCOMPARE(LookupDocumentKindByExtension("htm", &category), QStringLiteral("HTML document"));
        QCOMPARE(category, 4);
        // Several keys a type conforms to: the most specific wins.
        QCOMPARE(LookupDocumentKindByUTI("public.csh-script", &category), QStringLiteral("C-Shell script"));
        QCOMPARE(LookupDocumentKindByUTI("public.swift-source", &category), QStringLiteral("Source Code"));
    }

    // Images are found by type (from the name or the content) or extension;
    // other files are probed unless their extension says they are documents.
    void imageClassification_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("kind");
        const QByteArray png = testsupport::pngBytes(QSize(2, 2));
        QTest::newRow("jpg extension") << "photo.JPG" << QByteArray("not decoded") << "JPEG image";
        QTest::newRow("png contents under no extension") << "picture" << png << "PNG image";
        QTest::newRow("png contents, unknown extension") << "picture.xyz" << png << "PNG image";
        QTest::newRow("document extension not probed") << "picture.txt" << png << QString();
        QTest::newRow("not an image") << "data.xyz" << QByteArray("plain words") << QString();
    }

    void imageClassification()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, kind);
        const QUrl file = testsupport::writeFile(m_folder->filePath(name), content);
        std::int32_t category = -1;
        QCOMPARE(GetImageKindForURL(file, &category), kind);
        QCOMPARE(category, kind.isNull() ? -1 : 1);
    }

    // Hidden names are skipped, packages taken whole, links to folders not
    // followed, empty files left out; the check box decides the depth.
    void folderWalk_data()
    {
        QTest::addColumn<bool>("throughPanel");
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("opened by the desktop") << false << true << QStringList{"a.txt", "pkg.rtfd", "b.txt", "c.txt"};
        QTest::newRow("panel, recursive") << true << true << QStringList{"a.txt", "pkg.rtfd", "b.txt", "c.txt"};
        QTest::newRow("panel, one level") << true << false << QStringList{"a.txt", "pkg.rtfd"};
    }

    void folderWalk()
    {
        QFETCH(bool, throughPanel);
        QFETCH(bool, recursive);
        QFETCH(QStringList, names);
        const QString top = m_folder->filePath("top");
        testsupport::writeFile(top + "/a.txt", "a");
        testsupport::writeFile(top + "/.hidden.txt", "h");
        testsupport::writeFile(top + "/empty.txt", "");
        testsupport::writeFile(top + "/sub/b.txt", "b");
        testsupport::writeFile(top + "/sub/deep/c.txt", "c");
        testsupport::writeFile(top + "/sub/.secret/d.txt", "d");
        testsupport::writeFile(top + "/pkg.rtfd/TXT.rtf", "{\\rtf1 x}");
        QVERIFY(QFile::link(top, top + "/sub/loop"));
        AppDelegate controller;
        if (throughPanel) {
            controller.mAddRecursiveCheckBoxButton->setChecked(recursive);
            controller.AddUrlsIntoImageListView(QList<QUrl>{QUrl::fromLocalFile(top)});
        } else {
            controller.applicationOpenFiles({top});
        }
        waitForAdding(controller);
        QCOMPARE(listedNames(controller), names);
        QCOMPARE(selected(controller).size(), names.size());
        QVERIFY(controller.exportButton->isEnabled());
    }

    void insertedAtARow()
    {
        AppDelegate controller;
        setLetters(controller, "ABCDE");
        QList<QUrl> files;
        for (const char* name : {"x.txt", "y.txt", "z.txt"})
            files << testsupport::writeFile(m_folder->filePath(name), "text");
        controller.AddUrlsIntoImageListViewViaOpenFiles({files, 2});
        waitForAdding(controller);
        QCOMPARE(listedNames(controller), (QStringList{"A", "B", "x.txt", "y.txt", "z.txt", "C", "D", "E"}));
        QCOMPARE(selected(controller), (QList<int>{2, 3, 4}));
        // A row past the end (rows removed meanwhile) puts the files last.
        controller.AddUrlsIntoImageListViewViaOpenFiles({{files[0]}, 50});
        waitForAdding(controller);
        QCOMPARE(listedNames(controller).last(), QStringLiteral("x.txt"));
        // A request whose files are all refused changes nothing.
        select(controller, {0});
        controller.AddUrlsIntoImageListViewViaOpenFiles(
            {{testsupport::writeFile(m_folder->filePath("e.txt"), "")}, 0});
        waitForAdding(controller);
        QCOMPARE(controller.imageArray.size(), 9);
        QCOMPARE(selected(controller), QList<int>{0});
    }

    void moves()
    {
        AppDelegate controller;
        setLetters(controller, "ABCDEF");
        select(controller, {1, 2, 4});
        controller.MoveUp();
        QCOMPARE(letters(controller), QStringLiteral("BCAEDF"));
        QCOMPARE(selected(controller), (QList<int>{0, 1, 3}));

        setLetters(controller, "ABCDE");
        select(controller, {0, 3});
        QVERIFY(!controller.moveSegmentedToolbarItem->isEnabledForSegment(1));
        QVERIFY(controller.moveSegmentedToolbarItem->isEnabledForSegment(2));
        controller.MoveDown();
        QCOMPARE(letters(controller), QStringLiteral("BACED"));
        QCOMPARE(selected(controller), (QList<int>{1, 4}));

        select(controller, {2, 4});
        controller.MoveTop();
        QCOMPARE(letters(controller), QStringLiteral("CDBAE"));
        QCOMPARE(selected(controller), (QList<int>{0, 1}));
        select(controller, {0});
        controller.MoveBottom();
        QCOMPARE(letters(controller), QStringLiteral("DBAEC"));
        QCOMPARE(selected(controller), QList<int>{4});
    }

    void removing()
    {
        AppDelegate controller;
        setLetters(controller, "ABCDE");
        select(controller, {3, 4});
        controller.Remove();
        QCOMPARE(letters(controller), QStringLiteral("ABC"));
        QCOMPARE(selected(controller), QList<int>{2});
        select(controller, {0});
        controller.Remove();
        QCOMPARE(letters(controller), QStringLiteral("BC"));
        QCOMPARE(selected(controller), QList<int>{0});
        controller.RemoveAll();
        QVERIFY(controller.imageArray.isEmpty());
        QVERIFY(!controller.removeToolbarItem->isEnabled());
    }

    void rotationsAndCells()
    {
        AppDelegate controller;
        setList(controller, {entryNamed("a.pdf", {{"Angle", 270}}), entryNamed("b.pdf", {{"Angle", 270}}),
                             entryNamed("c.txt")});
        select(controller, {0});
        controller.RotateLeft();
        select(controller, {1, 2});
        controller.RotateRight();
        QCOMPARE(controller.imageArray[0]->value("Angle").toInt(), 180);
        QCOMPARE(controller.imageArray[1]->value("Angle").toInt(), 0);
        QVERIFY(!controller.imageArray[2]->contains("Angle"));
        const QList<std::pair<QVariant, QString>> angles = {
            {90, "90\u02da"}, {-270, "-270\u02da"}, {0, "0\u02da"}, {400, "0\u02da"}, {{}, "-"}};
        for (const auto& [angle, text] : angles) {
            QVariantMap more;
            if (angle.isValid())
                more.insert("Angle", angle);
            setList(controller, {entryNamed("x", more)});
            QCOMPARE(controller.objectValueForTableColumn("Angle", 0).toString(), text);
        }
        setList(controller, {entryNamed("x", {{"Width", 1024.4f}, {"Height", 768.6f}}), entryNamed("y")});
        QCOMPARE(controller.objectValueForTableColumn("Size", 0).toString(), QStringLiteral("1024 x 769"));
        QCOMPARE(controller.objectValueForTableColumn("Size", 1).toString(), QStringLiteral("-"));
        QCOMPARE(controller.objectValueForTableColumn("Index", 1).toString(), QStringLiteral("2"));
    }

    void rowDrags()
    {
        AppDelegate controller;
        setLetters(controller, "ABCDE");
        QVERIFY(controller.tableViewWriteRows({1, 3}));
        QCOMPARE(controller.tableViewValidateDrop(true, nullptr, 4, FileTableView::DropOn), Qt::IgnoreAction);
        QCOMPARE(controller.tableViewValidateDrop(true, nullptr, 4, FileTableView::DropAbove), Qt::MoveAction);
        QVERIFY(controller.tableViewAcceptDrop(true, nullptr, 4, FileTableView::DropAbove));
        QCOMPARE(letters(controller), QStringLiteral("ACBDE"));
        QCOMPARE(selected(controller), (QList<int>{2, 3}));
        // Dropped onto a row: refused, nothing moves.
        QVERIFY(controller.tableViewWriteRows({0}));
        QVERIFY(!controller.tableViewAcceptDrop(true, nullptr, 3, FileTableView::DropOn));
        QCOMPARE(letters(controller), QStringLiteral("ACBDE"));
        // The whole list is never dragged.
        QVERIFY(!controller.tableViewWriteRows({0, 1, 2, 3, 4}));
    }

    void fileDrops_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("list");
        QTest::newRow("top") << 0 << "xAB";
        QTest::newRow("middle") << 1 << "AxB";
        QTest::newRow("end") << 2 << "ABx";
    }

    void fileDrops()
    {
        QFETCH(int, row);
        QFETCH(QString, list);
        AppDelegate controller;
        setLetters(controller, "AB");
        const QUrl file = testsupport::writeFile(m_folder->filePath("x"), "dropped text");
        QMimeData data;
        data.setUrls({file, QUrl("https://example.com/remote.txt")});
        QCOMPARE(controller.tableViewValidateDrop(false, &data, row, FileTableView::DropOn), Qt::CopyAction);
        QVERIFY(controller.tableViewAcceptDrop(false, &data, row, FileTableView::DropOn));
        waitForAdding(controller);
        QCOMPARE(letters(controller), list);
    }

    void sorting()
    {
        AppDelegate controller;
        const int path = controller.tableModel->columnWithIdentifier("FilePath");
        auto at = [](const QString& path) {
            return MakeSourceFileEntry(QUrl::fromLocalFile(path), FileKindText);
        };
        setList(controller, {at("/Docs/B/a.txt"), at("/Docs/A/file10.txt"), at("/Docs/A/file2.txt")});
        controller.imageListTable->horizontalHeader()->setSortIndicator(path, Qt::AscendingOrder);
        QCOMPARE(listedNames(controller), (QStringList{"file2.txt", "file10.txt", "a.txt"}));
        controller.imageListTable->horizontalHeader()->setSortIndicator(path, Qt::DescendingOrder);
        QCOMPARE(listedNames(controller), (QStringList{"a.txt", "file10.txt", "file2.txt"}));
        // Adding a file clears the indicator; turning sorting on sorts nothing.
        controller.imageListTable->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        QCOMPARE(listedNames(controller), (QStringList{"a.txt", "file10.txt", "file2.txt"}));
    }

    // The size column's clicks: width up, width down, height up, height down.
    void sizeCycle()
    {
        AppDelegate controller(AppDelegate::StartUp::NibOnly);
        controller.initSortDescriptor();
        const int size = controller.tableModel->columnWithIdentifier("Size");
        QVERIFY(size >= 0);
        setList(controller, {entryNamed("w1h3", {{"Width", 1.0}, {"Height", 3.0}}),
                             entryNamed("w3h1", {{"Width", 3.0}, {"Height", 1.0}}),
                             entryNamed("w2h2", {{"Width", 2.0}, {"Height", 2.0}})});
        const QList<QStringList> orders = {{"w1h3", "w2h2", "w3h1"}, {"w3h1", "w2h2", "w1h3"},
                                           {"w3h1", "w2h2", "w1h3"}, {"w1h3", "w2h2", "w3h1"}};
        Qt::SortOrder order = Qt::AscendingOrder;
        for (const QStringList& expected : orders) {
            controller.imageListTable->horizontalHeader()->setSortIndicator(size, order);
            QCOMPARE(listedNames(controller), expected);
            order = order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
        }
    }

    void passwordPrompt_data()
    {
        QTest::addColumn<QStringList>("typed"); // one answer per showing; "!skip", "!cancel", "!escape"
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("right password") << QStringList{"pw"} << "pw" << false;
        QTest::newRow("wrong, then right") << QStringList{"nope", "pw"} << "pw" << false;
        QTest::newRow("skip") << QStringList{"!skip"} << QString() << false;
        QTest::newRow("escape skips") << QStringList{"!escape"} << QString() << false;
        QTest::newRow("cancel") << QStringList{"!cancel"} << QString() << true;
    }

    void passwordPrompt()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, result);
        QFETCH(bool, cancelled);
        const QString path = m_folder->filePath("locked.pdf");
        protectedPdf(path, "pw");
        AppDelegate controller;
        controller.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.window));
        auto answers = std::make_shared<QStringList>(typed);
        std::function<void()> answerNext;
        answerNext = [&controller, answers, &answerNext] {
            apptest::whenModalShown(
                [&controller, answers, &answerNext](QWidget* sheet) {
                    if (answers->isEmpty())
                        return;
                    const QString answer = answers->takeFirst();
                    static bool shot = false;
                    if (!shot) {
                        shot = true;
                        apptest::saveScreenshot(sheet, "password-sheet");
                    }
                    if (!answers->isEmpty())
                        answerNext();
                    if (answer == "!skip")
                        controller.passwordSkipButtonOutlet->click();
                    else if (answer == "!cancel")
                        controller.passwordCancelButtonOutlet->click();
                    else if (answer == "!escape")
                        QTest::keyClick(sheet, Qt::Key_Escape);
                    else {
                        controller.passwordDialogTextFieldOutlet->setText(answer);
                        controller.passwordOkayButtonOutlet->click();
                    }
                },
                "QDialog", [&controller](QWidget* shown) { return shown == controller.passwordDialogOutlet; });
        };
        answerNext();
        QString answer = "unset";
        QThread* worker = QThread::create([&] {
            const auto document = platform::pdf::PdfDocument::open(QUrl::fromLocalFile(path));
            answer = controller.UnlockPasswordProtectedFile(*document, QUrl::fromLocalFile(path));
        });
        worker->start();
        QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 20000);
        worker->wait();
        delete worker;
        QCOMPARE(answer, result);
        QCOMPARE(bool(controller.m_CancelPasswordProtectFile), cancelled);
        QVERIFY(controller.passwordAlertMsgOutlet->text().contains("locked.pdf"));
    }

    void windowWithEntries()
    {
        AppDelegate controller;
        controller.applicationDidFinishLaunching();
        controller.window->resize(860, 660);
        controller.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(controller.window));
        QStringList paths;
        const QList<std::pair<const char*, QByteArray>> files = {
            {"Notes.txt", "notes"}, {"Report.rtf", "{\\rtf1 r}"}, {"Letter.docx", "PK.."},
            {"Minutes.odt", "PK.."}, {"Index.html", "<p>i</p>"}, {"Drawing.svg", "<svg/>"},
            {"build.sh", "echo"}, {"main.cpp", "int main(){}"}};
        for (const auto& [name, content] : files)
            paths << testsupport::writeFile(m_folder->filePath(name), content).toLocalFile();
        controller.applicationOpenFiles(paths);
        waitForAdding(controller);
        QCOMPARE(controller.imageArray.size(), files.size());
        apptest::saveScreenshot(controller.window, "file-list");
    }

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

APP_TEST(FileListTest);
#include "FileListTest.moc"
