// The hour strokes, the half-hour sequence and Big Ben at noon.
#include "events/chimes.h"

#include "core/settings_store.h"
#include "platform/clock.h"
#include "platform/sound/sound_service.h"
#include "platform/trace.h"

namespace qx {

Chimes::Chimes(const Clock& clock, const SettingsStore& store, SoundService& sound, SoundObject& bigBen,
               QString programFolder)
    : clock_(clock), store_(store), sound_(sound), BB_Suono(bigBen), oraWav_(programFolder + QLatin1String("/Ora.wav")),
      mezzoraWav_(programFolder + QLatin1String("/Mezzora.wav")) {}

void Chimes::playStroke(const QString& path) {
    // For the benchmark: when, on the clock, each stroke begins.
    if (tracing())
        traceEvent("sound", QString::number(clock_.epochNs()) + QLatin1Char(' ') + path.section(QLatin1Char('/'), -1));
    sound_.playSync(path);
}

void Chimes::tick(const QString& orario, int ora12) {
    // Before the first hands tick the time text is empty: no minute and no second match anything.
    const bool known = orario.size() == 8;
    const int minutes = known ? orario.mid(3, 2).toInt() : -1;
    const int seconds = known ? orario.mid(6, 2).toInt() : -1;

    if (minutes == 0 && ora12 == 12 && bigben_armato == 1 && store_.flag(keys::BigBen)) {
        bigben_in_corso = true;
        BB_Suono.play();
        bigben_armato = 0;
    } else if (seconds > 25 && !BB_Suono.isPlaying()) {
        // Big Ben lasts longer than 25 s: the alarm of noon waits until its last stroke has died away. Without a
        // sound device nothing plays and the flag ends at second 26.
        bigben_in_corso = false;
    }
    if (ora12 != 12)
        bigben_armato = 1;

    if (minutes == 30 && mezz_armata == 1 && store_.flag(keys::SegnaleOrario)) {
        mezz_in_corso = true;
        ++conta_mezz;
        if (conta_mezz <= ora12)
            playStroke(oraWav_);
        if (conta_mezz > ora12) {
            playStroke(mezzoraWav_);
            mezz_armata = 0;
        }
    } else {
        mezz_in_corso = false;
    }
    if (minutes != 30) {
        mezz_armata = 1;
        conta_mezz = 0;
    }

    if (minutes == 0 && conta_ore < ora12 && ora12 != 12 && store_.flag(keys::SegnaleOrario)) {
        ore_in_corso = true;
        ++conta_ore;
        playStroke(oraWav_);
    } else {
        ore_in_corso = false;
    }
    if (minutes != 0) {
        conta_ore = 0;
        ore_in_corso = false;
    }
}

} // namespace qx
