#include "common/publisher_policy.h"

namespace common {

Verdict JudgeDownload(const FileSignature& oldInstaller, const FileSignature& download) {
  // Without a signed installer there is no publisher to hold the download to;
  // refusing it would strand every installation made before signing began.
  if (oldInstaller.state != Signature::kValid) return Verdict::kUnverified;
  if (download.state != Signature::kValid) return Verdict::kRefused;
  // The certificates themselves, byte for byte: a display name can be copied.
  if (download.signer == oldInstaller.signer) return Verdict::kVerified;
  // A name is only the publisher's when a root the machine trusts vouches
  // for it, on both certificates: a self-signed one can carry any name. The
  // old installer's certificate may have expired since (that is why it was
  // renewed); the download's must be valid now.
  const bool samePublisher = !download.organization.empty() && !download.commonName.empty() &&
                             download.organization == oldInstaller.organization &&
                             download.commonName == oldInstaller.commonName;
  return samePublisher && download.trustedChain && download.currentlyValid && oldInstaller.trustedChain
             ? Verdict::kRenewed
             : Verdict::kRefused;
}

}  // namespace common
