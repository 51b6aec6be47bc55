#include "platform/kernel/audio.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_root.h"
#include "platform/kernel/device_state_names.h"
#include "platform/kernel/device_store.h"

namespace kernel {
namespace {

constexpr std::int64_t kDefaultWaveVolume = 0x99999999;
constexpr WORD kWaveFormatPcm = 1;
constexpr std::size_t kRiffHeaderSize = 8;
constexpr std::size_t kChunkHeaderSize = 8;
constexpr std::size_t kPcmFormatSize = 16;
// A played image is found through its own RIFF header (the call gets no length), so a header that
// claims more than this is refused rather than trusted.
constexpr std::uint32_t kMaxImageBytes = 64u << 20;

std::atomic<const AudioBackend*> g_backend{nullptr};

std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t Le32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

bool IsTag(const std::uint8_t* p, const char (&tag)[5]) { return std::memcmp(p, tag, 4) == 0; }

// The "fmt " chunk of plain PCM; the derived fields must agree with the basic ones.
bool ParseFormat(const std::uint8_t* body, std::size_t size, WaveFormat* format) {
  if (size < kPcmFormatSize || Le16(body) != kWaveFormatPcm) return false;
  WORD channels = Le16(body + 2);
  DWORD rate = Le32(body + 4);
  DWORD bytesPerSec = Le32(body + 8);
  WORD blockAlign = Le16(body + 12);
  WORD bits = Le16(body + 14);
  if (channels == 0 || rate == 0 || bits == 0 || bits > 32 || bits % 8 != 0) return false;
  if (blockAlign != channels * (bits / 8) || bytesPerSec != std::uint64_t{rate} * blockAlign) return false;
  format->channels = channels;
  format->samplesPerSec = rate;
  format->bitsPerSample = bits;
  return true;
}

std::uint32_t Fnv1a32(const std::uint8_t* data, std::size_t size) {
  std::uint32_t hash = 2166136261u;
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  return hash;
}

// Playing time in whole milliseconds, rounded up so that a synchronous call never returns early.
std::uint64_t DurationMs(const WaveFormat& format) {
  std::uint64_t bytesPerSec = std::uint64_t{format.samplesPerSec} * format.channels * (format.bitsPerSample / 8);
  return (std::uint64_t{format.dataSize} * 1000 + bytesPerSec - 1) / bytesPerSec;
}

}  // namespace

// The image is a RIFF "WAVE" form: chunks of id, 32-bit size and body, each padded to an even
// size. Every size is checked against the bytes that hold it; bytes after the RIFF form are ignored.
bool ParseWave(const std::uint8_t* image, std::size_t size, WaveFormat* format) {
  if (!image || !format || size < kRiffHeaderSize + 4) return false;
  if (!IsTag(image, "RIFF") || !IsTag(image + 8, "WAVE")) return false;
  std::uint32_t riffSize = Le32(image + 4);
  if (riffSize < 4 || riffSize > size - kRiffHeaderSize) return false;
  const std::size_t end = kRiffHeaderSize + riffSize;
  WaveFormat parsed;
  bool haveFormat = false;
  bool haveData = false;
  std::size_t pos = kRiffHeaderSize + 4;
  while (end - pos >= kChunkHeaderSize) {
    const std::uint8_t* header = image + pos;
    std::uint32_t chunkSize = Le32(header + 4);
    pos += kChunkHeaderSize;
    if (chunkSize > end - pos) return false;
    if (IsTag(header, "fmt ")) {
      if (haveFormat || !ParseFormat(image + pos, chunkSize, &parsed)) return false;
      haveFormat = true;
    } else if (IsTag(header, "data")) {
      if (haveData) return false;
      parsed.data = image + pos;
      parsed.dataSize = chunkSize;
      haveData = true;
    }
    pos += chunkSize;
    // The pad byte after an odd-sized chunk may be missing at the very end of the form.
    if (chunkSize % 2 != 0 && pos < end) ++pos;
  }
  // Leftover bytes too short to be a chunk mean a size field somewhere does not add up.
  if (pos != end || !haveFormat || !haveData) return false;
  *format = parsed;
  return true;
}

// Samples are little-endian; 8-bit ones are unsigned around 128, wider ones signed. The product
// with a 16-bit volume over 0xFFFF never leaves the sample's range.
std::vector<std::uint8_t> ScaledSamples(const WaveFormat& format, DWORD volume) {
  std::vector<std::uint8_t> out(format.data, format.data + format.dataSize);
  const std::size_t width = format.bitsPerSample / 8;
  if (width == 0 || format.channels == 0) return out;
  const std::int64_t gains[2] = {static_cast<std::int64_t>(volume & 0xFFFF), static_cast<std::int64_t>(volume >> 16)};
  const std::size_t frameBytes = width * format.channels;
  const std::size_t whole = out.size() / frameBytes * frameBytes;
  for (std::size_t at = 0; at < whole; at += width) {
    std::int64_t gain = gains[(at / width) % format.channels % 2];
    std::uint8_t* p = out.data() + at;
    if (width == 1) {
      p[0] = static_cast<std::uint8_t>((p[0] - 128) * gain / 0xFFFF + 128);
      continue;
    }
    std::uint64_t raw = 0;
    for (std::size_t i = 0; i < width; ++i) raw |= std::uint64_t{p[i]} << (8 * i);
    const unsigned shift = static_cast<unsigned>(64 - 8 * width);
    std::int64_t sample = static_cast<std::int64_t>(raw << shift) >> shift;  // sign-extended
    auto scaled = static_cast<std::uint64_t>(sample * gain / 0xFFFF);
    for (std::size_t i = 0; i < width; ++i) p[i] = static_cast<std::uint8_t>(scaled >> (8 * i));
  }
  return out;
}

void SetAudioBackend(const AudioBackend* backend) { g_backend.store(backend); }

}  // namespace kernel

