#include "platform/kernel/audio.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"
#include "tests/support/test_device.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void Put32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(Bytes& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void PutChunk(Bytes& out, const char* id, const Bytes& body, bool pad = true) {
  out.insert(out.end(), id, id + 4);
  Put32(out, static_cast<std::uint32_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (pad && body.size() % 2) out.push_back(0);
}
Bytes Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits) {
  Bytes fmt;
  std::uint16_t align = static_cast<std::uint16_t>(channels * bits / 8);
  Put16(fmt, tag), Put16(fmt, channels), Put32(fmt, rate), Put32(fmt, rate * align), Put16(fmt, align),
      Put16(fmt, bits);
  return fmt;
}
// A RIFF/WAVE image of the given chunks (already encoded), with the RIFF size filled in.
Bytes Riff(const Bytes& chunks) {
  Bytes image{'R', 'I', 'F', 'F'};
  Put32(image, static_cast<std::uint32_t>(chunks.size() + 4));
  image.insert(image.end(), {'W', 'A', 'V', 'E'});
  image.insert(image.end(), chunks.begin(), chunks.end());
  return image;
}
// The click's shape: mono, 22,050 samples a second, 8 bits, 1,109 data bytes (odd, so padded).
Bytes Click(std::uint8_t fill = 0x80, bool pad = true) {
  Bytes chunks;
  PutChunk(chunks, "fmt ", Format(1, 1, 22050, 8));
  PutChunk(chunks, "data", Bytes(1109, fill), pad);
  return Riff(chunks);
}

bool Parses(const Bytes& image, kernel::WaveFormat* format = nullptr) {
  kernel::WaveFormat scratch;
  return kernel::ParseWave(image.data(), image.size(), format ? format : &scratch);
}

using SoundRecord = std::array<std::int64_t, 4>;  // flags, bytes, duration, checksum

std::vector<SoundRecord> SoundLog(kernel::Device& device) {
  std::vector<SoundRecord> log;
  device.Store().Read([&](sqlite3* db) {
    kernel::SqlStatement q(db, "SELECT flags, bytes, duration_ms, checksum FROM sound_log ORDER BY seq");
    while (q.Step()) log.push_back({q.Int(0), q.Int(1), q.Int(2), q.Int(3)});
  });
  return log;
}

BOOL Play(const Bytes& image, UINT flags) { return sndPlaySoundW(reinterpret_cast<LPCWSTR>(image.data()), flags); }

TEST(ParseWave, FindsTheFormatAndTheSamples) {
  Bytes image = Click();
  kernel::WaveFormat format;
  ASSERT_TRUE(Parses(image, &format));
  EXPECT_EQ(format.channels, 1);
  EXPECT_EQ(format.samplesPerSec, 22050u);
  EXPECT_EQ(format.bitsPerSample, 8);
  EXPECT_EQ(format.data, image.data() + 44);
  EXPECT_EQ(format.dataSize, 1109u);

  EXPECT_TRUE(Parses(Click(0x80, false)));  // the last pad byte left out
  Bytes extra;
  PutChunk(extra, "LIST", Bytes(3, 'x'));
  PutChunk(extra, "data", Bytes(8, 0));
  PutChunk(extra, "fmt ", Format(1, 2, 44100, 16));
  ASSERT_TRUE(Parses(Riff(extra), &format));  // other chunks skipped, any order
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.dataSize, 8u);
  image.insert(image.end(), {1, 2, 3});
  EXPECT_TRUE(Parses(image));  // bytes after the form are not its concern
}

TEST(ParseWave, RefusesImagesWhoseFieldsDoNotAddUp) {
  std::vector<std::pair<std::string, Bytes>> bad;
  auto with = [](std::size_t at, std::uint8_t value) {
    Bytes b = Click();
    b[at] = value;
    return b;
  };
  bad.push_back({"not RIFF", with(0, 'X')});
  bad.push_back({"not WAVE", with(8, 'X')});
  bad.push_back({"RIFF size beyond the image", with(4, 0xFF)});
  bad.push_back({"RIFF size below WAVE", Bytes{'R', 'I', 'F', 'F', 3, 0, 0, 0, 'W', 'A', 'V', 'E'}});
  bad.push_back({"chunk beyond the form", with(40, 0xFF)});
  bad.push_back({"format not PCM", with(20, 3)});
  bad.push_back({"no channels", with(22, 0)});
  bad.push_back({"block align lies", with(32, 2)});
  bad.push_back({"byte rate lies", with(28, 0)});
  bad.push_back({"12-bit samples", with(34, 12)});
  Bytes chunks;
  PutChunk(chunks, "fmt ", Bytes(14, 0));
  PutChunk(chunks, "data", Bytes(2, 0));
  bad.push_back({"short fmt chunk", Riff(chunks)});
  chunks.clear();
  PutChunk(chunks, "fmt ", Format(1, 1, 8000, 8));
  bad.push_back({"no data", Riff(chunks)});
  PutChunk(chunks, "data", Bytes(2, 0));
  PutChunk(chunks, "data", Bytes(2, 0));
  bad.push_back({"two data chunks", Riff(chunks)});
  chunks.clear();
  PutChunk(chunks, "data", Bytes(2, 0));
  bad.push_back({"no fmt", Riff(chunks)});
  Bytes trailing = Click();
  trailing.insert(trailing.end(), {0, 0, 0});
  trailing[4] += 3;  // three stray bytes inside the form
  bad.push_back({"stray bytes in the form", trailing});
  for (const auto& [what, image] : bad) EXPECT_FALSE(Parses(image)) << what;
}

