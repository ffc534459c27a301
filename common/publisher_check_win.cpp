#include "common/publisher_check_win.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/lazy_import_win.h"
#include "common/wide_win.h"

namespace common {
namespace {

// The trust provider's answer for the file's embedded signature. Revocation
// is not checked: the updater may run where no revocation list is reachable.
LONG verifyTrust(const std::wstring& path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof file;
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return result;
}

Signature stateOf(LONG trust) {
  switch (static_cast<HRESULT>(trust)) {
    case ERROR_SUCCESS:
    // The signature and digest hold; only the chain ends in a root this
    // machine does not trust. The publisher is then held to the old
    // installer's certificate, which is the trust this check relies on.
    case CERT_E_UNTRUSTEDROOT:
      return Signature::kValid;
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case TRUST_E_PROVIDER_UNKNOWN:
    case static_cast<HRESULT>(0x80070002):  // HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND): no file, no signature
      return Signature::kNone;
    default:
      return Signature::kInvalid;
  }
}

struct StoreCloser {
  void operator()(HCERTSTORE store) const noexcept { CertCloseStore(store, 0); }
};
struct MessageCloser {
  void operator()(HCRYPTMSG message) const noexcept { CryptMsgClose(message); }
};
struct CertificateFreer {
  void operator()(PCCERT_CONTEXT certificate) const noexcept { CertFreeCertificateContext(certificate); }
};

using UniqueCertificate = std::unique_ptr<const CERT_CONTEXT, CertificateFreer>;

// The certificate of the embedded signature's first signer, with the store of
// the certificates the signature carries; empty when none can be read.
struct SignerCertificate {
  std::unique_ptr<void, StoreCloser> store;
  UniqueCertificate certificate;
};
SignerCertificate signerCertificate(const std::wstring& path) {
  HCERTSTORE rawStore = nullptr;
  HCRYPTMSG rawMessage = nullptr;
  SignerCertificate found;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &rawStore, &rawMessage,
                        nullptr)) {
    return found;
  }
  found.store.reset(rawStore);
  std::unique_ptr<void, MessageCloser> message(rawMessage);
  DWORD size = 0;
  if (!CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0) return found;
  std::vector<BYTE> signerInfo(size);
  if (!CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, signerInfo.data(), &size)) return found;
  const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerInfo.data());
  CERT_INFO wanted{};
  wanted.Issuer = signer->Issuer;
  wanted.SerialNumber = signer->SerialNumber;
  found.certificate.reset(CertFindCertificateInStore(found.store.get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                                     CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
  return found;
}

// One attribute of the certificate's subject ("" when it has none).
std::u16string subjectAttribute(PCCERT_CONTEXT certificate, const char* oid) {
  wchar_t text[256] = {};
  const DWORD n = CertGetNameStringW(certificate, CERT_NAME_ATTR_TYPE, 0, const_cast<char*>(oid), text,
                                     static_cast<DWORD>(std::size(text)));
  return n > 1 ? common::fromWide(text) : std::u16string();
}

// CertFreeCertificateChain returns nothing, which a lazy import cannot
// report a failure through; crypt32 is loaded by the time a chain exists.
void freeChain(PCCERT_CHAIN_CONTEXT chain) {
  using FreeChain = VOID(WINAPI*)(PCCERT_CHAIN_CONTEXT);
  if (const auto free = reinterpret_cast<FreeChain>(
          reinterpret_cast<void*>(common::resolveSystemFunction(L"crypt32.dll", "CertFreeCertificateChain")))) {
    free(chain);
  }
}

// Whether the certificate chains, for code signing, to a root of the
// machine's own store: the user's roots do not count (any program of the
// user can add one), nor does the chain engine's own trust in a self-signed
// certificate. Revocation is not checked; the validity periods are left to
// the caller. The user's store is not used under Wine either.
bool chainsToMachineRoot(PCCERT_CONTEXT certificate, HCERTSTORE carried) {
  char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
  char* usages[] = {codeSigning};
  CERT_CHAIN_PARA parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  parameters.RequestedUsage.Usage.cUsageIdentifier = 1;
  parameters.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(HCCE_LOCAL_MACHINE, certificate, nullptr, carried, &parameters, 0, nullptr, &chain) ||
      chain == nullptr) {
    return false;
  }
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  policy.dwFlags = CERT_CHAIN_POLICY_IGNORE_ALL_NOT_TIME_VALID_FLAGS;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  const bool trusted =
      CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &policy, &status) && status.dwError == 0;
  freeChain(chain);
  return trusted;
}

}  // namespace

FileSignature WinSignatureCheck::examine(std::u16string_view path) {
  const std::wstring widePath = common::toWide(path);
  FileSignature signature;
  signature.state = stateOf(verifyTrust(widePath));
  if (signature.state != Signature::kValid) return signature;
  const SignerCertificate signer = signerCertificate(widePath);
  // A valid signature whose signer cannot be read cannot be held to a publisher.
  if (!signer.certificate) {
    signature.state = Signature::kInvalid;
    return signature;
  }
  const PCCERT_CONTEXT certificate = signer.certificate.get();
  signature.signer.assign(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
  signature.trustedChain = chainsToMachineRoot(certificate, signer.store.get());
  signature.currentlyValid = CertVerifyTimeValidity(nullptr, certificate->pCertInfo) == 0;
  signature.organization = subjectAttribute(certificate, szOID_ORGANIZATION_NAME);
  signature.commonName = subjectAttribute(certificate, szOID_COMMON_NAME);
  return signature;
}

}  // namespace common
