#include "sounds.h"

#include "synth.h"
#include "wav_file.h"

#include <cmath>
#include <functional>
#include <iomanip>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;

double Time(std::size_t I) { return double(I) / SampleRate; }

// A bomb going off: a sharp crack, a roaring burst of noise that darkens as
// it dies away, a deep thump under it, and debris crackling down in the tail.
// The roar sits well above the bass, so the blast carries on small speakers.
TSignal Boom() {
  TNoise N(1001);
  TSignal S(Samples(1.1));
  THighPass Crack, Crack2, Clean, Clean2;
  TLowPass Roar, Roar2, Edge;
  TBandPass Debris;
  double Phase = 0;
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    const double W = N.White();
    const double Snap = Crack2.Step(Crack.Step(W, 900), 900) * Decay(T, 0.009);
    const double Cutoff = 380 + 3500 * Decay(T, 0.12);
    const double Body = Clean2.Step(Clean.Step(Roar2.Step(Roar.Step(W, Cutoff), Cutoff), 220), 220) *
                        std::min(1.0, T / 0.004) * (0.35 * Decay(T, 0.05) + 0.65 * Decay(T, 0.26));
    Phase += 2 * Pi * (48 + 80 * Decay(T, 0.05)) / SampleRate;
    const double Thump = std::sin(Phase) * Decay(T, 0.16) * std::min(1.0, T / 0.003);
    // Bits of junk landing: sparse ticks, fewer and fainter as the tail dies.
    const double Fall = T < 0.12 ? 0 : Decay(T - 0.12, 0.3);
    const double Tick = N.Unit() < 0.01 * Fall ? N.White() * Fall : 0;
    const double Crackle = Debris.Step(Tick, 2600, 4);
    S[I] = std::tanh(3.2 * (3.2 * Edge.Step(Snap, 5000) + 3.6 * Body + 0.25 * Thump + 6 * Crackle));
  }
  Fade(S, 0.001, 0.15);
  return S;
}

// A comic raspberry: a buzzing, wobbling low pulse through a muffling filter.
TSignal Fart() {
  TNoise N(2002);
  TSignal S(Samples(0.55));
  TLowPass Muffle, Muffle2;
  double Phase = 0;
  double Jitter = 0;
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    Jitter += 0.02 * (N.White() - Jitter);
    const double Pitch = 95 + 25 * std::sin(2 * Pi * 2.2 * T) - 35 * T + 60 * Jitter;
    Phase += Pitch / SampleRate;
    Phase -= std::floor(Phase);
    const double Pulse = Phase < 0.28 ? 1.0 : -0.39; // narrow pulse: a buzzy lip flap
    const double Flutter = 0.65 + 0.35 * std::sin(2 * Pi * 23 * T);
    const double Raw = Pulse * Flutter + 0.25 * N.White();
    const double Out = Muffle2.Step(Muffle.Step(Raw, 900), 1400);
    const double Env = std::min(1.0, T / 0.02) * (T > 0.38 ? Decay(T - 0.38, 0.06) : 1.0);
    S[I] = Out * Env;
  }
  Fade(S, 0.004, 0.03);
  return S;
}

// A bell-like tone of Frequency with a few inharmonic partials.
TSignal Chime(double Frequency, double Seconds, double Tau) {
  TSignal S(Samples(Seconds));
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    S[I] = (std::sin(2 * Pi * Frequency * T) + 0.35 * std::sin(2 * Pi * Frequency * 2.01 * T) * Decay(T, Tau * 0.5) +
            0.15 * std::sin(2 * Pi * Frequency * 3.98 * T) * Decay(T, Tau * 0.3)) *
           Decay(T, Tau) * std::min(1.0, T / 0.002);
  }
  return S;
}

