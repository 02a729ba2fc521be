#include "support/temp_dir.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir() {
  char pattern[] = "/tmp/qt.XXXXXX";
  if (::mkdtemp(pattern) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  // A test may have taken permissions away; give them back so that everything can go.
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& content, int mode) const {
  const std::string target = file(name);
  std::filesystem::create_directories(std::filesystem::path(target).parent_path());
  std::ofstream(target, std::ios::binary) << content;
  ::chmod(target.c_str(), static_cast<mode_t>(mode));
  return target;
}

}  // namespace testing_support
