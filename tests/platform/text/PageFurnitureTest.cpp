#include "platform/text/PageFurniture.h"

#include <QTextDocument>
#include <gtest/gtest.h>

using platform::text::PageFurniture;
using platform::text::PageKind;

TEST(PageFurniture, belongsToItsBody)
{
    QTextDocument body;
    EXPECT_EQ(PageFurniture::find(body), nullptr);
    PageFurniture& furniture = PageFurniture::of(body);
    EXPECT_TRUE(furniture.isEmpty());
    EXPECT_EQ(PageFurniture::find(body), &furniture);
    EXPECT_EQ(&PageFurniture::of(body), &furniture);
}

// Which header each page takes, for every combination of the two switches,
// when the document gives all three.
TEST(PageFurniture, headerForPage)
{
    struct Case {
        bool titlePage, evenAndOdd;
        PageKind page1, page2, page3;
    };
    const Case cases[] = {
        {false, false, PageKind::Default, PageKind::Default, PageKind::Default},
        {true, false, PageKind::First, PageKind::Default, PageKind::Default},
        {false, true, PageKind::Default, PageKind::Even, PageKind::Default},
        {true, true, PageKind::First, PageKind::Even, PageKind::Default},
    };
    for (const Case& c : cases) {
        QTextDocument body;
        PageFurniture& furniture = PageFurniture::of(body);
        for (PageKind kind : {PageKind::Default, PageKind::First, PageKind::Even})
            furniture.makeHeader(kind);
        furniture.titlePage = c.titlePage;
        furniture.evenAndOddHeaders = c.evenAndOdd;
        EXPECT_EQ(furniture.headerForPage(1), furniture.header(c.page1)) << c.titlePage << c.evenAndOdd;
        EXPECT_EQ(furniture.headerForPage(2), furniture.header(c.page2)) << c.titlePage << c.evenAndOdd;
        EXPECT_EQ(furniture.headerForPage(3), furniture.header(c.page3)) << c.titlePage << c.evenAndOdd;
        EXPECT_EQ(furniture.footerForPage(1), nullptr);
    }
}

// A first page asked to differ but given no header prints none, rather than
// the default one.
TEST(PageFurniture, titlePageWithoutItsOwnHeaderPrintsNone)
{
    QTextDocument body;
    PageFurniture& furniture = PageFurniture::of(body);
    furniture.makeHeader(PageKind::Default);
    furniture.titlePage = true;
    EXPECT_EQ(furniture.headerForPage(1), nullptr);
    EXPECT_NE(furniture.headerForPage(2), nullptr);
}
