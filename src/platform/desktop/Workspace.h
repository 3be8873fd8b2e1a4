// The desktop's workspace, through GIO: opening URIs and files in the user's preferred
// application and starting desktop applications. Each returns at once; the started program
// lives on by itself.
#pragma once

namespace kiv::platform {

// Hands the URI to the default application for its scheme (or, for file: URIs, for the file's
// type). False when the text has no scheme, no application is registered or the start failed.
bool openURI(const char* uri);

// Opens the file at `path` with the user's default application for its type, as openURI does
// with the file's URI; false for a null or empty path.
bool openFile(const char* path);

// Starts the application that `name` designates: a desktop-file id (with or without
// ".desktop"), an application's name as its desktop entry shows it (compared without regard to
// case), the executable named by a desktop entry, the path of a .desktop file, of a bundle
// folder <Name>.app or of an executable. False when nothing matches or the start failed.
bool launchApplication(const char* name);

} // namespace kiv::platform
