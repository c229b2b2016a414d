#include "engine/DocumentType.h"
#include "engine/ImageType.h"
#include "platform/image/BitmapFileType.h"
#include "tests/support/TemporaryFolderTest.h"

#include <gtest/gtest.h>

namespace {

TEST(ImageType, IdentifiersGiveCodesFromTheirList)
{
    const struct {
        const char* uti;
        std::int32_t common; // with the common-only flag
        std::int32_t full;   // without it
    } cases[] = {
        {"public.jpeg", 4, 4},
        {"public.tiff", 10, 10},
        {"public.png", 7, 7},
        {"com.compuserve.gif", 2, 2},
        {"public.jpeg-2000", 3, 3},
        {"com.microsoft.bmp", 11, 11},
        {"com.adobe.photoshop-image", 1, 1},
        {"com.ilm.openexr-image", 5, 5},
        {"com.truevision.tga-image", 9, 9},
        {"com.apple.icns", 6, 6},
        {"com.sgi.sgi-image", 0, 12},
        {"public.camera-raw-image", 0, 22},
        {"com.apple.pict", 0, 14},
        {"com.apple.macpaint-image", 0, 16},
        {"public.xbitmap-image", 0, 19},
        {"com.apple.quicktime-image", 0, 17},
        {"public.fax", 0, 21},
        {"com.kodak.flashpix.image", 0, 20},
        {"com.adobe.illustrator.ai-image", 0, 15},
        {"com.microsoft.ico", 0, 18},
        // Equality, not conformance, and case counts.
        {"com.kodak.flashpix-image", 0, 0},
        {"com.canon.cr2-raw-image", 0, 0},
        {"PUBLIC.JPEG", 0, 0},
        {"com.adobe.pdf", 0, 0},
        {"org.webmproject.webp", 0, 0},
        {"", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ImageTypeFromUTI(c.uti, true), c.common) << c.uti;
        EXPECT_EQ(ImageTypeFromUTI(c.uti, false), c.full) << c.uti;
    }
}

TEST(ImageType, PropertiesFollowTheTable)
{
    using namespace platform::image;
    const struct {
        std::int32_t type;
        const char* uti;
        bool metadata, bitmapRep, alpha;
        int fileType;
    } cases[] = {
        {0, "public.jpeg", false, false, false, BitmapFileType::JPEG},
        {1, "com.adobe.photoshop-image", true, false, false, BitmapFileType::JPEG},
        {2, "com.compuserve.gif", true, true, true, BitmapFileType::GIF},
        {3, "public.jpeg-2000", false, true, true, BitmapFileType::JPEG2000},
        {4, "public.jpeg", true, true, false, BitmapFileType::JPEG},
        {7, "public.png", true, true, true, BitmapFileType::PNG},
        {8, "com.adobe.pdf", false, false, false, BitmapFileType::JPEG},
        {10, "public.tiff", true, true, true, BitmapFileType::TIFF},
        {11, "com.microsoft.bmp", false, true, false, BitmapFileType::BMP},
        {13, "public.tiff", true, true, false, BitmapFileType::TIFF},
        {20, "com.kodak.flashpix.image", false, false, false, BitmapFileType::JPEG},
        {23, "public.tiff", false, false, false, BitmapFileType::TIFF},
        {24, "public.jpeg", false, false, false, BitmapFileType::JPEG},
        // Outside the table: as code 0.
        {25, "public.jpeg", false, false, false, BitmapFileType::JPEG},
        {-1, "public.jpeg", false, false, false, BitmapFileType::JPEG},
        {INT32_MIN, "public.jpeg", false, false, false, BitmapFileType::JPEG},
    };
    for (const auto& c : cases) {
        const ImageTypeProperties& p = PropertiesOfImageType(c.type);
        EXPECT_STREQ(p.outputUTI, c.uti) << c.type;
        EXPECT_EQ(p.metadata, c.metadata) << c.type;
        EXPECT_EQ(p.bitmapRep, c.bitmapRep) << c.type;
        EXPECT_EQ(p.alpha, c.alpha) << c.type;
        EXPECT_EQ(p.bitmapFileType, c.fileType) << c.type;
    }
}

TEST(ImageType, NoIdentifierLeadsToTheOutputOnlyCodes)
{
    for (std::int32_t type = 0; type <= kLastImageType; ++type) {
        const std::int32_t back = ImageTypeFromUTI(PropertiesOfImageType(type).outputUTI, false);
        EXPECT_TRUE(back != 8 && back != 13 && back != 23 && back != 24) << type;
    }
}

class ImageTypeFiles : public testsupport::TemporaryFolderTest {};

TEST_F(ImageTypeFiles, FilesAreKnownByTheirTypeIdentifier)
{
    const struct {
        const char* name;
        std::int32_t type;
    } cases[] = {
        {"photo.jpg", 4}, {"scan.TIFF", 10}, {"icon.sgi", 0}, {"page.pdf", 0},
        {"note.txt", 0},  {"art.psd", 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ImageTypeOfURL(QUrl::fromLocalFile(write(c.name, "x"))), c.type) << c.name;
    EXPECT_EQ(ImageTypeOfURL(QUrl()), 0);
    EXPECT_EQ(ImageTypeOfURL(QUrl("https://example.org/a.png")), 0);
}

TEST(ImageType, ExtensionsComeFromTheResource)
{
    EXPECT_EQ(ImageExtensionForType(4), "jpg");
    EXPECT_EQ(ImageExtensionForType(7), "png");
    EXPECT_EQ(ImageExtensionForType(8), "pdf");
    EXPECT_EQ(ImageExtensionForType(24), "webp");
    for (std::int32_t type = 0; type <= kLastImageType; ++type)
        EXPECT_FALSE(ImageExtensionForType(type).isEmpty()) << type;
    EXPECT_EQ(ImageExtensionForType(25), "");
    EXPECT_EQ(ImageExtensionForType(-1), "");
}

TEST(ImageType, ExtensionsWithoutTheResourceAreEmpty)
{
    SetImageExtensionListForTesting(QStringList());
    for (std::int32_t type = -1; type <= kLastImageType + 1; ++type)
        EXPECT_EQ(ImageExtensionForType(type), "") << type;
    SetImageExtensionListForTesting(QStringList{"a", "b"});
    EXPECT_EQ(ImageExtensionForType(1), "b");
    EXPECT_EQ(ImageExtensionForType(2), "");
    SetImageExtensionListForTesting(std::nullopt);
    EXPECT_EQ(ImageExtensionForType(1), "psd");
}

TEST(DocumentType, IdentifiersGiveTheirCodes)
{
    const struct {
        const char* uti;
        std::int32_t type;
    } cases[] = {
        {"public.rtf", 1},
        {"com.apple.rtfd", 2},
        {"public.html", 3},
        {"public.text", 4},
        {"public.plain-text", 5},
        {"com.apple.aslquery", 5},
        {"com.apple.webarchive", 6},
        {"org.oasis.opendocument.text", 7},
        {"org.oasis-open.opendocument", 7},
        {"org.oasis-open.opendocument.text-template", 8},
        {"org.openoffice.text", 9},
        {"org.openoffice.text-template", 10},
        {"org.openxmlformats.wordprocessingml.document.macroenabled", 11},
        {"com.microsoft.word.wordml", 12},
        {"com.microsoft.word.doc", 13},
        {"com.apple.traditional-mac-plain-text", 14},
        {"com.apple.iWork.Keynote.key", 16},
        {"com.microsoft.powerpoint.ppt", 17},
        {"com.microsoft.excel.xls", 18},
        {"org.oasis-open.opendocument.graphics", 19},
        {"org.oasis-open.opendocument.spreadsheet", 23},
        {"org.oasis-open.opendocument.text-web", 32},
        {"org.openxmlformats.spreadsheetml.template.macroenabled", 33},
        {"org.openxmlformats.spreadsheetml.sheet", 34},
        {"org.openxmlformats.presentationml.slideshow", 36},
        {"org.openxmlformats.presentationml.template.macroenabled", 37},
        {"public.utf8-plain-text", 0},
        {"public.xhtml", 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DocumentTypeFromUTI(c.uti), c.type) << c.uti;
}

class HTMLFiles : public testsupport::TemporaryFolderTest {};

TEST_F(HTMLFiles, WebDocumentsByTypeOrExtension)
{
    const struct {
        const char* name;
        bool html;
    } cases[] = {
        {"a.html", true}, {"b.htm", true}, {"c.HTML", true}, {"d.svg", true},
        {"e.aspx", true}, {"f.jsp", true}, {"g.xhtml", true}, {"h.Htm", true},
        {"i.txt", false}, {"j.php", false}, {"k.xml", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsHTMLFileURL(QUrl::fromLocalFile(write(c.name, "<p>x</p>"))), c.html) << c.name;
}

} // namespace
