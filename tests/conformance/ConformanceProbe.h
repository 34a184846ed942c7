#pragma once
// How the conformance test talks to its two SDK doubles: it hands each a
// sink for the lines they record and scripts what they answer. Nothing of
// the SDK's contract is here; the doubles write theirs out by hand.

extern "C" {
typedef void (*ConfSink)(const char *line);
typedef void (*ConfAttach)(ConfSink sink);
// Sets what the double answers; keys are the double's own (see its file).
typedef void (*ConfScript)(const char *key, long long value);
typedef void (*ConfReset)();
}

constexpr const char *kConfAttach = "conf_attach";
constexpr const char *kConfScript = "conf_script";
constexpr const char *kConfReset = "conf_reset";
