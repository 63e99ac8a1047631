// SHA-256 of a stream of bytes, from the system's own cryptography: OpenSSL's libcrypto on Linux,
// CNG (bcrypt) on Windows.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>

namespace ombrix::platform {

using Sha256Digest = std::array<std::byte, 32>;

class Sha256 {
 public:
  // Nothing when the system cannot hash.
  static std::unique_ptr<Sha256> Start();
  virtual ~Sha256() = default;

  virtual void Update(std::span<const std::byte> bytes) = 0;
  // The digest of everything given since the start or the last Finish, which starts afresh.
  virtual Sha256Digest Finish() = 0;
};

// Lowercase hexadecimal, as sha256sum prints it.
std::string HexOf(const Sha256Digest& digest);

}  // namespace ombrix::platform
