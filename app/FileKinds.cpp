#include "app/FileKinds.h"

#include "engine/ImageFile.h"
#include "engine/SourceFileEntry.h"
#include "platform/uti/TypeIdentifier.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <algorithm>
#include <memory>

namespace {

struct DocumentKind {
    QString kind;
    std::int32_t category;
};

using DocumentTable = QHash<QString, DocumentKind>;
using ImageTable = QHash<QString, QString>;

// Written once on the main thread before any file is looked at, read by
// the intake's workers afterwards.
std::shared_ptr<const DocumentTable> documentKindsByUTI;
std::shared_ptr<const DocumentTable> documentKindsByExtension;
std::shared_ptr<const ImageTable> imageKindsByUTI;
std::shared_ptr<const ImageTable> imageKindsByExtension;

QMutex tablesLock;

template <typename Table>
std::shared_ptr<const Table> tableOf(const std::shared_ptr<const Table>& table)
{
    QMutexLocker locker(&tablesLock);
    return table;
}

template <typename Table>
void setTable(std::shared_ptr<const Table>& table, std::shared_ptr<const Table> built)
{
    QMutexLocker locker(&tablesLock);
    table = std::move(built);
}

struct DocumentRow {
    const char* kind;
    std::int32_t category;
    std::initializer_list<const char*> keys;
};

DocumentTable buildDocumentTable(std::initializer_list<DocumentRow> rows)
{
    DocumentTable table;
    for (const DocumentRow& row : rows) {
        for (const char* key : row.keys)
            table.insert(QString::fromLatin1(key), {QString::fromLatin1(row.kind), row.category});
    }
    return table;
}

struct ImageRow {
    const char* kind;
    std::initializer_list<const char*> keys;
};

ImageTable buildImageTable(std::initializer_list<ImageRow> rows)
{
    ImageTable table;
    for (const ImageRow& row : rows) {
        for (const char* key : row.keys)
            table.insert(QString::fromLatin1(key), QString::fromLatin1(row.kind));
    }
    return table;
}

// The key of table that type is or conforms to. Of several, the most
// specific wins (one that conforms to the others), then the first by name,
// so that the answer never depends on the table's order.
template <typename Table>
QString matchingKey(const Table& table, const QString& type)
{
    if (table.contains(type))
        return type;
    QStringList candidates;
    for (auto entry = table.cbegin(); entry != table.cend(); ++entry) {
        if (platform::uti::conformsTo(type, entry.key()))
            candidates << entry.key();
    }
    std::sort(candidates.begin(), candidates.end());
    QString best;
    for (const QString& candidate : candidates) {
        if (best.isEmpty() || platform::uti::conformsTo(candidate, best))
            best = candidate;
    }
    return best;
}

QString typeOfFile(const QUrl& file)
{
    return file.isLocalFile() ? platform::uti::typeOfFile(file.toLocalFile()) : QString();
}

QString lowerExtension(const QUrl& file)
{
    return QFileInfo(file.path()).suffix().toLower();
}

constexpr std::int32_t kImage = FileKindImage;
constexpr std::int32_t kText = FileKindText;
constexpr std::int32_t kWeb = FileKindWeb;

} // namespace