MMRESULT waveOutGetVolume(HWAVEOUT device, DWORD* volume) {
  if (device != nullptr) return MMSYSERR_BADDEVICEID;
  if (!volume) return MMSYSERR_INVALPARAM;
  auto stored = kernel::CurrentDevice().Store().GetInt(kernel::state::kWaveVolume);
  *volume = static_cast<DWORD>(stored.value_or(kernel::kDefaultWaveVolume));
  return MMSYSERR_NOERROR;
}

MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume) {
  if (device != nullptr) return MMSYSERR_BADDEVICEID;
  kernel::CurrentDevice().Store().SetInt(kernel::state::kWaveVolume, volume);
  return MMSYSERR_NOERROR;
}

// A null sound asks to stop whatever plays; nothing here outlives its call, so that succeeds at once.
BOOL sndPlaySoundW(LPCWSTR sound, UINT flags) {
  if (!sound) return TRUE;
  if ((flags & SND_MEMORY) == 0) return FALSE;
  const auto* image = reinterpret_cast<const std::uint8_t*>(sound);
  if (!kernel::IsTag(image, "RIFF")) return FALSE;
  std::uint32_t riffSize = kernel::Le32(image + 4);
  if (riffSize > kernel::kMaxImageBytes) return FALSE;
  std::size_t imageSize = kernel::kRiffHeaderSize + riffSize;
  kernel::WaveFormat format;
  if (!kernel::ParseWave(image, imageSize, &format)) return FALSE;

  std::uint64_t duration = kernel::DurationMs(format);
  std::uint32_t checksum = kernel::Fnv1a32(image, imageSize);
  DWORD volume = 0;
  waveOutGetVolume(nullptr, &volume);
  kernel::CurrentDevice().Store().AppendSoundLog({flags, imageSize, duration, checksum, volume});
  const bool wait = (flags & SND_ASYNC) == 0;
  bool played = false;
  if (const kernel::AudioBackend* backend = kernel::g_backend.load(); backend && backend->play) {
    std::vector<std::uint8_t> samples = kernel::ScaledSamples(format, volume);
    played = backend->play(format, samples.data(), samples.size(), wait);
  }
  // Without a device to play on, a synchronous sound still lasts as long as it would be heard.
  if (wait && !played) {
    kernel::Clock().Sleep(static_cast<DWORD>(std::min<std::uint64_t>(duration, std::numeric_limits<DWORD>::max() - 1)));
  }
  return TRUE;
}
