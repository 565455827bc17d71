// The countdown dialog `c_rovescia`: the time to count down from and what the large face does at zero.
#include "faces/c_rovescia.h"

#include "core/fonts.h"
#include "core/forms.h"
#include "core/message_boxes.h"
#include "core/settings_store.h"
#include "core/twips.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <limits>
#include <vector>

namespace qx {

namespace {
// Two decimal digits at `at`, or -1.
int twoDigits(const QString& text, qsizetype at) {
    const QChar tens = text[at], units = text[at + 1];
    if (tens < u'0' || tens > u'9' || units < u'0' || units > u'9')
        return -1;
    return (tens.unicode() - u'0') * 10 + (units.unicode() - u'0');
}

// The least room between a caption and the control beside it, or the dialog's right edge.
constexpr int kCaptionGap = 4;

// A caption and its designed box, with the first column it must stay clear of (the control beside it or the edge).
struct Caption {
    QWidget* widget;
    QRect box;
    int clearOf;
};

// Our fonts run a little wider and taller than those the layout was drawn for. A caption keeps its designed box,
// cut back where that box would touch the control beside it, and grows to the right for its text up to that control
// (or the dialog's edge) and about its middle in height. When one still would not fit, every caption of the dialog
// is narrowed alike, the least that makes them all fit, so that none runs into another control.
void fitCaptions(const std::vector<Caption>& captions) {
    const auto room = [](const Caption& c) { return c.clearOf - kCaptionGap - c.box.left(); };
    QFont font = captions.front().widget->font();
    for (int stretch = 100; stretch >= 85; --stretch) {
        font.setStretch(stretch);
        bool fits = true;
        for (const Caption& c : captions) {
            c.widget->setFont(font);
            fits = fits && c.widget->sizeHint().width() <= room(c);
        }
        if (fits)
            break;
    }
    for (const Caption& c : captions) {
        QRect geometry = c.box;
        const QSize hint = c.widget->sizeHint();
        geometry.setWidth(std::min(std::max(geometry.width(), hint.width()), room(c)));
        if (const int grow = hint.height() - geometry.height(); grow > 0)
            geometry.adjust(0, -grow / 2, 0, grow - grow / 2);
        c.widget->setGeometry(geometry);
    }
}
} // namespace

std::optional<std::int64_t> countdownSeconds(const QString& text) {
    if (text.size() != 8 || text == u"hh:mm:ss")
        return std::nullopt;
    const int hours = twoDigits(text, 0), minutes = twoDigits(text, 3), seconds = twoDigits(text, 6);
    if (hours < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59)
        return std::nullopt;
    return std::int64_t(hours) * 3600 + minutes * 60 + seconds;
}

CRovescia::CRovescia(SettingsStore& store, QWidget* face) : QDialog(face, forms::kDialogFrame), store_(store) {
    setObjectName(QStringLiteral("c_rovescia"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quadrantix - Conto alla rovescia"));
    setFixedSize(pxi(5310), pxi(3420));
    setFont(msSansSerif(8.25));

    forms::picture(this, "Image1", QStringLiteral("countdown_strip"), twipRect(240, 0, 600, 3405));

    // Created in the order Tab walks them: the time first, with the placeholder selected, so that typing replaces it.
    auto* Label1 = forms::label(this, "Label1", QStringLiteral("Inizia il conteggio da:"), {});
    Text1 = forms::place(new QLineEdit(QStringLiteral("hh:mm:ss"), this), "Text1", twipRect(3000, 360, 1215, 405));
    Text1->setFont(msSansSerif(12));
    Text1->selectAll();
    auto* Label2 = forms::label(this, "Label2", QStringLiteral("Alla fine del conteggio:"), {});
    Option1 = forms::place(new QRadioButton(QStringLiteral("Arresta il sistema"), this), "Option1", {});
    Option2 = forms::place(new QRadioButton(QStringLiteral("Riavvia il sistema"), this), "Option2", {});
    Option3 = forms::place(new QRadioButton(QStringLiteral("Visualizza un messaggio"), this), "Option3", {});
    Option3->setChecked(true);
    Label3 = forms::label(this, "Label3", QStringLiteral("Messaggio:"), {});
    Text2 = forms::place(new QLineEdit(this), "Text2", twipRect(2400, 2160, 2775, 285));
    Text2->setMaxLength(std::numeric_limits<int>::max()); // the store and the message box take any length
    Label3->setBuddy(Text2);
    auto* Command1 = forms::button(this, "Command1", QStringLiteral("&Avvia conto alla rovescia"), {});
    const QRect options = twipRect(3120, 1080, 1575, 195);
    fitCaptions({{Label1, twipRect(1440, 480, 1575, 255), Text1->x()},
                 {Label2, twipRect(1440, 1080, 1695, 255), options.left()},
                 {Option1, options, width()},
                 {Option2, twipRect(3120, 1440, 1575, 195), width()},
                 {Option3, twipRect(3120, 1800, 2055, 195), width()},
                 {Label3, twipRect(1440, 2160, 975, 255), Text2->x()},
                 {Command1, twipRect(1560, 2880, 3015, 375), width()}});
    Command1->setDefault(true); // Enter in either field starts, as the only action of the dialog
    for (QRadioButton* option : {Option1, Option2, Option3})
        connect(option, &QRadioButton::toggled, this, &CRovescia::followChoice);
    connect(Command1, &QPushButton::clicked, this, &CRovescia::onStart);
    followChoice();
    Text1->setFocus();
}

void CRovescia::followChoice() {
    const bool message = Option3->isChecked();
    Label3->setEnabled(message);
    Text2->setEnabled(message); // its text is kept either way
}

void CRovescia::warn(const char* name, const QString& text) {
    // Modal for this dialog only: the face and the other windows go on meanwhile.
    tell(this, {.name = name, .icon = QMessageBox::Warning, .text = text});
}

void CRovescia::onStart() {
    const std::optional<std::int64_t> seconds = countdownSeconds(Text1->text());
    if (!seconds) {
        warn("tempo_non_valido", QStringLiteral("Inserire un tempo valido"));
        return;
    }
    const QString action = Option1->isChecked()   ? QStringLiteral("Arresta")
                           : Option2->isChecked() ? QStringLiteral("Riavvia")
                                                  : QStringLiteral("Messaggio");
    const QString message = Text2->text();
    // One update, waiting at most a tick's worth (the face's clock waits with it): both keys or neither.
    const SettingsStore::Result result = store_.tryUpdate(
        [&](SettingsStore::Transaction& t) {
            t.write(keys::QuandoZero, action);
            t.write(keys::ContoMessaggio, message);
        },
        SettingsStore::kActionPatience);
    if (result != SettingsStore::Result::Written) {
        const QString file = QDir::toNativeSeparators(store_.path());
        warn("salvataggio_fallito",
             result == SettingsStore::Result::Busy
                 ? QStringLiteral("Il conto alla rovescia non è stato avviato: il file delle impostazioni\n%1\nè "
                                  "occupato da un altro programma.\n\nAttendere qualche istante, poi premere di "
                                  "nuovo il pulsante.")
                       .arg(file)
                 : QStringLiteral("Il conto alla rovescia non è stato avviato: non è possibile scrivere il file delle "
                                  "impostazioni\n%1\n\nControllare che il disco non sia pieno o protetto da "
                                  "scrittura, poi premere di nuovo il pulsante.")
                       .arg(file));
        return;
    }
    accept(); // closes, and is deleted once back in the event loop
    Q_EMIT avvia(*seconds, action, message);
}

} // namespace qx
