#pragma once

#include "core/DocSnapshot.h"
#include "core/DocText.h"
#include "core/FileIO.h"
#include "plugins/FormatPlugin.h"
#include "plugins/PreviewState.h"
#include "plugins/ViewMode.h"
#include "text/LineEnding.h"
#include "text/TextEncoding.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

// diskChanged: restored from a snapshot over a file changed since;
// changedOutside: another program changed the file while it was open and edited.
enum class DocNotice { diskChanged, missing, changedOutside };

class AnalysisJob;

// One open document: its text, its baseline on disk and how it is written.
// Main thread only; each field has its own change signal.
class Doc : public QObject {
    Q_OBJECT
public:
    ~Doc() override;

    static Result<std::shared_ptr<Doc>> open(const QString& path, std::optional<TextEncoding> encoding = std::nullopt);
    // A file read and decoded, not yet a document: open() in two steps, the
    // first of which runs on any thread.
    struct Loaded {
        std::shared_ptr<TextSink> text;  // line ends normalised
        TextBaseline baseline;
        TextEncoding encoding;
        std::optional<TextEncoding> likely;
        LineEnding eol;
        std::optional<FileStamp> stamp;
        std::optional<QDateTime> modified;
    };
    // Read in pieces into `into` (a byte array when null); the text may end
    // up elsewhere when the file has to be read whole after all.
    static Result<Loaded> read(const QString& path, std::optional<TextEncoding> encoding = std::nullopt,
                               std::shared_ptr<TextSink> into = nullptr);
    static std::shared_ptr<Doc> fromLoaded(const QString& path, Loaded loaded);
    // Returns the error message, or nullopt on success.
    std::optional<QString> reload(TextEncoding encoding);
    // Replaces the text with the file as read again (on a worker for a large
    // file): it becomes the baseline too. The editor's buffer is let go
    // without being read; the workspace then has the editor load the new text.
    void takeLoaded(Loaded loaded);
    // Whether an editor's buffer holds the text.
    bool hasLiveText() const { return store_.isLive(); }
    static std::shared_ptr<Doc> restore(const DocSnapshot& snapshot);
    // The same with its file already read (on any thread) as read() reads it
    // in the snapshot's encoding; unused when the snapshot has no file.
    static std::shared_ptr<Doc> restore(const DocSnapshot& snapshot, Result<Loaded> disk);
    // Encodes and writes atomically; changes no field.
    std::optional<QString> write(const QString& path) const;
    // The bytes write() would store: encoding and line ending applied.
    Result<QByteArray> encoded() const;

    void setMode(ViewMode m);
    void resetMode();

    void scheduleAnalysis(double delaySeconds);
    // Off for one-shot tools that read documents without showing them.
    static void setAnalysisEnabled(bool enabled);
    void applyAutoName();
    // Non-empty lines `title` examines; nothing after them matters to it.
    static constexpr int titleLines = 50;
    // The first usable line of text as a file title; lines equal to a line
    // of `skipping` are ignored.
    static QString title(const QString& text, const QString& skipping = QString());

    // Derived
    bool isDirty() const;
    const FormatPlugin& plugin() const;
    QString displayPath() const;
    QString fullPath() const;

    // Fields
    const QUuid id;
    const std::optional<QString>& url() const { return url_; }
    const QString& name() const { return name_; }
    // Pulls the live text first when an editor changed it since.
    const QString& text() const;
    // The text as it is now, for a worker thread to convert: the editor's
    // bytes copied, or the held text shared; neither converts it here.
    using TextCopy = ::TextCopy;
    TextCopy textCopy() const;
    // The same, handed to `ready` on the main thread: at once, unless a long
    // buffer has to be copied, which happens a bounded piece per turn of the
    // event loop so that no turn stalls. What arrives then is the text as it
    // is at that moment; requests made meanwhile share the one copy.
    void withTextCopy(std::function<void(TextCopy)> ready);
    static constexpr qsizetype pieceCopyFrom = DocText::pieceCopyFrom;
    // The text as it was read into an editor's buffer, until an editor
    // takes that buffer over.
    const std::shared_ptr<TextSink>& loadedText() const { return store_.loaded(); }
    const std::optional<QString>& autoExt() const { return autoExt_; }
    // The text as last read from or written to disk, without a copy of it.
    const TextBaseline& baseline() const { return baseline_; }
    TextEncoding encoding() const { return encoding_; }
    LineEnding eol() const { return eol_; }
    const QStringList& tags() const { return tags_; }
    ViewMode mode() const { return mode_; }
    // Soft wrap chosen for this document's view (视图 → 自动换行); unset follows its format's setting.
    std::optional<bool> wrapChoice() const { return wrapChoice_; }
    const std::optional<QString>& originalName() const { return originalName_; }
    bool metaDirty() const { return metaDirty_; }
    const std::optional<QDateTime>& diskModified() const { return diskModified_; }
    // The file as last read or written, to recognise other programs' changes.
    const std::optional<FileStamp>& diskStamp() const { return diskStamp_; }
    void setDiskStamp(std::optional<FileStamp> v) { diskStamp_ = v; }
    std::optional<DocNotice> notice() const { return notice_; }
    // Why the last snapshot of the unsaved text could not be written; shown
    // with the notices (it changes the notice field) until one is written.
    const std::optional<QString>& snapshotFailure() const { return snapshotFailure_; }
    // Set when the file opened with a doubtful reading; the encoding that
    // reads its bytes cleanly.
    std::optional<TextEncoding> likelyEncoding() const { return likelyEncoding_; }
    void clearLikelyEncoding() { likelyEncoding_.reset(); }
    const QList<Diagnostic>& diagnostics() const { return diagnostics_; }
    const PreviewState& preview() const { return preview_; }
    AnalysisJob* analysis() const { return analysis_.get(); }
    const std::shared_ptr<AnalysisJob>& analysisHandle() const { return analysis_; }
    // Results of jobs with a smaller serial are refused (see AnalysisJob::nextSerial).
    unsigned long long analysisFloor() const { return analysisFloor_; }

