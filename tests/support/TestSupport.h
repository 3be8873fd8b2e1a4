// Shared fixtures for the test suites: fresh temporary folders, scoped environment variables
// and paths into the source and build trees.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kivtest {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes out of scope.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }
  // Writes a file below the folder (creating parent folders) and returns its path.
  std::filesystem::path write(const std::string& relative, const std::string& contents) const;

private:
  std::filesystem::path path_;
};

// Sets (or unsets, with std::nullopt) an environment variable and restores it on destruction.
class ScopedEnv {
public:
  ScopedEnv(const char* name, std::optional<std::string> value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  std::string name_;
  std::optional<std::string> old_;
};

std::string readFile(const std::filesystem::path& p);
// The names in a folder, sorted (what a failed write or transfer may have left beside a file).
std::vector<std::string> entriesOf(const std::filesystem::path& folder);

// Folders of the project: the test data folder, the source root and the build root.
std::filesystem::path dataDir();
std::filesystem::path sourceDir();
std::filesystem::path binaryDir();

} // namespace kivtest
