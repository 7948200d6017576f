#pragma once

#include <vector>

// Listening by numbers: how a sound's energy spreads over frequency and how
// loud it is to the ear. Samples run from -1 to +1.

// The energy of a whole sound by frequency: Power[K] belongs to K * BinHz.
// Made from overlapping Hann-windowed blocks that weigh every sample alike.
struct TSpectrum {
  double BinHz = 0;
  std::vector<double> Power;

  // Energy from LowHz up to (not including) HighHz.
  double Energy(double LowHz, double HighHz) const;
  double Total() const;
  // The energy-weighted mean frequency: where the sound's brightness lies.
  double CentroidHz() const;
};
TSpectrum SpectrumOf(const std::vector<double>& Samples, int Rate);

// The sound as the ear weighs it (the A curve: 0 dB at 1 kHz, far less in the
// deep bass and at the top).
std::vector<double> AWeighted(const std::vector<double>& Samples, int Rate);

// The RMS of the loudest stretch of Seconds.
double LoudestRms(const std::vector<double>& Samples, int Rate, double Seconds);

// How alike two sounds' colours are, from 0 (no shared third-octave band) to
// 1 (the same spread of energy over the bands, whatever the loudness).
double SpectralSimilarity(const TSpectrum& A, const TSpectrum& B);
