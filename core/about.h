// The about window `frmAbout`: the program's name, version and purpose, the system information and the maker's site.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace qx {

// What the about window asks of the desktop.
struct AboutServices {
    std::function<void(const QUrl&)> openUrl;        // with the default handler; the result is ignored
    std::function<bool(const QString& path)> start;  // a program, without waiting; false if it did not start
    std::function<QString(const QStringList&)> find; // the first of these programs on PATH, or empty
};

// The system-information programs "&System Info..." looks for, in this order.
QStringList systemInfoPrograms();

// The program's icon at the sizes the desktop asks for, drawn at each.
QIcon programIcon();

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(AboutServices services);

    // Starts the first system-information program found, or says that none is available.
    void StartSysInfo();

private:
    AboutServices services_;
};

// Starts the first system-information program found; when none can be started, says so in a box over `parent`
// (modal to it, without blocking the caller).
void startSystemInformation(const AboutServices& services, QWidget* parent);

// One about window at most: opening it while it is open brings that window to the front.
class AboutWindows {
public:
    explicit AboutWindows(AboutServices services) : services_(std::move(services)) {}
    frmAbout* open();
    frmAbout* window() const { return window_; }
    // What the about window's "&System Info..." does, for another window (the options dialog's timer page) that
    // asks for it without showing the about window; a message goes over `parent`.
    void startSysInfo(QWidget* parent) const { startSystemInformation(services_, parent); }

private:
    AboutServices services_;
    QPointer<frmAbout> window_;
};

} // namespace qx
