#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// A picture file that could not be read: the message names the file and says why.
class EImageLoadError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// One colour with its opacity, not premultiplied.
struct TRgba {
  std::uint8_t R = 0, G = 0, B = 0, A = 0;
  friend bool operator==(const TRgba&, const TRgba&) = default;
};

// A decoded PNG picture with its alpha channel. It is converted once, when it
// is loaded, into the form the drawing layer draws fastest.
class TPngImage {
public:
  TPngImage();
  ~TPngImage();
  TPngImage(TPngImage&&) noexcept;
  TPngImage& operator=(TPngImage&&) noexcept;
  TPngImage(const TPngImage&) = delete;
  TPngImage& operator=(const TPngImage&) = delete;

  // Decodes the file; throws EImageLoadError when it is missing or not a valid PNG.
  void LoadFromFile(const std::string& Path);

  bool Empty() const;
  std::uint32_t Width() const;
  std::uint32_t Height() const;
  TRgba PixelAt(std::uint32_t X, std::uint32_t Y) const;

  struct TImpl;
  const TImpl& Impl() const { return *D; }

private:
  std::unique_ptr<TImpl> D;
};
