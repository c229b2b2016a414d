#include "platform/pdf/PdfDocument.h"

#include "platform/DictionaryKeys.h"
#include "platform/pdf/PdfDocument_p.h"
#include "platform/pdf/PdfFileOutput_p.h"
#include "platform/pdf/PdfInputSource_p.h"
#include "platform/pdf/PdfLog_p.h"
#include "platform/pdf/PdfPageBoxes_p.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>
#include <qpdf/QUtil.hh>

#include <poppler/qt6/poppler-qt6.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sys/resource.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace platform::pdf {

namespace {

// What qpdf repaired or found damaged, which it keeps to itself.
void logWarnings(QPDF& qpdf)
{
    for (const QPDFExc& warning : qpdf.getWarnings())
        qCInfo(lcPdf) << "qpdf:" << warning.what();
}

// qpdf decides itself whether a password is the user or the owner one.
std::shared_ptr<QPDF> newQpdf()
{
    auto qpdf = std::make_shared<QPDF>();
    qpdf->setSuppressWarnings(true);
    return qpdf;
}

quint64 newDocumentId()
{
    static std::atomic<quint64> next{1};
    return next++;
}

enum class OpenResult { Ok, NeedsPassword, Failed };

struct Opened {
    OpenResult result = OpenResult::Failed;
    std::shared_ptr<QPDF> qpdf;
};

// Reads the document's objects from its file or data with a password.
Opened readObjects(const PdfDocument::Impl& impl, const std::string& password)
{
    auto qpdf = newQpdf();
    try {
        // The data is read where it is (the source keeps it alive for as
        // long as copies of the document's streams read from it).
        const std::shared_ptr<PdfInputSource> source =
            impl.path.isEmpty() ? PdfInputSource::fromData(impl.data) : PdfInputSource::open(impl.path);
        if (!source) {
            qCInfo(lcPdf) << impl.path << "not opened for reading";
            return {};
        }
        qpdf->processInputSource(source, password.c_str());
        // Parsing the page tree up front turns a file without one into a
        // failure here instead of empty answers later.
        qpdf->getAllPages();
        qpdf->getRoot();
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            return {OpenResult::NeedsPassword, nullptr};
        qCInfo(lcPdf) << "PDF not opened:" << e.what();
        return {};
    } catch (const std::exception& e) {
        qCInfo(lcPdf) << "PDF not opened:" << e.what();
        return {};
    }
    logWarnings(*qpdf);
    return {OpenResult::Ok, std::move(qpdf)};
}

bool ownerPasswordMatched(QPDF& qpdf)
{
    try {
        return qpdf.isEncrypted() && qpdf.ownerPasswordMatched();
    } catch (const std::exception&) {
        return false;
    }
}

// Makes objects read with password the document's own.
void adopt(PdfDocument::Impl& impl, std::shared_ptr<QPDF> qpdf, const std::string& password)
{
    impl.qpdf = std::move(qpdf);
    impl.password = password;
    impl.locked = false;
    try {
        impl.encrypted = impl.encrypted || impl.qpdf->isEncrypted();
    } catch (const std::exception&) {
    }
    impl.ownerPasswordMatched = ownerPasswordMatched(*impl.qpdf);
    impl.markModified();
    impl.modified = false;
}

// Where PDF readers look for the header.
bool hasPdfHeader(const QByteArray& head)
{
    return head.left(1024).contains("%PDF-");
}

// Passwords are bytes in the file; try the encodings a user's text may have
// been written with.
std::vector<std::string> passwordCandidates(const QString& password)
{
    std::vector<std::string> out;
    const std::string utf8 = password.toStdString();
    std::string pdfDoc;
    if (QUtil::utf8_to_pdf_doc(utf8, pdfDoc))
        out.push_back(pdfDoc);
    if (out.empty() || out.front() != utf8)
        out.push_back(utf8);
    const QByteArray latin1 = password.toLatin1();
    const std::string l1(latin1.constData(), size_t(latin1.size()));
    if (l1 != utf8 && (out.size() < 2 || out.front() != l1))
        out.push_back(l1);
    return out;
}

std::string passwordBytes(const QString& password)
{
    const std::string utf8 = password.toStdString();
    std::string pdfDoc;
    return QUtil::utf8_to_pdf_doc(utf8, pdfDoc) ? pdfDoc : utf8;
}

bool optionBool(const QVariantMap& options, QLatin1StringView key, bool fallback)
{
    const auto it = options.constFind(QString(key));
    return it == options.constEnd() || !it->isValid() ? fallback : it->toBool();
}

// Sets the /Info entries of the write options; remembers the old values so
// that the document itself is left as it was.
class InfoOverride {
public:
    InfoOverride(QPDF& qpdf, const QVariantMap& options)
    {
        static const std::pair<QLatin1StringView, const char*> map[] = {
            {keys::kCGPDFContextTitle, "/Title"},
            {keys::kCGPDFContextAuthor, "/Author"},
            {keys::kCGPDFContextSubject, "/Subject"},
            {keys::kCGPDFContextKeywords, "/Keywords"},
            {keys::kCGPDFContextCreator, "/Creator"},
        };
        for (const auto& [option, key] : map) {
            const auto it = options.constFind(QString(option));
            if (it == options.constEnd() || !it->canConvert<QString>())
                continue;
            if (!m_trailer.isInitialized()) {
                m_trailer = qpdf.getTrailer();
                m_info = m_trailer.getKey("/Info");
                if (!m_info.isDictionary()) {
                    m_oldInfo = m_info;
                    m_replacedInfo = true;
                    m_info = qpdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
                    m_trailer.replaceKey("/Info", m_info);
                }
            }
            m_old.emplace_back(key, m_info.hasKey(key) ? m_info.getKey(key) : QPDFObjectHandle());
            m_info.replaceKey(key, QPDFObjectHandle::newUnicodeString(it->toString().toStdString()));
        }
    }
    ~InfoOverride()
    {
        try {
            for (auto it = m_old.rbegin(); it != m_old.rend(); ++it) {
                if (it->second.isInitialized())
                    m_info.replaceKey(it->first, it->second);
                else
                    m_info.removeKey(it->first);
            }
            if (m_replacedInfo) {
                if (m_oldInfo.isInitialized() && !m_oldInfo.isNull())
                    m_trailer.replaceKey("/Info", m_oldInfo);
                else
                    m_trailer.removeKey("/Info");
            }
        } catch (const std::exception&) {
        }
    }
    InfoOverride(const InfoOverride&) = delete;
    InfoOverride& operator=(const InfoOverride&) = delete;

private:
    QPDFObjectHandle m_trailer, m_info, m_oldInfo;
    bool m_replacedInfo = false;
    std::vector<std::pair<std::string, QPDFObjectHandle>> m_old;
};

// qpdf writes the trailer's /Size with its own count, but only when the key is
// there: a damaged input without one would be written out as damaged.
void mendTrailer(QPDF& qpdf)
{
    QPDFObjectHandle trailer = qpdf.getTrailer();
    if (trailer.isDictionary() && !trailer.getKey("/Size").isInteger())
        trailer.replaceKey("/Size", QPDFObjectHandle::newInteger(0));
}

void applySecurity(QPDFWriter& writer, const QVariantMap& options)
{
    if (!PdfDocument::optionsEncrypt(options))
        return;
    const QString user = options.value(QString(keys::kCGPDFContextUserPassword)).toString();
    QString owner = options.value(QString(keys::kCGPDFContextOwnerPassword)).toString();
    if (owner.isEmpty())
        owner = user;
    const bool print = optionBool(options, keys::kCGPDFContextAllowsPrinting, true);
    const bool copy = optionBool(options, keys::kCGPDFContextAllowsCopying, true);
    const std::string u = passwordBytes(user), o = passwordBytes(owner);
    const int keyLength = options.value(QString(keys::kCGPDFContextEncryptionKeyLength), 128).toInt();
    if (keyLength == 40) {
        writer.setR2EncryptionParametersInsecure(u.c_str(), o.c_str(), print, true, copy, true);
    } else {
        writer.setR4EncryptionParametersInsecure(u.c_str(), o.c_str(), copy, copy, true, true, true,
                                                 true, print ? qpdf_r3p_full : qpdf_r3p_none,
                                                 true, true);
    }
}

} // namespace

