#include "CommandLineRun.h"

#include <QThread>

namespace {

// The real window, offscreen, with its own settings and single-instance
// channel; its memory map says which libraries it has loaded.
class LazyEngine : public CommandLineTest {
protected:
    QProcess window;

    void TearDown() override
    {
        window.kill();
        window.waitForFinished(10000);
    }

    void open(const QString& file)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
        env.insert(QStringLiteral("QTWEBENGINE_CHROMIUM_FLAGS"), QStringLiteral("--disable-gpu"));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            const QString path = dir.filePath(QString::fromLatin1(name));
            QDir().mkpath(path);
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            env.insert(QString::fromLatin1(name), path);
        }
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        window.setProcessEnvironment(env);
        window.start(QStringLiteral(LORVANE_EXE), {file});
        ASSERT_TRUE(window.waitForStarted());
    }

    bool mapped(const char* library)
    {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(window.processId()));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(library);
    }

    // Polls, for a window that is still starting.
    bool mappedWithin(const char* library, int msecs)
    {
        for (int waited = 0; waited < msecs; waited += 100) {
            if (mapped(library))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
};

}

// The browser engine is a module loaded for a document with a preview: a
// session of plain text never maps it, however long it stays idle.
TEST_F(LazyEngine, APlainTextSessionNeverLoadsTheBrowserEngine)
{
    open(write(QStringLiteral("a.txt"), QByteArray("纯文本\n")));
    // The file is in the desktop's recent list once the window has opened it.
    const QString recent = dir.filePath(QStringLiteral("XDG_DATA_HOME/recently-used.xbel"));
    for (int waited = 0; waited < 30000 && !QFile::exists(recent); waited += 100)
        QThread::msleep(100);
    ASSERT_TRUE(QFile::exists(recent));
    // Nothing to wait for: the point is that nothing comes. Longer than the
    // idle start a document with a preview would get.
    QThread::msleep(5000);
    ASSERT_EQ(window.state(), QProcess::Running) << window.readAllStandardError().toStdString();
    EXPECT_FALSE(mapped("lorvane_webengine"));
    EXPECT_FALSE(mapped("libQt6WebEngineCore"));
}

TEST_F(LazyEngine, AMarkdownSessionLoadsItForItsPreview)
{
    open(write(QStringLiteral("a.md"), QByteArray("# 标题\n")));
    EXPECT_TRUE(mappedWithin("libQt6WebEngineCore", 60000));
    EXPECT_TRUE(mapped("lorvane_webengine"));
    EXPECT_EQ(window.state(), QProcess::Running) << window.readAllStandardError().toStdString();
}
