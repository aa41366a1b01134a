#pragma once
// A test's servers run by a Python script on localhost (web_pages.py, link_server.py,
// tls_server.py): the script makes its test CA in a folder of its own and writes ca.pem and
// then ports.txt there, and serves until a file "stop" appears in that folder. On Windows the
// CA is trusted in this Wine prefix's machine "Root" store while the servers are up, so that
// the system's own validation decides; natively a client is given ca.pem.
#ifdef _WIN32
#include <windows.h>

#include <wincrypt.h>
#endif

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo::testing {

class ScriptServer {
 public:
  explicit ScriptServer(const char* script) {
    const std::string folder = UnixPath(dir_.path());
#ifdef _WIN32
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
#else
    const std::string command =
        "python3 '" + std::string(script) + "' '" + folder + "' >/dev/null 2>&1 &";
    if (std::system(command.c_str()) != 0) return;
#endif
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((ports_ = ReadPorts()).empty()) {
      if (std::chrono::steady_clock::now() > deadline) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
#ifdef _WIN32
    Trust(dir_.Read(u"ca.pem"));
#else
    ready_ = true;
#endif
  }
  ~ScriptServer() {
#ifdef _WIN32
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
#endif
    dir_.Write(u"stop", "");
  }
  ScriptServer(const ScriptServer&) = delete;
  ScriptServer& operator=(const ScriptServer&) = delete;

  // Whether the servers are up (and on Windows their CA trusted).
  bool ready() const {
    return ready_;
  }
  // The ports the script wrote, in its order.
  const std::vector<int>& ports() const {
    return ports_;
  }
  // The test CA, for a client that is told whom to trust.
  std::string caFile() const {
    return Utf16ToUtf8(dir_.File(u"ca.pem"));
  }

 private:
  std::vector<int> ReadPorts() const {
    std::istringstream text(dir_.Read(u"ports.txt"));
    std::vector<int> all;
    for (int port = 0; text >> port;) all.push_back(port);
    return all;
  }

#ifdef _WIN32
  static std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
  }
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
    ready_ = trusted_ != nullptr;
  }
  HCERTSTORE root_ = nullptr;
  PCCERT_CONTEXT trusted_ = nullptr;
#else
  static std::string UnixPath(const std::u16string& path) {
    return Utf16ToUtf8(path);
  }
#endif

  TempDir dir_;
  std::vector<int> ports_;
  bool ready_ = false;
};

}  // namespace cardo::testing
