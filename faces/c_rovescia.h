// The countdown dialog `c_rovescia`: the time to count down from and what the large face does at zero.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qx {

class SettingsStore;

// The seconds a time text stands for, or nothing when it is not a valid time: eight characters whose first two,
// middle two and last two are each two decimal digits (hours, minutes, seconds), minutes and seconds at most 59. The
// two characters between them are not looked at, so "99x59y59" is 359999 seconds. The untouched placeholder
// "hh:mm:ss", and a sign, a space or a decimal point in a number ("-1:00:00", " 1:00:00", "1.:00:00"), are not
// valid times.
std::optional<std::int64_t> countdownSeconds(const QString& text);

// Opens with its own defaults every time (it reads nothing back from the store) and does not block the face.
// "&Avvia conto alla rovescia" checks the time, stores the end action under "Quando zero" and the message under
// "Messaggio", closes the dialog and then asks the face to start. A text that is not a valid time, or a store that
// cannot be written (the face would find another end action there at zero), is said so in a box, and the dialog stays
// open with nothing started. Closing it any other way starts nothing.
class CRovescia : public QDialog {
    Q_OBJECT
public:
    CRovescia(SettingsStore& store, QWidget* face);

Q_SIGNALS:
    // Sent once the dialog has closed: the face starts a countdown of `seconds`, which ends with the action and the
    // message chosen here, whatever another copy of the clock stores meanwhile.
    void avvia(qint64 seconds, const QString& action, const QString& message);

private:
    void onStart();
    void followChoice(); // the message field is for the message end action only
    void warn(const char* name, const QString& text);

    SettingsStore& store_;
    QLineEdit* Text1 = nullptr;
    QRadioButton* Option1 = nullptr;
    QRadioButton* Option2 = nullptr;
    QRadioButton* Option3 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text2 = nullptr;
};

} // namespace qx
