#include "synth.h"

#include "wav_file.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double Pi = std::numbers::pi;
// Half of full scale and below: several sounds of a busy moment mix without clipping.
constexpr double TargetLoudRms = 0.125;
constexpr double PeakCeiling = 0.5; // about -6 dB
} // namespace

double TNoise::Unit() {
  State ^= State << 13;
  State ^= State >> 17;
  State ^= State << 5;
  return double(State) / 4294967296.0;
}

double TNoise::White() { return Unit() * 2 - 1; }

std::size_t Samples(double Seconds) { return static_cast<std::size_t>(std::lround(Seconds * SampleRate)); }

double TLowPass::Step(double In, double Cutoff) {
  const double A = 1 - std::exp(-2 * Pi * Cutoff / SampleRate);
  Y += A * (In - Y);
  return Y;
}

double THighPass::Step(double In, double Cutoff) {
  const double Rc = 1 / (2 * Pi * Cutoff);
  const double Dt = 1.0 / SampleRate;
  const double A = Rc / (Rc + Dt);
  Y = A * (Y + In - PrevIn);
  PrevIn = In;
  return Y;
}

double TBandPass::Step(double In, double Centre, double Q) {
  const double W = 2 * Pi * Centre / SampleRate;
  const double Alpha = std::sin(W) / (2 * Q);
  const double A0 = 1 + Alpha;
  const double B0 = Alpha / A0, B2 = -Alpha / A0;
  const double A1 = -2 * std::cos(W) / A0, A2 = (1 - Alpha) / A0;
  const double Out = B0 * In + B2 * X2 - A1 * Y1 - A2 * Y2;
  X2 = X1;
  X1 = In;
  Y2 = Y1;
  Y1 = Out;
  return Out;
}

double Decay(double T, double Tau) { return T < 0 ? 0 : std::exp(-T / Tau); }

void Mix(TSignal& Target, const TSignal& Source, std::size_t Offset, double Gain) {
  if (Target.size() < Offset + Source.size())
    Target.resize(Offset + Source.size(), 0.0);
  for (std::size_t I = 0; I < Source.size(); ++I)
    Target[Offset + I] += Gain * Source[I];
}

void Fade(TSignal& S, double InSeconds, double OutSeconds) {
  const std::size_t In = std::min(Samples(InSeconds), S.size());
  const std::size_t Out = std::min(Samples(OutSeconds), S.size());
  // Raised-cosine ramps that reach exactly zero at the first and last sample.
  for (std::size_t I = 0; I < In; ++I)
    S[I] *= 0.5 - 0.5 * std::cos(Pi * double(I) / double(In));
  for (std::size_t I = 0; I < Out; ++I)
    S[S.size() - 1 - I] *= 0.5 - 0.5 * std::cos(Pi * double(I) / double(Out));
}

TLevels Measure(const TSignal& S) {
  TLevels L;
  L.Seconds = double(S.size()) / SampleRate;
  for (double V : S)
    L.Peak = std::max(L.Peak, std::abs(V));
  const std::size_t Window = Samples(0.05);
  double Sum = 0;
  for (std::size_t I = 0; I < S.size(); ++I) {
    Sum += S[I] * S[I];
    if (I >= Window)
      Sum -= S[I - Window] * S[I - Window];
    const double N = double(std::min(I + 1, Window));
    L.LoudRms = std::max(L.LoudRms, std::sqrt(std::max(Sum, 0.0) / std::max(N, double(Window))));
  }
  return L;
}

void Normalise(TSignal& S, double TrimDb) {
  const TLevels L = Measure(S);
  if (L.Peak <= 0)
    return;
  const double Target = TargetLoudRms * std::pow(10.0, TrimDb / 20);
  const double Gain = std::min(Target / L.LoudRms, PeakCeiling / L.Peak);
  for (double& V : S)
    V *= Gain;
}
