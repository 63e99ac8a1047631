#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <limits>

#include "platform/sha256.h"

namespace ombrix::platform {

namespace {

struct CloseAlgorithm {
  void operator()(BCRYPT_ALG_HANDLE algorithm) const {
    ::BCryptCloseAlgorithmProvider(algorithm, 0);
  }
};
struct DestroyHash {
  void operator()(BCRYPT_HASH_HANDLE hash) const { ::BCryptDestroyHash(hash); }
};
using Algorithm = std::unique_ptr<void, CloseAlgorithm>;
using Hash = std::unique_ptr<void, DestroyHash>;

Hash NewHash(BCRYPT_ALG_HANDLE algorithm) {
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
    return nullptr;
  }
  return Hash(hash);
}

class BcryptSha256 final : public Sha256 {
 public:
  BcryptSha256(Algorithm algorithm, Hash hash)
      : algorithm_(std::move(algorithm)), hash_(std::move(hash)) {}

  void Update(std::span<const std::byte> bytes) override {
    // ULONG lengths: a span longer than that goes in pieces.
    while (!bytes.empty()) {
      const std::size_t piece =
          std::min<std::size_t>(bytes.size(), std::numeric_limits<ULONG>::max());
      ::BCryptHashData(hash_.get(), reinterpret_cast<PUCHAR>(const_cast<std::byte*>(bytes.data())),
                       static_cast<ULONG>(piece), 0);
      bytes = bytes.subspan(piece);
    }
  }

  Sha256Digest Finish() override {
    Sha256Digest digest{};
    ::BCryptFinishHash(hash_.get(), reinterpret_cast<PUCHAR>(digest.data()),
                       static_cast<ULONG>(digest.size()), 0);
    hash_ = NewHash(algorithm_.get());
    return digest;
  }

 private:
  Algorithm algorithm_;
  Hash hash_;
};

}  // namespace

std::unique_ptr<Sha256> Sha256::Start() {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(
          ::BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return nullptr;
  }
  Algorithm owned(algorithm);
  Hash hash = NewHash(owned.get());
  if (!hash) return nullptr;
  return std::make_unique<BcryptSha256>(std::move(owned), std::move(hash));
}

}  // namespace ombrix::platform
