#include "core/Doc.h"

#include "core/PieceCopy.h"
#include "plugins/PluginRegistry.h"

#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

QString Doc::decodeFailure(TextEncoding e)
{
    return QStringLiteral("无法按 ") + e.rawValue() + QStringLiteral(" 解码该文件");
}

// Canonical equivalence: equal after NFC normalisation. Only the part
// between the common head and tail is normalised, cut where normalisation
// cannot reach across, so an edit in a long text costs little.
bool Doc::canonicallyEqual(const QString& a0, const QString& b0)
{
    if (a0 == b0)
        return true;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status))
        return false;
    const QChar* pa = a0.constData();
    const QChar* pb = b0.constData();
    const qsizetype shorter = std::min(a0.size(), b0.size());
    qsizetype head = std::mismatch(pa, pa + shorter, pb).first - pa;
    qsizetype tail = 0;
    while (tail < shorter - head && pa[a0.size() - 1 - tail] == pb[b0.size() - 1 - tail])
        ++tail;
    const auto boundary = [&](const QChar* p, qsizetype i, qsizetype size) {
        if (i <= 0 || i >= size)
            return true;
        if (p[i].isLowSurrogate())
            return false;
        const UChar32 c = p[i].isHighSurrogate() && i + 1 < size ? QChar::surrogateToUcs4(p[i], p[i + 1])
                                                                 : p[i].unicode();
        return bool(nfc->hasBoundaryBefore(c));
    };
    while (head > 0 && !(boundary(pa, head, a0.size()) && boundary(pb, head, b0.size())))
        --head;
    while (tail > 0 && !(boundary(pa, a0.size() - tail, a0.size()) && boundary(pb, b0.size() - tail, b0.size())))
        --tail;
    const QStringView a = QStringView(a0).mid(head, a0.size() - head - tail);
    const QStringView b = QStringView(b0).mid(head, b0.size() - head - tail);
    const icu::UnicodeString ua(false, reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()));
    const icu::UnicodeString ub(false, reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size()));
    // Texts already in NFC that differ are not equivalent; skip normalising.
    if (nfc->isNormalized(ua, status) && nfc->isNormalized(ub, status) && U_SUCCESS(status))
        return false;
    status = U_ZERO_ERROR;
    const icu::UnicodeString na = nfc->normalize(ua, status);
    const icu::UnicodeString nb = nfc->normalize(ub, status);
    return U_SUCCESS(status) && na == nb;
}

DocPtr makeDoc(QUuid id, QString name, QString text, std::optional<QString> url, TextEncoding encoding, LineEnding eol,
               QStringList tags)
{
    DocPtr doc(new Doc(id, std::move(name), std::move(text), std::move(url), encoding, eol, std::move(tags)));
    doc->self_ = doc;
    doc->scheduleAnalysis(0);
    return doc;
}

Doc::Doc(QUuid id_, QString name, QString text, std::optional<QString> url, TextEncoding encoding, LineEnding eol,
         QStringList tags)
    : id(id_),
      url_(std::move(url)),
      name_(std::move(name)),
      text_(std::move(text)),
      encoding_(encoding),
      eol_(eol),
      tags_(std::move(tags))
{
    // A never-saved document with template text counts as modified.
    if (url_ || text_.isEmpty()) {
        baseline_ = TextBaseline::of(text_);
        // Known without waiting for the baseline's digests of a large text.
        textDiffers_ = false;
    }
    mode_ = plugin().offers(ViewMode::split) ? ViewMode::split : ViewMode::editor;
}

Doc::~Doc() = default;

Result<DocPtr> Doc::open(const QString& path, std::optional<TextEncoding> encoding)
{
    auto loaded = read(path, encoding);
    if (!loaded)
        return Result<DocPtr>::failure(loaded.error());
    return fromLoaded(path, std::move(loaded.value()));
}

namespace {

// A text read into a byte array is kept as its bytes; one read into an
// editor's buffer stays there until the editor takes it over.
void holdLoaded(std::shared_ptr<TextSink> text, QByteArray& utf8, std::shared_ptr<TextSink>& loaded)
{
    if (auto* bytes = dynamic_cast<ByteSink*>(text.get()))
        utf8 = bytes->take();
    else
        loaded = std::move(text);
}

}

