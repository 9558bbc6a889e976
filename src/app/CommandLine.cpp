#include "app/CommandLine.h"

#include "app/ExportDeadline.h"
#include "core/Doc.h"
#include "plugins/PluginRegistry.h"
#include "views/preview/PreviewEngine.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QSet>
#include <memory>

namespace {

// Toolkit options that take a value; they are accepted so that launchers
// and desktop files that pass them keep working.
const QSet<QString>& qtOptionsWithValue()
{
    static const QSet<QString> s{
        QStringLiteral("-platform"),   QStringLiteral("-display"),         QStringLiteral("-style"),
        QStringLiteral("-geometry"),   QStringLiteral("-qwindowgeometry"), QStringLiteral("-plugin"),
        QStringLiteral("-name"),       QStringLiteral("-title"),           QStringLiteral("-qwindowtitle"),
        QStringLiteral("-stylesheet"), QStringLiteral("-session")};
    return s;
}

void print(std::FILE* f, const QString& s)
{
    const QByteArray b = s.toUtf8();
    std::fwrite(b.constData(), 1, size_t(b.size()), f);
}

}

CommandLine CommandLine::parse(const QStringList& args)
{
    CommandLine cl;
    // The self tests win wherever the exact argument appears.
    if (args.contains(QStringLiteral("--unit"))) {
        cl.mode = Mode::unit;
        return cl;
    }
    auto fail = [&](const QString& message) {
        cl.mode = Mode::invalid;
        cl.error = message;
        return cl;
    };
    bool optionsEnded = false;
    bool timeoutGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnded || !a.startsWith(QLatin1Char('-')) || a == QLatin1String("-")) {
            cl.files << a;
            continue;
        }
        if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.mode = Mode::help;
            return cl;
        } else if (a == QLatin1String("--version") || a == QLatin1String("-v")) {
            cl.mode = Mode::version;
            return cl;
        } else if (a == QLatin1String("--check")) {
            if (cl.mode != Mode::window)
                return fail(QStringLiteral("--check 不能与其他模式同时使用"));
            cl.mode = Mode::check;
        } else if (a == QLatin1String("--export-html")) {
            if (cl.mode != Mode::window)
                return fail(QStringLiteral("--export-html 不能与其他模式同时使用"));
            cl.mode = Mode::exportHTML;
        } else if (a == QLatin1String("--export-pdf")) {
            if (cl.mode != Mode::window)
                return fail(QStringLiteral("--export-pdf 不能与其他模式同时使用"));
            cl.mode = Mode::exportPDF;
        } else if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (i + 1 >= args.size())
                return fail(QStringLiteral("%1 后面需要输出文件路径").arg(a));
            cl.output = args[++i];
        } else if (a == QLatin1String("--timeout")) {
            bool ok = false;
            const double seconds = i + 1 < args.size() ? args[i + 1].toDouble(&ok) : 0;
            // Past a day the limit is no limit; a timer cannot take more anyway.
            if (!ok || !(seconds > 0) || seconds > 86400)
                return fail(QStringLiteral("--timeout 后面需要一个 0 到 86400 之间的秒数"));
            cl.timeoutSeconds = seconds;
            timeoutGiven = true;
            ++i;
        } else if (a == QLatin1String("--allow-remote-images")) {
            cl.remoteImages = true;
        } else if (qtOptionsWithValue().contains(a) && i + 1 < args.size()) {
            cl.qtArgs << a << args[++i];
        } else if (a == QLatin1String("-reverse")) {
            cl.qtArgs << a;
        } else {
            return fail(QStringLiteral("未知选项：%1").arg(a));
        }
    }
    if (!cl.output.isEmpty() && cl.mode != Mode::exportHTML && cl.mode != Mode::exportPDF)
        return fail(QStringLiteral("-o 只能与 --export-html 或 --export-pdf 一起使用"));
    if (timeoutGiven && cl.mode != Mode::exportHTML && cl.mode != Mode::exportPDF)
        return fail(QStringLiteral("--timeout 只能与 --export-html 或 --export-pdf 一起使用"));
    if (cl.remoteImages && cl.mode != Mode::exportHTML && cl.mode != Mode::exportPDF)
        return fail(QStringLiteral("--allow-remote-images 只能与 --export-html 或 --export-pdf 一起使用"));
    if (cl.mode == Mode::check && cl.files.isEmpty())
        return fail(QStringLiteral("--check 需要至少一个文件"));
    if (cl.mode == Mode::exportHTML && cl.files.size() != 1)
        return fail(QStringLiteral("--export-html 需要且只需要一个文件"));
    if (cl.mode == Mode::exportPDF && cl.files.size() != 1)
        return fail(QStringLiteral("--export-pdf 需要且只需要一个文件"));
    // A PDF is binary: never onto a terminal by accident.
    if (cl.mode == Mode::exportPDF && (cl.output.isEmpty() || cl.output == QLatin1String("-")))
        return fail(QStringLiteral("--export-pdf 需要用 -o 指定输出的 PDF 文件"));
    if (cl.mode != Mode::window && !cl.qtArgs.isEmpty())
        return fail(QStringLiteral("未知选项：%1").arg(cl.qtArgs.first()));
    return cl;
}

