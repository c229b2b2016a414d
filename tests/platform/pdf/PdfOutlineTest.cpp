#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PdfOutline.h"
#include "tests/platform/pdf/PdfTestFixtures.h"
#include "tests/platform/pdf/QpdfEdit.h"
#include "tests/support/TestSupport.h"

#include <qpdf/QPDF.hh>

#include <poppler/qt6/poppler-qt6.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <functional>

using platform::pdf::PdfDocument;
using platform::pdf::PdfOutline;
using platform::pdf::PdfPage;
using pdftest::editedPdf;
using pdftest::parseWithPages;

namespace {

std::shared_ptr<PdfOutline> item(const QString& label, const PdfPage& page = {}, QPointF point = {})
{
    auto outline = PdfOutline::create();
    outline->setLabel(label);
    if (!page.isNull())
        outline->setDestination(page, point);
    return outline;
}

std::shared_ptr<PdfOutline> add(const std::shared_ptr<PdfOutline>& parent, const std::shared_ptr<PdfOutline>& child)
{
    parent->insertChild(child, parent->childCount());
    return child;
}

// "label@pageIndex[children]": the shape of a tree in one line.
QString shape(const PdfOutline& node)
{
    QStringList parts;
    for (int i = 0; i < node.childCount(); ++i) {
        const auto child = node.child(i);
        QString s = child->label();
        if (child->hasDestination())
            s += QStringLiteral("@%1").arg(child->destinationPage().index());
        if (child->childCount() > 0)
            s += QLatin1Char('[') + shape(*child) + QLatin1Char(']');
        parts << s;
    }
    return parts.join(QStringLiteral(", "));
}

// The same shape as Poppler reads it from the file (1-based pages, 0 for none).
QString popplerShape(const QVector<Poppler::OutlineItem>& items)
{
    QStringList parts;
    for (const auto& outlineItem : items) {
        QString s = outlineItem.name();
        const auto dest = outlineItem.destination();
        if (dest && dest->pageNumber() > 0)
            s += QStringLiteral("@%1").arg(dest->pageNumber() - 1);
        if (outlineItem.hasChildren())
            s += QLatin1Char('[') + popplerShape(outlineItem.children()) + QLatin1Char(']');
        parts << s;
    }
    return parts.join(QStringLiteral(", "));
}

QString popplerShape(const QString& path)
{
    const auto doc = Poppler::Document::load(path);
    return doc ? popplerShape(doc->outline()) : QStringLiteral("<unreadable>");
}

int totalItems(const PdfOutline& node)
{
    int n = 0;
    for (int i = 0; i < node.childCount(); ++i)
        n += 1 + totalItems(*node.child(i));
    return n;
}

int depth(const PdfOutline& node)
{
    int d = 0;
    for (int i = 0; i < node.childCount(); ++i)
        d = std::max(d, 1 + depth(*node.child(i)));
    return d;
}

QPDFObjectHandle newItem(QPDF& qpdf, const std::string& title)
{
    auto node = qpdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    node.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title));
    return node;
}

// Links kids under parent as a well-formed sibling chain.
void link(QPDFObjectHandle parent, std::vector<QPDFObjectHandle> kids)
{
    for (size_t i = 0; i < kids.size(); ++i) {
        kids[i].replaceKey("/Parent", parent);
        if (i > 0)
            kids[i].replaceKey("/Prev", kids[i - 1]);
        if (i + 1 < kids.size())
            kids[i].replaceKey("/Next", kids[i + 1]);
    }
    parent.replaceKey("/First", kids.front());
    parent.replaceKey("/Last", kids.back());
    parent.replaceKey("/Count", QPDFObjectHandle::newInteger(int(kids.size())));
}

QPDFObjectHandle installOutlines(QPDF& qpdf)
{
    auto outlines = qpdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    qpdf.getRoot().replaceKey("/Outlines", outlines);
    return outlines;
}

class PdfOutlineTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    std::shared_ptr<PdfDocument> openNumbered(const QString& name, int pages)
    {
        return PdfDocument::open(testsupport::writeFile(path(name), pdftest::makeNumberedPdf(pages)));
    }
    QTemporaryDir m_dir;
};

