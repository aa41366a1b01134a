#pragma once
// Host names only this test resolves: commands run in a mount namespace of their own, where
// /etc/hosts is a file the test writes. Machines that refuse unprivileged namespaces give no
// prefix, and the test skips.
#include <cstdlib>
#include <optional>
#include <string>

#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo::testing {

// The shell prefix that runs a command with `hostsLines` as /etc/hosts (written into `dir`),
// or nothing when this machine allows no such namespace.
inline std::optional<std::string> OwnHostsPrefix(const TempDir& dir,
                                                 const std::string& hostsLines) {
  dir.Write(u"hosts", hostsLines);
  const std::string prefix = "unshare -rm sh -c 'mount --bind \"$0\" /etc/hosts && exec \"$@\"' '" +
                             Utf16ToUtf8(dir.File(u"hosts")) + "' ";
  if (std::system((prefix + "true >/dev/null 2>&1").c_str()) != 0) return std::nullopt;
  return prefix;
}

}  // namespace cardo::testing