// ---- Impl ----

PdfDocument::Impl::Impl() : id(newDocumentId()) {}
PdfDocument::Impl::~Impl() = default;

void PdfDocument::Impl::markModified(bool pagesChanged, bool textsChanged)
{
    modified = true;
    m_popplerValid = false;
    m_poppler.reset();
    m_attributedTextValid = false;
    m_attributedText.reset();
    if (textsChanged) {
        m_pageTextsValid = false;
        m_pageTexts.clear();
    }
    if (pagesChanged) {
        m_pagesValid = false;
        m_pages.clear();
        m_pageIndex.clear();
    }
}

void PdfDocument::Impl::markPageAppended(const QPDFObjectHandle& page)
{
    const bool listed = m_pagesValid;
    markModified(false, false);
    if (listed && m_pageIndex.emplace(page.getObjGen(), int(m_pages.size())).second)
        m_pages.push_back(page);
    else
        markModified(true, false);
}

const std::vector<QPDFObjectHandle>& PdfDocument::Impl::pages() const
{
    if (m_pagesValid)
        return m_pages;
    m_pages.clear();
    m_pageIndex.clear();
    if (qpdf) {
        try {
            m_pages = qpdf->getAllPages();
        } catch (const std::exception&) {
            m_pages.clear();
        }
    }
    for (size_t i = 0; i < m_pages.size(); ++i)
        m_pageIndex.emplace(m_pages[i].getObjGen(), int(i));
    m_pagesValid = true;
    return m_pages;
}

