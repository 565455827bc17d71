// What the settings' values mean: the faces' names, the countdown's end actions, and the rule of each value form.
#include "core/setting_values.h"

#include <limits>

namespace qx {

namespace {
constexpr std::array kFaceNames{u"Analogico", u"Digitale", u"Mini", u"Quadrantix"};
constexpr std::array kCountdownEndNames{u"Arresta", u"Riavvia", u"Messaggio"};

bool asciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}
} // namespace

QString faceName(FaceKind kind) {
    return QString::fromUtf16(kFaceNames[std::size_t(kind)]);
}

std::optional<FaceKind> faceFromName(QStringView name) {
    for (std::size_t i = 0; i < kFaceNames.size(); ++i)
        if (name == QStringView(kFaceNames[i]))
            return FaceKind(i);
    return std::nullopt;
}

std::optional<FaceKind> faceFromSetting(QStringView value, FaceKind whenEmpty) {
    return value.isEmpty() ? std::optional(whenEmpty) : faceFromName(value);
}

QString countdownEndName(CountdownEnd action) {
    return QString::fromUtf16(kCountdownEndNames[std::size_t(action)]);
}

std::optional<CountdownEnd> countdownEndFromName(QStringView name) {
    for (std::size_t i = 0; i < kCountdownEndNames.size(); ++i)
        if (name == QStringView(kCountdownEndNames[i]))
            return CountdownEnd(i);
    return std::nullopt;
}

namespace value {

bool flag(QStringView text) {
    return text == QStringView(u"1");
}

bool checked(QStringView text) {
    return text.trimmed().toInt() == 1;
}

std::optional<int> twoDigits(QStringView text, int last) {
    if (text.size() != 2 || !asciiDigit(text[0]) || !asciiDigit(text[1]))
        return std::nullopt;
    const int n = (text[0].unicode() - u'0') * 10 + (text[1].unicode() - u'0');
    return n <= last ? std::optional(n) : std::nullopt;
}

std::optional<std::uint64_t> count(QStringView text) {
    if (text.isEmpty())
        return std::nullopt;
    std::uint64_t n = 0;
    for (const QChar c : text) {
        if (!asciiDigit(c))
            return std::nullopt;
        const std::uint64_t digit = c.unicode() - u'0';
        if (n > (std::numeric_limits<std::uint64_t>::max() - digit) / 10)
            return std::nullopt;
        n = n * 10 + digit;
    }
    return n;
}

} // namespace value

} // namespace qx