// Catching a barrel: a hollow metal clunk, then a quick rising "got it" blip.
TSignal GetBomb() {
  TNoise N(3003);
  TSignal S(Samples(0.34));
  TBandPass Drum, Drum2;
  for (std::size_t I = 0; I < Samples(0.12); ++I) {
    const double T = Time(I);
    const double Hit = N.White() * Decay(T, 0.006);
    S[I] = 6 * (Drum.Step(Hit, 210, 9) + 0.6 * Drum2.Step(Hit, 530, 12)) * Decay(T, 0.05);
  }
  const double Notes[] = {523.25, 659.25, 783.99};
  for (int K = 0; K < 3; ++K) {
    TSignal Blip(Samples(0.16));
    double Phase = 0;
    for (std::size_t I = 0; I < Blip.size(); ++I) {
      const double T = Time(I);
      Phase += Notes[K] / SampleRate;
      const double Square = std::sin(2 * Pi * Phase) + 0.3 * std::sin(6 * Pi * Phase);
      Blip[I] = Square * Decay(T, 0.05) * std::min(1.0, T / 0.003);
    }
    Mix(S, Blip, Samples(0.05 + 0.055 * K), 0.45);
  }
  Fade(S, 0.002, 0.04);
  return S;
}

// Breaking glass: a bright crash, then shards tinkling down at random.
TSignal GlassBreak() {
  TNoise N(4004);
  TSignal S(Samples(0.8));
  THighPass Crash, Crash2;
  for (std::size_t I = 0; I < Samples(0.2); ++I) {
    const double T = Time(I);
    S[I] = 1.4 * Crash2.Step(Crash.Step(N.White(), 2500), 2500) * Decay(T, 0.035);
  }
  for (int K = 0; K < 46; ++K) {
    const double Start = 0.6 * std::pow(N.Unit(), 1.8); // dense at first, sparse later
    const double Frequency = 2200 + 5200 * N.Unit();
    const double Tau = 0.015 + 0.05 * N.Unit();
    const double Gain = 0.35 * (1 - Start);
    TSignal Shard(Samples(Tau * 5));
    for (std::size_t I = 0; I < Shard.size(); ++I) {
      const double T = Time(I);
      Shard[I] = (std::sin(2 * Pi * Frequency * T) + 0.5 * std::sin(2 * Pi * Frequency * 1.53 * T)) * Decay(T, Tau) *
                 std::min(1.0, T / 0.0007);
    }
    Mix(S, Shard, Samples(0.01 + Start), Gain);
  }
  S.resize(Samples(0.8));
  Fade(S, 0.001, 0.05);
  return S;
}

// A hurt robot crying "ouch": a buzzing voice gliding down through the
// vowels "a"-"oo", then the hiss of "ch".
TSignal Ouch() {
  TNoise N(5005);
  TSignal S(Samples(0.5));
  TBandPass F1, F2, F3, Hiss;
  THighPass Clean;
  double Phase = 0;
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    const double Glide = std::min(1.0, T / 0.3);
    const double Pitch = 330 - 120 * Glide + 18 * std::sin(2 * Pi * 7 * T);
    Phase += Pitch / SampleRate;
    Phase -= std::floor(Phase);
    const double Source = 1 - 2 * Phase; // sawtooth: a glottal buzz
    const double Formant1 = 760 - 380 * Glide, Formant2 = 1250 - 450 * Glide;
    const double Voice = F1.Step(Source, Formant1, 6) + 0.6 * F2.Step(Source, Formant2, 8) +
                         0.2 * F3.Step(Source, 2600, 10);
    const double VoiceEnv = std::min(1.0, T / 0.025) * (T < 0.3 ? 1.0 : Decay(T - 0.3, 0.03));
    const double Ch = T < 0.3 ? 0 : Hiss.Step(N.White(), 3800, 2.5) * std::min(1.0, (T - 0.3) / 0.02) * Decay(T - 0.3, 0.05);
    S[I] = Clean.Step(2.2 * Voice * VoiceEnv + 4.0 * Ch, 120);
  }
  Fade(S, 0.003, 0.04);
  return S;
}

// Picking up the tool: a bright rising arpeggio of chimes.
TSignal Pick() {
  TSignal S(Samples(0.45));
  const double Notes[] = {987.77, 1318.51, 1975.53};
  for (int K = 0; K < 3; ++K)
    Mix(S, Chime(Notes[K], 0.3, 0.09), Samples(0.065 * K), 0.5);
  S.resize(Samples(0.45));
  Fade(S, 0.002, 0.04);
  return S;
}

