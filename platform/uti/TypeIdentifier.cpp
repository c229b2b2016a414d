#include "platform/uti/TypeIdentifier.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <initializer_list>

namespace platform::uti {

namespace {

struct TypeRecord {
    const char* identifier;
    std::initializer_list<const char*> parents;
    std::initializer_list<const char*> extensions;
    std::initializer_list<const char*> mimeTypes;
};

// clang-format off
const TypeRecord kTypes[] = {
    {"public.item", {}, {}, {}},
    {"public.content", {}, {}, {}},
    {"public.composite-content", {"public.content"}, {}, {}},
    {"public.data", {"public.item"}, {}, {"application/octet-stream"}},
    {"public.directory", {"public.item"}, {}, {}},
    {"public.folder", {"public.directory"}, {}, {"inode/directory"}},
    {"com.apple.package", {"public.directory"}, {}, {}},
    {"public.archive", {"public.data"}, {}, {}},
    {"public.zip-archive", {"public.archive"}, {"zip"}, {"application/zip"}},

    // Text family
    {"public.text", {"public.data", "public.content"}, {}, {}},
    {"public.plain-text", {"public.text"}, {"txt", "text"}, {"text/plain"}},
    {"public.utf8-plain-text", {"public.plain-text"}, {}, {}},
    {"public.utf16-plain-text", {"public.plain-text"}, {}, {}},
    {"public.utf16-external-plain-text", {"public.plain-text"}, {}, {}},
    {"public.delimited-values-text", {"public.text"}, {}, {}},
    {"public.comma-separated-values-text", {"public.delimited-values-text"}, {"csv"}, {"text/csv"}},
    {"public.tab-separated-values-text", {"public.delimited-values-text"}, {"tsv", "tab"}, {"text/tab-separated-values"}},
    {"public.log", {"public.plain-text"}, {"log"}, {"text/x-log"}},
    {"net.daringfireball.markdown", {"public.plain-text"}, {"md", "markdown"}, {"text/markdown"}},
    {"public.rtf", {"public.text"}, {"rtf"}, {"text/rtf", "application/rtf"}},
    {"com.apple.rtfd", {"com.apple.package", "public.composite-content"}, {"rtfd"}, {}},
    {"com.apple.flat-rtfd", {"public.data", "public.composite-content"}, {"flat-rtfd"}, {}},
    {"public.xml", {"public.text"}, {"xml"}, {"application/xml", "text/xml"}},
    {"public.html", {"public.text"}, {"html", "htm", "shtml", "shtm"}, {"text/html"}},
    {"public.xhtml", {"public.xml"}, {"xhtml", "xht"}, {"application/xhtml+xml"}},
    {"com.apple.webarchive", {"public.data", "public.composite-content"}, {"webarchive"}, {"application/x-webarchive"}},
    {"public.json", {"public.text"}, {"json"}, {"application/json"}},
    {"public.css", {"public.text"}, {"css"}, {"text/css"}},

    // Source code and scripts
    {"public.source-code", {"public.plain-text"}, {}, {}},
    {"public.c-source", {"public.source-code"}, {"c"}, {"text/x-csrc"}},
    {"public.c-header", {"public.source-code"}, {"h"}, {"text/x-chdr"}},
    {"public.c-plus-plus-source", {"public.source-code"}, {"cpp", "cc", "cxx", "c++", "cp"}, {"text/x-c++src"}},
    {"public.c-plus-plus-header", {"public.source-code"}, {"hpp", "hh", "hxx", "h++"}, {"text/x-c++hdr"}},
    {"public.objective-c-source", {"public.source-code"}, {"m"}, {"text/x-objcsrc"}},
    {"public.objective-c-plus-plus-source", {"public.source-code"}, {"mm"}, {}},
    {"com.sun.java-source", {"public.source-code"}, {"java"}, {"text/x-java"}},
    {"public.swift-source", {"public.source-code"}, {"swift"}, {}},
    {"public.assembly-source", {"public.source-code"}, {"s", "asm"}, {"text/x-asm"}},
    {"public.make-source", {"public.source-code"}, {"mk", "make"}, {"text/x-makefile"}},
    {"public.script", {"public.source-code"}, {}, {}},
    {"public.shell-script", {"public.script"}, {"sh", "command", "bash", "zsh", "ksh"}, {"application/x-shellscript", "text/x-shellscript"}},
    {"public.csh-script", {"public.shell-script"}, {"csh", "tcsh"}, {"application/x-csh"}},
    {"public.perl-script", {"public.shell-script"}, {"pl", "pm"}, {"text/x-perl", "application/x-perl"}},
    {"public.python-script", {"public.shell-script"}, {"py"}, {"text/x-python", "text/x-python3"}},
    {"public.ruby-script", {"public.shell-script"}, {"rb", "rbw"}, {"text/x-ruby", "application/x-ruby"}},
    {"public.php-script", {"public.shell-script"}, {"php", "php3", "php4", "ph3", "ph4", "phtml"}, {"application/x-php", "text/x-php"}},
    {"com.netscape.javascript-source", {"public.source-code"}, {"js", "jscript", "javascript"}, {"text/javascript", "application/javascript"}},
    {"public.tcl-script", {"public.shell-script"}, {"tcl"}, {"text/x-tcl"}},

    // Word processing
    {"com.microsoft.word.doc", {"public.data", "public.composite-content"}, {"doc", "dot"}, {"application/msword"}},
    {"com.microsoft.word.wordml", {"public.xml", "public.composite-content"}, {"wordml"}, {}},
    {"org.openxmlformats.openxml", {"public.zip-archive"}, {}, {}},
    {"org.openxmlformats.wordprocessingml.document", {"org.openxmlformats.openxml", "public.composite-content"}, {"docx"}, {"application/vnd.openxmlformats-officedocument.wordprocessingml.document"}},
    {"org.openxmlformats.wordprocessingml.document.macroenabled", {"org.openxmlformats.wordprocessingml.document"}, {"docm"}, {"application/vnd.ms-word.document.macroEnabled.12"}},
    {"org.openxmlformats.wordprocessingml.template", {"org.openxmlformats.openxml", "public.composite-content"}, {"dotx"}, {"application/vnd.openxmlformats-officedocument.wordprocessingml.template"}},
    {"org.openxmlformats.wordprocessingml.template.macroenabled", {"org.openxmlformats.wordprocessingml.template"}, {"dotm"}, {"application/vnd.ms-word.template.macroEnabled.12"}},
    {"org.oasis-open.opendocument", {"public.data", "public.composite-content"}, {}, {}},
    {"org.oasis-open.opendocument.text", {"org.oasis-open.opendocument"}, {"odt"}, {"application/vnd.oasis.opendocument.text"}},
    {"org.oasis-open.opendocument.text-template", {"org.oasis-open.opendocument"}, {"ott"}, {"application/vnd.oasis.opendocument.text-template"}},
    {"org.oasis-open.opendocument.text-flat-xml", {"public.xml", "public.composite-content"}, {"fodt"}, {"application/vnd.oasis.opendocument.text-flat-xml"}},
    {"org.oasis-open.opendocument.text-master", {"org.oasis-open.opendocument"}, {"odm"}, {"application/vnd.oasis.opendocument.text-master"}},
    {"org.oasis-open.opendocument.text-web", {"org.oasis-open.opendocument"}, {"oth"}, {"application/vnd.oasis.opendocument.text-web"}},
    {"org.openoffice.text", {"public.data", "public.composite-content"}, {"sxw"}, {"application/vnd.sun.xml.writer"}},
    {"org.openoffice.text-template", {"public.data", "public.composite-content"}, {"stw"}, {"application/vnd.sun.xml.writer.template"}},

    // PDF and images
    {"com.adobe.pdf", {"public.data", "public.composite-content"}, {"pdf"}, {"application/pdf"}},
    {"public.image", {"public.data", "public.content"}, {}, {}},
    {"public.svg-image", {"public.image", "public.xml"}, {"svg", "svgz"}, {"image/svg+xml"}},
    {"public.png", {"public.image"}, {"png"}, {"image/png"}},
    {"public.jpeg", {"public.image"}, {"jpg", "jpeg", "jpe", "jfif"}, {"image/jpeg"}},
    {"public.tiff", {"public.image"}, {"tif", "tiff"}, {"image/tiff"}},
    {"com.compuserve.gif", {"public.image"}, {"gif"}, {"image/gif"}},
    {"com.microsoft.bmp", {"public.image"}, {"bmp", "dib"}, {"image/bmp"}},
    {"org.webmproject.webp", {"public.image"}, {"webp"}, {"image/webp"}},
    {"public.jpeg-2000", {"public.image"}, {"jp2", "j2k", "jpf", "jpx", "jpm"}, {"image/jp2"}},
    {"com.adobe.photoshop-image", {"public.image"}, {"psd"}, {"image/vnd.adobe.photoshop", "image/x-psd"}},
    {"com.ilm.openexr-image", {"public.image"}, {"exr"}, {"image/x-exr"}},
    {"com.truevision.tga-image", {"public.image"}, {"tga", "targa"}, {"image/x-tga"}},
    {"com.apple.icns", {"public.image"}, {"icns"}, {"image/x-icns"}},
    {"com.sgi.sgi-image", {"public.image"}, {"sgi", "rgb", "rgba", "bw"}, {"image/x-sgi", "image/sgi"}},
    {"com.apple.pict", {"public.image"}, {"pict", "pct", "pic"}, {"image/x-pict"}},
    {"com.apple.macpaint-image", {"public.image"}, {"pntg", "mac"}, {"image/x-macpaint"}},
    {"public.xbitmap-image", {"public.image"}, {"xbm"}, {"image/x-xbitmap"}},
    {"com.apple.quicktime-image", {"public.image"}, {"qtif", "qti"}, {"image/x-quicktime"}},
    {"public.fax", {"public.image"}, {"fax", "g3", "g4"}, {"image/g3fax"}},
    {"com.kodak.flashpix.image", {"public.image"}, {"fpx"}, {"image/vnd.fpx"}},
    {"com.adobe.illustrator.ai-image", {"public.image"}, {"ai"}, {"application/illustrator"}},
    {"com.microsoft.ico", {"public.image"}, {"ico"}, {"image/vnd.microsoft.icon", "image/x-icon"}},
    {"public.pbm", {"public.image"}, {"pbm", "pgm", "ppm", "pnm", "pam"}, {"image/x-portable-anymap", "image/x-portable-pixmap", "image/x-portable-graymap", "image/x-portable-bitmap"}},
    {"public.camera-raw-image", {"public.image"}, {}, {}},
    {"com.adobe.raw-image", {"public.camera-raw-image"}, {"dng"}, {"image/x-adobe-dng"}},
    {"com.canon.cr2-raw-image", {"public.camera-raw-image"}, {"cr2"}, {"image/x-canon-cr2"}},
    {"com.canon.crw-raw-image", {"public.camera-raw-image"}, {"crw"}, {"image/x-canon-crw"}},
    {"com.nikon.raw-image", {"public.camera-raw-image"}, {"nef", "nrw"}, {"image/x-nikon-nef"}},
    {"com.sony.arw-raw-image", {"public.camera-raw-image"}, {"arw"}, {"image/x-sony-arw"}},
    {"com.olympus.raw-image", {"public.camera-raw-image"}, {"orf"}, {"image/x-olympus-orf"}},
    {"com.fuji.raw-image", {"public.camera-raw-image"}, {"raf"}, {"image/x-fuji-raf"}},
    {"com.panasonic.raw-image", {"public.camera-raw-image"}, {"rw2"}, {"image/x-panasonic-rw2"}},
    {"com.pentax.raw-image", {"public.camera-raw-image"}, {"pef"}, {"image/x-pentax-pef"}},
};
// clang-format on

struct Table {
    QHash<QString, const TypeRecord*> byIdentifier;
    QHash<QString, QString> byExtension;
    QHash<QString, QString> byMimeType;

