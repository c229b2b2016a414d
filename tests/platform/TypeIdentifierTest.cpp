#include "platform/uti/TypeIdentifier.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace platform::uti;

TEST(TypeIdentifier, ExtensionsMapToTypes)
{
    const struct {
        const char* extension;
        const char* type;
    } cases[] = {
        {"txt", "public.plain-text"},   {"RTF", "public.rtf"},
        {"rtfd", "com.apple.rtfd"},     {"html", "public.html"},
        {"xhtml", "public.xhtml"},      {"webarchive", "com.apple.webarchive"},
        {"doc", "com.microsoft.word.doc"},
        {"docx", "org.openxmlformats.wordprocessingml.document"},
        {"odt", "org.oasis-open.opendocument.text"},
        {"wordml", "com.microsoft.word.wordml"},
        {"py", "public.python-script"}, {"cpp", "public.c-plus-plus-source"},
        {"svg", "public.svg-image"},    {"pdf", "com.adobe.pdf"},
        {"psd", "com.adobe.photoshop-image"}, {"sgi", "com.sgi.sgi-image"},
        {"ico", "com.microsoft.ico"},   {"xbm", "public.xbitmap-image"},
        {"NEF", "com.nikon.raw-image"}, {"webp", "org.webmproject.webp"},
        {"unknownext", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(typeForExtension(c.extension), QString(c.type)) << c.extension;
}

TEST(TypeIdentifier, ConformanceFollowsAncestors)
{
    EXPECT_TRUE(conformsTo("public.python-script", "public.plain-text"));
    EXPECT_TRUE(conformsTo("public.python-script", "public.text"));
    EXPECT_TRUE(conformsTo("public.xhtml", "public.text"));
    EXPECT_TRUE(conformsTo("org.openxmlformats.wordprocessingml.document.macroenabled",
                           "org.openxmlformats.wordprocessingml.document"));
    EXPECT_TRUE(conformsTo("public.rtf", "public.rtf"));
    EXPECT_TRUE(conformsTo("com.canon.cr2-raw-image", "public.camera-raw-image"));
    EXPECT_TRUE(conformsTo("com.apple.icns", "public.image"));
    EXPECT_FALSE(conformsTo("public.rtf", "public.plain-text"));
    EXPECT_FALSE(conformsTo("public.html", "public.plain-text"));
    EXPECT_FALSE(conformsTo("", "public.item"));
    EXPECT_TRUE(conformsTo("dyn.unknown", "dyn.unknown"));
    EXPECT_FALSE(conformsTo("dyn.unknown", "public.data"));
}

TEST(TypeIdentifier, FilesWithoutExtensionAreSniffed)
{
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* type;
    } cases[] = {
        {"pdf", "%PDF-1.4\n", "com.adobe.pdf"},
        {"rtf", "{\\rtf1\\ansi hello}", "public.rtf"},
        {"png", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "public.png"},
        {"html", "  <!DOCTYPE html><html></html>", "public.html"},
        {"rtf.txt", "{\\rtf1 named by its extension}", "public.plain-text"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(c.name);
        testsupport::writeFile(path, c.bytes);
        EXPECT_EQ(typeOfFile(path), QString(c.type)) << c.name;
    }
    EXPECT_EQ(typeOfFile(dir.filePath("missing")), QString());
    QDir(dir.path()).mkdir("Folder");
    EXPECT_EQ(typeOfFile(dir.filePath("Folder")), QString("public.folder"));
    QDir(dir.path()).mkdir("Notes.rtfd");
    EXPECT_EQ(typeOfFile(dir.filePath("Notes.rtfd")), QString("com.apple.rtfd"));
}

TEST(TypeIdentifier, Word2003XmlIsKnownByWhatItSays)
{
    const QByteArray instruction = "<?xml version=\"1.0\"?>\n<?mso-application progid=\"Word.Document\"?>\n";
    const QByteArray root = "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\"><w:body/></w:wordDocument>";
    QTemporaryDir dir;
    const struct {
        const char* name;
        QByteArray bytes;
        const char* type;
    } cases[] = {
        {"instruction.xml", instruction + "<w:wordDocument xmlns:w=\"urn:other\"/>", "com.microsoft.word.wordml"},
        {"root.xml", "<?xml version=\"1.0\"?>\n<!-- a comment -->" + root, "com.microsoft.word.wordml"},
        {"no extension", instruction + root, "com.microsoft.word.wordml"},
        {"spreadsheet.xml", "<?xml version=\"1.0\"?><?mso-application progid=\"Excel.Sheet\"?><Workbook/>", "public.xml"},
        {"root elsewhere.xml", "<wordDocument xmlns=\"urn:not-word\"/>", "public.xml"},
        {"late root.xml", "<other><w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\"/></other>", "public.xml"},
        {"not xml.xml", "\x01\x02 binary", "public.xml"},
        {"named.wordml", "anything", "com.microsoft.word.wordml"},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(c.name);
        testsupport::writeFile(path, c.bytes);
        EXPECT_EQ(typeOfFile(path), QString(c.type)) << c.name;
    }
}