// Something landing on the pile: a soft, short, woody knock with a little
// weight under it; it comes a couple of times a second, so it stays gentle.
TSignal Placed() {
  TNoise N(7007);
  TSignal S(Samples(0.16));
  TBandPass Knock, Knock2;
  TLowPass Soft;
  double Phase = 0;
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    const double Hit = Soft.Step(N.White(), 2000) * Decay(T, 0.008);
    const double Wood = 9 * (Knock.Step(Hit, 360, 7) + 0.5 * Knock2.Step(Hit, 650, 8));
    Phase += 2 * Pi * (140 + 60 * Decay(T, 0.015)) / SampleRate;
    const double Weight = 0.12 * std::sin(Phase) * Decay(T, 0.03);
    // Rounded off at the top: a soft knock, and several landing at once still fit.
    S[I] = std::tanh(4 * (Wood + Weight)) * std::min(1.0, T / 0.004);
  }
  Fade(S, 0.002, 0.05);
  return S;
}

// A jump: a springy "boing" whose pitch leaps up and wobbles as it settles.
TSignal Spring() {
  TSignal S(Samples(0.42));
  double Phase = 0;
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    const double Pitch = 260 + 260 * (1 - Decay(T, 0.05)) + 90 * std::sin(2 * Pi * 14 * T) * Decay(T, 0.15);
    Phase += 2 * Pi * Pitch / SampleRate;
    const double Tone = std::sin(Phase) + 0.3 * std::sin(2 * Phase) + 0.12 * std::sin(3 * Phase);
    S[I] = Tone * Decay(T, 0.14) * std::min(1.0, T / 0.004);
  }
  Fade(S, 0.003, 0.05);
  return S;
}

// A robot's footstep: a short, bright click of a metal foot on metal, with
// the faint ring of a few inharmonic partials.
TSignal Step() {
  TNoise N(9009);
  TSignal S(Samples(0.09));
  TBandPass Tick;
  const double Partials[] = {2350, 3870, 5610, 7340};
  const double Gains[] = {1.0, 0.7, 0.45, 0.25};
  const double Taus[] = {0.03, 0.02, 0.012, 0.008};
  for (std::size_t I = 0; I < S.size(); ++I) {
    const double T = Time(I);
    double Ring = 0;
    for (int K = 0; K < 4; ++K)
      Ring += Gains[K] * std::sin(2 * Pi * Partials[K] * T + K) * Decay(T, Taus[K]);
    const double Click = 1.8 * Tick.Step(N.White(), 4000, 0.8) * Decay(T, 0.003);
    S[I] = (Click + Ring) * std::min(1.0, T / 0.0004);
  }
  Fade(S, 0.0005, 0.03);
  return S;
}

} // namespace

void MakeSounds(const std::string& Dir, std::ostream& Report) {
  // The level of each against the others, in dB: the blast is the payoff and
  // stands out; steps and landings come several a second and stay back.
  struct TSound {
    const char* Name;
    std::function<TSignal()> Make;
    double TrimDb;
  };
  const TSound Sounds[] = {
      {"boom01.wav", Boom, 1.2},         {"fart01.wav", Fart, 0},    {"getbomb01.wav", GetBomb, 0},
      {"glassbreak01.wav", GlassBreak, 0}, {"ouch01.wav", Ouch, 0}, {"pick01.wav", Pick, -1},
      {"placed01.wav", Placed, -2.5},  {"spring01.wav", Spring, 0}, {"step01.wav", Step, -3.5},
  };
  for (const auto& [Name, Make, TrimDb] : Sounds) {
    TSignal S = Make();
    Normalise(S, TrimDb);
    Fade(S, 0.002, 0.005);
    WriteWav(Dir + Name, S);
    const TLevels L = Measure(S);
    Report << std::fixed << std::setprecision(3) << std::setw(18) << std::left << Name << " " << L.Seconds
           << " s  peak " << L.Peak << " (" << std::setprecision(1) << 20 * std::log10(L.Peak) << " dB)  loudest 50 ms RMS "
           << std::setprecision(3) << L.LoudRms << " (" << std::setprecision(1) << 20 * std::log10(L.LoudRms)
           << " dB)\n";
  }
}
