// The download's DLLs (and theirs: sockets, crypto) load when the worker
// first calls them, not before the window can paint. The updater links none
// of their import libraries: these slots are its imports of them.
#include <windows.h>

#include <softpub.h>
#include <wincrypt.h>
#include <wininet.h>
#include <wintrust.h>

#include "common/lazy_import_win.h"

TAVARO_LAZY_IMPORT(L"wininet.dll", InternetOpenW, 20, nullptr)
TAVARO_LAZY_IMPORT(L"wininet.dll", InternetCrackUrlW, 16, FALSE)
TAVARO_LAZY_IMPORT(L"wininet.dll", InternetConnectW, 32, nullptr)
TAVARO_LAZY_IMPORT(L"wininet.dll", HttpOpenRequestW, 32, nullptr)
TAVARO_LAZY_IMPORT(L"wininet.dll", HttpSendRequestW, 20, FALSE)
TAVARO_LAZY_IMPORT(L"wininet.dll", InternetReadFile, 16, FALSE)
TAVARO_LAZY_IMPORT(L"wininet.dll", InternetCloseHandle, 4, FALSE)
TAVARO_LAZY_IMPORT(L"wininet.dll", HttpQueryInfoW, 20, FALSE)
TAVARO_LAZY_IMPORT(L"wininet.dll", InternetSetOptionW, 16, FALSE)
TAVARO_LAZY_IMPORT(L"wininet.dll", InternetQueryOptionW, 16, FALSE)
// A verification that cannot run is an untrusted file, never a trusted one.
TAVARO_LAZY_IMPORT(L"wintrust.dll", WinVerifyTrust, 12, TRUST_E_SYSTEM_ERROR)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertCloseStore, 8, FALSE)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertFindCertificateInStore, 24, nullptr)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertFreeCertificateContext, 4, FALSE)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CryptMsgClose, 4, FALSE)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CryptMsgGetParam, 20, FALSE)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CryptQueryObject, 44, FALSE)
// A chain that cannot be built or checked is an untrusted one.
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertGetCertificateChain, 32, FALSE)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertVerifyCertificateChainPolicy, 16, FALSE)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertVerifyTimeValidity, 8, 1)
TAVARO_LAZY_IMPORT(L"crypt32.dll", CertGetNameStringW, 24, 0)