TEST(PdfOutlineTree, InsertMoveAndRemove)
{
    auto root = PdfOutline::create();
    auto a = item("a"), b = item("b"), c = item("c");
    root->insertChild(a, 5);   // clamped to the end
    root->insertChild(b, -3);  // clamped to the front
    root->insertChild(c, 1);
    EXPECT_EQ(shape(*root), "b, c, a");
    EXPECT_EQ(a->parent(), root);

    // Moving takes the item out of its former parent.
    b->insertChild(a, 0);
    EXPECT_EQ(shape(*root), "b[a], c");
    EXPECT_EQ(a->parent(), b);

    c->removeFromParent();
    EXPECT_EQ(shape(*root), "b[a]");
    EXPECT_EQ(c->parent(), nullptr);
    c->removeFromParent();  // no parent: nothing happens
    EXPECT_EQ(root->child(1), nullptr);
    EXPECT_EQ(root->child(-1), nullptr);
    root->insertChild(nullptr, 0);
    EXPECT_EQ(root->childCount(), 1);
}

TEST(PdfOutlineTree, RefusesToMakeACycle)
{
    auto root = PdfOutline::create();
    auto a = add(root, item("a"));
    auto a1 = add(a, item("a1"));
    a->insertChild(a, 0);
    a1->insertChild(root, 0);
    a1->insertChild(a, 0);
    EXPECT_EQ(shape(*root), "a[a1]");
    EXPECT_EQ(root->parent(), nullptr);
}

TEST_F(PdfOutlineTest, RoundTripKeepsLabelsNestingAndDestinations)
{
    auto doc = openNumbered("three.pdf", 3);
    ASSERT_TRUE(doc);
    const QString unicode = QStringLiteral(u"Überblick – 日本語 😀");
    auto root = PdfOutline::create();
    auto first = add(root, item("First", doc->page(0), QPointF(10, 290)));
    add(first, item("Nested", doc->page(2), QPointF(0, 300)));
    auto deeper = add(first, item(unicode, doc->page(1), QPointF(25.5, 100.25)));
    add(deeper, item("Deepest"));
    add(root, item("Plain Ascii (parens) \\ back", doc->page(1), QPointF(0, 300)));
    add(root, item(QString()));
    doc->setOutlineRoot(root);
    ASSERT_TRUE(doc->write(QUrl::fromLocalFile(path("out.pdf"))));

    const QString expected = QStringLiteral("First@0[Nested@2, %1@1[Deepest]], Plain Ascii (parens) \\ back@1, ")
                                 .arg(unicode);
    EXPECT_EQ(popplerShape(path("out.pdf")), expected);

    auto reopened = PdfDocument::open(QUrl::fromLocalFile(path("out.pdf")));
    ASSERT_TRUE(reopened);
    auto read = reopened->outlineRoot();
    ASSERT_TRUE(read);
    EXPECT_EQ(shape(*read), expected);
    EXPECT_EQ(read->child(0)->destinationPoint(), QPointF(10, 290));
    EXPECT_EQ(read->child(0)->child(1)->destinationPoint(), QPointF(25.5, 100.25));
    EXPECT_EQ(read->child(0)->destinationPage().document(), reopened);
}

TEST_F(PdfOutlineTest, MergedDocumentPointsAtTheInsertedCopies)
{
    auto source = openNumbered("source.pdf", 3);
    auto other = openNumbered("other.pdf", 2);
    ASSERT_TRUE(source && other);
    auto merged = PdfDocument::create();
    ASSERT_FALSE(merged->insertPage(source->page(2), 0).isNull());
    ASSERT_FALSE(merged->insertPage(other->page(1), 1).isNull());
    ASSERT_FALSE(merged->insertPage(source->page(0), 2).isNull());

    auto root = PdfOutline::create();
    auto src = add(root, item("source", source->page(0), QPointF(0, 300)));
    add(src, item("third", source->page(2), QPointF(0, 300)));
    add(src, item("not taken", source->page(1), QPointF(0, 300)));
    add(root, item("other", other->page(1), QPointF(0, 300)));
    add(root, item("other first", other->page(0), QPointF(0, 300)));
    merged->setOutlineRoot(root);
    ASSERT_TRUE(merged->write(QUrl::fromLocalFile(path("merged.pdf"))));

    const QString expected = QStringLiteral("source@2[third@0, not taken], other@1, other first");
    EXPECT_EQ(popplerShape(path("merged.pdf")), expected);
    auto reopened = PdfDocument::open(QUrl::fromLocalFile(path("merged.pdf")));
    ASSERT_TRUE(reopened && reopened->outlineRoot());
    EXPECT_EQ(shape(*reopened->outlineRoot()), expected);
    EXPECT_EQ(reopened->page(2).text().trimmed(), "Page 1");
}

