#include "update/signature_check_win.h"

#include <windows.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <memory>
#include <string>
#include <vector>

#include "common/wide_win.h"

namespace update {
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

// The certificate of the embedded signature's first signer, as encoded; empty when none can be read.
std::string signerCertificate(const std::wstring& path) {
  HCERTSTORE rawStore = nullptr;
  HCRYPTMSG rawMessage = nullptr;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, path.c_str(), CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED,
                        CERT_QUERY_FORMAT_FLAG_BINARY, 0, nullptr, nullptr, nullptr, &rawStore, &rawMessage,
                        nullptr)) {
    return {};
  }
  std::unique_ptr<void, StoreCloser> store(rawStore);
  std::unique_ptr<void, MessageCloser> message(rawMessage);
  DWORD size = 0;
  if (!CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0) return {};
  std::vector<BYTE> signerInfo(size);
  if (!CryptMsgGetParam(message.get(), CMSG_SIGNER_INFO_PARAM, 0, signerInfo.data(), &size)) return {};
  const auto* signer = reinterpret_cast<const CMSG_SIGNER_INFO*>(signerInfo.data());
  CERT_INFO wanted{};
  wanted.Issuer = signer->Issuer;
  wanted.SerialNumber = signer->SerialNumber;
  std::unique_ptr<const CERT_CONTEXT, CertificateFreer> certificate(
      CertFindCertificateInStore(store.get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SUBJECT_CERT,
                                 &wanted, nullptr));
  if (!certificate) return {};
  return std::string(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
}

}  // namespace

FileSignature WinSignatureCheck::examine(std::u16string_view path) {
  const std::wstring widePath = common::toWide(path);
  FileSignature signature;
  signature.state = stateOf(verifyTrust(widePath));
  if (signature.state != Signature::kValid) return signature;
  signature.signer = signerCertificate(widePath);
  // A valid signature whose signer cannot be read cannot be held to a publisher.
  if (signature.signer.empty()) signature.state = Signature::kInvalid;
  return signature;
}

}  // namespace update
