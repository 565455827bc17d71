// The recording stand-in other modules test against: what it writes down and what isPlaying answers.
#include "tests/support/fake_sound_service.h"

#include <gtest/gtest.h>

using namespace qx;

TEST(FakeSoundService, RecordsEveryCallInOrder) {
    FakeSoundService sound;
    const auto bigBen = sound.bind("/s/BigBen.wav");
    const auto alarm = sound.bind("/s/Allarme.mid");
    sound.playSync("/s/Ora.wav");
    bigBen->play();
    alarm->play();
    alarm->stop();
    bigBen->stop();
    EXPECT_EQ(sound.events(), (std::vector<QString>{"sync:/s/Ora.wav", "play:/s/BigBen.wav", "play:/s/Allarme.mid",
                                                    "stop:/s/Allarme.mid", "stop:/s/BigBen.wav"}));
    EXPECT_EQ(sound.boundPaths(), (std::vector<QString>{"/s/BigBen.wav", "/s/Allarme.mid"}));

    sound.clear();
    EXPECT_TRUE(sound.events().empty());
    alarm->play();
    EXPECT_EQ(sound.events(), std::vector<QString>{"play:/s/Allarme.mid"});
}

TEST(FakeSoundService, IsPlayingFollowsPlayAndStopUnlessTold) {
    FakeSoundService sound;
    const auto alarm = sound.bind("/s/Allarme.mid");
    const auto chime = sound.bind("/s/Chime.wav");
    EXPECT_FALSE(alarm->isPlaying());
    alarm->play();
    chime->play();
    EXPECT_TRUE(alarm->isPlaying());

    sound.setPlaying("/s/Allarme.mid", false); // the alarm ends by itself
    EXPECT_FALSE(alarm->isPlaying());
    EXPECT_TRUE(chime->isPlaying());
    alarm->play();
    EXPECT_TRUE(alarm->isPlaying());

    sound.setPlayingAnswer("/s/Chime.wav", false); // a machine without sound
    chime->play();
    EXPECT_FALSE(chime->isPlaying());
    sound.setPlayingAnswer("/s/Chime.wav", std::nullopt);
    EXPECT_TRUE(chime->isPlaying());
    chime->stop();
    EXPECT_FALSE(chime->isPlaying());
}

TEST(FakeSoundService, ObjectsAndServiceMayEndInEitherOrder) {
    auto sound = std::make_unique<FakeSoundService>();
    auto first = sound->bind("/s/Ora.wav");
    const auto second = sound->bind("/s/Ora.wav");
    EXPECT_EQ(sound->objects("/s/Ora.wav").size(), 2u);
    first.reset();
    ASSERT_EQ(sound->objects("/s/Ora.wav").size(), 1u);
    EXPECT_EQ(sound->objects("/s/Ora.wav").front(), second.get());
    sound.reset();
    second->play();
    EXPECT_TRUE(second->isPlaying());
}
