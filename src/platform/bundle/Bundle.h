// The main bundle of the running program and the Info.plist of any bundle on disk.
//
// A bundle is a folder <Name>.app holding Contents/Info.plist, Contents/Resources/ and the
// executable in Contents/Linux/. The main bundle is the .app folder around the running
// executable; a program outside a bundle is its own bundle: the executable's folder, with its
// resources in a Resources/ folder beside the executable.
#pragma once

#include <optional>
#include <string>

namespace kiv::platform {

// Absolute path of the running executable (from /proc/self/exe); empty if it cannot be read.
std::string executablePath();

// The main bundle folder: "<...>/<Name>.app" when the executable lives in
// <Name>.app/Contents/Linux/, otherwise the executable's own folder. No trailing slash.
std::string mainBundlePath();

// The main bundle's resources folder: "<bundle>/Contents/Resources" inside a bundle,
// "<exe dir>/Resources" outside one. The folder need not exist.
std::string mainBundleResourcesPath();

// The resources folder of the bundle at `bundlePath`: "<bundlePath>/Contents/Resources" when
// that bundle has a Contents folder, otherwise "<bundlePath>/Resources".
std::string bundleResourcesPath(const std::string& bundlePath);

// The Info.plist of the bundle at `bundlePath`: "<bundlePath>/Contents/Info.plist".
std::string bundleInfoPlistPath(const std::string& bundlePath);

// The text of the value under `key` in the top-level dictionary of the property list file at
// `plistPath` (read by xml/PropertyList.h), from the first entry of that key. Empty optional
// when the file has no dictionary, the key is absent or its value has no text.
std::optional<std::string> plistStringValue(const std::string& plistPath, const std::string& key);

// The same for the Info.plist of the bundle at `bundlePath`.
std::optional<std::string> bundleInfoValue(const std::string& bundlePath, const std::string& key);

// The same for the main bundle's Info.plist.
std::optional<std::string> mainBundleInfoValue(const std::string& key);

// Makes `bundlePath` the main bundle for this process (used by tests and tools that run outside
// the bundle they work on); an empty path restores the folder found from the executable.
void setMainBundlePath(const std::string& bundlePath);

} // namespace kiv::platform