TEST_F(PdfOutlineTest, InputOutlineNestedUnderItsItemInAMergedDocument)
{
    auto input = openNumbered("input.pdf", 2);
    ASSERT_TRUE(input);
    auto own = PdfOutline::create();
    add(own, item("Chapter 2", input->page(1), QPointF(0, 300)));
    input->setOutlineRoot(own);
    ASSERT_TRUE(input->write(QUrl::fromLocalFile(path("with-outline.pdf"))));

    auto opened = PdfDocument::open(QUrl::fromLocalFile(path("with-outline.pdf")));
    ASSERT_TRUE(opened);
    auto merged = PdfDocument::create();
    ASSERT_FALSE(merged->insertPage(openNumbered("cover.pdf", 1)->page(0), 0).isNull());
    auto inputItem = opened->outlineRoot();
    ASSERT_TRUE(inputItem);
    inputItem->setLabel("with-outline");
    inputItem->setDestination(opened->page(0), QPointF(0, 300));
    for (int i = 0; i < opened->pageCount(); ++i)
        merged->insertPage(opened->page(i), merged->pageCount());
    auto root = PdfOutline::create();
    add(root, inputItem);
    merged->setOutlineRoot(root);
    ASSERT_TRUE(merged->write(QUrl::fromLocalFile(path("merged.pdf"))));
    EXPECT_EQ(popplerShape(path("merged.pdf")), "with-outline@1[Chapter 2@2]");
}

// Each item of a written file as qpdf reads it, one line each: indent by
// depth, title, what it leads to, /Count, /C and /F when present.
QStringList qpdfItems(const QString& file)
{
    QStringList lines;
    QPDF qpdf;
    qpdf.setSuppressWarnings(true);
    qpdf.processFile(file.toLocal8Bit().constData());
    const std::function<void(QPDFObjectHandle, int)> walk = [&](QPDFObjectHandle node, int depth) {
        for (int guard = 0; node.isDictionary() && guard < 100; node = node.getKey("/Next"), ++guard) {
            QString line = QString(depth * 2, QLatin1Char(' ')) + QString::fromStdString(node.getKey("/Title").getUTF8Value());
            if (node.getKey("/Dest").isArray())
                line += " dest";
            QPDFObjectHandle action = node.getKey("/A");
            if (action.isDictionary()) {
                action.removeKey("/Next");
                // Objects of the action's own shown as they are, not by number.
                for (const std::string& key : action.getKeys())
                    if (action.getKey(key).isIndirect())
                        action.replaceKey(key, action.getKey(key).shallowCopy());
                line += " " + QString::fromStdString(action.unparseResolved());
            }
            for (const char* key : {"/Count", "/C", "/F"})
                if (node.hasKey(key))
                    line += QStringLiteral(" %1 %2").arg(key, QString::fromStdString(node.getKey(key).unparse()));
            lines << line;
            walk(node.getKey("/First"), depth + 1);
        }
    };
    walk(qpdf.getRoot().getKey("/Outlines").getKey("/First"), 0);
    return lines;
}

