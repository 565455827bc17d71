// The hour strokes, the half-hour sequence and Big Ben at noon.
#pragma once

#include <QString>

namespace qx {

class Clock;
class SettingsStore;
class SoundObject;
class SoundService;

// One chime tick plays at most one sound; strokes are played to their end, so a sequence is one stroke per tick.
// "Segnale orario" switches strokes and the half-hour sound, "Big Ben" the noon chime; both are read at every tick.
// Big Ben counts as in progress from its start until a tick after second 25 finds it no longer playing.
class Chimes {
public:
    Chimes(const Clock& clock, const SettingsStore& store, SoundService& sound, SoundObject& BB_Suono,
           QString programFolder);

    // Steps 2 to 7 of the chime tick, from the time text and folded hour of the last hands tick.
    void tick(const QString& orario, int ora12);

    bool inProgress() const { return bigben_in_corso || mezz_in_corso || ore_in_corso; }
    // A stroke sequence is under way: the next stroke is due at the next tick.
    bool sequenceUnderWay() const { return mezz_in_corso || ore_in_corso; }

    int conta_ore = 0;
    int mezz_armata = 1;
    int bigben_armato = 1;
    int conta_mezz = 0;
    bool bigben_in_corso = false;
    bool mezz_in_corso = false;
    bool ore_in_corso = false;

private:
    void playStroke(const QString& path);

    const Clock& clock_;
    const SettingsStore& store_;
    SoundService& sound_;
    SoundObject& BB_Suono;
    QString oraWav_;
    QString mezzoraWav_;
};

} // namespace qx