TEST(WaveOutVolume, KeepsDeviceZerosWord) {
  testing_support::TestDevice device;
  DWORD volume = 0;
  EXPECT_EQ(waveOutGetVolume(nullptr, &volume), MMSYSERR_NOERROR);
  EXPECT_EQ(volume, 0x99999999u);  // fresh device
  EXPECT_EQ(waveOutSetVolume(nullptr, 0x80008000), MMSYSERR_NOERROR);
  EXPECT_EQ(waveOutGetVolume(nullptr, &volume), MMSYSERR_NOERROR);
  EXPECT_EQ(volume, 0x80008000u);
  EXPECT_EQ(device.Device().Store().GetInt(kernel::state::kWaveVolume), 0x80008000);

  auto other = reinterpret_cast<HWAVEOUT>(std::uintptr_t{1});
  EXPECT_EQ(waveOutSetVolume(other, 0), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutGetVolume(other, &volume), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(waveOutGetVolume(nullptr, nullptr), MMSYSERR_INVALPARAM);
}

TEST(SndPlaySound, SynchronousPlayReturnsWhenTheSoundHasFinished) {
  testing_support::TestDevice device;
  int heard = 0;
  kernel::SetSoundSink([&](const kernel::WaveFormat& format) {
    ++heard;
    EXPECT_EQ(format.dataSize, 1109u);
  });
  Bytes click = Click();
  std::uint64_t start = kernel::Clock().MonotonicMs();
  EXPECT_TRUE(Play(click, SND_MEMORY));
  EXPECT_EQ(kernel::Clock().MonotonicMs() - start, 51u);  // 1,109 bytes at 22,050 a second
  EXPECT_TRUE(Play(click, SND_MEMORY | SND_ASYNC));
  EXPECT_EQ(kernel::Clock().MonotonicMs() - start, 51u);
  EXPECT_TRUE(Play(Click(0x81), SND_MEMORY | SND_NODEFAULT));
  kernel::SetSoundSink(nullptr);
  EXPECT_EQ(heard, 3);

  auto log = SoundLog(device.Device());
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0][0], SND_MEMORY);
  EXPECT_EQ(log[0][1], static_cast<std::int64_t>(click.size()));
  EXPECT_EQ(log[0][2], 51);
  EXPECT_EQ(log[1][0], SND_MEMORY | SND_ASYNC);
  EXPECT_EQ(log[1][3], log[0][3]);  // same image, same checksum
  EXPECT_NE(log[2][3], log[0][3]);
}

TEST(SndPlaySound, RefusesWhatItCannotPlayAndLogsNothing) {
  testing_support::TestDevice device;
  int heard = 0;
  kernel::SetSoundSink([&](const kernel::WaveFormat&) { ++heard; });
  Bytes click = Click();
  std::uint64_t start = kernel::Clock().MonotonicMs();
  EXPECT_FALSE(Play(click, SND_SYNC));  // a name, not an image: not supported
  Bytes broken = click;
  broken[20] = 3;
  EXPECT_FALSE(Play(broken, SND_MEMORY));
  Bytes huge = click;
  huge[7] = 0x7F;  // claims ~2 GB
  EXPECT_FALSE(Play(huge, SND_MEMORY));
  EXPECT_TRUE(sndPlaySoundW(nullptr, SND_MEMORY));  // "stop playing": nothing plays
  kernel::SetSoundSink(nullptr);
  EXPECT_EQ(heard, 0);
  EXPECT_TRUE(SoundLog(device.Device()).empty());
  EXPECT_EQ(kernel::Clock().MonotonicMs(), start);
}

}  // namespace
