// Wave output: the device-0 volume word (low 16 bits left, high 16 bits right) and playing a wave
// image. Every played sound is logged in the device store; a front end may also make it heard.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/kernel/win32_types.h"

using MMRESULT = UINT;
struct HWAVEOUT__;
using HWAVEOUT = HWAVEOUT__*;

constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;

constexpr UINT SND_SYNC = 0x0000;
constexpr UINT SND_ASYNC = 0x0001;
constexpr UINT SND_NODEFAULT = 0x0002;
constexpr UINT SND_MEMORY = 0x0004;

// Device 0 only (a null HWAVEOUT names it).
MMRESULT waveOutGetVolume(HWAVEOUT device, DWORD* volume);
MMRESULT waveOutSetVolume(HWAVEOUT device, DWORD volume);

// Plays a RIFF/WAVE image from memory (SND_MEMORY; file names are not supported). A synchronous
// call returns when the sound has finished, measured by the clock service. FALSE for a malformed
// image or without SND_MEMORY.
BOOL sndPlaySoundW(LPCWSTR sound, UINT flags);

namespace kernel {
struct WaveFormat {
  WORD channels = 0;
  DWORD samplesPerSec = 0;
  WORD bitsPerSample = 0;
  const std::uint8_t* data = nullptr;  // the PCM bytes inside the image
  std::size_t dataSize = 0;
};
// Parses a RIFF/WAVE PCM image with bounds checks; false when it is not one.
bool ParseWave(const std::uint8_t* image, std::size_t size, WaveFormat* format);
// The PCM samples of format scaled by a wave-out volume word: channel 0 by the low word (so a mono
// sound follows the left volume), channel 1 by the high word, further channels alternately.
// 0xFFFF leaves a sample as it is, 0 makes it silence (128 for 8-bit samples).
std::vector<std::uint8_t> ScaledSamples(const WaveFormat& format, DWORD volume);

// How a front end makes sounds heard. play gets the format and the samples already scaled by the
// volume; it returns false when it could not play them (no audio device), and with wait set it
// returns once the sound has played. A sound not played still takes its duration on the clock
// when the call is synchronous.
struct AudioBackend {
  bool (*play)(const WaveFormat& format, const std::uint8_t* samples, std::size_t size, bool wait);
};
// Installs the backend (nullptr: none, the default). The table must outlive its installation.
void SetAudioBackend(const AudioBackend* backend);
}  // namespace kernel
