#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file_io.h"

// The engine's system helpers: the error box, the (silent) debug print, thin
// file wrappers and the file-name builder. File names are the game's own
// ("Data//\common\X.tr", "D:\X.dat"); they are mapped onto host paths here.

// Formats the message (callers pass "%s(%d) : %s\n" with the source path,
// the line and the text) and shows it in the "ERROR" box, then returns; the
// caller goes on and marks its object failed.
void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Trace output; prints nothing.
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Every file goes through the platform's one reader and one saver
// (platform/file_io.h): only regular files are read, and never with a wait;
// a save replaces the file in one step.

// Opens a regular file for binary reading. Null on failure or for anything
// that is not a regular file.
FILE* FileOpen(const std::string& name);
// One read of size bytes; the number of bytes transferred.
size_t FileRead(FILE* file, void* buffer, size_t size);
// 0, or -1 (also for a null file).
int32_t FileClose(FILE* file);
// Size in bytes of a regular file; -1 for anything else.
int64_t FileSize(const std::string& name);
// Largest data file read whole. The largest file of the game's data tree is
// a scene's cache archive of some 2.5 MB (the largest read on its own is a
// music track of 0.8 MB; a track of several minutes in CD quality would be
// some 50 MB): 256 MB is far above any of them, and a damaged or stray file
// past it is refused before room is made for it.
constexpr int64_t kMaxDataFileBytes = int64_t(256) << 20;
// Reads the first size bytes of the file into buffer; size, or -1 when it
// is not a regular file or holds fewer bytes.
int64_t FileReadAll(const std::string& name, void* buffer, size_t size);
// Saves size bytes as the file, replacing the old one in one step (its
// missing directories are made).
plat::SaveResult FileSave(const std::string& name, const void* bytes, size_t size);
// Removes the file (a link itself, never a directory); false when nothing
// was removed.
bool FileRemove(const std::string& name);
// name followed by extension.
std::string MakeFileName(const std::string& name, const std::string& extension);
// Whether a file name, taken relative to the data root as the I/O manager
// takes it, stays inside the data folder. It is read lexically: '\\' and
// '/' both separate, a run of them is one, "." stays and ".." goes up a
// folder, and no ".." may climb above the root (a leading separator is the
// root itself, as in every resource's name). A name holding a zero byte is
// refused (the host would read only the part before it). Links inside the
// folder are not looked into: they are the data's own.
bool StaysInDataFolder(const std::string& name);
