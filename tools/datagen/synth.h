#pragma once

#include <cstdint>
#include <vector>

using TSignal = std::vector<double>;

// A small fixed-seed generator, so every sound comes out the same on every run.
class TNoise {
public:
  explicit TNoise(std::uint32_t Seed) : State(Seed ? Seed : 1u) {}
  double White(); // -1 to +1
  double Unit();  // 0 to 1

private:
  std::uint32_t State;
};

// Number of samples in Seconds.
std::size_t Samples(double Seconds);

// One-pole filters; Cutoff in Hz. Stateful, one sample at a time.
class TLowPass {
public:
  double Step(double In, double Cutoff);

private:
  double Y = 0;
};

class THighPass {
public:
  double Step(double In, double Cutoff);

private:
  double PrevIn = 0, Y = 0;
};

// A resonant band-pass (constant peak gain), for formants and rings.
class TBandPass {
public:
  double Step(double In, double Centre, double Q);

private:
  double X1 = 0, X2 = 0, Y1 = 0, Y2 = 0;
};

// Exponential decay from 1 with the given time constant, after Start seconds.
double Decay(double T, double Tau);

// Adds Source into Target starting at sample Offset, scaled by Gain.
void Mix(TSignal& Target, const TSignal& Source, std::size_t Offset, double Gain = 1);

// Short fades at both ends, so a sound never starts or stops with a click.
void Fade(TSignal& S, double InSeconds, double OutSeconds);

// Levels of a finished sound: its peak, and the RMS of its loudest 50 ms.
struct TLevels {
  double Peak = 0, LoudRms = 0, Seconds = 0;
};
TLevels Measure(const TSignal& S);

// Scales S so that its loudest 50 ms reach the common loudness changed by
// TrimDb, without the peak going above the common ceiling.
void Normalise(TSignal& S, double TrimDb = 0);
