// Checks the generated sounds as the clock receives them: valid files, right lengths, bell spectra, no clipping.
#include "tools/soundgen/sounds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <numbers>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace qx::soundgen {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Each file is made once per test process: BigBen takes a noticeable fraction of a second under the sanitizers.
const Bytes& soundBytes(const std::string& name) {
    static std::map<std::string, Bytes> made;
    if (auto found = made.find(name); found != made.end())
        return found->second;
    for (const SoundFile& file : soundFiles())
        if (name == file.name)
            return made[name] = file.make();
    throw std::invalid_argument("no sound named " + name);
}

std::uint32_t le(const Bytes& b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | b.at(at + static_cast<std::size_t>(i));
    return value;
}

std::uint32_t be(const Bytes& b, std::size_t at, int size) {
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | b.at(at + static_cast<std::size_t>(i));
    return value;
}

bool tagAt(const Bytes& b, std::size_t at, const char* tag) {
    return b.size() >= at + 4 && std::memcmp(b.data() + at, tag, 4) == 0;
}

// Samples of a canonical 44-byte-header mono file, as floating point in [-1, 1).
std::vector<double> samplesOf(const Bytes& wav) {
    std::vector<double> samples;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2)
        samples.push_back(static_cast<std::int16_t>(le(wav, at, 2)) / 32768.0);
    return samples;
}

double rms(const std::vector<double>& x, double from, double to) {
    const auto first = static_cast<std::size_t>(from * kSampleRate);
    const auto last = std::min(x.size(), static_cast<std::size_t>(to * kSampleRate));
    double sum = 0;
    for (std::size_t n = first; n < last; ++n)
        sum += x[n] * x[n];
    return std::sqrt(sum / static_cast<double>(last - first));
}

double dbfs(double level) {
    return 20 * std::log10(std::max(level, 1e-12));
}

// Hann-windowed DFT magnitude at one frequency, in dB relative to a full-scale sine.
double levelAt(const std::vector<double>& x, double from, double to, double frequency) {
    const auto first = static_cast<std::size_t>(from * kSampleRate);
    const auto count = static_cast<std::size_t>((to - from) * kSampleRate);
    double re = 0;
    double im = 0;
    for (std::size_t n = 0; n < count; ++n) {
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(n) / (count - 1.0));
        const double angle = 2 * std::numbers::pi * frequency * static_cast<double>(n) / kSampleRate;
        re += x[first + n] * window * std::cos(angle);
        im -= x[first + n] * window * std::sin(angle);
    }
    return dbfs(4 * std::hypot(re, im) / static_cast<double>(count));
}

struct WavCase {
    const char* name;
    double minSeconds;
    double maxSeconds;
};

void PrintTo(const WavCase& c, std::ostream* os) {
    *os << c.name;
}

class WavFile : public ::testing::TestWithParam<WavCase> {};

TEST_P(WavFile, IsPcmOfTheRightLengthAndLevelEndingInSilence) {
    const Bytes& wav = soundBytes(GetParam().name);
    ASSERT_GE(wav.size(), 44u);
    EXPECT_TRUE(tagAt(wav, 0, "RIFF"));
    EXPECT_EQ(le(wav, 4, 4), wav.size() - 8);
    EXPECT_TRUE(tagAt(wav, 8, "WAVE"));
    EXPECT_TRUE(tagAt(wav, 12, "fmt "));
    EXPECT_EQ(le(wav, 16, 4), 16u);
    EXPECT_EQ(le(wav, 20, 2), 1u) << "PCM";
    const std::uint32_t channels = le(wav, 22, 2);
    EXPECT_EQ(channels, 1u);
    EXPECT_EQ(le(wav, 24, 4), 44100u);
    EXPECT_EQ(le(wav, 28, 4), 44100u * 2 * channels) << "byte rate";
    EXPECT_EQ(le(wav, 32, 2), 2 * channels) << "block align";
    EXPECT_EQ(le(wav, 34, 2), 16u);
    EXPECT_TRUE(tagAt(wav, 36, "data"));
    EXPECT_EQ(le(wav, 40, 4), wav.size() - 44);

    const std::vector<double> x = samplesOf(wav);
    const double seconds = static_cast<double>(x.size()) / kSampleRate;
    EXPECT_GE(seconds, GetParam().minSeconds);
    EXPECT_LE(seconds, GetParam().maxSeconds);

    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    const double peak = std::max(-*low, *high);
    EXPECT_NEAR(dbfs(peak), -3.0, 0.3);
    EXPECT_GT(*low, -32767 / 32768.0) << "clipped";
    EXPECT_LT(*high, 32767 / 32768.0) << "clipped";

    // Every sound must end in silence: the clock may stop or chain it at the last sample.
    EXPECT_LT(dbfs(rms(x, seconds - 0.05, seconds)), -70.0);
}