DocPtr Doc::fromLoaded(const QString& path, Loaded loaded)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    DocPtr doc(new Doc(QUuid::createUuid(), QFileInfo(absolute).fileName(), QString(), absolute, loaded.encoding,
                       loaded.eol, {}));
    doc->self_ = doc;
    doc->baseline_ = std::move(loaded.baseline);
    doc->textDiffers_ = false;
    holdLoaded(std::move(loaded.text), doc->utf8_, doc->loaded_);
    doc->diskModified_ = std::move(loaded.modified);
    doc->likelyEncoding_ = loaded.likely;
    doc->diskStamp_ = loaded.stamp;
    if (doc->loaded_)
        // By the next turn the editor made for it holds the buffer, and its
        // bytes are copied from there.
        QTimer::singleShot(0, doc.get(), [d = doc.get()] { d->scheduleAnalysis(0); });
    else
        doc->scheduleAnalysis(0);
    return doc;
}

std::optional<QString> Doc::reload(TextEncoding encoding)
{
    if (!url_)
        return std::nullopt;
    auto loaded = read(*url_, encoding);
    if (!loaded)
        return loaded.error();
    takeLoaded(std::move(loaded.value()));
    return std::nullopt;
}

void Doc::takeLoaded(Loaded loaded)
{
    live_ = LiveText();
    savePoint_ = false;
    stale_ = false;
    text_ = QString();
    utf8_ = QByteArray();
    loaded_.reset();
    holdLoaded(std::move(loaded.text), utf8_, loaded_);
    // A copy still in pieces was of the old text: its requesters get the new one.
    if (copying_)
        handOverCopy(textCopy());
    setEncoding(loaded.encoding);
    setEol(loaded.eol);
    baseline_ = std::move(loaded.baseline);
    textDiffers_ = false;
    diskModified_ = std::move(loaded.modified);
    diskStamp_ = loaded.stamp;
    likelyEncoding_.reset();
    ++revision_;
    setNotice(std::nullopt);
    emit savedTextChanged();
    emit textChanged();
    noteModified();
    scheduleAnalysis(0);
}

DocPtr Doc::restore(const DocSnapshot& s)
{
    // Read as open reads: decoded in pieces, only the digests kept.
    return restore(s, s.path ? read(*s.path, s.encoding) : Result<Loaded>::failure(QString()));
}

DocPtr Doc::restore(const DocSnapshot& s, Result<Loaded> disk)
{
    DocPtr doc = makeDoc(s.id, s.name, s.text, s.path, s.encoding, s.eol, s.tags);
    doc->setOriginalName(s.originalName);
    doc->setAutoExt(s.autoExt);
    doc->setMetaDirty(s.metaDirty);
    doc->setModeField(s.mode);
    doc->resetMode();
    doc->diskModified_ = s.diskModified;
    if (!s.path) {
        doc->setSavedText(QString());
        return doc;
    }
    if (!disk) {
        doc->setSavedText(QString(QChar(u'\0')));
        doc->setNotice(DocNotice::missing);
        return doc;
    }
    doc->setBaseline(std::move(disk.value().baseline));
    doc->diskStamp_ = disk.value().stamp;
    const auto now = FileIO::modificationDate(*s.path);
    if (now && s.diskModified && std::abs(now->msecsTo(*s.diskModified)) > 500)
        doc->setNotice(DocNotice::diskChanged);
    return doc;
}

Result<QByteArray> Doc::encoded() const
{
    TextCopy copy = textCopy();
    if (copy.isUtf8() && (encoding_ == TextEncoding::utf8 || encoding_ == TextEncoding::utf8BOM)) {
        // The editor's bytes are the file's already: only the line ends
        // and the mark are put back.
        QByteArray out = std::exchange(copy.utf8, QByteArray());
        if (eol_ != LineEnding::lf)
            out.replace('\n', eol_.sequence().toLatin1());
        return out.prepend(encoding_.byteOrderMark());
    }
    QString out = copy.toString();
    copy = TextCopy();
    if (eol_ != LineEnding::lf)
        out.replace(QLatin1Char('\n'), eol_.sequence());
    auto bytes = encoding_.encode(out);
    if (!bytes && likelyEncoding_ && out.contains(QChar(0xFFFD)))
        // UTF-8 would keep the replacement characters and lose the bytes.
        return Result<QByteArray>::failure(QStringLiteral("内容中有无法解码的字节（显示为 \uFFFD），请先按 ")
                                           + likelyEncoding_->rawValue() + QStringLiteral(" 重新打开"));
    if (!bytes)
        return Result<QByteArray>::failure(QStringLiteral("内容中有 ") + encoding_.rawValue()
                                           + QStringLiteral(" 无法表示的字符，请换用 UTF-8 保存"));
    return std::move(*bytes);
}

