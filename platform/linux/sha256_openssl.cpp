#include <openssl/evp.h>

#include "platform/sha256.h"

namespace ombrix::platform {

namespace {

struct FreeContext {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class OpenSslSha256 final : public Sha256 {
 public:
  explicit OpenSslSha256(std::unique_ptr<EVP_MD_CTX, FreeContext> context)
      : context_(std::move(context)) {}

  void Update(std::span<const std::byte> bytes) override {
    EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size());
  }

  Sha256Digest Finish() override {
    Sha256Digest digest{};
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_.get(), reinterpret_cast<unsigned char*>(digest.data()), &length);
    EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr);
    return digest;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, FreeContext> context_;
};

}  // namespace

std::unique_ptr<Sha256> Sha256::Start() {
  std::unique_ptr<EVP_MD_CTX, FreeContext> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) return nullptr;
  return std::make_unique<OpenSslSha256>(std::move(context));
}

}  // namespace ombrix::platform
