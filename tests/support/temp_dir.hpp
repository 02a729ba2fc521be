#pragma once

#include <string>

namespace testing_support {

/// A fresh directory under /tmp, removed with everything in it at the end of the scope. Its
/// path is short, so that socket paths inside it fit the system's limit.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  /// `name` inside the directory.
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  /// Writes `content` to `name` inside the directory, with the given permission bits.
  std::string write(const std::string& name, const std::string& content, int mode = 0644) const;

 private:
  std::string path_;
};

}  // namespace testing_support
