#pragma once
// One line at a time to stdout, flushed at once: the tests read it live
// through a pipe while testers report from COM threads.
#include <string>

namespace farlinkdrive {

void PrintLine(const std::wstring& line);
std::wstring Hex(long value);

}  // namespace farlinkdrive
