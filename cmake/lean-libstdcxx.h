// Force-included into the plug-in's sources. The C++ runtime normally keeps
// std::string's members out of line, in one object of the static library
// that also drags in the exception machinery. Instantiating them in our own
// (exception-free) sources instead keeps only the members the plug-in uses.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
