#include "platform/pdf/PdfOutlineFile_p.h"

#include "platform/pdf/PdfDocument_p.h"
#include "platform/pdf/PdfPageBoxes_p.h"

#include <qpdf/QPDFNameTreeObjectHelper.hh>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <set>
#include <vector>

namespace platform::pdf {

namespace {

// Bounds for damaged or hostile files: nesting, total items and the
// indirections of a named destination.
constexpr int kMaxDepth = 64;
constexpr int kMaxItems = 100000;
constexpr int kMaxDestinationHops = 8;
// Trees we build ourselves are not hostile, but the writer recurses.
constexpr int kMaxWriteDepth = 1000;

// Actions kept as they are: none of them can point into the document's own
// pages, so they mean the same in any document they are copied to. Scripts
// are not carried over.
const char* const kKeptActions[] = {"/URI", "/GoToR", "/GoToE", "/Launch", "/Named"};

std::optional<double> finiteNumber(QPDFObjectHandle value)
{
    if (!value.isInitialized() || !value.isNumber())
        return std::nullopt;
    const double v = value.getNumericValue();
    return std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

class OutlineReader {
public:
    explicit OutlineReader(const PdfDocument& document)
        : m_impl(document.impl()),
          m_self(std::const_pointer_cast<PdfDocument>(document.weak_from_this().lock()))
    {
    }

    std::shared_ptr<PdfOutline> read()
    {
        QPDF& qpdf = *m_impl.qpdf;
        QPDFObjectHandle root = qpdf.getRoot();
        QPDFObjectHandle outlines = root.getKey("/Outlines");
        if (!outlines.isDictionary())
            return nullptr;
        if (outlines.isIndirect())
            m_visited.insert(outlines.getObjGen());
        m_dests = root.getKey("/Dests");
        QPDFObjectHandle names = root.getKey("/Names");
        if (names.isDictionary())
            m_nameTree = names.getKey("/Dests");
        auto outlineRoot = PdfOutline::create();
        readChildren(outlines.getKey("/First"), *outlineRoot, 1);
        return outlineRoot->childCount() > 0 ? outlineRoot : nullptr;
    }

private:
    void readChildren(QPDFObjectHandle first, PdfOutline& parent, int depth)
    {
        if (depth > kMaxDepth)
            return;
        for (QPDFObjectHandle node = first; node.isDictionary(); node = node.getKey("/Next")) {
            // A node seen before closes a cycle (also one through /First).
            if (node.isIndirect() && !m_visited.insert(node.getObjGen()).second)
                return;
            if (++m_items > kMaxItems)
                return;
            std::shared_ptr<PdfOutline> item;
            try {
                item = readItem(node);
            } catch (const std::exception&) {
                continue;
            }
            parent.insertChild(item, parent.childCount());
            try {
                readChildren(node.getKey("/First"), *item, depth + 1);
            } catch (const std::exception&) {
            }
        }
    }

    std::shared_ptr<PdfOutline> readItem(QPDFObjectHandle node)
    {
        auto item = PdfOutline::create();
        QPDFObjectHandle title = node.getKey("/Title");
        if (title.isString())
            item->setLabel(QString::fromStdString(title.getUTF8Value()));
        QPDFObjectHandle dest = node.getKey("/Dest");
        if (dest.isNull()) {
            QPDFObjectHandle action = node.getKey("/A");
            if (action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo"))
                dest = action.getKey("/D");
            else if (action.isDictionary())
                keepAction(*item, action);
        }
        try {
            setDestination(*item, dest);
        } catch (const std::exception&) {
            // The item stays, without a destination.
        }
        readAppearance(*item, node);
        return item;
    }

    void keepAction(PdfOutline& item, QPDFObjectHandle action)
    {
        QPDFObjectHandle type = action.getKey("/S");
        if (std::none_of(std::begin(kKeptActions), std::end(kKeptActions),
                         [&](const char* name) { return type.isNameAndEquals(name); }))
            return;
        // A chain of further actions could lead anywhere: the first one only.
        QPDFObjectHandle first = action.shallowCopy();
        first.removeKey("/Next");
        // Copied out of the document, so that the item does not keep all of
        // it alive (a merge lets each input go once its pages are copied).
        // Only an indirect object can be copied.
        if (!m_actions)
            m_actions = newEmptyQpdf();
        if (!m_actions)
            return;
        auto kept = std::make_shared<PdfOutline::Action>();
        kept->source = m_actions;
        try {
            kept->dictionary = m_actions->copyForeignObject(m_impl.qpdf->makeIndirectObject(first));
        } catch (const std::exception&) {
            return;
        }
        item.setAction(std::move(kept));
    }

    static void readAppearance(PdfOutline& item, QPDFObjectHandle node)
    {
        // Children shown unless the item says it is closed (or says nothing).
        QPDFObjectHandle count = node.getKey("/Count");
        item.setIsOpen(count.isInteger() && count.getIntValue() > 0);
        QPDFObjectHandle color = node.getKey("/C");
        if (color.isArray() && color.getArrayNItems() == 3) {
            const auto channel = [&](int i) {
                return std::clamp(finiteNumber(color.getArrayItem(i)).value_or(0.0), 0.0, 1.0);
            };
            item.setColor(QColor::fromRgbF(float(channel(0)), float(channel(1)), float(channel(2))));
        }
        QPDFObjectHandle flags = node.getKey("/F");
        if (flags.isInteger())
            item.setStyleFlags(int(flags.getIntValue() & 3));
    }

    // A named destination's array: /Dests dictionary or name tree, by name or
    // string (files use either spelling with either place).
    QPDFObjectHandle lookUp(const std::string& key)
    {
        if (m_dests.isDictionary()) {
            QPDFObjectHandle found = m_dests.getKey("/" + key);
            if (!found.isNull())
                return found;
        }
        if (m_nameTree.isDictionary()) {
            QPDFNameTreeObjectHelper tree(m_nameTree, *m_impl.qpdf, false);
            QPDFObjectHandle found;
            if (tree.findObject(key, found))
                return found;
        }
        return QPDFObjectHandle();
    }

    void setDestination(PdfOutline& item, QPDFObjectHandle dest)
    {
        for (int hop = 0; hop < kMaxDestinationHops; ++hop) {
            if (dest.isName())
                dest = lookUp(dest.getName().substr(1));
            else if (dest.isString())
                dest = lookUp(dest.getStringValue());
            else if (dest.isDictionary())
                dest = dest.getKey("/D");
            else
                break;
        }
        if (!dest.isInitialized() || !dest.isArray() || dest.getArrayNItems() < 1)
            return;
        QPDFObjectHandle pageObject;
        QPDFObjectHandle target = dest.getArrayItem(0);
        if (target.isDictionary()) {
            pageObject = m_impl.pageObject(target.getObjGen());
        } else if (target.isInteger()) {
            // Some writers put a page index where a reference belongs.
            const long long index = target.getIntValue();
            const auto& pages = m_impl.pages();
            if (index >= 0 && index < (long long)pages.size())
                pageObject = pages[size_t(index)];
        }
        if (!pageObject.isInitialized())
            return;
        const QRectF crop = boxes::cropBox(pageObject);
        double left = crop.x();
        double top = crop.y() + crop.height();
        const int n = dest.getArrayNItems();
        QPDFObjectHandle mode = n > 1 ? dest.getArrayItem(1) : QPDFObjectHandle();
        const auto arg = [&](int i) { return i < n ? finiteNumber(dest.getArrayItem(i)) : std::nullopt; };
        if (mode.isNameAndEquals("/XYZ") || mode.isNameAndEquals("/FitR")) {
            // [page /FitR left bottom right top]
            const bool fitR = mode.isNameAndEquals("/FitR");
            left = arg(2).value_or(left);
            top = arg(fitR ? 5 : 3).value_or(top);
        } else if (mode.isNameAndEquals("/FitH") || mode.isNameAndEquals("/FitBH")) {
            top = arg(2).value_or(top);
        } else if (mode.isNameAndEquals("/FitV") || mode.isNameAndEquals("/FitBV")) {
            left = arg(2).value_or(left);
        }
        const QPDFObjGen og = pageObject.getObjGen();
        item.setDestination(PdfPage(m_self, og.getObj(), og.getGen()), QPointF(left, top));
    }

    const PdfDocument::Impl& m_impl;
    std::shared_ptr<PdfDocument> m_self;
    // The kept actions of the items read.
    std::shared_ptr<QPDF> m_actions;
    QPDFObjectHandle m_dests;
    QPDFObjectHandle m_nameTree;
    std::set<QPDFObjGen> m_visited;
    int m_items = 0;
};

// The page object in impl that page stands for: the page itself when it is
// one of impl's, else the copy made when it was inserted (also when the
// page's own document is gone by now).
QPDFObjectHandle pageInDocument(const PdfDocument::Impl& impl, const PdfPage& page)
{
    const QPDFObjGen og(page.objectId(), page.generation());
    if (page.documentId() == impl.id)
        return impl.pageObject(og);
    const QPDFObjGen copy = impl.copyOf(page.documentId(), og);
    return copy.getObj() == 0 ? QPDFObjectHandle() : impl.pageObject(copy);
}

QPDFObjectHandle coordinate(double value)
{
    return std::isfinite(value) ? QPDFObjectHandle::newReal(value, 4, true) : QPDFObjectHandle::newNull();
}

// The action as an object of impl's document; uninitialised when it cannot
// be copied there (the item is then written without it).
QPDFObjectHandle actionIn(PdfDocument::Impl& impl, const PdfOutline::Action& action)
{
    if (action.source == impl.qpdf)
        return action.dictionary;
    try {
        QPDFObjectHandle copy = impl.qpdf->copyForeignObject(action.dictionary);
        // Streams in it (a launch parameter, say) are read when impl is written.
        if (std::find(impl.sources.begin(), impl.sources.end(), action.source) == impl.sources.end())
            impl.sources.push_back(action.source);
        return copy;
    } catch (const std::exception&) {
        return QPDFObjectHandle();
    }
}

void writeDestination(PdfDocument::Impl& impl, const PdfOutline& item, QPDFObjectHandle object)
{
    // Not hasDestination(): a page whose document is gone may have a copy here.
    if (item.destinationPage().objectId() > 0) {
        QPDFObjectHandle page = pageInDocument(impl, item.destinationPage());
        if (page.isInitialized()) {
            const QPointF point = item.destinationPoint();
            QPDFObjectHandle dest = QPDFObjectHandle::newArray();
            dest.appendItem(page);
            dest.appendItem(QPDFObjectHandle::newName("/XYZ"));
            dest.appendItem(coordinate(point.x()));
            dest.appendItem(coordinate(point.y()));
            dest.appendItem(QPDFObjectHandle::newNull());
            object.replaceKey("/Dest", dest);
            return;
        }
    }
    if (item.action()) {
        QPDFObjectHandle action = actionIn(impl, *item.action());
        if (action.isInitialized())
            object.replaceKey("/A", action);
    }
}

void writeAppearance(const PdfOutline& item, QPDFObjectHandle object)
{
    const QColor color = item.color();
    if (color.isValid()) {
        QPDFObjectHandle rgb = QPDFObjectHandle::newArray();
        for (const float channel : {color.redF(), color.greenF(), color.blueF()})
            rgb.appendItem(QPDFObjectHandle::newReal(channel, 4, true));
        object.replaceKey("/C", rgb);
    }
    if (item.styleFlags() != 0)
        object.replaceKey("/F", QPDFObjectHandle::newInteger(item.styleFlags()));
}

// Writes parent's children below parentObject; answers how many of the
// items written under it a reader shows while parent is open.
int writeChildren(PdfDocument::Impl& impl, const PdfOutline& parent, QPDFObjectHandle parentObject,
                  int depth)
{
    QPDF& qpdf = *impl.qpdf;
    std::vector<QPDFObjectHandle> written;
    int total = 0;
    for (int i = 0; i < parent.childCount(); ++i) {
        const std::shared_ptr<PdfOutline> child = parent.child(i);
        QPDFObjectHandle object = qpdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        object.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(child->label().toStdString()));
        object.replaceKey("/Parent", parentObject);
        writeDestination(impl, *child, object);
        writeAppearance(*child, object);
        if (!written.empty()) {
            written.back().replaceKey("/Next", object);
            object.replaceKey("/Prev", written.back());
        }
        written.push_back(object);
        int below = 0;
        if (depth < kMaxWriteDepth && child->childCount() > 0) {
            below = writeChildren(impl, *child, object, depth + 1);
            // Negative for a closed item: what opening it would show.
            object.replaceKey("/Count", QPDFObjectHandle::newInteger(child->isOpen() ? below : -below));
        }
        total += 1 + (child->isOpen() ? below : 0);
    }
    if (!written.empty()) {
        parentObject.replaceKey("/First", written.front());
        parentObject.replaceKey("/Last", written.back());
    }
    return total;
}

} // namespace

std::shared_ptr<PdfOutline> readOutline(const PdfDocument& document)
{
    if (!document.impl().qpdf)
        return nullptr;
    try {
        return OutlineReader(document).read();
    } catch (const std::exception&) {
        return nullptr;
    }
}

void writeOutline(PdfDocument::Impl& impl)
{
    if (!impl.outlineReplaced || !impl.qpdf)
        return;
    QPDFObjectHandle root = impl.qpdf->getRoot();
    root.removeKey("/Outlines");
    if (!impl.outline || impl.outline->childCount() == 0)
        return;
    QPDFObjectHandle outlines = impl.qpdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
    outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    const int count = writeChildren(impl, *impl.outline, outlines, 1);
    outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(count));
    root.replaceKey("/Outlines", outlines);
}

} // namespace platform::pdf