TEST_F(PdfOutlineTest, ItemsKeepTheirActionsStateColourAndStyle)
{
    const QByteArray input = editedPdf(2, [](QPDF& qpdf, std::vector<QPDFObjectHandle>& pages) {
        const auto withKey = [&](const std::string& title, const std::string& key, const std::string& value) {
            QPDFObjectHandle node = newItem(qpdf, title);
            node.replaceKey(key, parseWithPages(qpdf, pages, value));
            return node;
        };
        QPDFObjectHandle web = withKey("Web", "/A", "<< /S /URI /URI (https://example.org/) /Next << /S /Named /N /LastPage >> >>");
        web.replaceKey("/C", QPDFObjectHandle::parse("[1 0 0]"));
        web.replaceKey("/F", QPDFObjectHandle::newInteger(3));
        QPDFObjectHandle closed = withKey("Closed", "/Dest", "[{0} /Fit]");
        QPDFObjectHandle inner = withKey("Inner", "/Dest", "[{1} /Fit]");
        QPDFObjectHandle innermost = withKey("Innermost", "/Dest", "[{1} /Fit]");
        QPDFObjectHandle open = withKey("Open", "/Dest", "[{1} /Fit]");
        QPDFObjectHandle leaf = withKey("Leaf", "/Dest", "[{0} /Fit]");
        QPDFObjectHandle remote = withKey("Remote", "/A", "<< /S /GoToR /F (other.pdf) /D [0 /Fit] >>");
        // An action with an object of its own, which must be copied with it.
        remote.getKey("/A").replaceKey(
            "/F", qpdf.makeIndirectObject(QPDFObjectHandle::parse("<< /Type /Filespec /F (other.pdf) >>")));
        QPDFObjectHandle named = withKey("Named", "/A", "<< /S /Named /N /NextPage >>");
        QPDFObjectHandle script = withKey("Script", "/A", "<< /S /JavaScript /JS (app.alert(1)) >>");
        QPDFObjectHandle outlines = installOutlines(qpdf);
        link(outlines, {web, closed, open, remote, named, script});
        link(closed, {inner});
        link(inner, {innermost});
        closed.replaceKey("/Count", QPDFObjectHandle::newInteger(-1));
        link(open, {leaf});
    });
    const QStringList expected = {
        R"(Web << /S /URI /URI (https://example.org/) >> /C [ 1 0 0 ] /F 3)",
        "Closed dest /Count -2",
        "  Inner dest /Count 1",
        "    Innermost dest",
        "Open dest /Count 1",
        "  Leaf dest",
        "Remote << /D [ 0 /Fit ] /F << /F (other.pdf) /Type /Filespec >> /S /GoToR >>",
        "Named << /N /NextPage /S /Named >>",
        "Script",
    };

    // Written again into the document itself.
    auto own = PdfDocument::open(testsupport::writeFile(path("in.pdf"), input));
    ASSERT_TRUE(own && own->outlineRoot());
    own->setOutlineRoot(own->outlineRoot());
    ASSERT_TRUE(own->write(QUrl::fromLocalFile(path("own.pdf"))));
    EXPECT_EQ(qpdfItems(path("own.pdf")).join('\n').toStdString(), expected.join('\n').toStdString());

    // Nested under an item of a merged document.
    auto merged = PdfDocument::create();
    auto root = PdfOutline::create();
    auto opened = PdfDocument::open(QUrl::fromLocalFile(path("in.pdf")));
    ASSERT_TRUE(opened);
    auto inputItem = opened->outlineRoot();
    ASSERT_TRUE(inputItem);
    inputItem->setLabel("in");
    for (int i = 0; i < opened->pageCount(); ++i)
        merged->insertPage(opened->page(i), i);
    inputItem->setDestination(opened->page(0), QPointF(0, 300));
    add(root, inputItem);
    merged->setOutlineRoot(root);
    // The input is gone before the merged document is written, as in a
    // merge that lets each input go once its pages are copied.
    opened.reset();
    ASSERT_TRUE(merged->write(QUrl::fromLocalFile(path("merged.pdf"))));
    QStringList nested = {"in dest /Count 7"};
    for (const QString& line : expected)
        nested << "  " + line;
    EXPECT_EQ(qpdfItems(path("merged.pdf")).join('\n').toStdString(), nested.join('\n').toStdString());
    EXPECT_EQ(testsupport::runQpdf({"--check", path("merged.pdf")}), 0);
}

TEST_F(PdfOutlineTest, DestinationOnARemovedPageIsLeftOut)
{
    auto doc = openNumbered("doc.pdf", 3);
    ASSERT_TRUE(doc);
    auto root = PdfOutline::create();
    add(root, item("gone", doc->page(1), QPointF(0, 300)));
    add(root, item("stays", doc->page(2), QPointF(0, 300)));
    ASSERT_TRUE(doc->removePage(1));
    doc->setOutlineRoot(root);
    ASSERT_TRUE(doc->write(QUrl::fromLocalFile(path("out.pdf"))));
    EXPECT_EQ(popplerShape(path("out.pdf")), "gone, stays@1");
}

TEST_F(PdfOutlineTest, NullOrEmptyRootRemovesTheOutline)
{
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty root" : "null root");
        auto doc = openNumbered("doc.pdf", 2);
        auto root = PdfOutline::create();
        add(root, item("one", doc->page(0), QPointF(0, 300)));
        doc->setOutlineRoot(root);
        ASSERT_TRUE(doc->write(QUrl::fromLocalFile(path("with.pdf"))));
        auto reopened = PdfDocument::open(QUrl::fromLocalFile(path("with.pdf")));
        ASSERT_TRUE(reopened && reopened->outlineRoot());
        reopened->setOutlineRoot(empty ? PdfOutline::create() : nullptr);
        ASSERT_TRUE(reopened->write(QUrl::fromLocalFile(path("without.pdf"))));
        auto again = PdfDocument::open(QUrl::fromLocalFile(path("without.pdf")));
        ASSERT_TRUE(again);
        EXPECT_EQ(again->outlineRoot(), nullptr);
        EXPECT_EQ(popplerShape(path("without.pdf")), "");
    }
}

