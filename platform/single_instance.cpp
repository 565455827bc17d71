// One running copy of a program per user, display and settings file: a second start hands over to the first and ends.
#include "platform/single_instance.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace qx {

namespace {

constexpr auto kHolderPatience = std::chrono::seconds(2);

// A folder only its owner, this user, can enter; `make` creates it so when it is missing.
bool isPrivateFolder(const QByteArray& path, bool make) {
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0) {
        if (!make || errno != ENOENT || ::mkdir(path.constData(), 0700) != 0)
            return false;
        if (::lstat(path.constData(), &st) != 0)
            return false;
    }
    return S_ISDIR(st.st_mode) && st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

// A name for the file system, "<name>-<display>-<store>": letters, digits, '.', '-' and '_' as they are, anything
// else as '_'; the settings file as the first 16 hexadecimal digits of its path's SHA-1. The screen number of a
// display (":0.0") is left out: it is the same display as ":0".
QByteArray fileName(const QString& name, QByteArray display, const QString& store) {
    if (const qsizetype colon = display.lastIndexOf(':'); colon >= 0)
        if (const qsizetype dot = display.indexOf('.', colon); dot > colon)
            display.truncate(dot);
    QByteArray out = QFile::encodeName(name) + '-' + display.left(64);
    for (char& c : out)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' || c == '-' ||
              c == '_'))
            c = '_';
    return out + '-' + QCryptographicHash::hash(QFile::encodeName(store), QCryptographicHash::Sha1).toHex().left(16);
}

// A socket address for `path` of any length: a long path goes through the folder's descriptor in /proc, which the
// kernel resolves like any other path.
struct SocketAddress {
    sockaddr_un address{};
    int folderFd = -1;
    bool ok = false;

    explicit SocketAddress(const QByteArray& path) {
        address.sun_family = AF_UNIX;
        QByteArray target = path;
        if (target.size() >= qsizetype(sizeof address.sun_path)) {
            const qsizetype slash = path.lastIndexOf('/');
            folderFd = ::open(path.left(slash).constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (folderFd < 0)
                return;
            target = "/proc/self/fd/" + QByteArray::number(folderFd) + path.mid(slash);
            if (target.size() >= qsizetype(sizeof address.sun_path))
                return;
        }
        std::memcpy(address.sun_path, target.constData(), size_t(target.size()) + 1);
        ok = true;
    }
    ~SocketAddress() {
        if (folderFd >= 0)
            ::close(folderFd);
    }
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;
    const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&address); }
};

} // namespace

SingleInstance::SingleInstance(const QString& name, const QByteArray& display, const QString& store,
                               const QString& folder) {
    claim(fileName(name, display, store), folder);
}

SingleInstance::~SingleInstance() {
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
    if (lockFd_ >= 0)
        ::close(lockFd_); // the lock goes with the descriptor
}

QString SingleInstance::runtimeFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.startsWith('/') && isPrivateFolder(runtime, false))
        return QFile::decodeName(runtime);
    const QByteArray own = "/tmp/quadrantix-" + QByteArray::number(::getuid());
    return isPrivateFolder(own, true) ? QFile::decodeName(own) : QString();
}

void SingleInstance::claim(const QByteArray& name, QString folder) {
    if (folder.isEmpty())
        folder = runtimeFolder();
    if (folder.isEmpty())
        return;
    const QString base = folder + QLatin1Char('/') + QFile::decodeName(name);
    lockPath_ = base + QStringLiteral(".lock");
    socketPath_ = base + QStringLiteral(".sock");
    lockFd_ = ::open(QFile::encodeName(lockPath_).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd_ < 0)
        return;
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(lockFd_);
        lockFd_ = -1;
        if (held) {
            // The holder is alive (a dead one holds no lock), perhaps still starting: it is told when it can be.
            tellHolder();
            outcome_ = Outcome::HandedOver;
        }
        return;
    }
    outcome_ = Outcome::First;
    // Listening starts before the toolkit does, so a start that comes meanwhile waits in the socket's queue.
    const QByteArray socketPath = QFile::encodeName(socketPath_);
    ::unlink(socketPath.constData()); // left by a copy that crashed
    const SocketAddress address(socketPath);
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ >= 0 && (!address.ok || ::bind(listenFd_, address.get(), sizeof address.address) != 0 ||
                           ::listen(listenFd_, 8) != 0)) {
        ::close(listenFd_);
        listenFd_ = -1;
    }
}

bool SingleInstance::tellHolder() const {
    const QByteArray socketPath = QFile::encodeName(socketPath_);
    const SocketAddress address(socketPath);
    if (!address.ok)
        return false;
    const auto giveUp = std::chrono::steady_clock::now() + kHolderPatience;
    do {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        if (::connect(fd, address.get(), sizeof address.address) == 0) {
            const char start = 's';
            const bool told = ::send(fd, &start, 1, MSG_NOSIGNAL) == 1;
            ::close(fd);
            return told;
        }
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < giveUp);
    return false;
}

void SingleInstance::listen() {
    if (listenFd_ < 0 || notifier_)
        return;
    notifier_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SingleInstance::onConnection);
}

void SingleInstance::onConnection() {
    int fd;
    while ((fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0) {
        // Every connection is a start; what it says does not matter.
        ::close(fd);
        Q_EMIT anotherStart();
    }
}

} // namespace qx