std::optional<QString> Doc::write(const QString& path) const
{
    auto bytes = encoded();
    if (!bytes)
        return bytes.error();
    return FileIO::save(path, bytes.value());
}

void Doc::setMode(ViewMode m)
{
    if (plugin().offers(m) && mode_ != m) {
        setModeField(m);
        scheduleAnalysis(0);
    }
}

void Doc::resetMode()
{
    const FormatPlugin& p = plugin();
    if (!p.offers(mode_))
        setModeField(p.offers(ViewMode::split) ? ViewMode::split : ViewMode::editor);
}

bool Doc::textDiffersFromBaseline() const
{
    if (!textDiffers_) {
        if (stale_ && live_.utf8) {
            // Back at the save point, or at a revision a worker found equal:
            // clean without reading the text. The same length is worth a
            // byte comparison, unless the text is long: then, as with any
            // other length, it counts as changed until a worker (the
            // snapshot's) finds it equal (confirmClean).
            if ((savePoint_ && live_.atSavePoint && live_.atSavePoint()) || confirmedClean_ == revision_)
                textDiffers_ = false;
            else if (const qsizetype n = live_.byteLength ? live_.byteLength() : live_.utf8().size();
                     n == baseline_.length() && n < pieceCopyFrom)
                textDiffers_ = !baseline_.sameBytes(live_.utf8());
            else
                textDiffers_ = true;
        } else if (!utf8_.isNull()) {
            textDiffers_ = !baseline_.matchesUtf8(utf8_);
        } else if (loaded_ && text_.isNull()) {
            textDiffers_ = !baseline_.matchesUtf8(loaded_->utf8());
        } else {
            textDiffers_ = !baseline_.matches(text_);
        }
    }
    return *textDiffers_;
}

void Doc::confirmClean(quint64 revision, const TextBaseline& against)
{
    if (revision != revision_ || confirmedClean_ == revision || !(against == baseline_))
        return;
    confirmedClean_ = revision;
    if (textDiffers_.value_or(true)) {
        textDiffers_.reset();
        emit savedTextChanged();
        noteModified();
    }
}

void Doc::markSaved()
{
    if (live_.utf8) {
        baseline_ = TextBaseline::ofUtf8(live_.utf8());
        if (live_.setSavePoint)
            live_.setSavePoint();
        savePoint_ = bool(live_.setSavePoint);
    } else {
        baseline_ = !utf8_.isNull()     ? TextBaseline::ofUtf8(utf8_)
            : loaded_ && text_.isNull() ? TextBaseline::ofUtf8(loaded_->utf8())
                                        : TextBaseline::of(text_);
    }
    textDiffers_ = false;
    emit savedTextChanged();
    noteModified();
}

void Doc::noteModified()
{
    const bool now = isDirty();
    if (modified_ == now)
        return;
    modified_ = now;
    emit modifiedChanged(now);
}

bool Doc::isDirty() const { return textDiffersFromBaseline() || originalName_.has_value() || metaDirty_; }

const FormatPlugin& Doc::plugin() const { return PluginRegistry::plugin(name_); }

QString Doc::displayPath() const
{
    if (!url_)
        return QStringLiteral("未保存");
    return FileIO::abbreviateHome(QFileInfo(*url_).absolutePath());
}

QString Doc::fullPath() const
{
    if (!url_)
        return QStringLiteral("未保存 · ") + name_;
    return FileIO::abbreviateHome(*url_);
}

#define LV_SETTER(fn, member, signal, Type) \
    void Doc::fn(Type v)                    \
    {                                       \
        if ((member) == v)                  \
            return;                         \
        (member) = std::move(v);            \
        emit signal();                      \
    }

LV_SETTER(setUrl, url_, urlChanged, std::optional<QString>)
LV_SETTER(setEncoding, encoding_, encodingChanged, TextEncoding)
LV_SETTER(setEol, eol_, eolChanged, LineEnding)
LV_SETTER(setModeField, mode_, modeChanged, ViewMode)
LV_SETTER(setWrapChoice, wrapChoice_, wrapChanged, std::optional<bool>)
LV_SETTER(setNotice, notice_, noticeChanged, std::optional<DocNotice>)
LV_SETTER(setSnapshotFailure, snapshotFailure_, noticeChanged, std::optional<QString>)
#undef LV_SETTER