    Table()
    {
        for (const TypeRecord& record : kTypes) {
            const QString id = QString::fromLatin1(record.identifier);
            byIdentifier.insert(id, &record);
            for (const char* extension : record.extensions)
                byExtension.insert(QString::fromLatin1(extension), id);
            for (const char* mime : record.mimeTypes)
                byMimeType.insert(QString::fromLatin1(mime), id);
        }
    }
};

const Table& table()
{
    static const Table instance;
    return instance;
}

QStringList toList(std::initializer_list<const char*> items)
{
    QStringList list;
    for (const char* item : items)
        list << QString::fromLatin1(item);
    return list;
}

bool conformsWithin(const QString& type, const QString& parent, int depth)
{
    if (type == parent)
        return true;
    if (depth > 16) // the table has no cycles; a bound keeps a mistake harmless
        return false;
    const TypeRecord* record = table().byIdentifier.value(type);
    if (!record)
        return false;
    for (const char* next : record->parents)
        if (conformsWithin(QString::fromLatin1(next), parent, depth + 1))
            return true;
    return false;
}

constexpr qint64 kXmlHeadBytes = 4096;

QByteArray headOf(const QString& path, qint64 size)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(size);
}

// Word 2003 XML: the processing instruction naming the program that opens
// it, or the root of its vocabulary, before the first element ends.
bool isWordXml(const QByteArray& head)
{
    static const QRegularExpression program(QStringLiteral("progid\\s*=\\s*[\"']Word\\.Document[\"']"));
    QXmlStreamReader xml(head);
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::ProcessingInstruction:
            if (xml.processingInstructionTarget() == u"mso-application"
                && program.match(xml.processingInstructionData()).hasMatch())
                return true;
            break;
        case QXmlStreamReader::StartElement:
            return xml.name() == u"wordDocument"
                   && xml.namespaceUri() == u"http://schemas.microsoft.com/office/word/2003/wordml";
        default:
            break;
        }
    }
    return false;
}

