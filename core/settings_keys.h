// Every key of the shared settings store, declared once: section, name and the value the first run writes.
#pragma once

#include <array>
#include <string_view>

namespace qx {

struct SettingKey {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view firstRun; // meaningful only for the keys in kFirstRunKeys
};

namespace keys {
inline constexpr SettingKey Allarme{u"Opzioni", u"Allarme", u"0"};              // "1" = daily alarm on
inline constexpr SettingKey AllarmeOre{u"Allarme", u"Ore", u"0"};               // alarm hour, "00".."23"
inline constexpr SettingKey AllarmeMinuti{u"Allarme", u"Minuti", u"0"};         // alarm minute, "00".."59"
inline constexpr SettingKey AllarmeMessaggio{u"Allarme", u"Messaggio", u""};    // text of the alarm window
inline constexpr SettingKey BigBen{u"Opzioni", u"Big Ben", u"1"};               // "1" = Big Ben at noon
inline constexpr SettingKey SegnaleOrario{u"Opzioni", u"Segnale orario", u"1"}; // "1" = hour and half-hour chimes
inline constexpr SettingKey TimerVita{u"Opzioni", u"Timer vita", u"0"};         // lifetime of the computer, seconds
// The boot (the kernel's boot id) "Timer vita" was last brought up to date for, and how many of its seconds it holds.
inline constexpr SettingKey TimerVitaAvvio{u"Opzioni", u"Timer vita avvio", u""};
inline constexpr SettingKey TimerVitaContati{u"Opzioni", u"Timer vita contati", u""};
inline constexpr SettingKey Avvio{u"Opzioni", u"Avvio", u"Quadrantix"};     // face shown at start
inline constexpr SettingKey EseguiAuto{u"Opzioni", u"Esegui auto", u"0"};   // "1" = start at log-on
inline constexpr SettingKey Salvaschermo{u"Opzioni", u"Salvaschermo", u""}; // face of the screensaver
inline constexpr SettingKey Promemoria{u"Opzioni", u"Messaggio", u""};      // reminder of the screensaver
inline constexpr SettingKey QuandoZero{u"CR", u"Quando zero", u""};         // countdown end action
inline constexpr SettingKey ContoMessaggio{u"CR", u"Messaggio", u""};       // countdown end message
} // namespace keys

// The first run writes these, in this order; "Big Ben" being empty is what marks a first run. Resetting the lifetime
// total also forgets which boot's seconds it held, so that the current boot is counted afresh.
inline constexpr std::array kFirstRunKeys{
    keys::Allarme,          keys::AllarmeOre,    keys::AllarmeMinuti, keys::AllarmeMessaggio,
    keys::BigBen,           keys::SegnaleOrario, keys::TimerVita,     keys::TimerVitaAvvio,
    keys::TimerVitaContati, keys::Avvio,         keys::EseguiAuto,
};

} // namespace qx
