// The about window `frmAbout`: the program's name, version and purpose, the system information and the maker's site.
#include "core/about.h"

#include "assets/artwork.h"
#include "core/fonts.h"
#include "core/forms.h"
#include "core/message_boxes.h"
#include "core/program_info.h"
#include "core/twips.h"
#include "platform/trace.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace qx {

namespace {
const QSize kClient(pxi(5730), pxi(3555)); // 382 x 237
const QColor kBlue(0, 0, 255);

const char* const kDescription =
    "Orologio multifunzione con: visualizzazione in 4 diversi formati, allarme, rintocchi ora e mezzora, Big Ben a "
    "mezzogiorno e mezzanotte, cronometro, conto alla rovescia, timer di esecuzione di Windows, timer vita "
    "computer,calcolo dei secondi rimanenti all' inizio del terzo millennio.";

// The window's texts all hang from the top left of their boxes.
QLabel* topLeftText(QWidget* parent, const char* name, const QString& text, const QRect& box, const QFont& font) {
    QLabel* l = forms::label(parent, name, text, box, Qt::AlignLeft | Qt::AlignTop);
    l->setFont(font);
    return l;
}

// A line filled with one colour.
QFrame* bar(QWidget* parent, const QRect& line, const QColor& c) {
    auto* f = new QFrame(parent);
    f->setGeometry(line);
    f->setAutoFillBackground(true);
    QPalette p = f->palette();
    p.setColor(QPalette::Window, c);
    f->setPalette(p);
    return f;
}

// The address label opens the site on a click with the left button.
class AddressLabel : public QLabel {
public:
    AddressLabel(QWidget* parent, std::function<void()> onClick) : QLabel(parent), onClick_(std::move(onClick)) {}

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick_)
            onClick_();
    }

private:
    std::function<void()> onClick_;
};
} // namespace

QStringList systemInfoPrograms() {
    return {QStringLiteral("kinfocenter"), QStringLiteral("hardinfo2"), QStringLiteral("hardinfo"),
            QStringLiteral("gnome-system-monitor"), QStringLiteral("mate-system-monitor")};
}

QIcon programIcon() {
    QIcon icon;
    // The sizes window managers and task bars draw a window's icon at; each window sends them all to the X server,
    // and the menu takes the installed theme's icons.
    for (const int size : {16, 22, 24, 32, 48, 64, 128})
        icon.addPixmap(renderArtwork(QStringLiteral("quadrantix"), QSize(size, size)));
    return icon;
}

frmAbout::frmAbout(AboutServices services) : QDialog(nullptr, forms::kDialogFrame), services_(std::move(services)) {
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Informazioni su ") + programTitle());
    setGeometry(QRect(QPoint(pxi(2340), pxi(1935)), kClient));
    setFixedSize(kClient);

    forms::picture(this, "picIcon", QStringLiteral("quadrantix"), twipRect(240, 240, 540, 540), QSize(32, 32));

    QLabel* lblTitle =
        topLeftText(this, "lblTitle", programTitle(), twipRect(1050, 180, 4440, 600), msSansSerif(24, true));
    forms::setTextColour(lblTitle, kBlue);
    const QVersionNumber version = programVersion();
    QLabel* lblVersion = topLeftText(this, "lblVersion",
                                     QStringLiteral("Versione %1.%2.%3")
                                         .arg(version.majorVersion())
                                         .arg(version.minorVersion())
                                         .arg(version.microVersion()),
                                     twipRect(1050, 810, 4440, 225), msSansSerif(8.25));
    traceEvent("about", lblVersion->text());
    QLabel* lblDescription = topLeftText(this, "lblDescription", QString::fromUtf8(kDescription),
                                         twipRect(1050, 1125, 4440, 1230), msSansSerif(8.25));
    lblDescription->setWordWrap(true);

    // A grey rule with a white one under it: an engraved line across the window.
    bar(this, QRect(6, pxi(2475), kClient.width() - 12, 1), QColor(128, 128, 128));
    bar(this, QRect(6, pxi(2475) + 1, kClient.width() - 12, 2), Qt::white);

    QLabel* lblDisclaimer =
        topLeftText(this, "lblDisclaimer", QStringLiteral("Per ogni commento o informazione visitate il sito:"),
                    twipRect(255, 2655, 3870, 450), msSansSerif(8.25));
    lblDisclaimer->setWordWrap(true);
    auto* Label1 = new AddressLabel(this, [this] {
        if (services_.openUrl)
            services_.openUrl(makerSite());
    });
    forms::place(Label1, "Label1", twipRect(255, 3090, 3870, 300));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setText(makerSite().toString());
    Label1->setFont(msSansSerif(9.75, true));
    Label1->setToolTip(QStringLiteral("Click per visitare il sito!"));
    Label1->setCursor(Qt::PointingHandCursor);
    forms::setTextColour(Label1, kBlue);

    QPushButton* cmdOK = forms::button(this, "cmdOK", QStringLiteral("OK"), twipRect(4155, 2655, 1425, 345));
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    QPushButton* cmdSysInfo =
        forms::button(this, "cmdSysInfo", QStringLiteral("&System Info..."), twipRect(4155, 3090, 1425, 345));
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);
}

void frmAbout::StartSysInfo() {
    startSystemInformation(services_, this);
}

void startSystemInformation(const AboutServices& services, QWidget* parent) {
    const QString program = services.find ? services.find(systemInfoPrograms()) : QString();
    const bool started = !program.isEmpty() && services.start && services.start(program);
    traceEvent("sysinfo", started ? program : QStringLiteral("-"));
    if (started)
        return;
    // Modal to this window, without blocking the caller.
    tell(parent,
         {.name = "sysinfo", .text = QStringLiteral("Le informazioni sul sistema non sono attualmente disponibili.")});
}

frmAbout* AboutWindows::open() {
    if (!window_) {
        window_ = new frmAbout(services_);
        window_->show();
    } else {
        window_->show();
        window_->raise();
        window_->activateWindow();
    }
    return window_;
}

} // namespace qx