void Doc::setOriginalName(std::optional<QString> v)
{
    if (originalName_ == v)
        return;
    originalName_ = std::move(v);
    emit originalNameChanged();
    noteModified();
}

void Doc::setMetaDirty(bool v)
{
    if (metaDirty_ == v)
        return;
    metaDirty_ = v;
    emit metaDirtyChanged();
    noteModified();
}

void Doc::setName(const QString& v)
{
    if (name_ == v)
        return;
    name_ = v;
    emit nameChanged();
}

void Doc::setTags(const QStringList& v)
{
    if (tags_ == v)
        return;
    tags_ = v;
    emit tagsChanged();
}

void Doc::setDiagnostics(const QList<Diagnostic>& v)
{
    if (diagnostics_ == v)
        return;
    diagnostics_ = v;
    emit diagnosticsChanged();
}

void Doc::setPreview(const PreviewState& v)
{
    if (preview_ == v)
        return;
    preview_ = v;
    emit previewChanged();
}

const QString& Doc::text() const
{
    if (loaded_ && !stale_ && utf8_.isNull() && text_.isNull())
        // Kept beside the buffer until an editor takes that over.
        text_ = TextCopy::decode(loaded_->utf8());
    if (!utf8_.isNull()) {
        // Needed as a QString after all: converted once, kept as that.
        text_ = TextCopy::decode(utf8_);
        utf8_ = QByteArray();
    }
    if (stale_) {
        stale_ = false;
        text_ = live_.pull();
        // The editor's buffer stays the one owner of the text: readers in
        // this turn share the copy, then it goes.
        if (!dropQueued_) {
            dropQueued_ = true;
            QTimer::singleShot(0, this, [this] {
                dropQueued_ = false;
                if (live_.pull && !stale_) {
                    text_ = QString();
                    stale_ = true;
                }
            });
        }
    }
    return text_;
}

Doc::TextCopy Doc::textCopy() const
{
    if (stale_ && live_.utf8)
        return TextCopy::fromUtf8(live_.utf8());
    if (!utf8_.isNull())
        return TextCopy::fromUtf8(utf8_);
    if (loaded_ && text_.isNull())
        return TextCopy::fromUtf8(loaded_->utf8());
    return TextCopy(text());
}

void Doc::attachLiveText(LiveText live)
{
    detachLiveText();
    // The editor was just loaded with this text and saved it: its save
    // point is the baseline's when the text is.
    savePoint_ = !textDiffersFromBaseline();
    live_ = std::move(live);
    // The editor holds the text from here on.
    text_ = QString();
    utf8_ = QByteArray();
    loaded_.reset();
    stale_ = true;
}

void Doc::detachLiveText()
{
    if (!live_.pull)
        return;
    // The editor's bytes are kept as they are; converted only if someone
    // asks for the text as a QString.
    if (stale_ && live_.utf8) {
        utf8_ = live_.utf8();
        text_ = QString();
        stale_ = false;
    } else {
        text();
    }
    live_ = LiveText();
    savePoint_ = false;
    // A copy still in pieces is finished from what is kept now.
    if (copying_)
        handOverCopy(textCopy());
}

void Doc::liveTextChanged()
{
    if (!live_.pull)
        return;
    stale_ = true;
    ++revision_;
    textDiffers_.reset();
    emit textChanged();
    noteModified();
    applyAutoName();
}

void Doc::setText(const QString& v)
{
    if (text() == v)
        return;
    text_ = v;
    loaded_.reset();
    ++revision_;
    textDiffers_.reset();
    emit textChanged();
    noteModified();
    scheduleAnalysis(0.25);
    applyAutoName();
}

void Doc::setBaseline(TextBaseline v)
{
    // Comparing waits for the digests: only worth it when the lengths agree.
    if (baseline_.length() == v.length() && baseline_ == v)
        return;
    baseline_ = std::move(v);
    textDiffers_.reset();
    // Whatever the editor last saved is no longer the baseline.
    savePoint_ = false;
    emit savedTextChanged();
    noteModified();
}

void Doc::setAnalysis(std::shared_ptr<AnalysisJob> job) { analysis_ = std::move(job); }
