#pragma once
// The per-user cache of the cloud instance answer: value "Server" under
// HKCU\Software\Corvane\Farlink, holding a RemoteType name.
namespace sharedfarlink {

// The RemoteType named by the cached value; false when the key or value is
// missing, the value is too long or unterminated, or it names no type.
bool ReadCachedSessionType(int* type);

// Stores `name` as the cached value. The key is opened, never created: without
// it nothing is stored, and the cloud probe runs again next time.
void StoreCachedSessionType(const wchar_t* name);

}  // namespace sharedfarlink
