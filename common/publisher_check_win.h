// Authenticode signatures through the platform: WinVerifyTrust for the
// signature and its digest, CryptQueryObject for the signer's certificate,
// the machine's chain engine for the root that vouches for it. A program
// that uses it links wintrust and crypt32, or (the updater) imports their
// functions lazily.
#pragma once

#include "common/publisher_policy.h"

namespace common {

class WinSignatureCheck final : public SignatureCheck {
 public:
  FileSignature examine(std::u16string_view path) override;
};

}  // namespace common
