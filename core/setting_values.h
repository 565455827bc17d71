// What the settings' values mean: the faces' names, the countdown's end actions, and the rule of each value form.
#pragma once

#include <QString>
#include <QStringView>
#include <array>
#include <cstdint>
#include <optional>

namespace qx {

// The user's names of the faces, as stored under "Avvio" and "Salvaschermo", and the windows that show them in the
// clock: "Analogico" is `Orologio`, "Digitale" is `Mini`, "Mini" is `Orologino` and "Quadrantix" is `Digitale`.
enum class FaceKind { Analogico, Digitale, Mini, Quadrantix };

// The one table of the faces' names, in the order the settings name them.
inline constexpr std::array kAllFaces{FaceKind::Analogico, FaceKind::Digitale, FaceKind::Mini, FaceKind::Quadrantix};
QString faceName(FaceKind kind);
std::optional<FaceKind> faceFromName(QStringView name); // exact, case-sensitive text
// A face setting: one of the names exactly, or the empty text for `whenEmpty`; anything else names no face.
std::optional<FaceKind> faceFromSetting(QStringView value, FaceKind whenEmpty);

// What a countdown does when it reaches zero, as stored under "Quando zero": shut the machine down, restart it, or
// show the stored message.
enum class CountdownEnd { Arresta, Riavvia, Messaggio };
QString countdownEndName(CountdownEnd action);
std::optional<CountdownEnd> countdownEndFromName(QStringView name); // exact text; anything else is no action

// The rules of the typed reads (settings_store.h), one per value form of the key table (settings_keys.h).
namespace value {
// On only for exactly "1": "01", " 1", "1.0" and "+1" are off, as for the chimes and the alarm, which act on it.
bool flag(QStringView text);
// A check box's state as a whole number, blanks around it ignored: checked for 1, so also for "01", " 1" and "+1".
bool checked(QStringView text);
// Exactly two ASCII digits within 00..`last`: the clock's own two-digit hour or minute. "7" or "24" is none.
std::optional<int> twoDigits(QStringView text, int last);
inline std::optional<int> hour(QStringView text) {
    return twoDigits(text, 23);
}
inline std::optional<int> minute(QStringView text) {
    return twoDigits(text, 59);
}
// ASCII decimal digits only, as the store holds a count: no sign, no blanks, no separators, nothing beyond 64 bits.
std::optional<std::uint64_t> count(QStringView text);
} // namespace value

} // namespace qx