int PdfDocument::Impl::indexOf(QPDFObjGen page) const
{
    pages();
    const auto it = m_pageIndex.find(page);
    return it == m_pageIndex.end() ? -1 : it->second;
}

QPDFObjectHandle PdfDocument::Impl::pageObject(QPDFObjGen page) const
{
    const int index = indexOf(page);
    return index < 0 ? QPDFObjectHandle() : m_pages[size_t(index)];
}

QPDFObjectHandle PdfDocument::Impl::pageObject(const PdfPage& page) const
{
    const auto doc = page.document();
    if (!doc || &doc->impl() != this)
        return QPDFObjectHandle();
    return pageObject(QPDFObjGen(page.objectId(), page.generation()));
}

QPDFObjGen PdfDocument::Impl::copyOf(quint64 sourceId, QPDFObjGen sourcePage) const
{
    const auto [first, end] = insertedPages.equal_range({sourceId, sourcePage});
    for (auto it = first; it != end; ++it) {
        if (indexOf(it->second) >= 0)
            return it->second;
    }
    return QPDFObjGen();
}

void PdfDocument::Impl::keepSourcesOf(const Impl& source)
{
    if (source.sources.empty() && source.insertedPages.empty())
        return;
    const auto keep = [this](const std::shared_ptr<QPDF>& qpdf) {
        if (std::find(sources.begin(), sources.end(), qpdf) == sources.end())
            sources.push_back(qpdf);
    };
    keep(source.qpdf);
    for (const auto& further : source.sources)
        keep(further);
}

QByteArray PdfDocument::Impl::serialise() const
{
    if (!qpdf)
        return {};
    try {
        writeOutline(const_cast<Impl&>(*this));
        mendTrailer(*qpdf);
        QPDFWriter writer(*qpdf);
        writer.setOutputMemory();
        writer.setPreserveEncryption(false);
        writer.write();
        logWarnings(*qpdf);
        const auto buffer = writer.getBufferSharedPointer();
        return QByteArray(reinterpret_cast<const char*>(buffer->getBuffer()), qsizetype(buffer->getSize()));
    } catch (const std::exception& e) {
        qCInfo(lcPdf) << "PDF not serialised:" << e.what();
        return {};
    }
}

PopplerSource PdfDocument::Impl::popplerSource() const
{
    PopplerSource source;
    if (!modified && (!path.isEmpty() || !data.isEmpty())) {
        source.path = path;
        source.data = data;
        source.password = QByteArray::fromStdString(password);
    } else {
        source.data = serialise();
    }
    return source;
}