// Signatures of the kinds that matter most, so that the answer for a file
// without an extension does not depend on the machine's MIME database.
QString sniffContent(const QString& path)
{
    const QByteArray head = headOf(path, kXmlHeadBytes);
    const QByteArray trimmed = head.trimmed().left(64).toLower();
    if (head.startsWith("%PDF-"))
        return QStringLiteral("com.adobe.pdf");
    if (head.startsWith("{\\rtf"))
        return QStringLiteral("public.rtf");
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral("public.png");
    if (head.startsWith("\xff\xd8\xff"))
        return QStringLiteral("public.jpeg");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QStringLiteral("com.compuserve.gif");
    if (head.startsWith(QByteArrayView("II*\0", 4)) || head.startsWith(QByteArrayView("MM\0*", 4)))
        return QStringLiteral("public.tiff");
    if (head.startsWith("bplist00"))
        return {}; // a binary property list says nothing by itself
    if (head.startsWith("\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"))
        return QStringLiteral("com.microsoft.word.doc");
    if (trimmed.startsWith("<!doctype html") || trimmed.startsWith("<html"))
        return QStringLiteral("public.html");
    if (isWordXml(head))
        return QStringLiteral("com.microsoft.word.wordml");
    return {};
}

} // namespace

QString typeForExtension(const QString& extension)
{
    return table().byExtension.value(extension.toLower());
}

