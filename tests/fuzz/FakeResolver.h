#pragma once
// The name service fuzz_netsdksession's SDK meets. libNetSDK's sources are
// built into the target, so its look-ups call this file's getaddrinfo:
// names ending in ".fuzz" are answered with 127.0.0.1 the way the input
// says, other names by the system.
//
// Every call also checks what the SDK promises of its look-ups: never two
// of one name at once, never more than its cap at once.

class FakeResolver
{
public:
    enum Behaviour
    {
        Answer,     // at once
        NoSuchName, // at once
        Slow,       // after slowMs
        Held,       // once released (or after 5 s)
    };
    // For the look-ups that begin from now on.
    static void set(Behaviour behaviour, int slowMs);
    // Lets the look-ups held so far answer.
    static void release();
};
