// Whether a downloaded installer may take the place of the old one: the
// download must carry a valid Authenticode signature, and when the old
// installer is signed, by the same publisher: the same certificate, or (a
// publisher renews its certificate every few years) a certificate of the
// same organisation and common name when both chain to a root the machine
// trusts.
#pragma once

#include <string>
#include <string_view>

namespace common {

enum class Signature {
  kNone,     // no signature at all (or no file)
  kValid,    // well formed and the digest matches the file
  kInvalid,  // a signature whose digest or form does not hold
};

struct FileSignature {
  Signature state = Signature::kNone;
  std::string signer;  // the signer certificate as encoded (DER); empty unless kValid
  // The signer certificate chains, for code signing, to a root in the
  // machine's own store (revocation and validity periods not checked), and
  // whether it is within its validity period now.
  bool trustedChain = false;
  bool currentlyValid = false;
  // Its subject's organisation (O) and common name (CN); empty when it has none.
  std::u16string organization;
  std::u16string commonName;
};

// The platform's view of a file's signature. Blocking; worker thread only.
class SignatureCheck {
 public:
  virtual ~SignatureCheck() = default;
  virtual FileSignature examine(std::u16string_view path) = 0;
};

enum class Verdict {
  kVerified,    // signed with the old installer's certificate
  kRenewed,     // signed by the old installer's publisher with another certificate, both trusted
  kUnverified,  // the old installer is not signed: nothing to hold the download to
  kRefused,     // not signed, tampered, or signed by somebody else
};

Verdict JudgeDownload(const FileSignature& oldInstaller, const FileSignature& download);

// Why JudgeDownload refuses the download, for the log ("it is not signed",
// ...); `reference` names what the download is held to.
std::string WhyRefused(const FileSignature& oldInstaller, const FileSignature& download,
                       std::string_view reference = "the old installer");

}  // namespace common
