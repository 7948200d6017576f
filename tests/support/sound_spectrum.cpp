#include "support/sound_spectrum.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
using TComplex = std::complex<double>;

// In-place radix-2 transform; X.size() is a power of two. The inverse is
// left unscaled.
void Fft(std::vector<TComplex>& X, bool Inverse) {
  const std::size_t N = X.size();
  for (std::size_t I = 1, J = 0; I < N; ++I) {
    std::size_t Bit = N >> 1;
    for (; J & Bit; Bit >>= 1)
      J ^= Bit;
    J ^= Bit;
    if (I < J)
      std::swap(X[I], X[J]);
  }
  for (std::size_t Len = 2; Len <= N; Len <<= 1) {
    const double Angle = (Inverse ? 2 : -2) * Pi / double(Len);
    const TComplex Turn(std::cos(Angle), std::sin(Angle));
    for (std::size_t I = 0; I < N; I += Len) {
      TComplex W(1);
      for (std::size_t K = 0; K < Len / 2; ++K, W *= Turn) {
        const TComplex U = X[I + K], V = X[I + K + Len / 2] * W;
        X[I + K] = U + V;
        X[I + K + Len / 2] = U - V;
      }
    }
  }
}

std::size_t PowerOfTwoAtLeast(std::size_t N) {
  std::size_t P = 1;
  while (P < N)
    P <<= 1;
  return P;
}

// The A curve's amplitude gain at F Hz, 1 at 1 kHz.
double AGain(double F) {
  const double F2 = F * F;
  const auto Curve = [](double G2) {
    return 12194.0 * 12194.0 * G2 * G2 /
           ((G2 + 20.6 * 20.6) * std::sqrt((G2 + 107.7 * 107.7) * (G2 + 737.9 * 737.9)) * (G2 + 12194.0 * 12194.0));
  };
  return Curve(F2) / Curve(1000.0 * 1000.0);
}

} // namespace

double TSpectrum::Energy(double LowHz, double HighHz) const {
  double Sum = 0;
  for (std::size_t K = 0; K < Power.size(); ++K)
    if (double(K) * BinHz >= LowHz && double(K) * BinHz < HighHz)
      Sum += Power[K];
  return Sum;
}

double TSpectrum::Total() const { return Energy(0, 1e12); }

double TSpectrum::CentroidHz() const {
  double Weighted = 0;
  for (std::size_t K = 0; K < Power.size(); ++K)
    Weighted += double(K) * BinHz * Power[K];
  return Weighted / Total();
}

TSpectrum SpectrumOf(const std::vector<double>& Samples, int Rate) {
  // Hann windows overlapping by three quarters add up to the same weight for
  // every sample; the sound is padded with silence so its ends count fully.
  constexpr std::size_t Size = 4096, Hop = Size / 4;
  std::vector<double> Padded(Size, 0.0);
  Padded.insert(Padded.end(), Samples.begin(), Samples.end());
  Padded.resize(Padded.size() + Size, 0.0);
  TSpectrum S;
  S.BinHz = double(Rate) / Size;
  S.Power.assign(Size / 2 + 1, 0.0);
  std::vector<TComplex> Block(Size);
  for (std::size_t Start = 0; Start + Size <= Padded.size(); Start += Hop) {
    for (std::size_t I = 0; I < Size; ++I)
      Block[I] = Padded[Start + I] * (0.5 - 0.5 * std::cos(2 * Pi * double(I) / Size));
    Fft(Block, false);
    for (std::size_t K = 0; K < S.Power.size(); ++K)
      S.Power[K] += std::norm(Block[K]);
  }
  return S;
}

std::vector<double> AWeighted(const std::vector<double>& Samples, int Rate) {
  // One transform of the whole sound, with room after it for the ring of the
  // filter, so nothing wraps round onto its start.
  const std::size_t N = PowerOfTwoAtLeast(Samples.size() + std::size_t(Rate) / 2);
  std::vector<TComplex> X(Samples.begin(), Samples.end());
  X.resize(N);
  Fft(X, false);
  for (std::size_t K = 0; K <= N / 2; ++K) {
    const double Gain = AGain(double(K) * Rate / double(N));
    X[K] *= Gain;
    if (K != 0 && K != N / 2)
      X[N - K] *= Gain;
  }
  Fft(X, true);
  std::vector<double> Out(N);
  for (std::size_t I = 0; I < N; ++I)
    Out[I] = X[I].real() / double(N);
  return Out;
}

double LoudestRms(const std::vector<double>& Samples, int Rate, double Seconds) {
  const std::size_t Window = std::max<std::size_t>(1, std::size_t(std::lround(Seconds * Rate)));
  double Sum = 0, Loudest = 0;
  for (std::size_t I = 0; I < Samples.size(); ++I) {
    Sum += Samples[I] * Samples[I];
    if (I >= Window)
      Sum -= Samples[I - Window] * Samples[I - Window];
    Loudest = std::max(Loudest, Sum);
  }
  return std::sqrt(Loudest / double(Window));
}

double SpectralSimilarity(const TSpectrum& A, const TSpectrum& B) {
  // The Bhattacharyya coefficient of the two sounds' shares of energy in the
  // third-octave bands from 50 Hz to 16 kHz; the lowest band takes in all
  // below it, the highest all above.
  double Sum = 0;
  const double TotalA = A.Total(), TotalB = B.Total();
  for (int Band = -13; Band <= 12; ++Band) {
    const double Centre = 1000 * std::pow(2.0, Band / 3.0);
    const double Low = Band == -13 ? 0 : Centre * std::pow(2.0, -1 / 6.0);
    const double High = Band == 12 ? 1e12 : Centre * std::pow(2.0, 1 / 6.0);
    Sum += std::sqrt(A.Energy(Low, High) / TotalA * B.Energy(Low, High) / TotalB);
  }
  return Sum;
}
