// Small questions and changes about single objects by path: what is there, how many entries a
// folder holds, an empty file, the colour label attribute.
#pragma once

namespace kiv::platform {

enum class ObjectKind { none, file, folder, other };

// What `path` leads to (links followed): nothing, a regular file, a folder, or anything else.
ObjectKind kindOf(const char* path);

// The number of entries directly inside the folder, without "." and ".."; false when it cannot
// be listed whole.
bool countEntries(const char* path, unsigned& count);

// Makes the regular file at `path` empty, creating it when nothing is there (0666 less the
// umask). An existing object that is not a regular file (a folder, a FIFO, a device) is refused
// at once without being opened, so that nothing blocks. 0 or an errno value.
int truncateOrCreateFile(const char* path);

// Sets the colour label attribute of `path` to the decimal text of `label`; 0 removes it.
void setLabelAttribute(const char* path, int label);

} // namespace kiv::platform
