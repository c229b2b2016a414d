#pragma once
// Private to platform/pdf: the state behind a PdfDocument, shared by the
// files of this folder (documents, pages, outlines, drawing context).
#include "platform/pdf/PdfAttributedText_p.h"
#include "platform/pdf/PdfDocument.h"
#include "platform/pdf/PopplerSource_p.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjGen.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QByteArray>
#include <QString>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform::pdf {

struct PdfDocument::Impl {
    Impl();
    ~Impl();

    // The document's objects; null while the document is locked.
    std::shared_ptr<QPDF> qpdf;

    // Where it came from: a file path, or empty for created / in-memory ones.
    QString path;
    // The bytes of a document made from data (qpdf reads them lazily).
    QByteArray data;
    // The password that opened it (empty when none was needed).
    std::string password;
    bool encrypted = false;
    bool locked = false;
    bool ownerPasswordMatched = false;

    // Set by every edit (pages, rotation, boxes, outline, information);
    // Poppler then reads a fresh serialisation instead of the file.
    bool modified = false;
    // Call after an edit; pagesChanged drops the page list cache too, and
    // textsChanged the pages' extracted texts (kept across removals and
    // rotations, which leave every remaining page's text as it was).
    void markModified(bool pagesChanged = true, bool textsChanged = true);

    // After a page was added at the end: extends the page list cache instead
    // of dropping it, so that appending n pages costs O(n), not O(n^2).
    void markPageAppended(const QPDFObjectHandle& page);

    // The page objects in document order, cached until the next page edit.
    // Empty while locked.
    const std::vector<QPDFObjectHandle>& pages() const;
    // Index of a page object in pages(); -1 when it is not a page of this
    // document (any more).
    int indexOf(QPDFObjGen page) const;
    // The page object; an uninitialised handle when it is not a page here.
    QPDFObjectHandle pageObject(QPDFObjGen page) const;
    // The page object behind a handle of this document; uninitialised when
    // the handle is null, of another document or no longer a page here.
    QPDFObjectHandle pageObject(const PdfPage& page) const;

    // Names the document in the pages copied from it, also once it is gone
    // (its address may be handed to the next document); never 0.
    const quint64 id;

    // Documents whose objects the streams copied into this one read through
    // when it is written (qpdf reads stream data lazily). Copies of a
    // stream read from a file or data need only that input, which qpdf
    // keeps open itself; copies of a stream that a document had copied in
    // from elsewhere (pages, or outline actions) need that document's
    // objects, and those of its own sources.
    std::vector<std::shared_ptr<QPDF>> sources;
    // Keeps what copies of source's streams read through (see sources).
    void keepSourcesOf(const Impl& source);

    // Every page copied in from another document, by source document and
    // page object there, in insertion order for each.
    std::multimap<std::pair<quint64, QPDFObjGen>, QPDFObjGen> insertedPages;
    // The first copy of the page of the document with sourceId that is still
    // a page of this one; an objgen of 0/0 when there is none.
    QPDFObjGen copyOf(quint64 sourceId, QPDFObjGen sourcePage) const;

    // Outline: read from the file on first use of outlineRoot();
    // outlineReplaced once setOutlineRoot was called (a null root then
    // removes /Outlines on write). PdfDocument::outlineRoot/setOutlineRoot
    // live with the outline code (setOutlineRoot calls markModified(false)).
    std::shared_ptr<PdfOutline> outline;
    bool outlineLoaded = false;
    bool outlineReplaced = false;

    // Where Poppler reads the document: its file or bytes while unedited,
    // else a fresh serialisation (empty when that fails).
    PopplerSource popplerSource() const;
    // Poppler's view of the document for text and rendering, rebuilt lazily
    // after a modification. Null when Poppler cannot read it.
    Poppler::Document* popplerDocument() const;
    // The text of a page of this document, cached by page object. The first
    // page asked for is read alone; the next one reads all the rest at once
    // (on several threads): whoever asks twice is walking the pages.
    QString pageText(QPDFObjGen page) const;
    // Page texts with their characters' looks, rebuilt lazily after a
    // modification. Null when Poppler cannot read the document.
    AttributedTextReader* attributedTextReader() const;
    // Serialises the current objects, unencrypted; empty on failure.
    QByteArray serialise() const;

private:
    mutable std::vector<QPDFObjectHandle> m_pages;
    mutable std::map<QPDFObjGen, int> m_pageIndex;
    mutable bool m_pagesValid = false;
    mutable std::unique_ptr<Poppler::Document> m_poppler;
    mutable bool m_popplerValid = false;
    mutable std::unique_ptr<AttributedTextReader> m_attributedText;
    mutable bool m_attributedTextValid = false;
    mutable std::map<QPDFObjGen, QString> m_pageTexts;
    mutable bool m_pageTextsValid = false;
};

// A QPDF with an empty document, that keeps its warnings to itself.
std::shared_ptr<QPDF> newEmptyQpdf();

// Implemented with the outline code: when impl.outlineReplaced, replaces the
// catalog's /Outlines by impl.outline (destinations on pages of other
// documents resolve through impl.copyOf). Called by every write and
// serialisation just before qpdf writes.
void writeOutline(PdfDocument::Impl& impl);

} // namespace platform::pdf
