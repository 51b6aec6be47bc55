#include "platform/kernel/audio.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "tests/support/test_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(Bytes& out, std::size_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A PCM format chunk's body.
Bytes Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes fmt;
  const std::size_t align = channels * bits / 8;
  Put(fmt, 1, 2), Put(fmt, channels, 2), Put(fmt, rate, 4);  // PCM
  Put(fmt, rate * align, 4), Put(fmt, align, 2), Put(fmt, bits, 2);
  return fmt;
}

// A RIFF/WAVE image of the given chunks, each padded to an even size.
Bytes Riff(std::initializer_list<std::pair<const char*, Bytes>> chunks) {
  Bytes image{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
  for (const auto& [id, body] : chunks) {
    image.insert(image.end(), id, id + 4);
    Put(image, body.size(), 4);
    image.insert(image.end(), body.begin(), body.end());
    if (body.size() % 2) image.push_back(0);
  }
  for (int i = 0; i < 4; ++i) image[4 + i] = static_cast<std::uint8_t>((image.size() - 8) >> (8 * i));
  return image;
}

// The click's shape: mono, 22,050 samples a second, 8 bits, 1,109 data bytes (odd, so padded).
Bytes Click(std::uint8_t fill = 0x80) { return Riff({{"fmt ", Format(1, 22050, 8)}, {"data", Bytes(1109, fill)}}); }

bool Parses(const Bytes& image, kernel::WaveFormat* format = nullptr) {
  kernel::WaveFormat scratch;
  return kernel::ParseWave(image.data(), image.size(), format ? format : &scratch);
}

BOOL Play(const Bytes& image, UINT flags) { return sndPlaySoundW(reinterpret_cast<LPCWSTR>(image.data()), flags); }

TEST(ParseWave, FindsTheFormatAndTheSamples) {
  Bytes image = Click();
  kernel::WaveFormat format;
  ASSERT_TRUE(Parses(image, &format));
  EXPECT_TRUE(format.channels == 1 && format.samplesPerSec == 22050 && format.bitsPerSample == 8 &&
              format.data == image.data() + 44 && format.dataSize == 1109);
  image.insert(image.end(), {1, 2, 3});
  EXPECT_TRUE(Parses(image));  // bytes after the form are not its concern
  image.resize(image.size() - 4);
  --image[4];
  EXPECT_TRUE(Parses(image));  // the last pad byte left out
  ASSERT_TRUE(Parses(Riff({{"LIST", Bytes(3, 'x')}, {"data", Bytes(8, 0)}, {"fmt ", Format(2, 44100, 16)}}), &format));
  EXPECT_EQ(format.channels, 2);  // other chunks skipped, any order
  EXPECT_EQ(format.dataSize, 8u);
}

TEST(ParseWave, RefusesImagesWhoseFieldsDoNotAddUp) {
  auto with = [](std::size_t at, std::uint8_t value) {
    Bytes image = Click();
    image[at] = value;
    return image;
  };
  Bytes stray = Click();
  stray.insert(stray.end(), {0, 0, 0});
  stray[4] += 3;  // three bytes inside the form, too few for a chunk
  const Bytes pcm = Format(1, 8000, 8), two(2, 0);
  const std::pair<const char*, Bytes> bad[] = {
      {"not RIFF", with(0, 'X')}, {"not WAVE", with(8, 'X')}, {"RIFF size beyond the image", with(4, 0xFF)},
      {"RIFF size below WAVE", Bytes{'R', 'I', 'F', 'F', 3, 0, 0, 0, 'W', 'A', 'V', 'E'}},
      {"chunk beyond the form", with(40, 0xFF)}, {"format not PCM", with(20, 3)}, {"no channels", with(22, 0)},
      {"block align lies", with(32, 2)}, {"byte rate lies", with(28, 0)}, {"12-bit samples", with(34, 12)},
      {"short fmt chunk", Riff({{"fmt ", Bytes(14, 0)}, {"data", two}})}, {"no data", Riff({{"fmt ", pcm}})},
      {"two data chunks", Riff({{"fmt ", pcm}, {"data", two}, {"data", two}})}, {"no fmt", Riff({{"data", two}})},
      {"stray bytes in the form", stray},
  };
  for (const auto& [what, image] : bad) EXPECT_FALSE(Parses(image)) << what;
}

// What the front end's audio output was given; it plays only while it says it can.
struct HostAudio {
  static inline bool s_available = false;
  static inline std::vector<std::pair<Bytes, bool>> s_played;  // samples, wait
  static bool Play(const kernel::WaveFormat&, const std::uint8_t* samples, std::size_t size, bool wait) {
    if (!s_available) return false;
    s_played.emplace_back(Bytes(samples, samples + size), wait);
    return true;
  }
};
constexpr kernel::AudioBackend kHostAudio{HostAudio::Play};

TEST(SndPlaySound, PlaysImagesSynchronouslyOnTheClockAndRefusesTheRest) {
  testing_support::TestDevice device;
  Bytes click = Click(), broken = click, huge = click;
  broken[20] = 3;
  huge[7] = 0x7F;  // claims ~2 GB
  kernel::SetAudioBackend(&kHostAudio);
  HostAudio::s_available = true;
  HostAudio::s_played.clear();
  // A sound name (not supported) and malformed images are refused, and "stop playing" (a null
  // sound) plays nothing: none is heard, logged or takes time.
  const std::uint64_t start = kernel::Clock().MonotonicMs();
  EXPECT_FALSE(Play(click, SND_SYNC));
  EXPECT_FALSE(Play(broken, SND_MEMORY));
  EXPECT_FALSE(Play(huge, SND_MEMORY));
  EXPECT_TRUE(sndPlaySoundW(nullptr, SND_MEMORY));
  EXPECT_TRUE(HostAudio::s_played.empty());

  // Heard on the host, a synchronous sound's time is the output's own; without an output (or
  // without a front end that has one) it is taken on the clock.
  EXPECT_TRUE(Play(click, SND_MEMORY));
  EXPECT_EQ(kernel::Clock().MonotonicMs(), start);
  HostAudio::s_available = false;
  ASSERT_EQ(waveOutSetVolume(nullptr, 0x80008000), MMSYSERR_NOERROR);  // device 0's word; there is no other
  auto other = reinterpret_cast<HWAVEOUT>(std::uintptr_t{1});
  DWORD volume = 0;
  EXPECT_EQ((std::tuple{waveOutSetVolume(other, 0), waveOutGetVolume(other, &volume),
                        waveOutGetVolume(nullptr, nullptr)}),
            std::tuple(MMSYSERR_BADDEVICEID, MMSYSERR_BADDEVICEID, MMSYSERR_INVALPARAM));
  EXPECT_TRUE(Play(click, SND_MEMORY));
  EXPECT_EQ(kernel::Clock().MonotonicMs() - start, 51u);  // 1,109 bytes at 22,050 a second
  EXPECT_TRUE(Play(click, SND_MEMORY | SND_ASYNC));
  kernel::SetAudioBackend(nullptr);
  EXPECT_TRUE(Play(Click(0x81), SND_MEMORY | SND_NODEFAULT));
  EXPECT_EQ(kernel::Clock().MonotonicMs() - start, 102u);
  ASSERT_EQ(HostAudio::s_played.size(), 1u);
  EXPECT_TRUE(HostAudio::s_played[0].second);

  // flags, bytes, duration, whether the checksum is the first image's, and the volume word in force
  std::vector<std::array<std::int64_t, 5>> log;
  const auto sounds = device.Device().Store().SoundLog();
  for (const auto& e : sounds) {
    log.push_back({e.flags, std::int64_t(e.bytes), std::int64_t(e.durationMs), e.checksum == sounds[0].checksum,
                   e.volume.value_or(0x1234)});
  }
  const std::int64_t size = click.size(), flags = SND_MEMORY;
  EXPECT_EQ(log, (decltype(log){{flags, size, 51, 1, 0x99999999}, {flags, size, 51, 1, 0x80008000},
                                {flags | SND_ASYNC, size, 51, 1, 0x80008000},
                                {flags | SND_NODEFAULT, size, 51, 0, 0x80008000}}));
}

// Samples as the output gets them: channel 0 follows the low word, channel 1 the high word.
TEST(ScaledSamples, ScaleEachChannelByItsHalfOfTheVolumeWord) {
  auto scaled = [](std::uint16_t channels, std::uint16_t bits, const Bytes& data, DWORD volume) {
    kernel::WaveFormat format{channels, 8000, bits, data.data(), data.size()};
    return kernel::ScaledSamples(format, volume);
  };
  struct Row {
    const char* what;
    std::uint16_t channels, bits;
    Bytes data;
    DWORD volume;
    Bytes expected;
  };
  const Row rows[] = {
      {"8-bit mono at full volume", 1, 8, {0, 128, 255}, 0xFFFFFFFF, {0, 128, 255}},
      {"8-bit mono follows the left word", 1, 8, {0, 200, 255}, 0xFFFF0000, {128, 128, 128}},
      {"8-bit mono at half", 1, 8, {0, 192}, 0x00008000, {64, 160}},
      {"16-bit stereo, left silent", 2, 16, {0x00, 0x80, 0xFF, 0x7F}, 0xFFFF0000, {0, 0, 0xFF, 0x7F}},
      {"16-bit stereo, right halved", 2, 16, {0x10, 0x00, 0x00, 0x80}, 0x8000FFFF, {0x10, 0x00, 0x00, 0xC0}},
      {"24-bit keeps its sign", 1, 24, {0xFE, 0xFF, 0xFF}, 0x00008000, {0xFF, 0xFF, 0xFF}},
      {"32-bit extremes stay in range", 1, 32, {0, 0, 0, 0x80}, 0x0000FFFF, {0, 0, 0, 0x80}},
      {"a partial frame at the end is left as it is", 2, 16, {0, 0x40, 0, 0x40, 0, 0x40}, 0, {0, 0, 0, 0, 0, 0x40}},
  };
  for (const auto& row : rows) EXPECT_EQ(scaled(row.channels, row.bits, row.data, row.volume), row.expected) << row.what;
}

}  // namespace