void BuildDocumentKindsByUTI()
{
    auto table = std::make_shared<const DocumentTable>(buildDocumentTable({
        {"Text document", kText, {"public.text"}},
        {"Plain Text document", kText, {"public.plain-text", "public.utf8-plain-text",
                                        "public.utf16-external-plain-text", "public.utf16-plain-text"}},
        {"Rich Text document with Attachments", kText, {"com.apple.rtfd"}},
        {"Rich Text document", kText, {"com.apple.flat-rtfd", "public.rtf"}},
        {"Source Code", kText, {"public.source-code"}},
        {"C++ Source", kText, {"public.c-plus-plus-source"}},
        {"C++ Header", kText, {"public.c-plus-plus-header"}},
        {"Objective-C Source", kText, {"public.objective-c-source"}},
        {"Objective-C++ Source", kText, {"public.objective-c-plus-plus-source"}},
        {"C Source", kText, {"public.c-source"}},
        {"C Header", kText, {"public.c-header"}},
        {"Java Source", kText, {"com.sun.java-source"}},
        {"Shell script", kText, {"public.shell-script"}},
        {"Script Code", kText, {"public.script"}},
        {"C-Shell script", kText, {"public.csh-script"}},
        {"Perl script", kText, {"public.perl-script"}},
        {"Python script", kText, {"public.python-script"}},
        {"Ruby script", kText, {"public.ruby-script"}},
        {"PHP script", kText, {"public.php-script"}},
        {"AppleScript Text", kText, {"com.apple.applescript.text"}},
        {"HTML document", kWeb, {"public.html"}},
        {"XHTML Text document", kWeb, {"public.xhtml"}},
        {"Web archive", kWeb, {"com.apple.webarchive"}},
        {"SVG Image", kWeb, {"public.svg-image"}},
        {"OpenDocument HTML template", kWeb, {"org.oasis-open.opendocument.text-web"}},
        {"XML document", kText, {"public.xml"}},
        {"Microsoft Word 97 - 2004 document", kText, {"com.microsoft.word.doc"}},
        {"Microsoft Word 97 - 2004 document template", kText, {"com.microsoft.word.dot"}},
        {"Microsoft Word document", kText,
         {"com.microsoft.word.wordml", "com.microsoft.word.openxml.document",
          "com.microsoft.word.openxml.document.macro-enabled", "org.openxmlformats.openxml",
          "org.openxmlformats.wordprocessingml.document",
          "org.openxmlformats.wordprocessingml.document.macroenabled"}},
        {"Microsoft Word document template", kText,
         {"com.microsoft.word.dotx", "com.microsoft.word.openxml.template",
          "com.microsoft.word.openxml.template.macro-enabled", "org.openxmlformats.wordprocessingml.template",
          "org.openxmlformats.wordprocessingml.template.macroenabled"}},
        {"OpenDocument", kText, {"org.oasis-open.opendocument"}},
        {"OpenDocument Text", kText, {"org.oasis-open.opendocument.text", "org.openoffice.text"}},
        {"OpenDocument Text template", kText,
         {"org.oasis-open.opendocument.text-template", "org.openoffice.text-template"}},
    }));
    setTable(documentKindsByUTI, std::move(table));
}

void BuildDocumentKindsByExtension()
{
    auto table = std::make_shared<const DocumentTable>(buildDocumentTable({
        {"Text document", kText, {"txt"}},
        {"Plain Text document", kText, {"text"}},
        {"Rich Text document with attachments", kText, {"rtfd"}},
        {"Rich Text document", kText, {"rtf"}},
        {"C++ source", kText, {"cpp"}},
        {"C/C++ header", kText, {"h"}},
        {"Objective-C source", kText, {"m"}},
        {"Objective-C++ source", kText, {"mm"}},
        {"C source", kText, {"c"}},
        {"Java source", kText, {"java"}},
        {"Script Code", kText, {"sh"}},
        {"C-Shell script", kText, {"csh"}},
        {"Perl script", kText, {"pl"}},
        {"Python script", kText, {"py"}},
        {"Ruby script", kText, {"rb"}},
        {"PHP script", kText, {"php"}},
        {"AppleScript text", kText, {"applescript"}},
        {"Log file", kText, {"log"}},
        {"HTML document", kWeb, {"html", "htm"}},
        {"XHTML Text document", kWeb, {"xhtml"}},
        {"Web archive", kWeb, {"webarchive"}},
        {"SVG Image", kWeb, {"svg"}},
        {"XML document", kText, {"xml"}},
        {"Microsoft Word 97 - 2004 document", kText, {"doc"}},
        {"Microsoft Word 97 - 2004 document template", kText, {"dot"}},
        {"Microsoft Word document", kText, {"docx", "docm", "dotm", "docb", "doc6", "ooxml"}},
        {"Microsoft Word document template", kText, {"dotx"}},
        {"OpenDocument Text", kText, {"odt", "sdw"}},
        {"Flat OpenDocument Text", kText, {"fodt"}},
        {"OpenDocument Text template", kText, {"ott"}},
        {"document", kText, {"sxw", "vor", "stw", "sxg", "sxm"}},
    }));
    setTable(documentKindsByExtension, std::move(table));
}

