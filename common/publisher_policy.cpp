#include "common/publisher_policy.h"

namespace common {
namespace {

// The same subject organisation and common name, both present.
bool samePublisherName(const FileSignature& a, const FileSignature& b) {
  return !a.organization.empty() && !a.commonName.empty() && a.organization == b.organization &&
         a.commonName == b.commonName;
}

}  // namespace

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
  return samePublisherName(download, oldInstaller) && download.trustedChain && download.currentlyValid &&
                 oldInstaller.trustedChain
             ? Verdict::kRenewed
             : Verdict::kRefused;
}

std::string WhyRefused(const FileSignature& oldInstaller, const FileSignature& download,
                       std::string_view reference) {
  if (download.state == Signature::kNone) return "it is not signed";
  if (download.state == Signature::kInvalid) return "its signature does not match its content";
  if (!samePublisherName(download, oldInstaller)) return "it is signed by another publisher";
  if (!download.trustedChain) return "its certificate names the publisher, but no trusted root vouches for it";
  if (!download.currentlyValid) return "its certificate names the publisher, but it is not valid now";
  return std::string(reference) + "'s certificate chains to no trusted root";
}

}  // namespace common