TEST_F(PdfOutlineTest, DocumentWithoutOutlineHasNullRoot)
{
    auto doc = openNumbered("plain.pdf", 1);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->outlineRoot(), nullptr);
    EXPECT_EQ(PdfDocument::create()->outlineRoot(), nullptr);
}

struct DestinationCase {
    const char* name;
    const char* dest;    // the item's /Dest, or empty
    const char* action;  // the item's /A, or empty
    int page;            // -1: no destination
    QPointF point;
};

TEST(PdfOutlineReading, DestinationForms)
{
    // Page 1 has a crop box, so a missing point reads as its top-left corner.
    const DestinationCase cases[] = {
        {"explicit XYZ", "[{1} /XYZ 15 250 0]", "", 1, {15, 250}},
        {"XYZ without point", "[{1} /XYZ null null null]", "", 1, {10, 220}},
        {"XYZ without top", "[{1} /XYZ 30 null 2]", "", 1, {30, 220}},
        {"Fit", "[{2} /Fit]", "", 2, {0, 300}},
        {"FitH", "[{0} /FitH 123]", "", 0, {0, 123}},
        {"FitR", "[{0} /FitR 5 6 50 60]", "", 0, {5, 60}},
        {"name in /Dests", "/Chap2", "", 2, {1, 2}},
        {"name in /Dests with /D", "/Chap3", "", 0, {3, 4}},
        {"string in name tree", "(sec1)", "", 1, {7, 8}},
        {"GoTo action", "", "<< /S /GoTo /D [{2} /XYZ 9 10 null] >>", 2, {9, 10}},
        {"GoTo action by name", "", "<< /S /GoTo /D (sec1) >>", 1, {7, 8}},
        {"URI action", "", "<< /S /URI /URI (http://example.invalid/) >>", -1, {}},
        {"page index", "[1 /XYZ 11 12 null]", "", 1, {11, 12}},
        {"page index out of range", "[7 /XYZ 11 12 null]", "", -1, {}},
        {"unknown name", "/Nope", "", -1, {}},
        {"not a page", "[<< /Type /Page >> /XYZ 0 0 null]", "", -1, {}},
        {"empty array", "[]", "", -1, {}},
        {"names pointing at each other", "/Loop1", "", -1, {}},
        {"non-finite point", "[{0} /XYZ 1e400 5 null]", "", 0, {0, 5}},
    };
    const QByteArray bytes = editedPdf(3, [&](QPDF& qpdf, std::vector<QPDFObjectHandle>& pages) {
        pages[1].replaceKey("/CropBox", parseWithPages(qpdf, pages, "[10 20 110 220]"));
        qpdf.getRoot().replaceKey("/Dests", parseWithPages(qpdf, pages,
            "<< /Chap2 [{2} /XYZ 1 2 null] /Chap3 << /D [{0} /XYZ 3 4 null] >> /Loop1 /Loop2 /Loop2 /Loop1 >>"));
        qpdf.getRoot().replaceKey("/Names", parseWithPages(qpdf, pages,
            "<< /Dests << /Names [(sec1) [{1} /XYZ 7 8 null]] >> >>"));
        std::vector<QPDFObjectHandle> items;
        for (const auto& c : cases) {
            auto node = newItem(qpdf, c.name);
            if (*c.dest)
                node.replaceKey("/Dest", parseWithPages(qpdf, pages, c.dest));
            if (*c.action)
                node.replaceKey("/A", parseWithPages(qpdf, pages, c.action));
            items.push_back(node);
        }
        link(installOutlines(qpdf), items);
    });
    auto doc = PdfDocument::fromData(bytes);
    ASSERT_TRUE(doc);
    auto root = doc->outlineRoot();
    ASSERT_TRUE(root);
    ASSERT_EQ(root->childCount(), int(std::size(cases)));
    for (int i = 0; i < root->childCount(); ++i) {
        const DestinationCase& c = cases[i];
        SCOPED_TRACE(c.name);
        const auto read = root->child(i);
        EXPECT_EQ(read->label(), QString::fromLatin1(c.name));
        EXPECT_EQ(read->hasDestination() ? read->destinationPage().index() : -1, c.page);
        if (c.page >= 0) {
            EXPECT_EQ(read->destinationPoint(), c.point);
        }
    }
}

