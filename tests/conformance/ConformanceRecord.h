#pragma once
// Recording helpers shared by the two SDK doubles: every call becomes one
// text line handed to the test's sink; bytes are written as hexadecimal.

#include "ConformanceProbe.h"

#include <string>

namespace conf {
std::string hex(const void *data, int size);
// Text with its control characters escaped, so that a line stays a line.
std::string escaped(const char *text, int size);
std::string pointer(const void *p);
void emit(const std::string &line);
long long scripted(const char *key, long long fallback);
void putInt32(void *record, int offset, int value);
} // namespace conf

#define CONF_EXPORT extern "C" __attribute__((visibility("default")))
