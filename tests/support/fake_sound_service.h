// A sound service that plays nothing and writes down what it is asked, for the tests of code that makes sounds.
#pragma once

#include "platform/sound/sound_service.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace qx {

class FakeSoundObject;

namespace detail {
// Shared by the service and its objects, so that either may outlive the other.
struct FakeSoundJournal {
    std::vector<QString> events;
    std::vector<QString> boundPaths;
    std::vector<SoundRole> boundRoles; // beside boundPaths
    std::vector<FakeSoundObject*> live;
};
} // namespace detail

class FakeSoundObject final : public SoundObject {
public:
    FakeSoundObject(std::shared_ptr<detail::FakeSoundJournal> journal, QString path)
        : journal_(std::move(journal)), path_(std::move(path)) {
        journal_->live.push_back(this);
    }
    ~FakeSoundObject() override { std::erase(journal_->live, this); }
    FakeSoundObject(const FakeSoundObject&) = delete;
    FakeSoundObject& operator=(const FakeSoundObject&) = delete;

    void play() override {
        journal_->events.push_back(QStringLiteral("play:") + path_);
        playing_ = true;
    }
    void stop() override {
        journal_->events.push_back(QStringLiteral("stop:") + path_);
        playing_ = false;
    }
    bool isPlaying() const override { return answer_.value_or(playing_); }

    const QString& path() const { return path_; }
    // As if the sound had ended by itself (false) or were still going (true); the next play or stop changes it again.
    void setPlaying(bool playing) { playing_ = playing; }
    // A fixed answer for isPlaying whatever play and stop do, e.g. false for a machine without sound; nullopt undoes
    // it.
    void setPlayingAnswer(std::optional<bool> answer) { answer_ = answer; }

private:
    std::shared_ptr<detail::FakeSoundJournal> journal_;
    QString path_;
    bool playing_ = false;
    std::optional<bool> answer_;
};

// Records every play, stop and playSync in order as "play:<path>", "stop:<path>", "sync:<path>".
class FakeSoundService final : public SoundService {
public:
    std::unique_ptr<SoundObject> bind(const QString& path, SoundRole role = SoundRole::Event) override {
        journal_->boundPaths.push_back(path);
        journal_->boundRoles.push_back(role);
        return std::make_unique<FakeSoundObject>(journal_, path);
    }
    void playSync(const QString& path) override { journal_->events.push_back(QStringLiteral("sync:") + path); }

    const std::vector<QString>& events() const { return journal_->events; }
    void clear() { journal_->events.clear(); }
    // Every path given to bind, in order. Binding is not an event: objects are usually bound once, up front.
    const std::vector<QString>& boundPaths() const { return journal_->boundPaths; }
    const std::vector<SoundRole>& boundRoles() const { return journal_->boundRoles; }

    // The objects bound to path that still exist, oldest first.
    std::vector<FakeSoundObject*> objects(const QString& path) const {
        std::vector<FakeSoundObject*> found;
        for (auto* object : journal_->live)
            if (object->path() == path)
                found.push_back(object);
        return found;
    }
    // setPlaying / setPlayingAnswer on every object bound to path.
    void setPlaying(const QString& path, bool playing) {
        for (auto* object : objects(path))
            object->setPlaying(playing);
    }
    void setPlayingAnswer(const QString& path, std::optional<bool> answer) {
        for (auto* object : objects(path))
            object->setPlayingAnswer(answer);
    }

private:
    std::shared_ptr<detail::FakeSoundJournal> journal_ = std::make_shared<detail::FakeSoundJournal>();
};

} // namespace qx