namespace CommandLineTool {

QString usage()
{
    return QStringLiteral(
        "用法：\n"
        "  lorvane [文件…]                      打开编辑器窗口，并打开给出的文件\n"
        "  lorvane --check 文件…                按格式检查文件，每个问题输出一行“路径:行号: 说明”\n"
        "                                       退出码：0 全部通过，1 发现问题，2 文件无法读取或解码\n"
        "  lorvane --export-html 文件 [-o 输出]  把文件的预览导出为独立的 HTML 页面（默认写到标准输出）\n"
        "                                       退出码：0 成功，1 无法预览，2 文件无法读取或解码\n"
        "  lorvane --export-pdf 文件 -o 输出.pdf  把同一页面导出为 A4 PDF（文字可选中、可搜索），标题为文件名\n"
        "                                       退出码：0 成功，1 无法预览或生成失败，2 文件无法读取或写入\n"
        "  --timeout 秒数                       导出的总时限（默认 60 秒）；超时即停止导出，不写出任何内容，退出码 1\n"
        "  --allow-remote-images                导出的页面载入网络（http、https）图片；默认不载入\n"
        "  lorvane --unit                       运行内置自检\n"
        "  lorvane --version                    显示版本\n"
        "  lorvane --help                       显示本帮助\n");
}

QString versionText()
{
    return QStringLiteral(
        "lorvane " LORVANE_VERSION "\n"
        "许可证：GPL-3.0-or-later；编辑引擎 QScintilla（GPL-3），字体 IBM Plex（SIL OFL 1.1），图标 Lucide（ISC）。\n");
}

namespace {

// Looked for in the bytes when the text is still UTF-8: no UTF-16 copy of it.
bool hasNul(const TextCopy& text)
{
    return text.isUtf8() ? text.utf8.contains('\0') : text.text.contains(QChar(u'\0'));
}

// Opens a file the way the editor does; prints the editor's message on failure.
DocPtr openForTool(const QString& path, std::FILE* err)
{
    // The tool validates and renders itself; a background pass would only
    // double the time and the memory.
    Doc::setAnalysisEnabled(false);
    if (const ContentKind kind = FileIO::contentKind(path); kind != ContentKind::text) {
        print(err,
              QStringLiteral("无法打开 ") + QFileInfo(path).fileName()
                  + (kind == ContentKind::image ? QStringLiteral("：这是图片，不是文本\n")
                                                : QStringLiteral("：这是二进制文件，不是文本\n")));
        return nullptr;
    }
    auto doc = Doc::open(path);
    if (!doc) {
        print(err,
              QStringLiteral("无法打开 ") + QFileInfo(path).fileName() + QStringLiteral("：") + doc.error()
                  + QLatin1Char('\n'));
        return nullptr;
    }
    // A NUL past the first block: NUL never occurs in the text formats outside UTF-16.
    const DocPtr& d = doc.value();
    if (d->encoding() != TextEncoding::utf16LE && d->encoding() != TextEncoding::utf16BE && hasNul(d->textCopy())) {
        print(err,
              QStringLiteral("无法打开 ") + QFileInfo(path).fileName()
                  + QStringLiteral("：这是二进制文件，不是文本\n"));
        return nullptr;
    }
    return d;
}

}

int check(const QStringList& files, std::FILE* out, std::FILE* err)
{
    int status = 0;
    for (const QString& path : files) {
        DocPtr doc = openForTool(path, err);
        if (!doc) {
            status = 2;
            continue;
        }
        const FormatPlugin& plugin = doc->plugin();
        if (!plugin.validates)
            continue;
        const TextCopy text = doc->textCopy();
        const QList<Diagnostic> found = text.isUtf8() ? plugin.validateUtf8(text.utf8) : plugin.validate(text.text);
        for (const Diagnostic& d : found)
            print(out,
                  path + QLatin1Char(':') + QString::number(d.line) + QStringLiteral(": ") + d.message
                      + QLatin1Char('\n'));
        if (!found.isEmpty() && status == 0)
            status = 1;
        std::fflush(out);
    }
    return status;
}

namespace {

// The standalone page of a document, as text or as UTF-8 bytes (`build` is
// one of the engine's exportPage functions), or nothing after printing why.
template <typename Page>
std::optional<Page>
standalonePage(const DocPtr& doc, const QString& file, const QString& title, const QString& what, std::FILE* err,
               std::optional<Page> (PreviewEngine::*build)(const FormatPlugin&, const TextCopy&, const QString&,
                                                           const QString&, QString*))
{
    const FormatPlugin& plugin = doc->plugin();
    if (!plugin.supportsPreview()) {
        print(err,
              QStringLiteral("%1 格式没有预览，无法导出 %2：%3\n")
                  .arg(plugin.displayName, what, QFileInfo(file).fileName()));
        return std::nullopt;
    }
    QString error;
    PreviewEngine* engine = PreviewEngine::get(&error);
    if (!engine) {
        print(err, PreviewEngine::unavailable(error) + QLatin1Char('\n'));
        return std::nullopt;
    }
    std::optional<Page> page = (engine->*build)(plugin, doc->textCopy(), title, what, &error);
    if (!page)
        print(err, error + QLatin1Char('\n'));
    return page;
}

QString overTime(const QString& what, double seconds)
{
    return QStringLiteral("导出 %1 超时：%2 秒内没有完成，已停止，没有写出任何内容（可用 --timeout 秒数 放宽时限）")
        .arg(what, QString::number(seconds));
}

}

int exportHTML(const QString& file, const QString& output, double timeoutSeconds, std::FILE* out, std::FILE* err)
{
    ExportDeadline deadline(timeoutSeconds, overTime(QStringLiteral("HTML"), timeoutSeconds));
    DocPtr doc = openForTool(file, err);
    if (!doc)
        return 2;
    const std::optional<QByteArray> page = standalonePage(doc, file, QString(), QStringLiteral("HTML"), err,
                                                          &PreviewEngine::exportPageUtf8);
    deadline.disarm();
    if (!page)
        return 1;
    const QByteArray& bytes = *page;
    if (output.isEmpty() || output == QLatin1String("-")) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out);
        std::fflush(out);
        return 0;
    }
    if (auto error = FileIO::writeAtomically(output, bytes)) {
        print(err, QStringLiteral("无法写入 ") + output + QStringLiteral("：") + *error + QLatin1Char('\n'));
        return 2;
    }
    return 0;
}

