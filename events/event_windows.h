// The windows the time events open: the alarm "Allarme" and the millennium greeting "speciale".
#pragma once

#include "events/time_events.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

namespace qx {

class SettingsStore;
class SoundObject;

// The alarm window: the stored message, the melody playing until "&OK".
class Allarme : public QWidget {
    Q_OBJECT
public:
    Allarme(const SettingsStore& store, std::shared_ptr<SoundObject> Al_Suono);

private:
    std::shared_ptr<SoundObject> Al_Suono;
};

// The greeting of the first minute of 2001, with the melody and a button that writes to the maker.
class Speciale : public QWidget {
    Q_OBJECT
public:
    Speciale(std::shared_ptr<SoundObject> Al_Suono, std::function<void(const QUrl&)> openUrl);

    static QUrl mailUrl();

private:
    std::shared_ptr<SoundObject> Al_Suono;
};

class RealEventWindows final : public EventWindows {
public:
    // The windows share the melody with the analog window: they may stay open after it has closed.
    RealEventWindows(const SettingsStore& store, std::shared_ptr<SoundObject> Al_Suono,
                     std::function<void(const QUrl&)> openUrl);

    void openAllarme() override;
    void openSpeciale() override;

private:
    const SettingsStore& store_;
    std::shared_ptr<SoundObject> Al_Suono;
    std::function<void(const QUrl&)> openUrl_;
    QPointer<Allarme> allarme_;
    QPointer<Speciale> speciale_;
};

} // namespace qx
