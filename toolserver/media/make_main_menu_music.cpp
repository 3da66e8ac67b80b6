// Composes the main menu's title music and writes it as a looping wave file:
// an eight-bar march in G for two pulse voices, a triangle bass and noise
// drums, in the manner of the console the game runs on. The tune is this
// project's own.
//
//   make_main_menu_music OUT.wav

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
constexpr double kBeatsPerMinute = 144;
constexpr int kEighthsPerBar = 8;
constexpr int kBars = 8;
constexpr double kPi = 3.14159265358979323846;

// Note names to MIDI numbers: "G5", "F#4", "R" for a rest.
int Midi(const std::string& name) {
  if (name == "R") return -1;
  static const std::array<int, 7> kSteps = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
  int note = kSteps[static_cast<size_t>(name[0] - 'A')];
  size_t at = 1;
  if (name[at] == '#') {
    ++note;
    ++at;
  }
  return 12 * (std::stoi(name.substr(at)) + 1) + note;
}

double Frequency(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

struct Note {
  const char* name;
  int eighths;
};

// The melody, bar by bar over G | Em | C | D | G | Em | C D | G.
const std::vector<Note> kMelody = {
    {"D5", 1}, {"G5", 1}, {"B5", 2}, {"A5", 1}, {"G5", 1}, {"D5", 2},
    {"E5", 1}, {"G5", 1}, {"B5", 2}, {"C6", 1}, {"B5", 1}, {"G5", 2},
    {"C5", 1}, {"E5", 1}, {"G5", 2}, {"A5", 1}, {"G5", 1}, {"E5", 2},
    {"F#5", 2}, {"A5", 2}, {"D6", 3}, {"R", 1},
    {"D5", 1}, {"G5", 1}, {"B5", 2}, {"D6", 1}, {"B5", 1}, {"G5", 2},
    {"E5", 1}, {"G5", 1}, {"B5", 1}, {"E6", 1}, {"D6", 2}, {"B5", 2},
    {"C6", 1}, {"B5", 1}, {"A5", 1}, {"G5", 1}, {"A5", 2}, {"F#5", 2},
    {"G5", 5}, {"D5", 1}, {"G5", 1}, {"R", 1},
};

// Chord of each half bar: root, third, fifth (octave 4), for the arpeggio and the bass.
const std::vector<std::array<const char*, 3>> kChords = {
    {"G3", "B3", "D4"}, {"G3", "B3", "D4"}, {"E3", "G3", "B3"}, {"E3", "G3", "B3"},
    {"C3", "E3", "G3"}, {"C3", "E3", "G3"}, {"D3", "F#3", "A3"}, {"D3", "F#3", "A3"},
    {"G3", "B3", "D4"}, {"G3", "B3", "D4"}, {"E3", "G3", "B3"}, {"E3", "G3", "B3"},
    {"C3", "E3", "G3"}, {"D3", "F#3", "A3"}, {"G3", "B3", "D4"}, {"G3", "B3", "D4"},
};

const size_t kEighthSamples = static_cast<size_t>(kSampleRate * 60.0 / kBeatsPerMinute / 2);
const size_t kTotalSamples = kEighthSamples * kEighthsPerBar * kBars;

// A pulse wave with the given duty, with a short attack, a decay to a held
// level and a release at the end, added into the mix.
void AddPulse(std::vector<double>& mix, size_t start, size_t length, double frequency, double duty, double volume) {
  const size_t attack = kSampleRate / 200, release = kSampleRate / 50;
  double phase = 0;
  for (size_t i = 0; i < length && start + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    double envelope = std::min(1.0, static_cast<double>(i) / attack);
    envelope *= 0.7 + 0.3 * std::exp(-t * 12);
    if (length - i < release) envelope *= static_cast<double>(length - i) / release;
    mix[start + i] += volume * envelope * (phase < duty ? 1.0 : -1.0);
    phase = std::fmod(phase + frequency / kSampleRate, 1.0);
  }
}

void AddTriangle(std::vector<double>& mix, size_t start, size_t length, double frequency, double volume) {
  double phase = 0;
  const size_t release = kSampleRate / 100;
  for (size_t i = 0; i < length && start + i < mix.size(); ++i) {
    double envelope = length - i < release ? static_cast<double>(length - i) / release : 1.0;
    mix[start + i] += volume * envelope * (phase < 0.5 ? 4 * phase - 1 : 3 - 4 * phase);
    phase = std::fmod(phase + frequency / kSampleRate, 1.0);
  }
}

void AddKick(std::vector<double>& mix, size_t start) {
  double phase = 0;
  for (size_t i = 0; i < kSampleRate / 12 && start + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    phase += (50 + 90 * std::exp(-t * 40)) / kSampleRate;
    mix[start + i] += 0.45 * std::exp(-t * 30) * std::sin(2 * kPi * phase);
  }
}

void AddNoise(std::vector<double>& mix, size_t start, double seconds, double volume, double decay, bool bright,
              std::minstd_rand& random) {
  std::uniform_real_distribution<double> white(-1.0, 1.0);
  double last = 0;
  for (size_t i = 0; i < static_cast<size_t>(seconds * kSampleRate) && start + i < mix.size(); ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double sample = white(random);
    // A bright hat keeps only the change from sample to sample.
    const double shaped = bright ? sample - last : sample;
    last = sample;
    mix[start + i] += volume * std::exp(-t * decay) * shaped;
  }
}

std::vector<double> Compose() {
  std::vector<double> mix(kTotalSamples, 0.0);
  size_t at = 0;
  for (const Note& note : kMelody) {
    const size_t length = kEighthSamples * static_cast<size_t>(note.eighths);
    if (const int midi = Midi(note.name); midi >= 0) AddPulse(mix, at, length - kEighthSamples / 8, Frequency(midi), 0.25, 0.20);
    at += length;
  }
  const size_t sixteenth = kEighthSamples / 2;
  for (size_t half = 0; half < kChords.size(); ++half) {
    const auto& chord = kChords[half];
    const size_t start = half * 4 * kEighthSamples;
    static constexpr std::array<int, 8> kArpeggio = {0, 1, 2, 1, 0, 1, 2, 1};
    for (size_t s = 0; s < kArpeggio.size(); ++s) {
      const int midi = Midi(chord[static_cast<size_t>(kArpeggio[s])]) + 12;
      AddPulse(mix, start + s * sixteenth, sixteenth - sixteenth / 4, Frequency(midi), 0.125, 0.07);
    }
    const int root = Midi(chord[0]) - 12;
    for (size_t e = 0; e < 4; ++e) {
      AddTriangle(mix, start + e * kEighthSamples, kEighthSamples - kEighthSamples / 6,
                  Frequency(e % 2 == 0 ? root : root + 12), 0.28);
    }
  }
  std::minstd_rand random(1986);
  for (size_t beat = 0; beat < kTotalSamples / (2 * kEighthSamples); ++beat) {
    const size_t start = beat * 2 * kEighthSamples;
    if (beat % 2 == 0) {
      AddKick(mix, start);
    } else {
      AddNoise(mix, start, 0.12, 0.22, 28, false, random);
    }
    AddNoise(mix, start + kEighthSamples, 0.03, 0.08, 120, true, random);
  }
  return mix;
}

void WriteLittleEndian(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>(value >> (8 * i) & 0xFF));
}

// 8-bit unsigned mono PCM.
bool WriteWave(const std::string& path, const std::vector<double>& mix) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  const auto samples = static_cast<uint32_t>(mix.size());
  out.write("RIFF", 4);
  WriteLittleEndian(out, 36 + samples, 4);
  out.write("WAVEfmt ", 8);
  WriteLittleEndian(out, 16, 4);
  WriteLittleEndian(out, 1, 2);  // PCM
  WriteLittleEndian(out, 1, 2);  // mono
  WriteLittleEndian(out, kSampleRate, 4);
  WriteLittleEndian(out, kSampleRate, 4);
  WriteLittleEndian(out, 1, 2);
  WriteLittleEndian(out, 8, 2);
  out.write("data", 4);
  WriteLittleEndian(out, samples, 4);
  for (const double sample : mix) {
    const double level = std::clamp(sample * 0.8, -1.0, 1.0);
    out.put(static_cast<char>(static_cast<int>(std::lround(128 + 127 * level))));
  }
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_main_menu_music OUT.wav\n");
    return 2;
  }
  if (!WriteWave(argv[1], Compose())) {
    std::fprintf(stderr, "make_main_menu_music: unable to write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