TEST(PdfOutlineReading, TitleEncodings)
{
    const QByteArray bytes = editedPdf(1, [](QPDF& qpdf, std::vector<QPDFObjectHandle>&) {
        auto doc = newItem(qpdf, "");
        // PDFDocEncoding: 0x80 is a bullet, 0xE9 is é.
        doc.replaceKey("/Title", QPDFObjectHandle::newString(std::string("\x80 caf\xE9", 6)));
        auto utf16 = newItem(qpdf, "");
        utf16.replaceKey("/Title", QPDFObjectHandle::newString(std::string("\xFE\xFF\x00\x41\x26\x3A", 6)));
        auto number = newItem(qpdf, "");
        number.replaceKey("/Title", QPDFObjectHandle::newInteger(5));
        link(installOutlines(qpdf), {doc, utf16, number});
    });
    auto doc = PdfDocument::fromData(bytes);
    ASSERT_TRUE(doc && doc->outlineRoot());
    EXPECT_EQ(shape(*doc->outlineRoot()), QStringLiteral(u"\u2022 café, A\u263A, "));
}

struct MalformedCase {
    const char* name;
    std::function<void(QPDF&, QPDFObjectHandle outlines)> build;
    int items;  // items read; 0: no outline at all
    int depth;
};

TEST(PdfOutlineReading, MalformedOutlinesOpenWithoutHanging)
{
    const MalformedCase cases[] = {
        {"cycle through /Next",
         [](QPDF& q, QPDFObjectHandle outlines) {
             auto a = newItem(q, "a"), b = newItem(q, "b");
             link(outlines, {a, b});
             b.replaceKey("/Next", a);
         },
         2, 1},
        {"child pointing back at its parent",
         [](QPDF& q, QPDFObjectHandle outlines) {
             auto a = newItem(q, "a"), a1 = newItem(q, "a1");
             link(outlines, {a});
             link(a, {a1});
             a1.replaceKey("/First", a);
             a1.replaceKey("/Next", a1);
         },
         2, 2},
        {"first pointing at the outline dictionary",
         [](QPDF&, QPDFObjectHandle outlines) { outlines.replaceKey("/First", outlines); }, 0, 0},
        {"very deep nesting",
         [](QPDF& q, QPDFObjectHandle outlines) {
             QPDFObjectHandle parent = outlines;
             for (int i = 0; i < 5000; ++i) {
                 auto node = newItem(q, "level");
                 link(parent, {node});
                 parent = node;
             }
         },
         64, 64},
        {"next is not a dictionary",
         [](QPDF& q, QPDFObjectHandle outlines) {
             auto a = newItem(q, "a");
             link(outlines, {a});
             a.replaceKey("/Next", QPDFObjectHandle::newInteger(3));
         },
         1, 1},
        {"item is not a dictionary",
         [](QPDF&, QPDFObjectHandle outlines) { outlines.replaceKey("/First", QPDFObjectHandle::newArray()); },
         0, 0},
        {"outlines is not a dictionary",
         [](QPDF& q, QPDFObjectHandle) { q.getRoot().replaceKey("/Outlines", QPDFObjectHandle::newInteger(1)); },
         0, 0},
        {"missing reference",
         [](QPDF& q, QPDFObjectHandle outlines) {
             auto a = newItem(q, "a");
             link(outlines, {a});
             a.replaceKey("/Next", q.getObject(9999, 0));
         },
         1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray bytes = editedPdf(1, [&](QPDF& qpdf, std::vector<QPDFObjectHandle>&) {
            c.build(qpdf, installOutlines(qpdf));
        });
        auto doc = PdfDocument::fromData(bytes);
        ASSERT_TRUE(doc);
        auto root = doc->outlineRoot();
        EXPECT_EQ(root ? totalItems(*root) : 0, c.items);
        EXPECT_EQ(root ? depth(*root) : 0, c.depth);
        EXPECT_EQ(doc->pageCount(), 1);
        EXPECT_FALSE(doc->dataRepresentation().isEmpty());
    }
}

} // namespace
