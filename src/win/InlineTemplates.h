#pragma once
// Force-included into every C++ file we compile. libstdc++ declares its
// string classes "extern template", so every member comes from the library's
// prebuilt instantiation objects: whole objects, with unwind tables that keep
// every function alive and pull in the unwinder. Instantiated here instead,
// each member is a section of its own that the linker drops when unused.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
