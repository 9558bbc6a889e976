#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QLocalServer;
class QThread;

// One editor per user and graphical session: a second start hands its
// files to the running one and ends. The socket lives in the user's private
// runtime directory and is named after the display, so sessions on other
// displays and other users never meet; both ends check that the peer runs
// as the same user. The socket is served on a thread of its own, so a
// start is answered at once even while the window is busy.
class SingleInstance : public QObject {
public:
    // What a start learns from the socket.
    enum class Outcome {
        forwarded,   // the running editor took the files
        noInstance,  // nobody listens: this start becomes the editor
        busy,        // an editor listens but did not answer in time
        refused,     // the socket belongs to another user
    };

    // What a later start hands over.
    struct Request {
        QStringList files;
        // Lets the running window come to the front (Wayland, X11).
        QByteArray activationToken;
        QByteArray startupID;
        // Addresses that are not files of this machine, not opened.
        QStringList refused;
    };

    explicit SingleInstance(const QString& socketPath = defaultPath(), int answerMSecs = 10000,
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // "lorvane-<display>.sock" in $XDG_RUNTIME_DIR when it is private to the
    // user, else in a private directory of the user under the temporary
    // directory. Empty when no private directory can be had.
    static QString defaultPath();
    static QString runtimeDirectory();
    const QString& socketPath() const { return path_; }

    Outcome forward(const Request& request);
    // Why the socket path cannot be used safely (zh-CN, for the user), or
    // empty: no private directory could be had, or something other than a
    // socket of this user's, or a socket others may use, sits at the path.
    static QString problem(const QString& socketPath);
    // Starts listening; false while another live editor holds the socket
    // (a stale socket of a crashed one is taken over). Requests reach
    // `receive` on this object's thread.
    bool listen(std::function<void(const Request&)> receive);

    static QByteArray encode(const Request& request);
    // Absent until the message is complete; empty files list allowed.
    static std::optional<Request> decode(const QByteArray& message, bool* malformed = nullptr);

private:
    QString path_;
    int answerMSecs_;
    QLocalServer* server_ = nullptr;
    QThread* thread_ = nullptr;
};