INSTANTIATE_TEST_SUITE_P(Sounds, WavFile,
                         ::testing::Values(WavCase{"Ora.wav", 1.8, 2.2}, WavCase{"Mezzora.wav", 1.5, 2.5},
                                           WavCase{"BigBen.wav", 40.0, 59.9}, WavCase{"Allarme.wav", 20.0, 22.0}),
                         [](const auto& info) { return std::string(info.param.name).substr(0, 3); });

TEST(Ora, DiesAwayOnItsOwnBeforeTheFinalFade) {
    const std::vector<double> x = samplesOf(soundBytes("Ora.wav"));
    const double start = rms(x, 0.0, 0.1);
    EXPECT_LT(dbfs(rms(x, 1.3, 1.4)) - dbfs(start), -30.0);
    EXPECT_LT(dbfs(rms(x, 1.9, 2.0)) - dbfs(start), -60.0);
}

// The strike window starts after the clapper's noise; the late one holds only the longest-ringing partials.
TEST(Ora, SpectrumHasTheBellPartialsAndNothingBetweenThem) {
    const std::vector<double> x = samplesOf(soundBytes("Ora.wav"));
    const double prime = hourBell().prime;
    const auto strikeLevel = [&](double ratio) { return levelAt(x, 0.02, 0.27, prime * ratio); };

    // Each partial must stand well above the frequencies halfway to its neighbours in the table.
    double nominal = -1000;
    double strongest = -1000;
    for (std::size_t i = 0; i < kBellPartials.size(); ++i) {
        const Partial& p = kBellPartials[i];
        const double below = i == 0 ? p.ratio / 2 : (kBellPartials[i - 1].ratio + p.ratio) / 2;
        const double above = i + 1 == kBellPartials.size() ? p.ratio + 0.5 : (kBellPartials[i + 1].ratio + p.ratio) / 2;
        const double level = strikeLevel(p.ratio);
        EXPECT_GT(level, std::max(strikeLevel(below), strikeLevel(above)) + 20.0) << p.name << " is not a clear peak";
        strongest = std::max(strongest, level);
        if (std::string(p.name) == "nominal")
            nominal = level;
    }
    EXPECT_EQ(nominal, strongest) << "the nominal carries the strike";

    const double hum = levelAt(x, 1.0, 1.4, prime * 0.5);
    for (const Partial& p : kBellPartials) {
        if (p.ratio > 0.5) {
            EXPECT_LT(levelAt(x, 1.0, 1.4, prime * p.ratio), hum) << p.name << " outlasts the hum";
        }
    }
}

TEST(Mezzora, IsLighterThanTheHourStroke) {
    const std::vector<double> ora = samplesOf(soundBytes("Ora.wav"));
    const std::vector<double> mezzora = samplesOf(soundBytes("Mezzora.wav"));
    const auto crossings = [](const std::vector<double>& x) {
        int count = 0;
        for (std::size_t n = kSampleRate / 50; n < kSampleRate / 2; ++n)
            count += (x[n - 1] < 0) != (x[n] < 0);
        return count;
    };
    EXPECT_GT(crossings(mezzora), 2 * crossings(ora));
}

TEST(BigBen, RingsTheFourChangesThenTheHourOnTheGreatBell) {
    const Score score = bigBenScore(12);
    ASSERT_EQ(score.strokes.size(), 16u + 12u);

    const auto& bells = quarterBells();
    const double expectedHz[] = {415.30, 369.99, 329.63, 246.94};
    for (std::size_t i = 0; i < bells.size(); ++i)
        EXPECT_NEAR(bells[i].prime, expectedHz[i], 0.05) << "quarter bell " << i + 1;
    EXPECT_NEAR(hourBell().prime, 164.81, 0.05);

    // Bells counted from the highest: E G# F# B, E F# G# E, G# E F# B, B F# G# E.
    const int changes[16] = {3, 1, 2, 4, 3, 2, 1, 3, 1, 3, 2, 4, 4, 2, 1, 3};
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(score.strokes[i].bell.prime, bells[static_cast<std::size_t>(changes[i] - 1)].prime) << "note " << i;
        if (i % 4 != 0) {
            const double gap = score.strokes[i].at - score.strokes[i - 1].at;
            EXPECT_GE(gap, 0.6) << "note " << i;
            EXPECT_LE(gap, 0.8) << "note " << i;
        } else if (i > 0) {
            EXPECT_GT(score.strokes[i].at - score.strokes[i - 1].at, 1.0) << "no pause before change " << i / 4 + 1;
        }
    }
    EXPECT_GE(score.strokes[16].at - score.strokes[15].at, 2.0) << "no pause before the hour";
    for (std::size_t i = 16; i < score.strokes.size(); ++i) {
        EXPECT_EQ(score.strokes[i].bell.prime, hourBell().prime);
        if (i > 16) {
            EXPECT_GE(score.strokes[i].at - score.strokes[i - 1].at, 2.5);
            EXPECT_LE(score.strokes[i].at - score.strokes[i - 1].at, 3.0);
        }
    }
    EXPECT_LT(score.length, 60.0);
    EXPECT_GE(score.length - score.strokes.back().at, 4.0) << "the last stroke is cut short";
}

