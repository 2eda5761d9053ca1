#pragma once
// Where the test finds the programs and files built beside it.
#include <string>

namespace testing_support {

// Folder of the running test executable, without a trailing backslash.
std::wstring ExeDir();

// ExeDir() + "\" + name.
std::wstring BesideExe(const wchar_t* name);

// A new empty folder under the prefix's temp folder, unique to this call.
std::wstring MakeScratchDir(const wchar_t* tag);

// Deletes a folder tree; missing is fine.
void RemoveTree(const std::wstring& path);

bool FileExists(const std::wstring& path);

// Reads a whole file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

}  // namespace testing_support
