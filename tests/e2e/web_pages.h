#pragma once
// The pages of web_pages.py (or another script that writes its CA and ports the same way,
// link_server.py), served on localhost by a Python process this test starts, and its test CA
// trusted in this Wine prefix's machine "Root" store while they are up. The program's
// validation is the system's own.
#include <windows.h>

#include <wincrypt.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fakes.h"

namespace cardo::e2e {

class WebPages {
 public:
  explicit WebPages(const char* script = CARDO_WEB_PAGES_SCRIPT) {
    const std::string folder = UnixPath(dir_.path());
    const std::wstring command =
        L"/usr/bin/python3 \"" + Wide(script) + L"\" \"" + Wide(folder) + L"\"";
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Wine starts a Unix program for CreateProcess; its handle cannot be waited on, so the
    // server ends by itself when the stop file appears (or after five minutes).
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
      return;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(std::istringstream(dir_.Read(u"ports.txt")) >> https_ >> untrusted_ >> http_)) {
      if (std::chrono::steady_clock::now() > deadline) return;
      Sleep(50);
    }
    Trust(dir_.Read(u"ca.pem"));
  }
  ~WebPages() {
    if (trusted_) {
      // The store's own deletion does not reach the registry under Wine: the certificate's
      // key goes, where the system keeps it, named by its SHA-1 thumbprint.
      BYTE hash[20];
      DWORD size = sizeof hash;
      if (CertGetCertificateContextProperty(trusted_, CERT_SHA1_HASH_PROP_ID, hash, &size)) {
        std::wstring key = L"Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\";
        for (DWORD i = 0; i < size; ++i) {
          key += L"0123456789ABCDEF"[hash[i] >> 4];
          key += L"0123456789ABCDEF"[hash[i] & 15];
        }
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
      }
      CertFreeCertificateContext(trusted_);
    }
    if (root_) CertCloseStore(root_, 0);
    dir_.Write(u"stop", "");
  }
  WebPages(const WebPages&) = delete;
  WebPages& operator=(const WebPages&) = delete;

  bool ready() const { return trusted_ != nullptr; }
  int https() const { return https_; }
  int untrusted() const { return untrusted_; }
  int http() const { return http_; }
  // Every port the script wrote, the three above first.
  std::vector<int> ports() const {
    std::istringstream text(dir_.Read(u"ports.txt"));
    std::vector<int> all;
    for (int port = 0; text >> port;) all.push_back(port);
    return all;
  }

 private:
  static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
  static std::string UnixPath(const std::u16string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unix = toUnix(reinterpret_cast<LPCWSTR>(path.c_str()));
    if (!unix) return {};
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
  }
  void Trust(const std::string& pem) {
    DWORD size = 0;
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                              nullptr)) {
      return;
    }
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                              nullptr)) {
      return;
    }
    root_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (!root_) return;
    // Written to the registry only when committed; the program reads it from there.
    if (CertAddEncodedCertificateToStore(root_, X509_ASN_ENCODING, der.data(), size,
                                         CERT_STORE_ADD_REPLACE_EXISTING, &trusted_) &&
        !CertControlStore(root_, 0, CERT_STORE_CTRL_COMMIT, nullptr)) {
      CertFreeCertificateContext(trusted_);
      trusted_ = nullptr;
    }
  }

  testing::TempDir dir_;
  int https_ = 0, untrusted_ = 0, http_ = 0;
  HCERTSTORE root_ = nullptr;
  PCCERT_CONTEXT trusted_ = nullptr;
};

}  // namespace cardo::e2e