TEST(BigBen, EveryStrokeIsHeardWhereTheScorePutsIt) {
    const std::vector<double> x = samplesOf(soundBytes("BigBen.wav"));
    for (const Stroke& s : bigBenScore(12).strokes)
        EXPECT_GT(rms(x, s.at, s.at + 0.04), 1.5 * rms(x, s.at - 0.04, s.at)) << "stroke at " << s.at << " s";
}

TEST(Bell, SameScoreRendersToTheSameSamples) {
    // Reproducible builds: nothing may depend on the clock, the address space or an unseeded generator.
    EXPECT_EQ(render(mezzoraScore()), render(mezzoraScore()));
}

TEST(Bell, StrokePastTheEndIsIgnoredAndOneNearItIsCut) {
    std::vector<double> out(1000, 0.0);
    strike(out, 1.0, hourBell());
    EXPECT_EQ(out, std::vector<double>(1000, 0.0));
    strike(out, 900.0 / kSampleRate, hourBell());
    EXPECT_EQ(out.size(), 1000u);
    EXPECT_NE(out[999], 0.0);
}

struct MidiSummary {
    std::string error;
    std::uint32_t format = 0;
    std::uint32_t declaredTracks = 0;
    std::uint32_t tracks = 0;
    std::uint32_t division = 0;
    std::map<std::uint32_t, std::uint32_t> tempoAt; // tick -> microseconds per quarter
    std::uint32_t endTick = 0;
    std::vector<std::uint32_t> programs;
    int notes = 0;
};

// Reads every event the way a synthesiser would, so a wrong length or a malformed event is an error here too.
MidiSummary readMidi(const Bytes& b) {
    MidiSummary m;
    const auto fail = [&m](std::string why) {
        m.error = std::move(why);
        return m;
    };
    if (!tagAt(b, 0, "MThd") || be(b, 4, 4) != 6)
        return fail("no MThd header of length 6");
    m.format = be(b, 8, 2);
    m.declaredTracks = be(b, 10, 2);
    m.division = be(b, 12, 2);
    std::size_t pos = 14;
    while (pos < b.size()) {
        if (pos + 8 > b.size())
            return fail("truncated chunk header");
        const std::size_t end = pos + 8 + be(b, pos + 4, 4);
        if (end > b.size())
            return fail("chunk longer than the file");
        if (!tagAt(b, pos, "MTrk")) {
            pos = end;
            continue;
        }
        ++m.tracks;
        std::size_t p = pos + 8;
        const auto varLen = [&] {
            std::uint32_t value = 0;
            for (int i = 0; i < 4; ++i) {
                const std::uint8_t byte = b.at(p++);
                value = value << 7 | (byte & 0x7F);
                if (!(byte & 0x80))
                    return value;
            }
            throw std::runtime_error("variable-length number longer than four bytes");
        };
        std::uint32_t tick = 0;
        std::uint8_t running = 0;
        bool ended = false;
        std::map<int, int> sounding;
        try {
            while (p < end) {
                if (ended)
                    return fail("events after End of Track");
                tick += varLen();
                std::uint8_t status = b.at(p);
                if (status & 0x80)
                    ++p;
                else if (running)
                    status = running;
                else
                    return fail("data byte without a running status");
                if (status == 0xFF) {
                    const std::uint8_t type = b.at(p++);
                    const std::uint32_t length = varLen();
                    if (type == 0x2F) {
                        ended = true;
                        m.endTick = std::max(m.endTick, tick);
                    } else if (type == 0x51 && length == 3) {
                        m.tempoAt[tick] = be(b, p, 3);
                    }
                    p += length;
                } else if (status == 0xF0 || status == 0xF7) {
                    p += varLen();
                    running = 0;
                } else {
                    running = status;
                    const int kind = status & 0xF0;
                    const std::uint8_t first = b.at(p++);
                    const std::uint8_t second = (kind == 0xC0 || kind == 0xD0) ? 0 : b.at(p++);
                    if ((first | second) & 0x80)
                        return fail("data byte with the top bit set");
                    const int key = (status & 0x0F) << 8 | first;
                    if (kind == 0x90 && second > 0) {
                        ++sounding[key];
                        ++m.notes;
                    } else if (kind == 0x80 || kind == 0x90) {
                        if (--sounding[key] < 0)
                            return fail("note off without a note on");
                    } else if (kind == 0xC0) {
                        m.programs.push_back(first);
                    }
                }
            }
        } catch (const std::exception& e) {
            return fail(e.what());
        }
        if (p != end)
            return fail("last event runs past its track");
        if (!ended)
            return fail("track without End of Track");
        for (const auto& [key, count] : sounding)
            if (count != 0)
                return fail("a note is never released");
        pos = end;
    }
    return m;
}