int exportPDF(const QString& file, const QString& output, double timeoutSeconds, std::FILE* err)
{
    ExportDeadline deadline(timeoutSeconds, overTime(QStringLiteral("PDF"), timeoutSeconds));
    const QDeadlineTimer left(qint64(timeoutSeconds * 1000));
    DocPtr doc = openForTool(file, err);
    if (!doc)
        return 2;
    const std::optional<QString> page = standalonePage(doc, file, doc->name(), QStringLiteral("PDF"), err,
                                                       &PreviewEngine::exportPage);
    if (!page)
        return 1;
    const std::unique_ptr<PageToPDF> pdf(PreviewEngine::get()->createPDFJob(nullptr));
    QEventLoop loop;
    QByteArray bytes;
    QString error;
    bool done = false;
    QObject::connect(pdf.get(), &PageToPDF::finished, &loop, [&](const QByteArray& b, const QString& e) {
        bytes = b;
        error = e;
        done = true;
        loop.quit();
    });
    // Printing's own limit is the time left, and a little more: the overall
    // limit speaks first, with its message.
    pdf->start(*page, doc->name(), QFileInfo(file).absolutePath(), int(left.remainingTime()) + 1000);
    if (!done)
        loop.exec();
    deadline.disarm();
    if (bytes.isEmpty()) {
        print(err, QStringLiteral("无法导出 PDF：") + error + QLatin1Char('\n'));
        return 1;
    }
    if (auto e = FileIO::writeAtomically(output, bytes)) {
        print(err, QStringLiteral("无法写入 ") + output + QStringLiteral("：") + *e + QLatin1Char('\n'));
        return 2;
    }
    return 0;
}

}
