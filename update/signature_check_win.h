// Authenticode signatures through the platform: WinVerifyTrust for the
// signature and its digest, CryptQueryObject for the signer's certificate.
#pragma once

#include "update/signature_policy.h"

namespace update {

class WinSignatureCheck final : public SignatureCheck {
 public:
  FileSignature examine(std::u16string_view path) override;
};

}  // namespace update
