// Stands in for a Lingua.dll that gives no object: built with an export that
// returns null (FARLINK_DOUBLE_NULL_INTERFACE) or without the export.
#include "lingua/LinguaInterface.h"

#ifdef FARLINK_DOUBLE_NULL_INTERFACE
extern "C" __declspec(dllexport) LinguaInterface* __cdecl GetLinguaInterface() { return nullptr; }
#endif

// Every variant exports something, so each is a well-formed DLL with an export table.
extern "C" __declspec(dllexport) int FarlinkLinguaDoubleVariant() { return 1; }
