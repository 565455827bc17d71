// Every key of the shared settings store, declared once: section, name, the value the first run writes and the form
// its value is read in.
#pragma once

#include <array>
#include <string_view>

namespace qx {

// How the programs read a key's value. Each form has one typed read of the store (settings_store.h), and one rule
// (setting_values.h), whichever window or program reads the key.
enum class ValueForm {
    Flag,      // flag(): written "1" or "0"; on only for exactly "1", anything else is off
    Check,     // checked(): written "1" or "0", read as a whole number, 1 checked (" 1", "01" and "+1" too)
    Hour,      // hour(): two digits "00" to "23", matched against the clock's two-digit hour; "7" or "24" is none
    Minute,    // minute(): two digits "00" to "59"
    Face,      // face(): "Analogico", "Digitale", "Mini" or "Quadrantix" exactly, case included
    EndAction, // endAction(): "Arresta", "Riavvia" or "Messaggio" exactly; anything else is no action
    Count,     // count(): a whole number in decimal digits only, within 64 bits
    Text,      // text(): any text, as written
};

struct SettingKey {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view firstRun; // meaningful only for the keys in kFirstRunKeys
    ValueForm form = ValueForm::Text;
};

// A key of one value form: only the typed read of that form takes it.
template <ValueForm Form> struct KeyOf : SettingKey {
    constexpr KeyOf(std::u16string_view section, std::u16string_view key, std::u16string_view firstRun)
        : SettingKey{section, key, firstRun, Form} {}
};
using FlagKey = KeyOf<ValueForm::Flag>;
using CheckKey = KeyOf<ValueForm::Check>;
using HourKey = KeyOf<ValueForm::Hour>;
using MinuteKey = KeyOf<ValueForm::Minute>;
using FaceKey = KeyOf<ValueForm::Face>;
using EndActionKey = KeyOf<ValueForm::EndAction>;
using CountKey = KeyOf<ValueForm::Count>;
using TextKey = KeyOf<ValueForm::Text>;

namespace keys {
inline constexpr FlagKey Allarme{u"Opzioni", u"Allarme", u"0"};              // daily alarm on
inline constexpr HourKey AllarmeOre{u"Allarme", u"Ore", u"0"};               // alarm hour (the first run's "0" is none)
inline constexpr MinuteKey AllarmeMinuti{u"Allarme", u"Minuti", u"0"};       // alarm minute (likewise)
inline constexpr TextKey AllarmeMessaggio{u"Allarme", u"Messaggio", u""};    // text of the alarm window
inline constexpr FlagKey BigBen{u"Opzioni", u"Big Ben", u"1"};               // Big Ben at noon
inline constexpr FlagKey SegnaleOrario{u"Opzioni", u"Segnale orario", u"1"}; // hour and half-hour chimes
inline constexpr CountKey TimerVita{u"Opzioni", u"Timer vita", u"0"};        // lifetime of the computer, seconds
// The boot (the kernel's boot id) "Timer vita" was last brought up to date for, and how many of its seconds it holds.
inline constexpr TextKey TimerVitaAvvio{u"Opzioni", u"Timer vita avvio", u""};
inline constexpr CountKey TimerVitaContati{u"Opzioni", u"Timer vita contati", u""};
inline constexpr FaceKey Avvio{u"Opzioni", u"Avvio", u"Quadrantix"};     // face shown at start
inline constexpr CheckKey EseguiAuto{u"Opzioni", u"Esegui auto", u"0"};  // start at log-on (the check box only)
inline constexpr FaceKey Salvaschermo{u"Opzioni", u"Salvaschermo", u""}; // face of the screensaver
inline constexpr TextKey Promemoria{u"Opzioni", u"Messaggio", u""};      // reminder of the screensaver
inline constexpr EndActionKey QuandoZero{u"CR", u"Quando zero", u""};    // countdown end action
inline constexpr TextKey ContoMessaggio{u"CR", u"Messaggio", u""};       // countdown end message
} // namespace keys

// The first run writes these, in this order; "Big Ben" being empty is what marks a first run. Resetting the lifetime
// total also forgets which boot's seconds it held, so that the current boot is counted afresh.
inline constexpr std::array<SettingKey, 11> kFirstRunKeys{
    keys::Allarme,          keys::AllarmeOre,    keys::AllarmeMinuti, keys::AllarmeMessaggio,
    keys::BigBen,           keys::SegnaleOrario, keys::TimerVita,     keys::TimerVitaAvvio,
    keys::TimerVitaContati, keys::Avvio,         keys::EseguiAuto,
};

} // namespace qx
