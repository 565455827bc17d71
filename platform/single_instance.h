// One running copy of a program per user, display and settings file: a second start hands over to the first and ends.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

namespace qx {

// The first copy to start holds an exclusive lock on a file in the user's runtime folder ($XDG_RUNTIME_DIR, or a
// private folder of the user's under /tmp) for as long as it runs; the kernel lets go of it when the process ends,
// however it ends, so a copy that crashed never blocks the next start. Beside the lock the holder listens on a
// socket: a later copy finds the lock taken, connects, says it was started and ends; the holder hears
// anotherStart() on its event loop.
//
// When no lock can be taken at all (no runtime folder, a folder that is not the user's own) the program runs as if
// it were the only copy: a clock that cannot check is better than no clock.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // this copy runs: it holds the lock
        HandedOver, // another copy runs and was told of this start: end now
        Unchecked,  // no lock could be had: run
    };

    // `name` names the program ("quadrantix"); `display` tells sessions apart, `store` the settings file the copy
    // works with (copies with settings of their own are different clocks). `folder` is the runtime folder, found
    // from the environment when empty.
    explicit SingleInstance(const QString& name, const QByteArray& display, const QString& store,
                            const QString& folder = {});
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Outcome outcome() const { return outcome_; }
    QString lockPath() const { return lockPath_; }

    // Starts hearing later starts on the event loop (only for Outcome::First).
    void listen();

    // The user's runtime folder: $XDG_RUNTIME_DIR when it is a folder of the user's own that only the user can
    // enter, else /tmp/quadrantix-<uid>, made so; empty when neither can be had.
    static QString runtimeFolder();

Q_SIGNALS:
    void anotherStart();

private:
    void claim(const QByteArray& base, QString folder);
    bool tellHolder() const;
    void onConnection();

    Outcome outcome_ = Outcome::Unchecked;
    QString lockPath_, socketPath_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qx