    void setUrl(std::optional<QString> v);
    void setName(const QString& v);
    void setText(const QString& v);
    void setAutoExt(std::optional<QString> v) { autoExt_ = std::move(v); }
    void setSavedText(const QString& v) { setBaseline(TextBaseline::of(v)); }
    void setBaseline(TextBaseline v);
    // The text as it is now was written to disk: it becomes the baseline,
    // and the editor's save point.
    void markSaved();
    // A worker found the text of this revision canonically equal to the
    // baseline `against` although its bytes differ.
    void confirmClean(quint64 revision, const TextBaseline& against);
    void setEncoding(TextEncoding v);
    void setEol(LineEnding v);
    void setTags(const QStringList& v);
    void setModeField(ViewMode v);
    void setWrapChoice(std::optional<bool> v);
    void setOriginalName(std::optional<QString> v);
    void setMetaDirty(bool v);
    void setDiskModified(std::optional<QDateTime> v) { diskModified_ = std::move(v); }
    void setNotice(std::optional<DocNotice> v);
    void setSnapshotFailure(std::optional<QString> v);
    void setDiagnostics(const QList<Diagnostic>& v);
    void setPreview(const PreviewState& v);
    void setAnalysis(std::shared_ptr<AnalysisJob> job);

    // While an editor shows the document its buffer holds the text (see LiveText).
    using LiveText = ::LiveText;
    void attachLiveText(LiveText live);
    // Pulls the text a last time and stops following the editor.
    void detachLiveText();
    // The live text changed: reported as textChanged().
    void liveTextChanged();
    bool textIsStale() const { return store_.isStale(); }
    // Counts the changes of the text; work on an older revision is stale.
    quint64 revision() const { return revision_; }

    // The owning pointer, for weak references held by background work.
    std::weak_ptr<Doc> weakSelf() const { return self_; }

signals:
    void urlChanged();
    void nameChanged();
    void textChanged();
    // The baseline moved (saved, reloaded) or a worker found the text equal to it.
    void savedTextChanged();
    void encodingChanged();
    void eolChanged();
    void tagsChanged();
    void modeChanged();
    void originalNameChanged();
    void metaDirtyChanged();
    // The notice over the text, or the snapshot failure shown there.
    void noticeChanged();
    void diagnosticsChanged();
    void previewChanged();
    void wrapChanged();
    // isDirty() flipped: what shows the unsaved mark follows this, not every keystroke.
    void modifiedChanged(bool modified);

private:
    Doc(QUuid id, QString name, QString text, std::optional<QString> url, TextEncoding encoding, LineEnding eol,
        QStringList tags);
    bool textDiffersFromBaseline() const;
    // Emits modifiedChanged when isDirty() is no longer what it last reported.
    void noteModified();
    static QString decodeFailure(TextEncoding e);

    std::weak_ptr<Doc> self_;
    std::optional<QString> url_;
    QString name_;
    DocText store_;
    quint64 revision_ = 0;
    std::optional<QString> autoExt_;
    TextBaseline baseline_;
    TextEncoding encoding_;
    LineEnding eol_;
    QStringList tags_;
    ViewMode mode_ = ViewMode::editor;
    std::optional<bool> wrapChoice_;
    std::optional<QString> originalName_;
    bool metaDirty_ = false;
    std::optional<QDateTime> diskModified_;
    std::optional<FileStamp> diskStamp_;
    std::optional<DocNotice> notice_;
    std::optional<QString> snapshotFailure_;
    std::optional<TextEncoding> likelyEncoding_;
    QList<Diagnostic> diagnostics_;
    PreviewState preview_;
    std::shared_ptr<AnalysisJob> analysis_;
    // Counts analysis requests: one waiting for its copy may have been overtaken.
    quint64 analysisAsked_ = 0;
    unsigned long long analysisFloor_ = 0;
    mutable std::optional<bool> textDiffers_;
    quint64 confirmedClean_ = ~0ull;
    // What modifiedChanged last reported; unknown until the first change.
    std::optional<bool> modified_;

    friend std::shared_ptr<Doc> makeDoc(QUuid, QString, QString, std::optional<QString>, TextEncoding, LineEnding,
                                        QStringList);
};

using DocPtr = std::shared_ptr<Doc>;

// Documents are always owned by a shared pointer so that background work
// can hold them weakly.
DocPtr makeDoc(QUuid id, QString name, QString text, std::optional<QString> url, TextEncoding encoding, LineEnding eol,
               QStringList tags);
