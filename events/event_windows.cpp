// The windows the time events open: the alarm "Allarme" and the millennium greeting "speciale".
#include "events/event_windows.h"

#include "core/fonts.h"
#include "core/forms.h"
#include "core/program_info.h"
#include "core/settings_store.h"
#include "core/shown_text.h"
#include "core/twips.h"
#include "platform/desktop/window_attention.h"
#include "platform/sound/sound_service.h"
#include "platform/trace.h"

#include <QLabel>
#include <QPushButton>
#include <QUrlQuery>

namespace qx {

namespace {
const QString kCode = QStringLiteral("QX-2001-0101-AUGURI");
} // namespace

Allarme::Allarme(const SettingsStore& store, std::shared_ptr<SoundObject> melody)
    : QWidget(nullptr, forms::kAlertFrame), Al_Suono(std::move(melody)) {
    setObjectName(QStringLiteral("Allarme"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quadrantix - Allarme!"));
    setFixedSize(pxi(4935), pxi(2160));

    const QString text = store.text(keys::AllarmeMessaggio);
    // Plain text: the message comes from the store, and markup in it must show as the characters typed.
    QLabel* message =
        forms::label(this, "Label1", shownText(text), twipRect(1320, 360, 3375, 855), Qt::AlignHCenter | Qt::AlignTop);
    message->setWordWrap(true);
    traceEvent("alarm", text);
    forms::picture(this, nullptr, QStringLiteral("info"), QRect(pxi(120), pxi(120), 32, 32));
    forms::picture(this, nullptr, QStringLiteral("logo_48"), QRect(pxi(240), pxi(480), 48, 48));

    QPushButton* ok = forms::button(this, "Command1", QStringLiteral("&OK"), twipRect(1673, 1560, 1335, 375));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] {
        close();
        Al_Suono->stop();
    });
    Al_Suono->play();
}

QUrl Speciale::mailUrl() {
    QUrl url(QStringLiteral("mailto:") + makerMail());
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), QStringLiteral("Regalo del terzo millennio - codice ") + kCode);
    url.setQuery(query);
    return url;
}

Speciale::Speciale(std::shared_ptr<SoundObject> melody, std::function<void(const QUrl&)> openUrl)
    : QWidget(nullptr, forms::kAlertWindowFrame), Al_Suono(std::move(melody)) {
    setObjectName(QStringLiteral("speciale"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Without the 26 spaces that once pushed the title to the middle of a left-aligned title bar: window managers
    // centre titles themselves, and the spaces only made them cut the greeting short.
    setWindowTitle(QStringLiteral("Buon terzo millennio da Quadrantix!"));
    setFixedSize(pxi(5925), pxi(5100));

    forms::picture(this, "Image1", QStringLiteral("fireworks"), twipRect(585, -840, 4755, 6315));
    QLabel* l1 = forms::label(this, "Label1", QStringLiteral("Complimenti!"), twipRect(1455, 120, 3015, 615));
    l1->setFont(msSansSerif(24, true));
    forms::setTextColour(l1, Qt::blue);
    QLabel* l2 =
        forms::label(this, "Label2", QStringLiteral("Quadrantix ti dà il benvenuto nel terzo millennio con un regalo!"),
                     twipRect(255, 1200, 5415, 255), Qt::AlignCenter);
    l2->setFont(msSansSerif(8.25, true));
    for (int y : {1560, 3240, 3840})
        forms::rule(this, QRect(pxi(120), pxi(y) - 1, pxi(5760 - 120), 2));
    // The address line reads as one sentence: one size, one baseline (the same font and the same top for its three
    // labels), the address in bold. At 7.5 points each part fits its box.
    const QFont line = msSansSerif(7.5);
    QFont bold = line;
    bold.setBold(true);
    QLabel* l3 = forms::label(this, "Label3", QStringLiteral("Invia una mail all'indirizzo"),
                              twipRect(120, 1800, 1815, 255), Qt::AlignLeft | Qt::AlignTop);
    l3->setFont(line);
    QLabel* l7 =
        forms::label(this, "Label7", makerMail(), twipRect(2040, 1800, 2175, 255), Qt::AlignHCenter | Qt::AlignTop);
    l7->setFont(bold);
    forms::setTextColour(l7, Qt::blue);
    QLabel* l6 = forms::label(this, "Label6", QStringLiteral("indicando il codice:"), twipRect(4320, 1800, 1455, 255),
                              Qt::AlignLeft | Qt::AlignTop);
    l6->setFont(line);
    QFont narrow = msSansSerif(7.5);
    narrow.setFamilies({QStringLiteral("Liberation Sans Narrow"), QStringLiteral("DejaVu Sans Condensed")});
    QLabel* l4 = forms::label(this, "Label4", kCode, twipRect(255, 2160, 5415, 375), Qt::AlignCenter);
    l4->setFont(msSansSerif(13.5, true));
    forms::setTextColour(l4, QColor(0, 0, 128));
    forms::label(this, "Label5",
                 QStringLiteral("In regalo una copia gratuita di Agenda Quadrantix,\n"
                                "il calendario da scrivania che non dimentica nulla."),
                 twipRect(315, 2640, 5295, 495), Qt::AlignCenter);
    QLabel* l8 = forms::label(this, "Label8",
                              QStringLiteral("Valido solo per i messaggi inviati entro le 01:00 del 1° gennaio 2001."),
                              twipRect(240, 3360, 5415, 375), Qt::AlignCenter);
    l8->setFont(narrow);
    forms::setTextColour(l8, Qt::blue);

    QPushButton* send = forms::button(this, "Command1", QStringLiteral("&Invia subito il messaggio!!"),
                                      twipRect(1575, 4320, 2775, 495));
    connect(send, &QPushButton::clicked, this, [openUrl = std::move(openUrl)] { openUrl(mailUrl()); });
    QPushButton* x = forms::button(this, "Command2", QStringLiteral("X"), twipRect(5400, 120, 375, 375));
    x->setFont(msSansSerif(9.75, true));
    connect(x, &QPushButton::clicked, this, [this] {
        close();
        Al_Suono->stop();
    });
    Al_Suono->play();
}

RealEventWindows::RealEventWindows(const SettingsStore& store, std::shared_ptr<SoundObject> melody,
                                   std::function<void(const QUrl&)> openUrl)
    : store_(store), Al_Suono(std::move(melody)), openUrl_(std::move(openUrl)) {}

// Creates (and so loads) the window the first time, afterwards only brings it to the front; either way it is put
// before the user with the urgency hint, also under a window manager that holds new windows back.
template <typename Window, typename Make> static void openOnce(QPointer<Window>& window, Make make) {
    if (!window) {
        window = make();
        window->show();
    }
    window->raise();
    window->activateWindow();
    demandAttention(window->windowHandle());
}

void RealEventWindows::openAllarme() {
    openOnce(allarme_, [this] { return new Allarme(store_, Al_Suono); });
}

void RealEventWindows::openSpeciale() {
    openOnce(speciale_, [this] { return new Speciale(Al_Suono, openUrl_); });
}

} // namespace qx