QString typeForMimeType(const QString& mimeType)
{
    const Table& t = table();
    const QString direct = t.byMimeType.value(mimeType);
    if (!direct.isEmpty())
        return direct;
    // The MIME database knows aliases and parents that our table leaves out.
    const QMimeType mime = QMimeDatabase().mimeTypeForName(mimeType);
    if (!mime.isValid())
        return {};
    const QString canonical = t.byMimeType.value(mime.name());
    if (!canonical.isEmpty())
        return canonical;
    for (const QString& parent : mime.parentMimeTypes()) {
        const QString found = t.byMimeType.value(parent);
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString typeOfFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    const QString byExtension = typeForExtension(info.suffix());
    // XML says what it is only inside.
    if (byExtension == u"public.xml" && info.isFile() && isWordXml(headOf(path, kXmlHeadBytes)))
        return QStringLiteral("com.microsoft.word.wordml");
    if (!byExtension.isEmpty())
        return byExtension;
    if (info.isDir())
        return QStringLiteral("public.folder");
    const QString sniffed = sniffContent(path);
    if (!sniffed.isEmpty())
        return sniffed;
    const QMimeType mime =
        QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchContent);
    const QString byContent = mime.isValid() ? typeForMimeType(mime.name()) : QString();
    return byContent.isEmpty() ? QStringLiteral("public.data") : byContent;
}

bool conformsTo(const QString& type, const QString& parent)
{
    return !type.isEmpty() && conformsWithin(type, parent, 0);
}

QStringList parentsOf(const QString& type)
{
    const TypeRecord* record = table().byIdentifier.value(type);
    return record ? toList(record->parents) : QStringList();
}

QStringList extensionsOf(const QString& type)
{
    const TypeRecord* record = table().byIdentifier.value(type);
    return record ? toList(record->extensions) : QStringList();
}

QStringList mimeTypesOf(const QString& type)
{
    const TypeRecord* record = table().byIdentifier.value(type);
    return record ? toList(record->mimeTypes) : QStringList();
}

} // namespace platform::uti
