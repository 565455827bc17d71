// A tiny shaped Qt window that the end-to-end harness and the benchmark measure themselves against.
#include <QApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <cstdio>

namespace qx {

// Same line format as the programs' own QUADRANTIX_TRACE, so the harness's readers are tested on it.
static std::FILE* traceFile = nullptr;

static void trace(const char* event, const QByteArray& args) {
    if (!traceFile)
        return;
    // system_clock is CLOCK_REALTIME on Linux (and faked by libfaketime like QDateTime).
    const auto ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch());
    std::fprintf(traceFile, "%lld %s %s\n", static_cast<long long>(ns.count()), event, args.constData());
    std::fflush(traceFile);
}

class ProbeWindow : public QWidget {
public:
    explicit ProbeWindow(bool everyMillisecond) {
        setObjectName(QStringLiteral("Probe"));
        setWindowTitle(QStringLiteral("QX Probe"));
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(300, 200);
        setMask(QRegion(rect(), QRegion::Ellipse));
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setSingleShot(!everyMillisecond);
        connect(&timer_, &QTimer::timeout, this, &ProbeWindow::tick);
        if (everyMillisecond)
            timer_.start(1);
        else
            armForNextSecond();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0x20, 0xa0, 0x60));
        p.fillRect(markRect(second_), Qt::white);
        if (!mapped_) {
            mapped_ = true;
            QTimer::singleShot(0, this, [this] { trace("mapped", objectName().toUtf8()); });
        }
    }
    void mousePressEvent(QMouseEvent* e) override { grab_ = e->globalPosition().toPoint() - pos(); }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (e->buttons() & Qt::LeftButton)
            move(e->globalPosition().toPoint() - grab_);
    }

private:
    // A small mark that moves with the seconds, so that each new second really paints something, and only that.
    static QRect markRect(qint64 second) { return QRect(20 + static_cast<int>(second % 10) * 20, 90, 12, 12); }
    void armForNextSecond() { timer_.start(1000 - static_cast<int>(QDateTime::currentMSecsSinceEpoch() % 1000)); }
    void tick() {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        if (now != second_) {
            const QRect old = markRect(second_);
            second_ = now;
            repaint(QRegion(old) + markRect(now));
            trace("shown", QByteArray::number(now) + " Probe");
        }
        if (timer_.isSingleShot())
            armForNextSecond();
    }

    QTimer timer_;
    QPoint grab_;
    qint64 second_ = 0;
    bool mapped_ = false;
};

} // namespace qx

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (const QByteArray path = qgetenv("QUADRANTIX_TRACE"); !path.isEmpty())
        qx::traceFile = std::fopen(path.constData(), "a");
    // steady_clock is CLOCK_MONOTONIC: printed so that tests can prove faketime left it alone.
    const auto mono =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now().time_since_epoch());
    std::printf("now %s\nmonotonic %lld\n",
                QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toUtf8().constData(),
                static_cast<long long>(mono.count()));
    std::fflush(stdout);
    qx::ProbeWindow window(app.arguments().contains(QStringLiteral("--every-ms")));
    if (app.arguments().contains(QStringLiteral("--fullscreen"))) {
        // A full-screen window that has the focus, the kind a window manager stacks above all others.
        window.clearMask();
        window.showFullScreen();
    } else {
        window.move(100, 100);
        window.show();
    }
    return app.exec();
}
