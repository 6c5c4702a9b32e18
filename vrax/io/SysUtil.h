#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The engine's system helpers: the error box, the (silent) debug print, thin
// file wrappers and the file-name builder. File names are the game's own
// ("Data//\common\X.tr", "D:\X.dat"); they are mapped onto host paths here.

// Formats the message (callers pass "%s(%d) : %s\n" with the source path,
// the line and the text) and shows it in the "ERROR" box, then returns; the
// caller goes on and marks its object failed.
void FatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Trace output; prints nothing.
void DebugPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Opens the file for binary reading, or writing ("wb") when write is set (the
// missing directories of a written file are created). Null on failure.
FILE* FileOpen(const std::string& name, bool write);
// One read / write of size bytes; the number of bytes transferred.
size_t FileRead(FILE* file, void* buffer, size_t size);
size_t FileWrite(FILE* file, const void* buffer, size_t size);
// 0, or -1 (also for a null file).
int32_t FileClose(FILE* file);
// Size in bytes of a regular file; -1 when it does not open.
int64_t FileSize(const std::string& name);
// Reads size bytes of the file into buffer; size, or -1 on an open failure or
// a short read.
int64_t FileReadAll(const std::string& name, void* buffer, size_t size);
// name followed by extension.
std::string MakeFileName(const std::string& name, const std::string& extension);
