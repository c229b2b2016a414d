#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfFontName_p.h"
#include "tests/platform/pdf/PdfTestFixtures.h"
#include "tests/support/StyledTextPdf.h"
#include "tests/support/TemporaryFolderTest.h"

#include <QTextDocument>
#include <gtest/gtest.h>

using platform::pdf::FontLook;
using platform::pdf::fontLookFromName;
using platform::pdf::PdfDocument;

namespace {

TEST(FontLookFromNameTest, ReadsFamilyWeightAndSlant)
{
    struct Case {
        const char* name;
        const char* family;
        int weight;
        bool italic;
    };
    const Case cases[] = {
        {"ABCDEF+DejaVuSans-BoldOblique", "DejaVu Sans", QFont::Bold, true},
        {"DejaVuSerif", "DejaVu Serif", QFont::Normal, false},
        {"Helvetica", "Helvetica", QFont::Normal, false},
        {"TimesNewRomanPS-BoldItalicMT", "Times New Roman", QFont::Bold, true},
        {"ArialMT", "Arial", QFont::Normal, false},
        {"Arial,BoldItalic", "Arial", QFont::Bold, true},
        {"ArialBold", "Arial", QFont::Bold, false},
        {"MinionPro-SemiboldIt", "Minion Pro", QFont::DemiBold, true},
        {"NimbusRomNo9L-ReguItal", "Nimbus Rom No9L", QFont::Normal, true},
        {"Calibri-Light", "Calibri", QFont::Light, false},
        {"Courier-ExtraBold", "Courier", QFont::ExtraBold, false},
        {"ABCDEF+", "", QFont::Normal, false},
        {"", "", QFont::Normal, false},
    };
    for (const Case& c : cases) {
        const FontLook look = fontLookFromName(QString::fromUtf8(c.name));
        EXPECT_EQ(look.family, QString::fromUtf8(c.family)) << c.name;
        EXPECT_EQ(look.weight, c.weight) << c.name;
        EXPECT_EQ(look.italic, c.italic) << c.name;
    }
}

class PdfAttributedTextTest : public testsupport::TemporaryFolderTest { };

TEST_F(PdfAttributedTextTest, GivesEachRunItsFontSizeAndColour)
{
    ASSERT_TRUE(testsupport::writeStyledTextPdf(path("styled.pdf"), 2));
    const auto document = PdfDocument::open(url("styled.pdf"));
    ASSERT_TRUE(document);
    ASSERT_EQ(document->pageCount(), 2);
    const std::unique_ptr<QTextDocument> text = document->page(1).attributedText();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->toPlainText(),
              QStringLiteral("Chapter 2\nPlain words then bold words and italic words and red words end."));

    for (const testsupport::StyledRun& run : testsupport::styledPageRuns(2)) {
        if (run.text.trimmed().size() < 4)
            continue;
        const QTextCharFormat format = testsupport::formatOf(*text, run.text.trimmed());
        EXPECT_EQ(format.fontFamilies().toStringList(), QStringList{QStringLiteral("DejaVu Sans")})
            << qPrintable(run.text);
        EXPECT_DOUBLE_EQ(format.fontPointSize(), run.points) << qPrintable(run.text);
        EXPECT_EQ(format.fontWeight() >= QFont::Bold, run.bold) << qPrintable(run.text);
        EXPECT_EQ(format.fontItalic(), run.italic) << qPrintable(run.text);
        EXPECT_EQ(format.foreground().color().rgb(), run.color.rgb()) << qPrintable(run.text);
    }
}

TEST_F(PdfAttributedTextTest, ReadsAPageOfDataAndNothingOfANullPage)
{
    const auto document = PdfDocument::fromData(pdftest::makeNumberedPdf(1));
    ASSERT_TRUE(document);
    const std::unique_ptr<QTextDocument> text = document->page(0).attributedText();
    ASSERT_TRUE(text);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Page 1"));
    EXPECT_FALSE(platform::pdf::PdfPage().attributedText());
}

} // namespace
