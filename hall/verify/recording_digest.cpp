#include "hall/verify/recording_digest.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace kestal::hall {

std::string recordingDigest(std::string_view edition, const std::vector<replay::KeyEvent>& events) {
  const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(),
                                                                        EVP_MD_CTX_free);
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    throw std::runtime_error("SHA-256 is not available");
  }
  EVP_DigestUpdate(context.get(), edition.data(), edition.size());
  std::array<char, 48> line{};
  for (const replay::KeyEvent& event : events) {
    const int length = std::snprintf(line.data(), line.size(), "\n%llu %d",
                                     static_cast<unsigned long long>(event.retrace), event.entry);
    EVP_DigestUpdate(context.get(), line.data(), static_cast<std::size_t>(length));
  }
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int size = 0;
  EVP_DigestFinal_ex(context.get(), digest.data(), &size);
  std::string hex;
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(line.data(), line.size(), "%02x", digest[i]);
    hex += line.data();
  }
  return hex;
}

}  // namespace kestal::hall