Poppler::Document* PdfDocument::Impl::popplerDocument() const
{
    if (!m_popplerValid) {
        m_popplerValid = true;
        m_poppler = qpdf ? popplerSource().load() : nullptr;
    }
    return m_poppler.get();
}

AttributedTextReader* PdfDocument::Impl::attributedTextReader() const
{
    if (!m_attributedTextValid) {
        m_attributedTextValid = true;
        m_attributedText = qpdf ? AttributedTextReader::open(popplerSource()) : nullptr;
    }
    return m_attributedText.get();
}

// ---- PdfDocument ----

PdfDocument::PdfDocument(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
PdfDocument::~PdfDocument() = default;

std::shared_ptr<QPDF> newEmptyQpdf()
{
    try {
        auto qpdf = newQpdf();
        qpdf->emptyPDF();
        return qpdf;
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::shared_ptr<PdfDocument> PdfDocument::create()
{
    auto impl = std::make_unique<Impl>();
    impl->qpdf = newEmptyQpdf();
    if (!impl->qpdf)
        return nullptr;
    impl->modified = true;
    return std::shared_ptr<PdfDocument>(new PdfDocument(std::move(impl)));
}

namespace {

std::shared_ptr<PdfDocument> openImpl(std::unique_ptr<PdfDocument::Impl> impl,
                                      std::shared_ptr<PdfDocument> (*make)(std::unique_ptr<PdfDocument::Impl>))
{
    Opened opened = readObjects(*impl, std::string());
    switch (opened.result) {
    case OpenResult::Ok:
        adopt(*impl, std::move(opened.qpdf), std::string());
        break;
    case OpenResult::NeedsPassword:
        impl->encrypted = true;
        impl->locked = true;
        break;
    case OpenResult::Failed:
        return nullptr;
    }
    return make(std::move(impl));
}

} // namespace

namespace {

// A document keeps its file open until every document that took pages from
// it has been written; merging a thousand inputs must not run out of
// descriptors at the desktop's usual soft limit of 1024.
void raiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

std::shared_ptr<PdfDocument> PdfDocument::open(const QUrl& url)
{
    raiseOpenFileLimit();
    if (!url.isLocalFile())
        return nullptr;
    const QString path = url.toLocalFile();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return nullptr;
    if (!hasPdfHeader(file.read(1024))) {
        qCInfo(lcPdf) << path << "refused: no PDF header";
        return nullptr;
    }
    file.close();
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    return openImpl(std::move(impl), [](std::unique_ptr<Impl> i) {
        return std::shared_ptr<PdfDocument>(new PdfDocument(std::move(i)));
    });
}

std::shared_ptr<PdfDocument> PdfDocument::fromData(const QByteArray& data)
{
    if (!hasPdfHeader(data.left(1024)))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->data = data;
    return openImpl(std::move(impl), [](std::unique_ptr<Impl> i) {
        return std::shared_ptr<PdfDocument>(new PdfDocument(std::move(i)));
    });
}

bool PdfDocument::isEncrypted() const { return d->encrypted; }

bool PdfDocument::optionsEncrypt(const QVariantMap& options)
{
    return !options.value(QString(keys::kCGPDFContextUserPassword)).toString().isEmpty()
        || !options.value(QString(keys::kCGPDFContextOwnerPassword)).toString().isEmpty();
}
bool PdfDocument::isLocked() const { return d->locked; }

bool PdfDocument::unlock(const QString& password)
{
    // Open already: only the owner's password adds anything, its rights.
    // Reading the file again would drop edits, so an edited document keeps
    // the rights it has.
    if (!d->locked && (!d->encrypted || d->ownerPasswordMatched || d->modified))
        return true;
    for (const auto& candidate : passwordCandidates(password)) {
        if (!d->locked && candidate == d->password)
            continue;
        Opened opened = readObjects(*d, candidate);
        if (opened.result != OpenResult::Ok)
            continue;
        if (!d->locked && !ownerPasswordMatched(*opened.qpdf))
            continue;
        adopt(*d, std::move(opened.qpdf), candidate);
        return true;
    }
    return !d->locked;
}

bool PdfDocument::allowsPrinting() const
{
    if (d->locked || !d->qpdf)
        return false;
    if (!d->encrypted || d->ownerPasswordMatched)
        return true;
    try {
        return d->qpdf->allowPrintLowRes() || d->qpdf->allowPrintHighRes();
    } catch (const std::exception&) {
        return false;
    }
}

bool PdfDocument::allowsCopying() const
{
    if (d->locked || !d->qpdf)
        return false;
    if (!d->encrypted || d->ownerPasswordMatched)
        return true;
    try {
        return d->qpdf->allowExtractAll();
    } catch (const std::exception&) {
        return false;
    }
}

int PdfDocument::pageCount() const
{
    return int(d->pages().size());
}

PdfPage PdfDocument::page(int index) const
{
    const auto& pages = d->pages();
    if (index < 0 || size_t(index) >= pages.size())
        return PdfPage();
    const QPDFObjGen og = pages[size_t(index)].getObjGen();
    return PdfPage(std::const_pointer_cast<PdfDocument>(shared_from_this()), og.getObj(), og.getGen());
}

bool PdfDocument::removePage(int index)
{
    const auto& pages = d->pages();
    if (index < 0 || size_t(index) >= pages.size())
        return false;
    try {
        QPDFPageDocumentHelper(*d->qpdf).removePage(QPDFPageObjectHelper(pages[size_t(index)]));
    } catch (const std::exception&) {
        d->markModified();
        return false;
    }
    d->markModified(true, false);
    return true;
}

PdfPage PdfDocument::insertPage(const PdfPage& page, int index)
{
    const auto source = page.document();
    if (!source || !d->qpdf)
        return PdfPage();
    Impl& src = source->impl();
    QPDFObjectHandle object = src.pageObject(page);
    if (!object.isInitialized())
        return PdfPage();
    const int count = pageCount();
    index = std::clamp(index, 0, count);
    const bool foreign = &src != d.get();
    try {
        QPDFPageDocumentHelper helper(*d->qpdf);
        // A page already in this document is added as a shallow copy by qpdf.
        if (index == count) {
            helper.addPage(QPDFPageObjectHelper(object), false);
            d->markPageAppended(d->qpdf->getAllPages().back());
        } else {
            helper.addPageAt(QPDFPageObjectHelper(object), true, QPDFPageObjectHelper(d->pages()[size_t(index)]));
            d->markModified(true, false);
        }
    } catch (const std::exception&) {
        d->markModified();
        return PdfPage();
    }
    if (foreign)
        d->keepSourcesOf(src);
    const auto& pages = d->pages();
    if (size_t(index) >= pages.size())
        return PdfPage();
    const QPDFObjGen og = pages[size_t(index)].getObjGen();
    if (foreign)
        d->insertedPages.emplace(std::pair(src.id, object.getObjGen()), og);
    return PdfPage(shared_from_this(), og.getObj(), og.getGen());
}

PdfPage PdfDocument::insertBlankPage(int index, const QSizeF& size)
{
    const double w = size.width(), h = size.height();
    if (!d->qpdf || !(w > 0 && h > 0) || !std::isfinite(w) || !std::isfinite(h))
        return PdfPage();
    const int count = pageCount();
    index = std::clamp(index, 0, count);
    try {
        QPDFObjectHandle blank = d->qpdf->makeIndirectObject(QPDFObjectHandle::newDictionary());
        blank.replaceKey("/Type", QPDFObjectHandle::newName("/Page"));
        blank.replaceKey("/MediaBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, w, h)));
        blank.replaceKey("/Resources", QPDFObjectHandle::newDictionary());
        blank.replaceKey("/Contents", d->qpdf->newStream(std::string()));
        QPDFPageDocumentHelper helper(*d->qpdf);
        if (index == count)
            helper.addPage(QPDFPageObjectHelper(blank), false);
        else
            helper.addPageAt(QPDFPageObjectHelper(blank), true, QPDFPageObjectHelper(d->pages()[size_t(index)]));
    } catch (const std::exception&) {
        d->markModified();
        return PdfPage();
    }
    d->markModified(true, false);
    return page(index);
}

bool PdfDocument::resizePageKeepingTopLeft(int index, const QSizeF& size)
{
    const auto& pages = d->pages();
    if (index < 0 || size_t(index) >= pages.size())
        return false;
    const double w = size.width(), h = size.height();
    if (!(w > 0 && h > 0) || !std::isfinite(w) || !std::isfinite(h))
        return false;
    try {
        QPDFObjectHandle pageObj = pages[size_t(index)];
        const QRectF media = boxes::mediaBox(pageObj);
        const double dy = h - (media.y() + media.height());
        const double dx = -media.x();

        QPDFObjectHandle contents = pageObj.getKey("/Contents");
        auto newContents = QPDFObjectHandle::newArray();
        const std::string prefix = "q 1 0 0 1 " + QUtil::double_to_string(dx, 4) + " "
            + QUtil::double_to_string(dy, 4) + " cm\n";
        newContents.appendItem(d->qpdf->newStream(prefix));
        if (contents.isArray()) {
            for (auto& item : contents.aitems())
                if (item.isStream())
                    newContents.appendItem(item);
        } else if (contents.isStream()) {
            newContents.appendItem(contents);
        }
        newContents.appendItem(d->qpdf->newStream("\nQ\n"));
        pageObj.replaceKey("/Contents", newContents);

        pageObj.replaceKey("/MediaBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, w, h)));
        for (const char* key : {"/CropBox", "/BleedBox", "/TrimBox", "/ArtBox"})
            pageObj.removeKey(key);
        // A crop box inherited from the page tree would otherwise still apply.
        if (boxes::hasInheritedAttribute(pageObj, "/CropBox"))
            pageObj.replaceKey("/CropBox", QPDFObjectHandle::newArray(QPDFObjectHandle::Rectangle(0, 0, w, h)));
    } catch (const std::exception&) {
        d->markModified(false);
        return false;
    }
    d->markModified(false);
    return true;
}

bool PdfDocument::write(const QUrl& url, const QVariantMap& options) const
{
    if (!d->qpdf || !url.isLocalFile())
        return false;
    const QString target = url.toLocalFile();
    const QFileInfo info(target);
    if (info.fileName().isEmpty() || info.isDir() || !info.dir().exists())
        return false;
    QString tempPath;
    {
        QTemporaryFile temp(info.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(info.fileName())));
        temp.setAutoRemove(false);
        if (!temp.open())
            return false;
        tempPath = temp.fileName();
    }
    const QByteArray tempName = QFile::encodeName(tempPath);
    bool ok = false;
    try {
        writeOutline(*d);
        mendTrailer(*d->qpdf);
        InfoOverride infoOverride(*d->qpdf, options);
        const std::unique_ptr<PdfFileOutput> output = PdfFileOutput::create(tempPath);
        if (!output)
            throw std::runtime_error("temporary file not opened for writing");
        QPDFWriter writer(*d->qpdf);
        writer.setOutputPipeline(output.get());
        writer.setPreserveEncryption(false);
        applySecurity(writer, options);
        writer.write();
        if (!output->close())
            throw std::runtime_error("temporary file not written completely");
        logWarnings(*d->qpdf);
        ok = true;
    } catch (const std::exception& e) {
        qCInfo(lcPdf) << target << "not written:" << e.what();
        ok = false;
    }
    if (ok) {
        QFile::setPermissions(tempPath, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                            | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        ok = std::rename(tempName.constData(), QFile::encodeName(target).constData()) == 0;
    }
    if (!ok)
        QFile::remove(tempPath);
    return ok;
}

QByteArray PdfDocument::dataRepresentation() const
{
    return d->serialise();
}

QString PdfDocument::information(const QString& key) const
{
    if (!d->qpdf || key.isEmpty())
        return {};
    try {
        QPDFObjectHandle info = d->qpdf->getTrailer().getKey("/Info");
        if (!info.isDictionary())
            return {};
        QPDFObjectHandle value = info.getKey(("/" + key).toStdString());
        if (!value.isString())
            return {};
        return QString::fromStdString(value.getUTF8Value());
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace platform::pdf
