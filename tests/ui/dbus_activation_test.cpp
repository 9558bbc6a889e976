// A file manager opens files in the running editor over the session bus
// (org.freedesktop.Application); here on a private bus of the test's own.
#include "views/window/DBusActivation.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

class DBusActivationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus)";
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        ASSERT_TRUE(daemon_.waitForStarted(5000));
        QDeadlineTimer deadline(5000);
        while (!daemon_.canReadLine() && !deadline.hasExpired())
            daemon_.waitForReadyRead(100);
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        ASSERT_FALSE(address_.isEmpty()) << daemon_.readAllStandardError().toStdString();
    }

    void TearDown() override
    {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        if (daemon_.state() != QProcess::NotRunning) {
            daemon_.kill();
            daemon_.waitForFinished(5000);
        }
    }

    QDBusConnection connect(const QString& name)
    {
        names_ << name;
        return QDBusConnection::connectToBus(address_, name);
    }

    // Calls a method of the editor's object from another connection and waits
    // for the answer while the editor's side handles it.
    QDBusMessage call(QDBusConnection from, const QString& method, const QVariantList& args)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(QString::fromLatin1(DBusActivation::serviceName),
                                                        QString::fromLatin1(DBusActivation::objectPath),
                                                        QStringLiteral("org.freedesktop.Application"), method);
        m.setArguments(args);
        QDBusPendingCall pending = from.asyncCall(m, 5000);
        QDeadlineTimer deadline(6000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return pending.reply();
    }

    QProcess daemon_;
    QString address_;
    QStringList names_;
};

}

TEST_F(DBusActivationTest, OpenHandsLocalFilesAndTheActivationTokenToTheRunningEditor)
{
    std::vector<SingleInstance::Request> got;
    DBusActivation activation;
    ASSERT_TRUE(activation.start([&](const SingleInstance::Request& r) { got.push_back(r); },
                                 connect(QStringLiteral("editor"))));

    QVariantMap platform{{QStringLiteral("activation-token"), QStringLiteral("tok-1")}};
    const QDBusMessage reply = call(
        connect(QStringLiteral("files")), QStringLiteral("Open"),
        {QStringList{QStringLiteral("file:///tmp/a%20b.md"), QStringLiteral("https://example.invalid/x.md"),
                     QStringLiteral("file:///tmp/%E4%B8%AD.txt")},
         platform});
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].files, (QStringList{QStringLiteral("/tmp/a b.md"), QStringLiteral("/tmp/中.txt")}));
    EXPECT_EQ(got[0].refused, QStringList{QStringLiteral("https://example.invalid/x.md")});
    EXPECT_EQ(got[0].activationToken, QByteArray("tok-1"));

    const QDBusMessage activate = call(connect(QStringLiteral("launcher")), QStringLiteral("Activate"),
                                       {QVariantMap{{QStringLiteral("desktop-startup-id"), QStringLiteral("id-2")}}});
    ASSERT_EQ(activate.type(), QDBusMessage::ReplyMessage) << activate.errorMessage().toStdString();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_TRUE(got[1].files.isEmpty());
    EXPECT_EQ(got[1].startupID, QByteArray("id-2"));
}

TEST_F(DBusActivationTest, ASecondEditorDoesNotTakeTheNameAway)
{
    int first = 0;
    DBusActivation one;
    ASSERT_TRUE(one.start([&](const SingleInstance::Request&) { ++first; }, connect(QStringLiteral("one"))));
    DBusActivation two;
    EXPECT_FALSE(two.start([](const SingleInstance::Request&) { ADD_FAILURE() << "second editor called"; },
                           connect(QStringLiteral("two"))));
    call(connect(QStringLiteral("caller")), QStringLiteral("Activate"), {QVariantMap{}});
    EXPECT_EQ(first, 1);
}

TEST(DBusActivation, WithoutABusNothingIsRegistered)
{
    DBusActivation a;
    EXPECT_FALSE(
        a.start([](const SingleInstance::Request&) {},
                QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("nobus"))));
    QDBusConnection::disconnectFromBus(QStringLiteral("nobus"));
}

TEST(DBusActivation, OnlyAbsoluteFileURIsOfThisMachineAreOpenedTheRestIsRefused)
{
    const struct {
        const char* uri;
        const char* path;  // null: refused
    } cases[] = {
        {"file:///tmp/a%20b.md", "/tmp/a b.md"},
        {"file://localhost/tmp/x.txt", "/tmp/x.txt"},
        {"file:///tmp/%E4%B8%AD.txt", "/tmp/中.txt"},
        {"file:notes.md", nullptr},
        {"file:sub/notes.md", nullptr},
        {"file://fileserver/share/a.md", nullptr},
        {"file://", nullptr},
        {"https://example.invalid/x.md", nullptr},
        {"sftp://host/tmp/a.md", nullptr},
        {"/tmp/plain-path.md", nullptr},
        {"notes.md", nullptr},
        {"", nullptr},
        {"file:///tmp/nul%00.md", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri);
        const QString uri = QString::fromUtf8(c.uri);
        const SingleInstance::Request r = DBusActivation::request({uri}, {});
        if (c.path) {
            EXPECT_EQ(r.files, QStringList{QString::fromUtf8(c.path)});
            EXPECT_TRUE(r.refused.isEmpty());
        } else {
            EXPECT_TRUE(r.files.isEmpty()) << r.files.join(' ').toStdString();
            EXPECT_EQ(r.refused, QStringList{uri});
        }
    }
    const QString told = DBusActivation::refusal({QStringLiteral("file:notes.md")});
    EXPECT_TRUE(told.contains(QStringLiteral("file:notes.md")));
    EXPECT_TRUE(told.contains(QStringLiteral("file:///")));
}
