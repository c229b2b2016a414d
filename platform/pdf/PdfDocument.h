#pragma once
// PDF documents: open, unlock, inspect, edit pages and write, over qpdf (the
// document structure and writing) and Poppler (page text and rendering).
// Every library exception is caught inside: a damaged file gives a null
// document or a false answer, never an exception.
#include "platform/pdf/PdfOutline.h"
#include "platform/pdf/PdfPage.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>
#include <QUrl>
#include <QVariantMap>

#include <memory>

namespace platform::pdf {

class PdfDocument : public std::enable_shared_from_this<PdfDocument> {
public:
    struct Impl;

    // A new document without pages.
    static std::shared_ptr<PdfDocument> create();
    // Opens a file; null when it is missing or no PDF. An encrypted file whose
    // empty password does not open it opens locked.
    static std::shared_ptr<PdfDocument> open(const QUrl& url);
    static std::shared_ptr<PdfDocument> fromData(const QByteArray& data);

    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    bool isEncrypted() const;
    // True until a password that opens the document has been given.
    bool isLocked() const;
    // Tries a password (user or owner); true when the document is now
    // unlocked. A document that opened without a password gains the owner's
    // rights from the owner's password (before any edit: it is read again).
    bool unlock(const QString& password);
    // Permissions of the unlocked document; the owner password allows all.
    bool allowsPrinting() const;
    bool allowsCopying() const;

    // Pages: zero while locked.
    int pageCount() const;
    // A handle of the page at index; null when out of range.
    PdfPage page(int index) const;
    // Removes the page at index; false when out of range.
    bool removePage(int index);
    // Inserts a copy of a page of any document (this one included) at index
    // (clamped to 0..pageCount), copied as objects with its resources, never
    // redrawn. Answers the inserted page; null on failure.
    PdfPage insertPage(const PdfPage& page, int index);
    // Inserts a page of size (points) without content at index (clamped).
    // Answers the inserted page; null on failure.
    PdfPage insertBlankPage(int index, const QSizeF& size);

    // Sets the page's media box to (0, 0, size) and drops its other boxes,
    // moving the content so that what stood at the top-left corner stays
    // there. For printers that round the paper to whole points.
    bool resizePageKeepingTopLeft(int index, const QSizeF& size);

    // Writes the document. options: document information and security keys
    // of platform/DictionaryKeys.h; an empty map writes it unencrypted with
    // its own information. The file at url is replaced only by a complete one.
    bool write(const QUrl& url, const QVariantMap& options = {}) const;
    // Whether writing with options encrypts: a user or owner password is set.
    static bool optionsEncrypt(const QVariantMap& options);
    // The document as PDF data, unencrypted, without write options.
    QByteArray dataRepresentation() const;

    // The document's outline: read from the file when opened (null when it
    // has none); set to replace it on the next write (null removes it).
    std::shared_ptr<PdfOutline> outlineRoot() const;
    void setOutlineRoot(const std::shared_ptr<PdfOutline>& root);

    // The document information dictionary's entries, by PDF key ("Title",
    // "Author", "Subject", "Keywords", "Creator", "Producer").
    QString information(const QString& key) const;

    Impl& impl() const { return *d; }

private:
    explicit PdfDocument(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace platform::pdf
