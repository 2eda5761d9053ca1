#pragma once
// Lines to standard output and standard error: UTF-16 to a console, UTF-8
// to a pipe or file, which is what scripts read.
#include <string>

namespace farlinkctl {

void PrintOut(const std::wstring& line);
void PrintErr(const std::wstring& line);

}  // namespace farlinkctl
