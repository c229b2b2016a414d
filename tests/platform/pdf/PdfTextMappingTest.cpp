#include "platform/pdf/PdfTextMapping.h"
#include "tests/support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray cmap(const QByteArray& body)
{
    return "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
           "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n"
        + body + "endcmap\nend\nend\n";
}

TEST(PdfTextMappingTest, SpellsOutLigaturesAndTabs)
{
    const struct {
        const char* name;
        QByteArray body, expected;
    } cases[] = {
        {"array of a range",
         "1 beginbfrange\n<0001> <0005> [<FB01> <006C> <0009> <FB03> <fb02> ]\nendbfrange\n",
         "1 beginbfrange\n<0001> <0005> [<00660069> <006C> <0020> <006600660069> <0066006C> ]\nendbfrange\n"},
        {"char pairs: only destinations change",
         "2 beginbfchar\n<FB01> <FB01>\n<0009> <0009>\nendbfchar\n",
         "2 beginbfchar\n<FB01> <00660069>\n<0009> <0020>\nendbfchar\n"},
        {"a counting range stays",
         "1 beginbfrange\n<0010> <0012> <FB00>\nendbfrange\n",
         "1 beginbfrange\n<0010> <0012> <FB00>\nendbfrange\n"},
        {"ranges after a counting range",
         "2 beginbfrange\n<0010> <0012> <0041>\n<0013> <0013> [<FB00>]\nendbfrange\n",
         "2 beginbfrange\n<0010> <0012> <0041>\n<0013> <0013> [<00660066>]\nendbfrange\n"},
        {"surrogate pairs and other letters stay",
         "1 beginbfrange\n<0001> <0002> [<D83DDE00> <00E9>]\nendbfrange\n",
         "1 beginbfrange\n<0001> <0002> [<D83DDE00> <00E9>]\nendbfrange\n"},
        {"unterminated hex string", "1 beginbfchar\n<0001> <FB0", "1 beginbfchar\n<0001> <FB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(platform::pdf::plainTextCharacterMap(cmap(c.body)).toStdString(),
                  cmap(c.expected).toStdString());
    }
}

TEST(PdfTextMappingTest, RefusesWhatIsNoPdf)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("not.pdf"));
    testsupport::writeFile(path, "no PDF at all");
    EXPECT_FALSE(platform::pdf::makePdfTextPlain(path));
    EXPECT_EQ(testsupport::readFile(path), QByteArray("no PDF at all"));
    EXPECT_FALSE(platform::pdf::makePdfTextPlain(dir.filePath(QStringLiteral("missing.pdf"))));
}

} // namespace