void BuildImageKindsByUTI()
{
    auto table = std::make_shared<const ImageTable>(buildImageTable({
        {"Image", {"public.image"}},
        {"JPEG image", {"public.jpeg"}},
        {"JPEG-2000 image", {"public.jpeg-2000"}},
        {"TIFF image", {"public.tiff"}},
        {"GIF image", {"com.compuserve.gif"}},
        {"PNG image", {"public.png"}},
        {"QuickTime image", {"com.apple.quicktime-image"}},
        {"Apple icon", {"com.apple.icns"}},
        {"Windows bitmap", {"com.microsoft.bmp"}},
        {"Windows icon", {"com.microsoft.ico"}},
        {"FAX image", {"public.fax"}},
        {"MacPaint image", {"com.apple.macpaint-image"}},
        {"X bitmap image", {"public.xbitmap-image"}},
        {"Camera raw image", {"public.camera-raw-image"}},
        {"Adobe Photoshop document", {"com.adobe.photoshop-image"}},
        {"TGA image", {"com.truevision.tga-image"}},
        {"Silicon Graphics image", {"com.sgi.sgi-image"}},
        {"OpenEXR image", {"com.ilm.openexr-image"}},
        {"FlashPix image", {"com.kodak.flashpix-image"}},
        {"Adobe raw image", {"com.adobe.raw-image"}},
        {"Canon CRW raw image", {"com.canon.crw-raw-image"}},
        {"Canon CR2 raw image", {"com.canon.cr2-raw-image"}},
        {"Canon TIF raw image", {"com.canon.tif-raw-image"}},
        {"Nikon raw image", {"com.nikon.raw-image"}},
        {"Olympus raw image", {"com.olympus.raw-image"}},
        {"Fuji raw image", {"com.fuji.raw-image"}},
        {"Sony raw image", {"com.sony.raw-image"}},
        {"Sony ARW raw image", {"com.sony.arw-raw-image"}},
        {"Minolta raw image", {"com.konicaminolta.raw-image"}},
        {"Kodak raw image", {"com.kodak.raw-image"}},
        {"Panasonic raw image", {"com.panasonic.raw-image"}},
        {"Pentax raw image", {"com.pentax.raw-image"}},
        {"Leaf raw image", {"com.leafamerica.raw-image"}},
        {"Leica raw image", {"com.leica.raw-image"}},
        {"Hasselblad FFF raw image", {"com.hasselblad.fff-raw-image"}},
        {"Hasselblad 3FR raw image", {"com.hasselblad.3fr-raw-image"}},
    }));
    setTable(imageKindsByUTI, std::move(table));
}

void BuildImageKindsByExtension()
{
    auto table = std::make_shared<const ImageTable>(buildImageTable({
        {"JPEG image", {"jpeg", "jpg"}},
        {"JPEG-2000 image", {"jp2"}},
        {"TIFF image", {"tiff", "tif"}},
        {"GIF image", {"gif"}},
        {"PNG image", {"png"}},
        {"QuickTime image", {"qti", "qtif"}},
        {"Apple icon", {"icns"}},
        {"Windows bitmap", {"bmp"}},
        {"Windows icon", {"ico"}},
        {"FAX image", {"fax"}},
        {"MacPaint image", {"com.apple.macpaint-image"}},
        {"X bitmap image", {"xbm"}},
        {"Camera raw image", {"public.camera-raw-image"}},
        {"Adobe Photoshop document", {"psd"}},
        {"TGA image", {"tga"}},
        {"Silicon Graphics image", {"sgi"}},
        {"OpenEXR image", {"exr"}},
        {"FlashPix image", {"fpx"}},
        {"Adobe raw image", {"dng"}},
        {"Canon CRW raw image", {"crw"}},
        {"Canon CR2 raw image", {"cr2"}},
        {"Nikon raw image", {"nef", "nrw"}},
        {"Olympus raw image", {"orf"}},
        {"Fuji raw image", {"raf"}},
        {"Sony raw image", {"srf", "sr2"}},
        {"Sony ARW raw image", {"arw"}},
        {"Minolta raw image", {"mdc", "mrw"}},
        {"Kodak raw image", {"dcs", "dcr", "drf", "k25", "kdc"}},
        {"Panasonic raw image", {"raw", "rw2"}},
        {"Pentax raw image", {"pef", "ptx"}},
        {"Leaf raw image", {"mos"}},
        {"Leica raw image", {"rwl"}},
        {"Hasselblad FFF raw image", {"fff"}},
        {"Hasselblad 3FR raw image", {"3fr"}},
        {"ARRIFLEX raw image", {"ari"}},
        {"Casio raw image", {"bay"}},
        {"Epson raw image", {"erf"}},
        {"Mamiya raw image", {"mef"}},
        {"Logitech raw image", {"pxn"}},
        {"Rawzor raw image", {"rwz"}},
        {"Samsung raw image", {"srw"}},
        {"Sigma raw image", {"x3f"}},
    }));
    setTable(imageKindsByExtension, std::move(table));
}

