#pragma once
// Where the IDE's socket is: the command line, then QUILLO_SOCKET, then a path under the home
// directory named after the IDE's bundle identifier.

#include <optional>
#include <string>

#include "core/environment.hpp"
#include "core/result.hpp"

namespace quillo {

inline constexpr const char* kDefaultBundleId = "dev.quillo.desktop";

/// How to find the bundle identifier of the IDE application that contains this executable.
struct BundleLookup {
  /// The running executable; nullopt asks the system.
  std::optional<std::string> executable_path;
  /// The property-list tool that reads Info.plist.
  std::string plist_tool = "/usr/bin/plutil";
};

/// The socket path, or the error when HOME is needed and not usable.
Result<std::string> resolve_socket_path(const std::optional<std::string>& socket_option,
                                        const EnvGetter& env, const BundleLookup& lookup = {});

/// QUILLO_BUNDLE_ID, else the identifier in the enclosing application's Info.plist, else the
/// default. Every failure of the lookup is silent.
std::string resolve_bundle_id(const EnvGetter& env, const BundleLookup& lookup);

}  // namespace quillo
