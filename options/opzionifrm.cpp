// The options dialog `Opzionifrm`: alarm, chimes, start face, start at log-on, the timers' read-outs and the reminder.
#include "options/opzionifrm.h"

#include "assets/artwork.h"
#include "core/face_chrome.h"
#include "core/faces.h"
#include "core/fonts.h"
#include "core/forms.h"
#include "core/message_boxes.h"
#include "core/settings_store.h"
#include "core/settings_watcher.h"
#include "core/twips.h"
#include "lifetime/lifetime_store.h"
#include "options/face_pictures.h"
#include "options/timer_readouts.h"
#include "platform/boundary_timer.h"
#include "platform/clock.h"
#include "platform/sound/sound_service.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <limits>
#include <optional>

namespace qx {

namespace {
const QColor kCrossYellow(255, 255, 0);
const QColor kDisplayGreen(0, 255, 0);
const QColor kReadoutPanel(165, 173, 156);

// A picture box that answers a click of the left button, and Space or Enter once reached with Tab; disabled, it does
// not respond.
class ClickPicture : public QLabel {
public:
    ClickPicture(QWidget* parent, const char* name, std::function<void()> onClick)
        : QLabel(parent), onClick_(std::move(onClick)) {
        setObjectName(QLatin1String(name));
        setAlignment(Qt::AlignCenter);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->modifiers() == Qt::NoModifier &&
            (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            onClick_();
            return;
        }
        QLabel::keyPressEvent(event);
    }
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        if (!hasFocus())
            return;
        // Where the keyboard is: a dotted frame just inside the picture.
        QPainter p(this);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void focusInEvent(QFocusEvent* event) override {
        QLabel::focusInEvent(event);
        update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QLabel::focusOutEvent(event);
        update();
    }

    void mousePressEvent(QMouseEvent* event) override { pressed_ = event->button() == Qt::LeftButton; }
    void mouseReleaseEvent(QMouseEvent* event) override {
        const bool click =
            pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
        pressed_ = false;
        if (click)
            onClick_();
    }

private:
    std::function<void()> onClick_;
    bool pressed_ = false;
};

// Two yellow diagonals across a picture: what the picture stands for is off (or, for a face, not chosen).
class Cross : public QWidget {
public:
    Cross(QWidget* over, const char* name, int width) : QWidget(over), width_(width) {
        setObjectName(QLatin1String(name));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(over->rect());
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(kCrossYellow, width_, Qt::SolidLine, Qt::FlatCap));
        const QRectF r = QRectF(rect());
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
    }

private:
    int width_;
};

// A text of several lines, wrapped at its box's width.
QLabel* wrappedText(QWidget* parent, const char* name, const QString& text, QRect geometry, Qt::Alignment alignment) {
    QLabel* l = forms::label(parent, name, text, geometry, alignment | Qt::AlignTop);
    l->setWordWrap(true);
    return l;
}

QLineEdit* textField(QWidget* parent, const char* name, QRect geometry) {
    auto* field = forms::place(new QLineEdit(parent), name, geometry);
    // The store and the windows that show these texts take any length; the field's own limit (32,767) would cut a
    // longer stored message at "&OK".
    field->setMaxLength(std::numeric_limits<int>::max());
    return field;
}

// `ore` and `minuti`: green digits of a display face on black.
QLabel* timeDisplay(QWidget* parent, const char* name, QRect geometry) {
    QLabel* l = forms::label(parent, name, {}, geometry, Qt::AlignCenter);
    l->setFont(haettenschweiler(14.25));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAutoFillBackground(true);
    QPalette pal = l->palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, kDisplayGreen);
    pal.setColor(QPalette::Disabled, QPalette::WindowText, kDisplayGreen.darker(250));
    l->setPalette(pal);
    return l;
}

// The read-outs: centred bold text on the panel colour, read only.
QLineEdit* readout(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    QLineEdit* e = textField(parent, name, geometry);
    e->setText(text);
    e->setReadOnly(true);
    e->setAlignment(Qt::AlignCenter);
    e->setFont(msSansSerif(8.25, true));
    e->setFocusPolicy(Qt::NoFocus);
    QPalette pal = e->palette();
    pal.setColor(QPalette::Base, kReadoutPanel);
    pal.setColor(QPalette::Text, Qt::black);
    e->setPalette(pal);
    return e;
}

QString flag(const QCheckBox* box) {
    return box->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

// The order "&OK" tests the start-up buttons in.
constexpr std::array kAvvioWriteOrder{FaceKind::Analogico, FaceKind::Digitale, FaceKind::Quadrantix, FaceKind::Mini};
} // namespace