QString LookupDocumentKindByUTI(const QString& type, std::int32_t* category)
{
    const auto table = tableOf(documentKindsByUTI);
    if (!table || type.isEmpty())
        return {};
    const QString key = matchingKey(*table, type);
    if (key.isEmpty())
        return {};
    const DocumentKind& kind = table->value(key);
    if (category)
        *category = kind.category;
    return kind.kind;
}

QString LookupDocumentKindByExtension(const QString& extension, std::int32_t* category)
{
    const auto table = tableOf(documentKindsByExtension);
    if (!table || !table->contains(extension))
        return {};
    const DocumentKind& kind = table->value(extension);
    if (category)
        *category = kind.category;
    return kind.kind;
}

QString GetDocumentKindForURL(const QUrl& file, std::int32_t* category)
{
    const QString byType = LookupDocumentKindByUTI(typeOfFile(file), category);
    if (!byType.isNull())
        return byType;
    return LookupDocumentKindByExtension(lowerExtension(file), category);
}

QString GetKindOfNonEmptyFile(const QUrl& file, std::int32_t* category)
{
    if (category)
        *category = 0;
    const QFileInfo info(file.toLocalFile());
    // Empty and unreadable files are never listed.
    if (!file.isLocalFile() || !info.exists() || (info.isFile() && info.size() == 0))
        return {};
    return GetDocumentKindForURL(file, category);
}

QString LookupImageKindByUTI(const QString& type)
{
    const auto table = tableOf(imageKindsByUTI);
    if (!table || type.isEmpty())
        return {};
    const QString key = matchingKey(*table, type);
    return key.isEmpty() ? QString() : table->value(key);
}

QString LookupImageKindByExtension(const QString& extension)
{
    const auto table = tableOf(imageKindsByExtension);
    return table ? table->value(extension) : QString();
}

QString GetImageKindForURL(const QUrl& file, std::int32_t* category)
{
    QString kind = LookupImageKindByUTI(typeOfFile(file));
    const QString extension = lowerExtension(file);
    if (kind.isNull())
        kind = LookupImageKindByExtension(extension);
    // Anything else that is not known to be a document is an image if the
    // image layer can load it.
    if (kind.isNull() && !GetNonImageExtensions().contains(extension)) {
        ImageFile probe;
        if (probe.Load(file))
            kind = QStringLiteral("Image");
    }
    if (!kind.isNull() && category)
        *category = kImage;
    return kind;
}

QString GetPDFKindForURL(const QUrl& file, std::int32_t* category)
{
    if (!GetPDFFileTypes().contains(lowerExtension(file)))
        return {};
    if (category)
        *category = FileKindPDF;
    return QStringLiteral("Portable Document Format (PDF)");
}

QStringList GetNonImageExtensions()
{
    return {"'PDF '", "PDF", "pdf", "'PICT'", "PIC", "pic", "PCT", "pct", "PICT", "pict", "'EPSF'", "PS", "ps",
            "EPSI", "epsi", "EPSF", "epsf", "EPI", "epi", "EPS", "eps", "txt", "doc", "docx", "ppt", "pptx", "text"};
}

QStringList GetPDFFileTypes()
{
    return {QStringLiteral("pdf"), QStringLiteral("'PDF '")};
}

void RemoveFilesInDictionary(const QVariantMap& files)
{
    for (const QVariant& value : files) {
        const QUrl url = value.toUrl();
        if (url.isLocalFile())
            QFile::remove(url.toLocalFile());
    }
}
