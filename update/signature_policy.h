// Whether a downloaded installer may take the place of the old one: the
// download must carry a valid Authenticode signature, and when the old
// installer is signed, by the same publisher's certificate.
#pragma once

#include <string>
#include <string_view>

namespace update {

enum class Signature {
  kNone,     // no signature at all (or no file)
  kValid,    // well formed and the digest matches the file
  kInvalid,  // a signature whose digest or form does not hold
};

struct FileSignature {
  Signature state = Signature::kNone;
  std::string signer;  // the signer certificate as encoded (DER); empty unless kValid
};

// The platform's view of a file's signature. Blocking; worker thread only.
class SignatureCheck {
 public:
  virtual ~SignatureCheck() = default;
  virtual FileSignature examine(std::u16string_view path) = 0;
};

enum class Verdict {
  kVerified,    // signed by the old installer's publisher
  kUnverified,  // the old installer is not signed: nothing to hold the download to
  kRefused,     // not signed, tampered, or signed by somebody else
};

Verdict JudgeDownload(const FileSignature& oldInstaller, const FileSignature& download);

}  // namespace update