Opzionifrm::Opzionifrm(OptionsContext context) : QDialog(nullptr, forms::kDialogFrame), ctx_(std::move(context)) {
    setObjectName(QStringLiteral("Opzionifrm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("Opzioni"));
    setWindowIcon(QIcon(renderArtwork(QStringLiteral("quadrantix"), {32, 32}, devicePixelRatioF())));
    setFont(msSansSerif(8.25));
    setFixedSize(pxi(5160), pxi(5205));

    // Created first, so that "&OK" is first in the tab order and has the focus when the dialog opens.
    QPushButton* ok = forms::button(this, "Command1", QStringLiteral("&OK"), QRect(170, 313, 81, 25));
    QPushButton* annulla = forms::button(this, "Command2", QStringLiteral("&Annulla"), QRect(257, 313, 81, 25));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &Opzionifrm::save);
    connect(annulla, &QPushButton::clicked, this, &QDialog::reject);

    TabStrip1 = new QTabWidget(this);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    TabStrip1->setGeometry(6, 6, 332, 299);
    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
        void (Opzionifrm::*build)(QWidget*);
    } pages[] = {
        {"Orologio_page", "Orologio", "Impostazioni relative al segnale orario - allarme", &Opzionifrm::buildClockPage},
        {"Avvio_page", "Avvio", "Impostazioni per l'avvio del programma", &Opzionifrm::buildStartPage},
        {"Timer_page", "Timer", "Impostazioni dei timer vita del computer", &Opzionifrm::buildTimerPage},
        {"Salvaschermo_page", "Salvaschermo", "Impostazioni del salvaschermo", &Opzionifrm::buildSaverPage},
    };
    for (const auto& p : pages) {
        auto* page = new QWidget;
        page->setObjectName(QLatin1String(p.name));
        (this->*p.build)(page);
        const int index = TabStrip1->addTab(page, QString::fromUtf8(p.caption));
        TabStrip1->setTabToolTip(index, QString::fromUtf8(p.tooltip));
    }
    setTabOrder(ok, annulla);
    setTabOrder(annulla, TabStrip1);

    load();

    Timer2 = new BoundaryTimer(ctx_.clock, &gate_, this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setTimeSource(BoundaryTimer::TimeSource::Uptime);
    connect(Timer2, &BoundaryTimer::tick, this, &Opzionifrm::refreshReadouts);
    // Any writer's change of the store (Horacumul's updates included) shows at once on the timer page.
    if (ctx_.settingsChanges)
        ctx_.settingsChanges->follow(this, [this] {
            if (Timer2->isActive())
                refreshReadouts();
        });
    connect(TabStrip1, &QTabWidget::currentChanged, this, &Opzionifrm::onPageChanged);
    refreshReadouts();
    // Enter is "&OK"'s alone, whichever button has the focus.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);
}

Opzionifrm::~Opzionifrm() = default;

void Opzionifrm::buildClockPage(QWidget* page) {
    Frame1 = new QGroupBox(QStringLiteral("Allarme"), page);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(8, 6, 226, 134);
    auto* bell = new ClickPicture(Frame1, "campana_pic", [this] { onBell(); });
    bell->setGeometry(10, 26, 48, 48);
    bell->setPixmap(renderArtwork(QStringLiteral("options_bell"), {48, 48}, devicePixelRatioF()));
    setPictureToolTip(bell, QStringLiteral("Click per riprodurre o interrompere il suono di allarme"));

    forms::label(Frame1, "lblOre", QStringLiteral("Ore:"), QRect(72, 20, 50, 16));
    ore = timeDisplay(Frame1, "ore", QRect(72, 38, 36, 30));
    QPushButton* orePiu = forms::button(Frame1, "ore_piu", QStringLiteral("+"), QRect(110, 38, 20, 15));
    QPushButton* oreMeno = forms::button(Frame1, "ore_meno", QStringLiteral("-"), QRect(110, 53, 20, 15));
    forms::label(Frame1, "lblMinuti", QStringLiteral("Minuti:"), QRect(146, 20, 60, 16));
    minuti = timeDisplay(Frame1, "minuti", QRect(146, 38, 36, 30));
    QPushButton* minutiPiu = forms::button(Frame1, "minuti_piu", QStringLiteral("+"), QRect(184, 38, 20, 15));
    QPushButton* minutiMeno = forms::button(Frame1, "minuti_meno", QStringLiteral("-"), QRect(184, 53, 20, 15));
    connect(orePiu, &QPushButton::clicked, this, [this] { step(ore, +1, 23); });
    connect(oreMeno, &QPushButton::clicked, this, [this] { step(ore, -1, 23); });
    connect(minutiPiu, &QPushButton::clicked, this, [this] { step(minuti, +1, 59); });
    connect(minutiMeno, &QPushButton::clicked, this, [this] { step(minuti, -1, 59); });
    forms::label(Frame1, "lblMessaggio", QStringLiteral("Messaggio:"), QRect(10, 82, 120, 16));
    messaggioAllarme_ = textField(Frame1, "allarme_messaggio", QRect(10, 100, 206, 22));

    Check1 = forms::place(new QCheckBox(QStringLiteral("Attiva allarme"), page), "Check1", QRect(12, 150, 150, 20));
    Check2 = forms::place(new QCheckBox(QStringLiteral("Segnale orario"), page), "Check2", QRect(12, 176, 150, 20));
    Check3 = forms::place(new QCheckBox(QStringLiteral("Big Ben "), page), "Check3", QRect(12, 202, 150, 20));
    connect(Check1, &QCheckBox::toggled, this, &Opzionifrm::applyAlarmOn);
    connect(Check2, &QCheckBox::toggled, this, &Opzionifrm::applyChimesOn);
    connect(Check3, &QCheckBox::toggled, this, &Opzionifrm::applyBigBenOn);

    auto* chime = new ClickPicture(page, "rintocco_pic", [this] { onChime(); });
    chime->setGeometry(176, 162, 48, 48);
    chime->setPixmap(renderArtwork(QStringLiteral("options_chime"), {48, 48}, devicePixelRatioF()));
    setPictureToolTip(chime,
                      QStringLiteral("Click per riprodurre alternativamente il rintocco ora e il rintocco mezz'ora"));
    rintocco_pic = chime;
    rintocco_line = new Cross(chime, "rintocco_line", 3);

    auto* bigBen = new ClickPicture(page, "BigBen_pic", [this] { ctx_.BB_Suono->play(); });
    bigBen->setGeometry(250, 8, 64, 160);
    bigBen->setPixmap(renderArtwork(QStringLiteral("options_bigben"), {64, 160}, devicePixelRatioF()));
    setPictureToolTip(bigBen, QStringLiteral("Click per riprodurre il suono di mezzogiorno e mezzanotte"));
    BigBen_pic = bigBen;
    BigBen_line = new Cross(bigBen, "BigBen_line", 5);
}

void Opzionifrm::buildStartPage(QWidget* page) {
    auto* frame = new QGroupBox(QStringLiteral("All'avvio visualizza:"), page);
    frame->setObjectName(QStringLiteral("Frame2"));
    frame->setGeometry(8, 6, 130, 122);
    const struct {
        const char* option;
        const char* picture;
        const char* line;
        QRect box;
    } faces[] = {
        {"Avvio_An", "Analogico_pic", "An_line", QRect(148, 8, 82, 82)},
        {"Avvio_Dig", "Digitale_pic", "Dig_line", QRect(238, 8, 82, 82)},
        {"Avvio_ino", "orologino_pic", "ino_line", QRect(8, 138, 90, 70)},
        {"Avvio_Quadrantix", "Quadrantix_pic", "Quadrantix_line", QRect(106, 138, 214, 70)},
    };
    for (std::size_t i = 0; i < std::size(faces); ++i) {
        const FaceKind kind = FaceKind(i);
        auto* option = forms::place(new QRadioButton(faceName(kind), frame), faces[i].option,
                                    QRect(12, 24 + 24 * int(i), 110, 20));
        connect(option, &QRadioButton::toggled, this, &Opzionifrm::showStartMarks);
        avvio_[i] = option;

        // The picture's box shrinks to the face's proportions, so that the cross runs from corner to corner of it.
        auto* picture = new QLabel(page);
        picture->setObjectName(QLatin1String(faces[i].picture));
        QRect box = faces[i].box;
        if (const QPixmap face =
                ctx_.pictures ? ctx_.pictures->picture(kind, box.size(), devicePixelRatioF()) : QPixmap();
            !face.isNull()) {
            const QSize size = (QSizeF(face.size()) / face.devicePixelRatio()).toSize();
            box = QRect(box.center() - QPoint(size.width() / 2, size.height() / 2), size);
            picture->setPixmap(face);
        }
        picture->setGeometry(box);
        faceLines_[i] = new Cross(picture, faces[i].line, 2);
    }
    avvio_[std::size_t(FaceKind::Quadrantix)]->setChecked(true);

    AutoEsegui = forms::place(new QCheckBox(QStringLiteral("Esegui automaticamente all'avvio di Windows"), page),
                              "AutoEsegui", QRect(12, 222, 300, 20));
}

void Opzionifrm::buildTimerPage(QWidget* page) {
    wrappedText(page, "Label1",
                QStringLiteral("Per calcolare il timer vita di questo computer Quadrantix si serve del file "
                               "Horacumul.exe presente nel menu esecuzione automatica. Per un corretto funzionamento "
                               "del timer non rimuovere questo file!"),
                QRect(8, 6, 310, 60), Qt::AlignHCenter);
    forms::picture(page, "Image1", QStringLiteral("options_timer"), QRect(12, 86, 64, 64));

    forms::label(page, nullptr, QStringLiteral("Windows è in esecuzione da"), QRect(88, 72, 230, 16));
    esecwin = readout(page, "esecwin", QStringLiteral("00 ore 00 minuti 00 secondi"), QRect(88, 90, 230, 22));
    forms::label(page, nullptr, QStringLiteral("Timer vita computer:"), QRect(88, 122, 230, 16));
    vita_ = readout(page, "vita", QStringLiteral("0000 ore 00 minuti 00 secondi"), QRect(88, 140, 230, 22));
    forms::label(page, nullptr, QStringLiteral("dall'installazione di Quadrantix"), QRect(88, 164, 230, 16));

    QPushButton* info =
        forms::button(page, "Command3", QStringLiteral("Informazioni sul computer in uso"), QRect(58, 206, 210, 26));
    info->setEnabled(bool(ctx_.startSysInfo));
    connect(info, &QPushButton::clicked, this, [this] { ctx_.startSysInfo(); });
}

void Opzionifrm::buildSaverPage(QWidget* page) {
    forms::picture(page, "Image2", QStringLiteral("options_saver"), QRect(12, 10, 32, 32));
    wrappedText(page, nullptr, QStringLiteral("Il salvaschermo visualizza un promemoria ad intervalli regolari."),
                QRect(54, 10, 264, 32), Qt::AlignLeft);
    forms::rule(page, QRect(8, 50, 310, 2));
    wrappedText(page, nullptr,
                QStringLiteral("Inserisci qui il testo che viene visualizzato durante l'esecuzione del "
                               "salvaschermo:"),
                QRect(8, 62, 310, 32), Qt::AlignHCenter);
    auto* frame = new QGroupBox(QStringLiteral("Ricordati di..."), page);
    frame->setObjectName(QStringLiteral("Frame3"));
    frame->setGeometry(8, 102, 310, 82);
    // No length limit: the caption below is a hint, and a longer reminder is kept as typed.
    messaggio = textField(frame, "messaggio", QRect(12, 24, 286, 22));
    forms::label(frame, nullptr, QStringLiteral("Massimo 50 caratteri"), QRect(12, 52, 286, 16));
}

void Opzionifrm::load() {
    const SettingsStore& s = ctx_.store;
    allarmeSpento_ = true;
    // The alarm time as it was typed, "0" of the first run included: the displays edit the text.
    ore->setText(s.read(keys::AllarmeOre));
    minuti->setText(s.read(keys::AllarmeMinuti));
    messaggioAllarme_->setText(s.text(keys::AllarmeMessaggio));
    // Setting a box to the state it already has changes nothing: the effects of each state are applied by hand.
    Check1->setChecked(s.flag(keys::Allarme));
    Check2->setChecked(s.flag(keys::SegnaleOrario));
    Check3->setChecked(s.flag(keys::BigBen));
    applyAlarmOn(Check1->isChecked());
    applyChimesOn(Check2->isChecked());
    applyBigBenOn(Check3->isChecked());
    if (const std::optional<FaceKind> face = s.face(keys::Avvio))
        avvio_[std::size_t(*face)]->setChecked(true);
    showStartMarks();
    AutoEsegui->setChecked(s.checked(keys::EseguiAuto));
    prossimoRintocco_ = 1;
    messaggio->setText(s.text(keys::Promemoria));
}

void Opzionifrm::step(QLabel* display, int by, int limit) {
    // A stored value out of range is first brought into it, so that the buttons only ever show valid times.
    int n = std::clamp(display->text().trimmed().toInt(), 0, limit);
    if ((by > 0 && n == limit) || (by < 0 && n == 0)) {
        if (ctx_.beep)
            ctx_.beep();
    } else {
        n += by;
    }
    display->setText(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
}

void Opzionifrm::applyAlarmOn(bool on) {
    // The frame carries its captions, displays, buttons, message field and the bell with it.
    Frame1->setEnabled(on);
}

void Opzionifrm::applyChimesOn(bool on) {
    rintocco_line->setVisible(!on);
    rintocco_pic->setEnabled(on);
}

void Opzionifrm::applyBigBenOn(bool on) {
    BigBen_line->setVisible(!on);
    BigBen_pic->setEnabled(on);
}

void Opzionifrm::showStartMarks() {
    for (std::size_t i = 0; i < avvio_.size(); ++i)
        faceLines_[i]->setVisible(!avvio_[i]->isChecked());
}

void Opzionifrm::onBell() {
    // A melody that has ended by itself counts as stopped: the next click starts it again.
    if (allarmeSpento_ || !ctx_.Al_Suono->isPlaying()) {
        ctx_.Al_Suono->play();
        allarmeSpento_ = false;
    } else {
        ctx_.Al_Suono->stop();
        allarmeSpento_ = true;
    }
}

void Opzionifrm::onChime() {
    const QString file = prossimoRintocco_ == 1 ? QStringLiteral("/Ora.wav") : QStringLiteral("/Mezzora.wav");
    prossimoRintocco_ = 1 - prossimoRintocco_;
    // Played to its end: the dialog answers again when the sound is over.
    TickGate::Hold hold(&gate_);
    ctx_.sound.playSync(ctx_.programFolder + file);
}

void Opzionifrm::onPageChanged() {
    // The read-outs are only seen on their page: there they follow the uptime's seconds, elsewhere nothing wakes.
    if (TabStrip1->currentWidget()->objectName() == QLatin1String("Timer_page")) {
        refreshReadouts();
        Timer2->start(kSecondNs);
    } else {
        Timer2->stop();
    }
}

void Opzionifrm::refreshReadouts() {
    // The store first, then the uptime: an update written in between has counted no second this reading misses.
    const LifetimeLedger ledger = LifetimeStore(ctx_.store).read();
    const TimerReadouts now = TimerReadouts::at(ctx_.clock.uptimeMs(), ledger, ctx_.bootId);
    if (esecwin->text() != now.esecwin)
        esecwin->setText(now.esecwin);
    if (vita_->text() != now.vita)
        vita_->setText(now.vita);
}

void Opzionifrm::save() {
    SettingsStore& s = ctx_.store;
    // One update, in the design's order: every value reaches the disk together, or none does, after one bounded wait.
    const SettingsStore::Result result = s.tryUpdate(
        [&](SettingsStore::Transaction& t) {
            t.write(keys::Allarme, flag(Check1));
            t.write(keys::AllarmeOre, ore->text());
            t.write(keys::AllarmeMinuti, minuti->text());
            t.write(keys::AllarmeMessaggio, messaggioAllarme_->text());
            t.write(keys::BigBen, flag(Check3));
            t.write(keys::SegnaleOrario, flag(Check2));
            t.write(keys::EseguiAuto, flag(AutoEsegui));
            for (const FaceKind face : kAvvioWriteOrder)
                if (avvio_[std::size_t(face)]->isChecked())
                    t.write(keys::Avvio, faceName(face));
            t.write(keys::Promemoria, messaggio->text());
        },
        SettingsStore::kActionPatience);

    if (result == SettingsStore::Result::Written) {
        // Only once the store holds "Esegui auto", so that the entry and the setting never disagree. Whether the
        // entry could be made or removed does not stop the dialog.
        ctx_.autostart.apply(AutoEsegui->isChecked());
        accept();
        return;
    }
    const QString file = QDir::toNativeSeparators(s.path());
    const QString text =
        result == SettingsStore::Result::Busy
            ? QStringLiteral("Le opzioni non sono state salvate: il file delle impostazioni\n%1\nè occupato da un "
                             "altro programma.\n\nAttendere qualche istante, poi premere di nuovo OK.")
                  .arg(file)
            : QStringLiteral("Le opzioni non sono state salvate: non è possibile scrivere il file "
                             "delle impostazioni\n%1\n\nControllare che il disco non sia pieno o "
                             "protetto da scrittura, poi premere di nuovo OK.")
                  .arg(file);
    tell(this, {.name = "salvataggio_fallito", .icon = QMessageBox::Warning, .text = text});
}

} // namespace qx