double secondsOf(const MidiSummary& m) {
    double seconds = 0;
    std::uint32_t tick = 0;
    std::uint32_t tempo = 500000; // the default when a file sets none
    for (const auto& [at, next] : m.tempoAt) {
        seconds += static_cast<double>(std::min(at, m.endTick) - tick) * tempo / 1e6 / m.division;
        tick = std::min(at, m.endTick);
        tempo = next;
    }
    return seconds + static_cast<double>(m.endTick - tick) * tempo / 1e6 / m.division;
}

TEST(Allarme, IsAWellFormedMidiFileOfAboutTwentySeconds) {
    const MidiSummary m = readMidi(soundBytes("Allarme.mid"));
    ASSERT_EQ(m.error, "");
    EXPECT_LE(m.format, 1u);
    EXPECT_EQ(m.tracks, m.declaredTracks);
    EXPECT_EQ(m.division & 0x8000, 0u) << "ticks per quarter, not SMPTE";
    EXPECT_FALSE(m.tempoAt.empty());
    EXPECT_NEAR(secondsOf(m), 20.0, 1.0);
    EXPECT_GE(m.notes, 40);
    ASSERT_FALSE(m.programs.empty());
    // The melody must be bright enough to wake someone: a piano or a chromatic percussion instrument.
    EXPECT_TRUE(m.programs.front() <= 2 || (m.programs.front() >= 8 && m.programs.front() <= 15)) << m.programs.front();
}

TEST(Allarme, TheToneStandInSoundsThroughTheWholeTuneWithItsMelody) {
    const std::vector<double> x = samplesOf(soundBytes("Allarme.wav"));
    for (int second = 0; second < 20; ++second)
        EXPECT_GT(dbfs(rms(x, second, second + 1)), -30.0) << "silent in second " << second;
    // The first bar's notes (C5 E5 G5 C6, an eighth each at 120 beats a minute) come in turn.
    const double notes[] = {523.25, 659.26, 783.99, 1046.5};
    for (int i = 1; i < 4; ++i) {
        const double at = 0.25 * i;
        EXPECT_GT(levelAt(x, at, at + 0.2, notes[i]), levelAt(x, at - 0.2, at, notes[i]) + 6.0) << "note " << i;
    }
}

TEST(Allarme, ReaderRejectsABrokenFile) {
    // The reader above is what vouches for the file: it must see a wrong chunk length and a missing end.
    Bytes b = soundBytes("Allarme.mid");
    Bytes longer = b;
    longer[21] += 1;
    EXPECT_NE(readMidi(longer).error, "");
    Bytes cut(b.begin(), b.end() - 3);
    EXPECT_NE(readMidi(cut).error, "");
}

TEST(WriteAll, PutsTheFiveFilesInTheFolder) {
    const auto folder = std::filesystem::temp_directory_path() / ("qx_soundgen_test_" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    writeAll(folder / "bin");
    const auto read = [&](const char* name) {
        std::ifstream in(folder / "bin" / name, std::ios::binary);
        return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    };
    // One full comparison is enough, they all go through the same writer; the rest must at least be the right kind.
    EXPECT_EQ(read("Ora.wav"), soundBytes("Ora.wav"));
    EXPECT_TRUE(tagAt(read("Mezzora.wav"), 8, "WAVE"));
    EXPECT_TRUE(tagAt(read("BigBen.wav"), 8, "WAVE"));
    EXPECT_TRUE(tagAt(read("Allarme.mid"), 0, "MThd"));
    EXPECT_TRUE(tagAt(read("Allarme.wav"), 8, "WAVE"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "bin"), {}), 5) << "leftover temporary files";
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace qx::soundgen
