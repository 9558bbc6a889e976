#include "core/Doc.h"

#include "plugins/PluginRegistry.h"

#include <QFileInfo>
#include <QTimer>

QString Doc::decodeFailure(TextEncoding e)
{
    return QStringLiteral("无法按 ") + e.rawValue() + QStringLiteral(" 解码该文件");
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
      store_(this, std::move(text)),
      encoding_(encoding),
      eol_(eol),
      tags_(std::move(tags))
{
    // A never-saved document with template text counts as modified.
    if (url_ || store_.text().isEmpty()) {
        baseline_ = TextBaseline::of(store_.text());
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

DocPtr Doc::fromLoaded(const QString& path, Loaded loaded)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    DocPtr doc(new Doc(QUuid::createUuid(), QFileInfo(absolute).fileName(), QString(), absolute, loaded.encoding,
                       loaded.eol, {}));
    doc->self_ = doc;
    doc->baseline_ = std::move(loaded.baseline);
    doc->textDiffers_ = false;
    doc->store_.takeRead(std::move(loaded.text));
    doc->diskModified_ = std::move(loaded.modified);
    doc->likelyEncoding_ = loaded.likely;
    doc->diskStamp_ = loaded.stamp;
    if (doc->loadedText())
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
    store_.takeRead(std::move(loaded.text));
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
    if (!textDiffers_)
        textDiffers_ = store_.differsFrom(baseline_, confirmedClean_ == revision_);
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
    baseline_ = store_.save();
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

const QString& Doc::text() const { return store_.text(); }

Doc::TextCopy Doc::textCopy() const { return store_.copy(); }

void Doc::withTextCopy(std::function<void(TextCopy)> ready) { store_.withCopy(std::move(ready)); }

void Doc::attachLiveText(LiveText live)
{
    detachLiveText();
    // The editor was just loaded with this text and saved it: its save
    // point is the baseline's when the text is.
    store_.attach(std::move(live), !textDiffersFromBaseline());
}

void Doc::detachLiveText() { store_.detach(); }

void Doc::liveTextChanged()
{
    if (!store_.edited())
        return;
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
    store_.replace(v);
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
    store_.forgetSavePoint();
    emit savedTextChanged();
    noteModified();
}

void Doc::setAnalysis(std::shared_ptr<AnalysisJob> job) { analysis_ = std::move(job); }
