#include "app/selftest/SelfTests.h"
#include "core/BackupStore.h"
#include "core/Doc.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QUuid>

namespace SelfTests {

namespace {

// Removes the temporary file and every snapshot the group wrote, however
// the group ends.
struct Cleanup {
    QString file;
    QSet<QUuid> snapshots;
    ~Cleanup()
    {
        if (!file.isEmpty())
            QFile::remove(file);
        for (const QUuid& id : std::as_const(snapshots))
            BackupStore::remove(id);
    }
};

QString describe(const Doc& d)
{
    return QStringLiteral("文本 “%1”，基线 “%2”，标签 %3")
        .arg(d.text(), d.baseline().fingerprint(), d.tags().join(QLatin1Char(',')));
}

bool touchForward(const QString& path, int seconds)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite))
        return false;
    return f.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime);
}

// False when the group cannot go on.
bool fileChecks(Cleanup& cleanup)
{
    const QString path =
        QDir(QDir::tempPath())
            .filePath(QStringLiteral("lorvane-test-%1.md").arg(QUuid::createUuid().toString(QUuid::WithoutBraces)));
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            cleanup.file = path;
            f.write(QStringLiteral("原文").toUtf8());
        }
    }
    auto opened = Doc::open(path);
    if (!check(!cleanup.file.isEmpty() && opened.ok(), "✗ 打开临时文件 ", opened.ok() ? QString() : opened.error()))
        return false;
    DocPtr doc = opened.value();
    doc->setText(QStringLiteral("改过的内容"));
    doc->setTags({QStringLiteral("work")});
    cleanup.snapshots.insert(doc->id);
    const bool written = BackupStore::write(*doc);
    const std::optional<DocSnapshot> snap = written ? BackupStore::load(doc->id) : std::nullopt;
    if (!check(snap.has_value(), "✗ 快照写入读取 "))
        return false;

    DocPtr restored = Doc::restore(*snap);
    check(restored->id == doc->id && restored->text() == QStringLiteral("改过的内容")
              && restored->baseline().matches(QStringLiteral("原文")) && restored->isDirty()
              && restored->tags() == QStringList{QStringLiteral("work")},
          "✗ 快照还原内容与基线 ", describe(*restored));
    check(!restored->notice().has_value(), "✗ 磁盘未变时无冲突 ");

    touchForward(path, 60);
    check(Doc::restore(*snap)->notice() == DocNotice::diskChanged, "✗ 磁盘变化识别为冲突 ");

    QFile::remove(path);
    check(Doc::restore(*snap)->notice() == DocNotice::missing, "✗ 原文件删除识别 ");
    return true;
}

void namingChecks(Cleanup& cleanup)
{
    check(Doc::title(QStringLiteral("\n## 周报：第 3 周\n正文"), QString()) == QStringLiteral("周报：第 3 周"),
          "✗ 首行命名去前缀与非法字符 ", Doc::title(QStringLiteral("\n## 周报：第 3 周\n正文")));
    check(Doc::title(QStringLiteral("a/b:c")) == QStringLiteral("a-b-c"), "✗ 替换非法字符 ",
          Doc::title(QStringLiteral("a/b:c")));
    check(Doc::title(QStringLiteral("{\n  \n}")) == QStringLiteral("未命名"), "✗ 无文字内容保持未命名 ",
          Doc::title(QStringLiteral("{\n  \n}")));
    check(Doc::title(QStringLiteral("# 标题\n\n会议记录"), QStringLiteral("# 标题\n\n")) == QStringLiteral("会议记录"),
          "✗ 首行命名跳过模板行 ");

    DocPtr named = makeDoc(QUuid::createUuid(), QStringLiteral("未命名.md"), QString(), std::nullopt,
                           TextEncoding::utf8, LineEnding::lf, {});
    named->setAutoExt(QStringLiteral("md"));
    named->setText(QStringLiteral("v1.2 发布说明\n"));
    named->applyAutoName();
    check(named->name() == QStringLiteral("v1.2 发布说明.md"), "✗ 名称随首行变化 ", named->name());

    DocPtr draft = makeDoc(QUuid::createUuid(), QStringLiteral("未命名"), QStringLiteral("草稿"), std::nullopt,
                           TextEncoding::utf8, LineEnding::lf, {});
    cleanup.snapshots.insert(draft->id);
    const std::optional<DocSnapshot> snap = BackupStore::write(*draft) ? BackupStore::load(draft->id) : std::nullopt;
    check(snap && Doc::restore(*snap)->text() == QStringLiteral("草稿"), "✗ 未落盘文件快照还原 ");
}

}

void backup()
{
    Cleanup cleanup;
    if (fileChecks(cleanup))
        namingChecks(cleanup);
}

}
