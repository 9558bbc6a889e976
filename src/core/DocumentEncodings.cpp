#include "core/DocumentEncodings.h"

#include "core/DocumentReloader.h"
#include "core/DocumentSaver.h"
#include "core/Prompter.h"

#include <QPointer>

DocumentEncodings::DocumentEncodings(DocumentFlowParts& parts, DocumentReloader& reloader, DocumentSaver& saver,
                                     QObject* parent)
    : QObject(parent), parts_(parts), reloader_(reloader), saver_(saver)
{
}

DocumentEncodings::~DocumentEncodings() = default;

void DocumentEncodings::reopen(const DocPtr& doc, TextEncoding encoding)
{
    if (!doc)
        return;
    if (!doc->url()) {
        doc->setEncoding(encoding);
        return;
    }
    if (!doc->isDirty())
        return doReopen(doc, encoding);
    QPointer<DocumentEncodings> self(this);
    Dialog d;
    d.title = QStringLiteral("重新打开将丢弃未保存的修改");
    d.message = QStringLiteral("按 ") + encoding.rawValue() + QStringLiteral(" 从磁盘重新读取「") + doc->name()
        + QStringLiteral("」。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [] {}},
        {QUuid::createUuid(), QStringLiteral("重新打开"), Dialog::Role::primary,
         [self, doc, encoding] {
             if (self)
                 self->doReopen(doc, encoding);
         }},
    };
    parts_.prompter->present(std::move(d));
}

void DocumentEncodings::doReopen(const DocPtr& doc, TextEncoding encoding)
{
    QPointer<DocumentEncodings> self(this);
    reloader_.readAgain(doc, encoding, [self, encoding](const std::optional<QString>& error) {
        if (!self)
            return;
        if (error)
            self->parts_.prompter->alert(QStringLiteral("无法按 ") + encoding.rawValue() + QStringLiteral(" 打开"),
                                         *error);
        else
            self->parts_.prompter->flash(QStringLiteral("已按 ") + encoding.rawValue() + QStringLiteral(" 重新打开"));
    });
}

namespace {

// Whether the text holds the character, looked up in the editor's bytes
// as they are: the text is not converted for it.
bool holds(const TextCopy& text, QChar c)
{
    return text.isUtf8() ? text.utf8.contains(QString(c).toUtf8()) : text.text.contains(c);
}

// Replacement characters from a repaired reading, or NULs from UTF-16 read
// as UTF-8: bytes a conversion would lose for good.
bool holdsUnreadBytes(const TextCopy& text) { return holds(text, QChar(0xFFFD)) || holds(text, QChar(0)); }

}  // namespace

void DocumentEncodings::offerLikelyEncoding(const DocPtr& doc)
{
    const auto likely = doc->likelyEncoding();
    if (!likely)
        return;
    const TextCopy text = doc->textCopy();
    if (!holdsUnreadBytes(text))
        return;
    const QString label = likely->rawValue();
    const bool repaired = holds(text, QChar(0xFFFD));
    QPointer<DocumentEncodings> self(this);
    Dialog d;
    d.title = QStringLiteral("此文件可能是 ") + label + QStringLiteral(" 编码");
    d.message = QStringLiteral("「") + doc->name()
        + (repaired ? QStringLiteral("」中有无法解码的字节（显示为 \uFFFD）。") : QStringLiteral("」中有空字符。"))
        + QStringLiteral("按 ") + label + QStringLiteral(" 重新打开可保留原有字符；以 UTF-8 保存会永久丢失它们。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("保持现状"), Dialog::Role::cancel, [] {}},
        {QUuid::createUuid(), QStringLiteral("按 ") + label + QStringLiteral(" 重新打开"), Dialog::Role::primary,
         [self, doc, likely] {
             if (self)
                 self->reopen(doc, *likely);
         }},
    };
    parts_.prompter->present(std::move(d));
}

void DocumentEncodings::convert(const DocPtr& doc, TextEncoding encoding)
{
    if (!doc)
        return;
    const auto likely = doc->likelyEncoding();
    if (!doc->url() || !likely || !holdsUnreadBytes(doc->textCopy()))
        return doConvert(doc, encoding);
    // Writing the repaired text would replace the unread bytes for good.
    const QString label = likely->rawValue();
    QPointer<DocumentEncodings> self(this);
    Dialog d;
    d.title = QStringLiteral("转换将永久丢失无法解码的字节");
    d.message = QStringLiteral("「") + doc->name() + QStringLiteral("」按 ") + label
        + QStringLiteral(" 可以完整读取。建议先按 ") + label + QStringLiteral(" 重新打开，再转换为 ")
        + encoding.rawValue() + QStringLiteral("。");
    d.buttons = {
        {QUuid::createUuid(), QStringLiteral("取消"), Dialog::Role::cancel, [] {}},
        {QUuid::createUuid(), QStringLiteral("仍然转换"), Dialog::Role::danger,
         [self, doc, encoding] {
             if (self)
                 self->doConvert(doc, encoding);
         }},
        {QUuid::createUuid(), QStringLiteral("按 ") + label + QStringLiteral(" 重新打开"), Dialog::Role::primary,
         [self, doc, likely] {
             if (self)
                 self->reopen(doc, *likely);
         }},
    };
    parts_.prompter->present(std::move(d));
}

void DocumentEncodings::doConvert(const DocPtr& doc, TextEncoding encoding)
{
    const TextEncoding old = doc->encoding();
    doc->setEncoding(encoding);
    if (!doc->url()) {
        parts_.prompter->flash(QStringLiteral("保存时将使用 ") + encoding.rawValue());
        return;
    }
    saver_.save(doc, false, [doc, old](bool ok) {
        if (!ok)
            doc->setEncoding(old);
        else
            doc->clearLikelyEncoding();
    });
}
