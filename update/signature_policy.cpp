#include "update/signature_policy.h"

namespace update {

Verdict JudgeDownload(const FileSignature& oldInstaller, const FileSignature& download) {
  // Without a signed installer there is no publisher to hold the download to;
  // refusing it would strand every installation made before signing began.
  if (oldInstaller.state != Signature::kValid) return Verdict::kUnverified;
  if (download.state != Signature::kValid) return Verdict::kRefused;
  // The certificates themselves, byte for byte: a display name can be copied.
  return download.signer == oldInstaller.signer ? Verdict::kVerified : Verdict::kRefused;
}

}  // namespace update
